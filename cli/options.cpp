#include "options.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <functional>
#include <limits>

#include "colours.h"
#include "method_words.h"
#include "runtime/ratio.h"
#include "sizes.h"
#include "tallux/types.h"

namespace tallux::cli {

namespace {

[[noreturn]] void usage(const std::string& message)
{
    throw UsageError(message);
}

template <class T>
bool parseWhole(std::string_view text, T& value, int base = 10)
{
    const char* end = text.data() + text.size();
    const auto [p, ec] = std::from_chars(text.data(), end, value, base);
    return ec == std::errc() && p == end && !text.empty();
}

Single parseSingle(std::string_view option, std::string_view text)
{
    double v = 0;
    const char* begin = text.data() + (text.starts_with('+') ? 1 : 0);
    const char* end = text.data() + text.size();
    const auto [p, ec] = std::from_chars(begin, end, v);
    if (ec != std::errc() || p != end || !std::isfinite(v) ||
        std::abs(v) > std::numeric_limits<Single>::max())
        usage(quoted(option) + " needs a Single number, not " + quoted(text));
    return static_cast<Single>(v);
}

double parsePositive(std::string_view option, std::string_view text)
{
    const double v = parseSingle(option, text);
    if (!(v >= 0)) usage(quoted(option) + " needs a number of zero or more");
    return v;
}

Integer parseInteger(std::string_view option, std::string_view text)
{
    int v = 0;
    if (!parseWhole(text, v) || v < Integer::min || v > Integer::max)
        usage(quoted(option) + " needs an Integer from -32768 to 32767, not " + quoted(text));
    return v;
}

Boolean parseBoolean(std::string_view option, std::string_view text)
{
    if (text == "true") return true;
    if (text == "false") return false;
    return Boolean(parseInteger(option, text));
}

// A colour or other Long: decimal, or 0x followed by up to eight hex digits
// (taken as the 32-bit pattern, so 0xFFFFFFFF is -1).
Long parseLong(std::string_view option, std::string_view text)
{
    if (text.starts_with("0x") || text.starts_with("0X")) {
        std::uint32_t bits = 0;
        if (parseWhole(text.substr(2), bits, 16)) return static_cast<Long>(bits);
    } else {
        Long v = 0;
        if (parseWhole(text, v)) return v;
    }
    usage(quoted(option) + " needs a Long (decimal or 0x hex), not " + quoted(text));
}

// A colour for the method: a Long in the host's order (low byte red), or
// #RRGGBB or a CSS name, put in that order.
Long parseHostColour(std::string_view option, std::string_view text)
{
    const bool word = !text.empty() && std::isalpha(static_cast<unsigned char>(text[0])) &&
                      !text.starts_with("0x") && !text.starts_with("0X");
    if (text.starts_with('#') || word) {
        const auto rgb = word ? namedColour(text) : hexColour(text);
        if (!rgb)
            usage(quoted(option) + " needs a Long, #RRGGBB or a colour name, not " + quoted(text));
        return hostOrder(*rgb);
    }
    return parseLong(option, text);
}

// --fg, --bg: RRGGBB in hexadecimal (as other barcode tools take it), with
// or without '#', or a CSS colour name; as 0xRRGGBB.
std::uint32_t parseWebColour(std::string_view option, std::string_view text)
{
    if (const auto rgb = hexColour(text)) return *rgb;
    if (const auto rgb = namedColour(text)) return *rgb;
    usage(quoted(option) + " needs RRGGBB in hexadecimal or a colour name, not " + quoted(text));
}

// --rotate: 0, 90, 180 or 270 degrees clockwise, as quarter turns.
int parseQuarterTurns(std::string_view option, std::string_view text)
{
    for (int turns = 0; turns < 4; ++turns)
        if (text == std::to_string(90 * turns)) return turns;
    usage(quoted(option) + " takes 0, 90, 180 or 270, not " + quoted(text));
}

// --set: A, B or C (any case), or auto (0).
char16_t parseCodeSet(std::string_view option, std::string_view text)
{
    if (text == "auto") return 0;
    if (text.size() == 1) {
        const char c = static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
        if (c == 'A' || c == 'B' || c == 'C') return static_cast<char16_t>(c);
    }
    usage(quoted(option) + " needs A, B, C or auto, not " + quoted(text));
}

TargetKind parseTarget(std::string_view text)
{
    if (const auto kind = targetNamed(text)) return *kind;
    usage("unknown target " + quoted(text) + " (trace, png, svg, pdf, ps or eps)");
}

ScaleUnits parseUnits(std::string_view text)
{
    if (text == "twips") return ScaleUnits::Twips;
    if (text == "pt") return ScaleUnits::Points;
    if (text == "px") return ScaleUnits::Pixels;
    if (text == "mm") return ScaleUnits::Millimetres;
    usage("unknown units " + quoted(text) + " (twips, pt, px or mm)");
}

// Dots per inch, from 1 to 9600.
double parseDpi(std::string_view option, std::string_view text)
{
    const double v = parseSingle(option, text);
    if (!(v >= 1 && v <= 9600)) usage(quoted(option) + " needs a resolution from 1 to 9600");
    return v;
}

// --width and --height: an Integer in scale units, or a length with a unit.
Length parseLength(std::string_view option, std::string_view text)
{
    if (const auto length = lengthWithUnit(text)) {
        if (!(length->value >= 0))
            usage(quoted(option) + " needs a length of zero or more, not " + quoted(text));
        return *length;
    }
    const auto alone = [&]() -> std::optional<int> {
        int v = 0;
        if (parseWhole(text, v) && v >= Integer::min && v <= Integer::max) return v;
        return std::nullopt;
    }();
    if (!alone)
        usage(quoted(option) + " needs an Integer from -32768 to 32767 in scale units, or a " +
              "length such as 0.33mm, 2px, 1pt, 15tw or 0.013in, not " + quoted(text));
    return {static_cast<double>(*alone), LengthUnit::Scale};
}

// WIDTHxHEIGHT in scale units, each more than zero.
void parseSize(DrawRequest& r, std::string_view option, std::string_view text)
{
    const auto x = text.find('x');
    if (x != std::string_view::npos) {
        const double w = parsePositive(option, text.substr(0, x));
        const double h = parsePositive(option, text.substr(x + 1));
        if (w > 0 && h > 0) {
            r.page.width = w;
            r.page.height = h;
            return;
        }
    }
    usage(quoted(option) + " needs WIDTHxHEIGHT in scale units, e.g. 4000x1500");
}

std::string fileName(std::string_view option, std::string_view text)
{
    if (text.empty()) usage(quoted(option) + " needs a file name, or - for standard output");
    return std::string(text);
}

// --target printer, or printer:NAME for a named printer.
void setTarget(DrawRequest& r, std::string_view text)
{
    if (text == "printer" || text.starts_with("printer:")) {
        r.target = TargetKind::Printer;
        r.targetGiven = true;
        r.printer = std::string(text.substr(std::min(text.size(), std::size_t{8})));
        return;
    }
    r.target = parseTarget(text);
    r.targetGiven = true;
}

// The words of the file targets, which are also their file name extensions;
// a trace file may end in .jsonl too.
struct TargetWord {
    std::string_view word;
    TargetKind kind;
};
constexpr std::array<TargetWord, 6> targetWords{{
    {"trace", TargetKind::Trace},
    {"png", TargetKind::Png},
    {"svg", TargetKind::Svg},
    {"pdf", TargetKind::Pdf},
    {"ps", TargetKind::Ps},
    {"eps", TargetKind::Eps},
}};

std::string_view targetWord(TargetKind kind)
{
    for (const TargetWord& t : targetWords)
        if (t.kind == kind) return t.word;
    return "printer";
}

struct Option {
    std::string_view name;
    std::string_view valueName;
    std::string_view help;
    std::function<void(DrawRequest&, std::string_view option, std::string_view value)> set;
};

const std::vector<Option>& options()
{
    static const std::vector<Option> table = {
        {"--x", "F", "pX: left edge of the symbol (Single)",
         [](DrawRequest& r, auto o, auto v) {
             r.params.pX = parseSingle(o, v);
             r.xGiven = true;
         }},
        {"--y", "F", "pY: top edge of the bars (Single)",
         [](DrawRequest& r, auto o, auto v) {
             r.params.pY = parseSingle(o, v);
             r.yGiven = true;
         }},
        {"--code", "TEXT", "pCode: the data (default: a sample for the method)",
         [](DrawRequest& r, auto, auto v) { r.params.pCode = fromUtf8(v); }},
        {"--width", "N|LEN", "pWidth: module width, scale units or 0.33mm, 2px, 1pt, 15tw, 0.013in",
         [](DrawRequest& r, auto o, auto v) { r.width = parseLength(o, v); }},
        {"--height", "N|LEN", "pHeight: bar height, the same way",
         [](DrawRequest& r, auto o, auto v) { r.height = parseLength(o, v); }},
        {"--text", "N", "pText: human-readable line (1 prints for every method)",
         [](DrawRequest& r, auto o, auto v) { r.params.pText = parseInteger(o, v); }},
        {"--bold", "B", "pBold: -1, 0, 1, true or false",
         [](DrawRequest& r, auto o, auto v) { r.params.pBold = parseBoolean(o, v); }},
        {"--font", "NAME", "pFont: font name of the text",
         [](DrawRequest& r, auto, auto v) {
             r.params.pFont = fromUtf8(v);
             r.fontGiven = true;
         }},
        {"--fore-color", "C",
         "pForeColor: text colour, decimal or 0x hex (low byte red), #RRGGBB or a name",
         [](DrawRequest& r, auto o, auto v) { r.params.pForeColor = parseHostColour(o, v); }},
        {"--line-color", "C", "pLineColor: bar colour, the same way",
         [](DrawRequest& r, auto o, auto v) { r.params.pLineColor = parseHostColour(o, v); }},
        {"--fg", "RRGGBB", "bars and text: hexadecimal red, green, blue, or a name (black)",
         [](DrawRequest& r, auto o, auto v) {
             r.params.pForeColor = r.params.pLineColor = hostOrder(parseWebColour(o, v));
         }},
        {"--bg", "RRGGBB|none",
         "image targets: the page (white); none: transparent PNG and SVG, where the method's "
         "spaces stay white",
         [](DrawRequest& r, auto o, auto v) {
             if (v == "none")
                 r.page.background.reset();
             else
                 r.page.background = parseWebColour(o, v);
             r.backgroundGiven = true;
         }},
        {"--rotate", "DEG", "image targets: turn the page clockwise by 0, 90, 180 or 270",
         [](DrawRequest& r, auto o, auto v) { r.page.quarterTurns = parseQuarterTurns(o, v); }},
        {"--ratio", "TEXT", "pRatio: wide:narrow extras, e.g. 3:1 (default: wide 2.5 x narrow)",
         [](DrawRequest& r, auto, auto v) {
             r.params.pRatio = fromUtf8(v);
             r.ratioGiven = true;
         }},
        {"--chk", "B",
         "pChk: add the optional check character (default 1 for Code 93 and Code 128)",
         [](DrawRequest& r, auto o, auto v) { r.params.pChk = parseBoolean(o, v); }},
        {"--target", "KIND",
         "trace, png, svg, pdf, ps, eps or printer[:NAME] (default: by -o's extension)",
         [](DrawRequest& r, auto, auto v) { setTarget(r, v); }},
        {"--output", "FILE", "where the drawing goes; - or absent: standard output",
         [](DrawRequest& r, auto o, auto v) { r.output = fileName(o, v); }},
        {"-o", "FILE", "same as --output",
         [](DrawRequest& r, auto o, auto v) { r.output = fileName(o, v); }},
        {"--units", "U", "image targets: scale units, twips, pt, px or mm (default twips)",
         [](DrawRequest& r, auto, auto v) { r.page.scale.units = parseUnits(v); }},
        {"--dpi", "N", "image targets: resolution (default: near 300, whole-pixel modules)",
         [](DrawRequest& r, auto o, auto v) {
             r.page.scale.dpi = parseDpi(o, v);
             r.dpiGiven = true;
         }},
        {"--size", "WxH", "image and printer targets: page size in scale units",
         [](DrawRequest& r, auto o, auto v) { parseSize(r, o, v); }},
        {"--margin", "F", "image targets: quiet zone around the drawing (default ten modules)",
         [](DrawRequest& r, auto o, auto v) { r.page.margin = parsePositive(o, v); }},
        {"--char-width", "F", "trace target: TextWidth per character (default 7)",
         [](DrawRequest& r, auto o, auto v) { r.charWidth = parsePositive(o, v); }},
        {"--char-height", "F", "trace target: TextHeight (default 12)",
         [](DrawRequest& r, auto o, auto v) { r.charHeight = parsePositive(o, v); }},
        {"--raw", "", "pass --code to the method as given, without reading standard forms",
         [](DrawRequest& r, auto, auto) { r.raw = true; }},
        {"--set", "A|B|C|auto",
         "code128: the code set put in front of --code; auto chooses the one set that "
         "encodes it (default for image targets when --code does not begin with A, B or C)",
         [](DrawRequest& r, auto o, auto v) { r.codeSet = parseCodeSet(o, v); }},
        {"--strict", "", "exit 65 and write nothing where a warning is given",
         [](DrawRequest& r, auto, auto) { r.strict = true; }},
    };
    return table;
}

const Option* findOption(std::string_view name)
{
    for (const Option& o : options())
        if (o.name == name) return &o;
    return nullptr;
}

} // namespace

std::optional<TargetKind> targetNamed(std::string_view word) noexcept
{
    const auto it = std::ranges::find(targetWords, word, &TargetWord::word);
    if (it == targetWords.end()) return std::nullopt;
    return it->kind;
}

namespace {

// What follows the last dot of a name's last part; empty where there is none.
std::string_view extensionOf(std::string_view name) noexcept
{
    const std::string_view base = name.substr(name.rfind('/') + 1); // npos + 1 is 0
    const std::size_t dot = base.rfind('.');
    return dot == std::string_view::npos ? std::string_view{} : base.substr(dot + 1);
}

} // namespace

std::optional<TargetKind> targetOfName(std::string_view name) noexcept
{
    std::string ext(extensionOf(name));
    for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (ext == "jsonl") return TargetKind::Trace;
    return targetNamed(ext);
}

bool textPrinted(const DrawRequest& r) noexcept
{
    const int text = r.params.pText.value();
    return r.method.printsFor == PrintsFor::anyNonZero ? text != 0 : text == 1;
}

double narrowWidth(const DrawRequest& r) noexcept
{
    if (!r.method.ratio.has_value()) return r.params.pWidth.value();
    try {
        return r.params.pWidth.value() + Ratio::read(r.params.pRatio).narrow.value();
    } catch (const RuntimeError&) {
        return r.params.pWidth.value(); // the drawing raises it
    }
}

std::string quoted(std::string_view word)
{
    std::string out = "'";
    for (char c : word) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\x%02x",
                          static_cast<unsigned>(static_cast<unsigned char>(c)));
            out += buf;
        } else {
            out += c;
        }
    }
    return out + "'";
}

std::string noKnownExtension(std::string_view name)
{
    return "the output name " + quoted(name) +
           " has no known extension (.png, .svg, .pdf, .ps, .eps, .jsonl, .trace); give --target";
}

DrawRequest parseDraw(std::span<const std::string_view> words, TargetKind target)
{
    if (words.empty()) usage("draw needs a METHOD (see 'tallux list')");
    const auto method = findMethodOrAlias(words[0]);
    if (!method) usage("unknown method " + quoted(words[0]) + " (see 'tallux list')");

    DrawRequest request;
    request.method = *method;
    request.target = target;
    request.params.pCode = String(method->sample);
    // Readers accept Code 93 and Code 128 only with their check characters.
    request.params.pChk = method->type == Code_93 || method->type == Code_128;

    for (std::size_t i = 1; i < words.size(); ++i) {
        const auto [word, inlineValue] = splitOption(words[i]);
        const Option* option = findOption(word);
        if (option == nullptr) usage("unknown option " + quoted(word));
        std::string_view value;
        if (option->valueName.empty()) {
            if (inlineValue) usage(quoted(word) + " takes no value");
        } else if (inlineValue) {
            value = *inlineValue;
        } else {
            if (i + 1 >= words.size()) usage(quoted(word) + " needs a value");
            value = words[++i];
        }
        option->set(request, word, value);
    }
    if (request.target == TargetKind::Printer && request.output != "-")
        usage("the printer target writes no file; leave out --output");
    if (const auto named = targetOfName(request.output)) {
        if (!request.targetGiven) request.target = *named;
        if (request.target != *named)
            usage("--target " + std::string(targetWord(request.target)) + " does not match " +
                  quoted(request.output) + "; leave out --target or change the name");
    } else if (!request.targetGiven && !extensionOf(request.output).empty()) {
        // label.jpg would otherwise get a trace: a name without an extension
        // (a device, say) still takes the default.
        usage(noKnownExtension(request.output));
    }
    applySizes(request);
    return request;
}

void checkPageOptions(const DrawRequest& request, bool onSheet)
{
    const PageOptions& page = request.page;
    const char* own = page.quarterTurns != 0    ? "--rotate"
                      : request.backgroundGiven ? "--bg"
                      : page.margin             ? "--margin"
                      : page.width              ? "--size"
                                                : nullptr;
    if (onSheet && own != nullptr)
        usage(std::string(own) +
              " sets a file's page; a sheet lays out its labels (--grid, --page)");
    const bool image = request.target != TargetKind::Trace && request.target != TargetKind::Printer;
    if (!image && request.page.quarterTurns != 0)
        usage("--rotate turns an image target's page (png, svg, pdf, ps, eps)");
    if (!image && request.backgroundGiven)
        usage("--bg paints an image target's page (png, svg, pdf, ps, eps)");
}

OptionWord splitOption(std::string_view word)
{
    // A short option may carry its value: -j4, -ofile.png.
    if (word.size() > 2 && word[0] == '-' && std::isalpha(static_cast<unsigned char>(word[1])))
        return {word.substr(0, 2), word.substr(2)};
    const auto eq = word.find('=');
    if (!word.starts_with("--") || eq == std::string_view::npos) return {word, std::nullopt};
    return {word.substr(0, eq), word.substr(eq + 1)};
}

std::string optionHelpLine(std::string_view name, std::string_view valueName, std::string_view help)
{
    std::string head = "  " + std::string(name) + " " + std::string(valueName);
    head.resize(std::max<std::size_t>(head.size() + 2, 22), ' ');
    return head + std::string(help) + "\n";
}

std::optional<bool> drawOptionTakesValue(std::string_view name)
{
    const Option* option = findOption(name);
    if (option == nullptr) return std::nullopt;
    return !option->valueName.empty();
}

std::string drawOptionsHelp()
{
    std::string text;
    for (const Option& o : options()) text += optionHelpLine(o.name, o.valueName, o.help);
    return text;
}

} // namespace tallux::cli
