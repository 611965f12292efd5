#include "reader_warnings.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <optional>

#include "lengths.h"
#include "runtime/text.h"
#include "symbologies/alphanumeric/code128_table.h"
#include "tallux/host_target.h"
#include "tallux/types.h"

namespace tallux::cli {

namespace {

bool isDigit(char16_t c)
{
    return c >= u'0' && c <= u'9';
}

bool isSurrogateLead(char16_t c)
{
    return c >= 0xD800 && c <= 0xDBFF;
}

// The characters that `wanted` picks, as "'*' at position 3", a second as
// "and '*' at position 5", more as a count.
template <class Wanted>
std::optional<std::string> occurrences(const DrawRequest& r, std::u16string_view code,
                                       std::size_t from, std::size_t to, Wanted wanted)
{
    std::vector<std::size_t> at;
    for (std::size_t i = from; i < to && i < code.size(); ++i)
        if (wanted(code[i])) at.push_back(i);
    if (at.empty()) return std::nullopt;
    std::string text = characterAt(r, at[0]);
    if (at.size() == 2) text += " and " + characterAt(r, at[1]);
    if (at.size() > 2) text += " and " + std::to_string(at.size() - 1) + " more";
    return text;
}

// Set B's symbol characters beyond its 96 data characters, by value from 96.
constexpr std::array<std::string_view, 11> setBSpecials = {"FNC3",    "FNC2",    "Shift", "Code C",
                                                           "FNC4",    "Code A",  "FNC1",  "Start A",
                                                           "Start B", "Start C", "Stop"};
constexpr int setBCharacters = 96;
static_assert(setBCharacters + setBSpecials.size() == code128::patterns.size());
static_assert(setBCharacters + 7 == code128::startA && code128::stop + 1 == 107);

// Set B takes a character's code - 32 as its symbol value: the codes 128 to
// 138 (the Windows-1252 characters € to Š) give the values 96 to 106, which
// are function, code-set, start and stop characters, not data.
void code128SetB(const DrawRequest& r, std::vector<std::string>& out)
{
    const String& code = r.params.pCode;
    for (std::size_t i = 1; i < code.size(); ++i) {
        const int value = ansiCode(code[i]) - 32;
        if (value < setBCharacters || value >= static_cast<int>(code128::patterns.size())) continue;
        const std::string_view name =
            setBSpecials[static_cast<std::size_t>(value - setBCharacters)];
        const std::string_view effect =
            name.starts_with("FNC") ? "a function character, which readers do not give back"
            : name.starts_with("Sta") || name == "Stop"
                ? "a start or stop character: readers find no symbol"
                : "which switches readers to another set for what follows";
        out.push_back(characterAt(r, i) + " is drawn as the symbol character " + std::string(name) +
                      " (value " + std::to_string(value) + "), " + std::string(effect) +
                      " (set B holds the codes 32 to 127)");
    }
}

// Set C reads each pair of characters as a number: a pair that is not two
// digits is drawn as the number Val reads from it.
void code128SetC(const DrawRequest& r, std::vector<std::string>& out)
{
    const std::u16string_view data = std::u16string_view(r.params.pCode).substr(1);
    const std::size_t pad = data.size() % 2; // a "0" in front evens the count
    const String padded = (pad ? String(u"0") : String()) + String(data);
    for (std::size_t i = 0; i + 1 < padded.size(); i += 2) {
        const std::u16string_view pair = std::u16string_view(padded).substr(i, 2);
        std::optional<std::size_t> bad; // its index in pCode
        for (std::size_t k = 0; k < 2 && !bad; ++k)
            if (!isDigit(pair[k])) bad = 1 + i + k - pad;
        if (!bad) continue;
        int value = 0;
        try {
            value = CInt(Val(pair)).value();
        } catch (const RuntimeError&) {
            continue; // the drawing fails and says why
        }
        if (value < 0 || value > 106) continue; // result 9, named with it
        char digits[8];
        std::snprintf(digits, sizeof digits, "%02d", value);
        out.push_back(characterAt(r, *bad) + " is not a digit: set C draws the pair " +
                      quoted(toUtf8(pair)) + " as " +
                      (value < 100 ? "\"" + std::string(digits) + "\""
                                   : "the function character of value " + std::to_string(value)));
    }
}

void code128(const DrawRequest& r, std::vector<std::string>& out)
{
    const String& code = r.params.pCode;
    if (code.empty()) return;
    if (code[0] == u'B') code128SetB(r, out);
    if (code[0] == u'C') code128SetC(r, out);
}

// Code 39's "*" is its start and stop character.
void code39Star(const DrawRequest& r, std::vector<std::string>& out)
{
    const String& code = r.params.pCode;
    if (const auto at = occurrences(r, code, 0, code.size(), [](char16_t c) { return c == u'*'; }))
        out.push_back(*at + " is the start/stop character: readers end the symbol there");
}

bool codabarEnd(char16_t c)
{
    return c >= u'A' && c <= u'D';
}

// Codabar's "A" to "D" start and stop the symbol; the method adds "A" at an
// end that lacks one.
void codabarInner(const DrawRequest& r, std::vector<std::string>& out)
{
    const String code = r.params.pCode;
    const std::size_t lead = code.find_first_not_of(u' ');
    if (lead == String::npos) return;
    const std::size_t last = code.find_last_not_of(u' ');
    const std::size_t from = lead + (codabarEnd(code[lead]) ? 1 : 0);
    const std::size_t to = last + (codabarEnd(code[last]) && last > lead ? 0 : 1);
    if (const auto at = occurrences(r, code, from, to, codabarEnd))
        out.push_back(*at + " is a start/stop character (A to D): readers end the symbol there");
}

// The data between the start and stop characters, as the method draws it.
bool emptyData(const DrawRequest& r)
{
    const String& code = r.params.pCode;
    const String trimmed = trimBlanks(code);
    switch (r.method.type) {
    case Code_128: return code.size() == 1 && String(u"ABC").find(code[0]) != String::npos;
    case Codabar:
        return trimmed.size() == 2 && codabarEnd(trimmed.front()) && codabarEnd(trimmed.back());
    case Code_25:
    case Code_39:
    case Code_39F:
    case Code_93:
    case Code_11:
    case Code_MSI: return trimmed.empty();
    default: return false; // the EAN/UPC family and POSTNET pad with zeros
    }
}

// Readers of Code 128 and Code 93 require their check characters.
void missingCheck(const DrawRequest& r, std::vector<std::string>& out)
{
    if (r.params.pChk) return;
    if (r.method.type == Code_128)
        out.push_back("--chk 0 leaves out the check character, which Code 128 readers require");
    if (r.method.type == Code_93)
        out.push_back("--chk 0 leaves out the two check characters, which Code 93 readers require");
}

std::string hexColor(const Rgb& c)
{
    char buf[16];
    std::snprintf(buf, sizeof buf, "#%06X", static_cast<unsigned>(packedRgb(c)));
    return buf;
}

// How light a colour looks to a camera, and whether a red light scanner
// sees it as dark: laser and linear scanners read by red light.
double lightness(const Rgb& c)
{
    return 0.2126 * c.red + 0.7152 * c.green + 0.0722 * c.blue;
}

// Spaces are white: bars lighter than mid-grey leave readers too little
// contrast (a print contrast below one half), and so do bars that reflect
// red light. The page around the symbol is its quiet zone, which readers
// need as light as the spaces.
void contrast(const DrawRequest& r, std::vector<std::string>& out)
{
    if (const auto& ground = r.page.background; ground && r.backgroundGiven) {
        const Rgb c{((*ground >> 16) & 0xFF) / 255.0, ((*ground >> 8) & 0xFF) / 255.0,
                    (*ground & 0xFF) / 255.0};
        if (lightness(c) <= 0.5 || c.red <= 0.5)
            out.push_back("--bg " + hexColor(c) +
                          " makes the quiet zone around the symbol too dark for readers");
    }
    const Long color = r.params.pLineColor;
    const std::optional<Rgb> rgb = hostColor(color);
    if (!rgb) return; // the target refuses it: the drawing fails
    const double light = lightness(*rgb);
    if (light <= 0.5 && rgb->red <= 0.5) return;
    char given[16];
    std::snprintf(given, sizeof given, "0x%08X", static_cast<unsigned>(color));
    out.push_back("--line-color " + std::string(given) + " draws the bars in " + hexColor(*rgb) +
                  (light > 0.5 ? ", too light against the white spaces for readers to see them"
                               : ", which scanners that read by red light see as white"));
}

// The bars run from pY to pY + pHeight in Single arithmetic: a pY far from
// 0 can swallow the height.
void barHeight(const DrawRequest& r, std::vector<std::string>& out)
{
    const double narrow = narrowWidth(r);
    if (narrow <= 0) return; // said already
    const Single y = r.params.pY;
    const double height = r.params.pHeight.value();
    const double drawn = static_cast<Single>(static_cast<Single>(height) + y) - y;
    if (!std::isfinite(drawn) || std::abs(drawn - height) > 0.5 + std::abs(height) / 10) {
        out.push_back("at --y " + shortNumber(y) + " the bars are " + shortNumber(drawn) +
                      " units high instead of " + shortNumber(height) +
                      " (Single precision): readers find no symbol");
    } else if (height < 5 * narrow) {
        out.push_back("the bars are " + shortNumber(height) +
                      " units high, less than five narrow "
                      "elements (" +
                      shortNumber(5 * narrow) + "): too short for readers");
    }
}

LengthUnit lengthUnitOf(ScaleUnits units)
{
    switch (units) {
    case ScaleUnits::Twips: return LengthUnit::Twips;
    case ScaleUnits::Points: return LengthUnit::Points;
    case ScaleUnits::Pixels: return LengthUnit::Pixels;
    case ScaleUnits::Millimetres: return LengthUnit::Millimetres;
    }
    return LengthUnit::Scale;
}

// The method sets FontSize to pWidth \ 2 points, whatever the scale units.
void textSize(const DrawRequest& r, std::vector<std::string>& out)
{
    if (r.target == TargetKind::Trace) return;
    if (!textPrinted(r)) return;
    const int width = r.params.pWidth.value();
    const int size = width / 2;
    if (size >= 4) return;
    const ScaleUnits units = r.page.scale.units;
    const double dpi = r.page.scale.dpi > 0 ? r.page.scale.dpi : pixelDpi;
    std::string hint;
    const auto twips = static_cast<int>(std::lround(
        inUnits({static_cast<double>(width), lengthUnitOf(units)}, ScaleUnits::Twips, dpi)));
    if (units != ScaleUnits::Twips && twips / 2 >= 4)
        hint = "with --units twips (the default) this module width is --width " +
               std::to_string(twips) + " and its text " + std::to_string(twips / 2) + " pt";
    else
        hint = "--width 8 " + std::string(unitName(units)) + " or more gives 4 pt";
    out.push_back("the text is " + std::to_string(size) + " pt, too small to read: the method " +
                  "sets it to half of --width (" + std::to_string(width) + " " +
                  std::string(unitName(units)) + "); " + hint);
}

} // namespace

std::string characterAt(const DrawRequest& r, std::size_t index)
{
    const std::u16string_view code = r.params.pCode;
    std::size_t position = 1;
    for (std::size_t i = std::min(r.codeOffset, index); i < index; ++i)
        if (code[i] < 0xDC00 || code[i] > 0xDFFF) ++position; // not the second half of a pair
    const std::size_t length = isSurrogateLead(code[index]) && index + 1 < code.size() ? 2 : 1;
    return quoted(toUtf8(code.substr(index, length))) + " at position " + std::to_string(position);
}

std::vector<std::string> readerWarnings(const DrawRequest& r)
{
    std::vector<std::string> out;
    switch (r.method.type) {
    case Code_128: code128(r, out); break;
    case Code_39: code39Star(r, out); break;
    case Codabar: codabarInner(r, out); break;
    default: break;
    }
    if (emptyData(r)) out.push_back("the code is empty: the symbol has only its start and stop");
    missingCheck(r, out);
    for (std::string& line : out) line = std::string(r.method.name) + ": " + line;
    contrast(r, out);
    barHeight(r, out);
    textSize(r, out);
    return out;
}

} // namespace tallux::cli
