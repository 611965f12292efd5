#include <algorithm>
#include <cctype>
#include <charconv>
#include <functional>
#include <thread>

#include "batch.h"
#include "batch_name.h"

namespace tallux::cli {

namespace {

[[noreturn]] void usage(const std::string& message)
{
    throw UsageError(message);
}

int wholeNumber(std::string_view option, std::string_view text, int low, int high)
{
    int v = 0;
    const auto [p, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (ec != std::errc() || p != text.data() + text.size() || v < low || v > high)
        usage(quoted(option) + " needs a whole number from " + std::to_string(low) + " to " +
              std::to_string(high) + ", not " + quoted(text));
    return v;
}

TargetKind fileTarget(std::string_view text)
{
    if (const auto kind = targetNamed(text)) return *kind;
    usage("unknown target " + quoted(text) + " for batch (trace, png, svg, pdf, ps or eps)");
}

// COLSxROWS, each from 1 to 100.
void setGrid(BatchRequest& r, std::string_view option, std::string_view text)
{
    const std::size_t x = text.find('x');
    if (x == std::string_view::npos) usage(quoted(option) + " needs COLSxROWS, e.g. 3x8");
    r.columns = wholeNumber(option, text.substr(0, x), 1, 100);
    r.rows = wholeNumber(option, text.substr(x + 1), 1, 100);
}

bool sameIgnoringCase(std::string_view a, std::string_view b)
{
    return std::ranges::equal(a, b, [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) ==
               std::tolower(static_cast<unsigned char>(y));
    });
}

// a4, letter (any case), or WIDTHxHEIGHT in points.
void setPage(BatchRequest& r, std::string_view option, std::string_view text)
{
    if (sameIgnoringCase(text, "a4")) {
        r.pageWidth = 595.28, r.pageHeight = 841.89;
    } else if (sameIgnoringCase(text, "letter")) {
        r.pageWidth = 612, r.pageHeight = 792;
    } else {
        const std::size_t x = text.find('x');
        if (x == std::string_view::npos)
            usage(quoted(option) + " needs a4, letter or WIDTHxHEIGHT in points");
        r.pageWidth = wholeNumber(option, text.substr(0, x), 72, 14400);
        r.pageHeight = wholeNumber(option, text.substr(x + 1), 72, 14400);
    }
}

struct Option {
    std::string_view name;
    std::string_view valueName; // empty: a switch without a value
    std::string_view help;
    std::function<void(BatchRequest&, std::string_view option, std::string_view value)> set;
};

const std::vector<Option>& options()
{
    static const std::vector<Option> table = {
        {"--output", "NAME",
         "a file per line, named by NAME with {n} (line number), {method}, {code}",
         [](BatchRequest& r, auto, auto v) { r.output = std::string(v); }},
        {"-o", "NAME", "same as --output",
         [](BatchRequest& r, auto, auto v) { r.output = std::string(v); }},
        {"--target", "KIND", "trace, png, svg, pdf, ps or eps (default: the extension of NAME)",
         [](BatchRequest& r, auto, auto v) { r.target = fileTarget(v); }},
        {"--sheet", "FILE.pdf", "every symbol into one PDF of labels instead, each with its method",
         [](BatchRequest& r, auto, auto v) { r.sheet = std::string(v); }},
        {"--grid", "CxR", "columns and rows of labels on a sheet page (default 3x8)",
         [](BatchRequest& r, auto o, auto v) { setGrid(r, o, v); }},
        {"--page", "SIZE", "sheet page: a4, letter (any case) or WxH in points (default a4)",
         [](BatchRequest& r, auto o, auto v) { setPage(r, o, v); }},
        {"--dry-run", "",
         "draw every line, its data as images take it, and write nothing; with --target, warn "
         "as its files would",
         [](BatchRequest& r, auto, auto) { r.dryRun = true; }},
        {"--jobs", "N", "worker threads (default: one per core); -jN too",
         [](BatchRequest& r, auto o, auto v) {
             r.jobs = static_cast<unsigned>(wholeNumber(o, v, 1, 256));
         }},
        {"-j", "N", "same as --jobs",
         [](BatchRequest& r, auto o, auto v) {
             r.jobs = static_cast<unsigned>(wholeNumber(o, v, 1, 256));
         }},
        {"--keep-going", "", "report a bad line and go on (default: stop at the first)",
         [](BatchRequest& r, auto, auto) { r.keepGoing = true; }},
        {"-k", "", "same as --keep-going", [](BatchRequest& r, auto, auto) { r.keepGoing = true; }},
        {"--strict", "", "a line with a warning is a bad line: nothing is written for it",
         [](BatchRequest& r, auto, auto) { r.strict = true; }},
    };
    return table;
}

const Option* findOption(std::string_view name)
{
    const auto& table = options();
    const auto it = std::ranges::find(table, name, &Option::name);
    return it == table.end() ? nullptr : &*it;
}

// The combination of outputs asked for can be run.
void checkOutputs(BatchRequest& r)
{
    const int chosen = int{r.output.has_value()} + int{r.sheet.has_value()} + int{r.dryRun};
    if (chosen != 1) usage("batch needs one of --output NAME, --sheet FILE or --dry-run");
    if (r.output) {
        if (*r.output == "-")
            usage("batch writes a file per line, not standard output: give --output NAME with "
                  "{n}, or --sheet FILE");
        const NameTemplate name(*r.output); // a bad template is a usage error now
        if (r.target && name.format() && *r.target != *name.format())
            usage("--target does not match the extension of " + quoted(*r.output) +
                  "; leave out --target or change the name");
        if (!r.target) r.target = name.format();
        if (!r.target) usage(noKnownExtension(*r.output));
    } else if (r.target && !r.dryRun) {
        usage("--target goes with --output or --dry-run");
    }
    if (r.sheet == "-") usage("the sheet is a file, not standard output: give --sheet FILE");
    if (r.sheet && targetOfName(*r.sheet) != TargetKind::Pdf)
        usage("the sheet is a PDF: give --sheet a name ending in .pdf, not " + quoted(*r.sheet));
}

} // namespace

BatchRequest parseBatch(std::span<const std::string_view> words)
{
    BatchRequest r;
    r.jobs = std::max(1u, std::thread::hardware_concurrency());
    bool inputGiven = false;
    for (std::size_t i = 0; i < words.size(); ++i) {
        std::string_view word = words[i];
        if (word == "-" || !word.starts_with('-')) {
            if (inputGiven) usage("batch reads one input, not also " + quoted(word));
            r.input = std::string(word);
            inputGiven = true;
            continue;
        }
        const auto split = splitOption(word);
        word = split.name;
        const bool inlineValue = split.value.has_value();
        std::string_view value = split.value.value_or(std::string_view());
        const Option* option = findOption(word);
        const std::optional<bool> drawTakes = drawOptionTakesValue(word);
        if (option == nullptr && !drawTakes) usage("unknown option " + quoted(word));
        const bool takesValue = option ? !option->valueName.empty() : *drawTakes;
        if (!takesValue && inlineValue) usage(quoted(word) + " takes no value");
        if (takesValue && !inlineValue) {
            if (i + 1 >= words.size()) usage(quoted(word) + " needs a value");
            value = words[++i];
        }
        if (option != nullptr) {
            option->set(r, word, value);
        } else if (word == "--code") {
            usage("--code has no place in batch: each line gives its code");
        } else {
            // A draw option: a default for every line, checked below.
            r.drawOptions.push_back(std::string(word) +
                                    (takesValue ? "=" + std::string(value) : std::string()));
        }
    }
    checkOutputs(r);

    // The draw options must make sense on their own; they also give the units.
    std::vector<std::string_view> sample{"ean13"};
    sample.insert(sample.end(), r.drawOptions.begin(), r.drawOptions.end());
    const DrawRequest defaults = parseDraw(sample, r.lineTarget());
    if (!r.dryRun) checkPageOptions(defaults, r.sheet.has_value());
    r.page = defaults.page;
    if (defaults.codeSet && (defaults.raw || r.target == TargetKind::Trace))
        usage(std::string("--set changes the data, which ") +
              (defaults.raw ? "--raw passes as given" : "the trace shows as given") +
              ": put the set letter in front of each code");
    return r;
}

std::string batchOptionsHelp()
{
    std::string text;
    for (const Option& o : options()) text += optionHelpLine(o.name, o.valueName, o.help);
    return text;
}

} // namespace tallux::cli
