#pragma once

#include <array>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "lengths.h"
#include "tallux/methods.h"
#include "tallux/page.h"

namespace tallux::cli {

// A command line that cannot be run: exit status 64 with this one-line message.
struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

enum class TargetKind { Trace, Png, Svg, Pdf, Ps, Eps, Printer };

// The file target a word names (trace, png, svg, pdf, ps, eps).
std::optional<TargetKind> targetNamed(std::string_view word) noexcept;

// The file target a file name's extension names (.jsonl or .trace, .png,
// .svg, .pdf, .ps, .eps; any case).
std::optional<TargetKind> targetOfName(std::string_view name) noexcept;
// The usage error for an output name whose extension names no target.
std::string noKnownExtension(std::string_view name);

// Everything `tallux draw` was asked to do.
struct DrawRequest {
    MethodInfo method;
    DrawParams params{}; // pObject is set when the target exists
    TargetKind target = TargetKind::Trace;
    std::string output = "-"; // "-": standard output
    double charWidth = 7;     // trace target: TextWidth per UTF-16 unit
    double charHeight = 12;   // trace target: TextHeight
    PageOptions page{};       // image targets: scale units, resolution, size, margin
    std::string printer{};    // printer target: its name; empty: the default printer
    bool strict = false;      // --strict: a warning fails the drawing
    // What the command line was given, before the defaults filled the rest.
    std::optional<Length> width, height;
    bool xGiven = false, yGiven = false, ratioGiven = false, targetGiven = false;
    bool dpiGiven = false, fontGiven = false, backgroundGiven = false;
    // Lengths that whole scale units could not keep: one line each.
    std::vector<std::string> warnings;
    // The data: --raw passes --code to the method untouched; --set names the
    // Code 128 code set (A, B, C or auto) to put in front of it.
    bool raw = false;
    std::optional<char16_t> codeSet; // 0: auto
    // What the command made of the data for the method: one line each.
    std::vector<std::string> notes;
    // UTF-16 units that the command put in front of the caller's code (a set
    // letter, a leading zero), so that messages count positions in the code given.
    std::size_t codeOffset = 0;
};

// Whether the method prints its human-readable text for the request's pText.
bool textPrinted(const DrawRequest& request) noexcept;

// The narrow element's width in scale units: pWidth, plus the narrow extra
// of the ratio text for the wide/narrow methods.
double narrowWidth(const DrawRequest& request) noexcept;

// A word as a usage message shows it: in quotes, with control characters
// escaped so the message stays on one line.
std::string quoted(std::string_view word);

// An option word as given: `--name=value` carries its value after the first
// "=", a short option `-jVALUE` after its letter; any other word is a name alone.
struct OptionWord {
    std::string_view name;
    std::optional<std::string_view> value;
};
OptionWord splitOption(std::string_view word);

// One line of an option table for --help.
std::string optionHelpLine(std::string_view name, std::string_view valueName,
                           std::string_view help);

// Parses the words after `draw`: METHOD, then options as `--name value` or
// `--name=value`. A value is taken as given even when it begins with "-".
// What is not given gets the same physical size in any scale units (a
// 1/96-inch module, 5/8-inch bars), a resolution that makes the narrow
// element whole pixels at about 300 dpi, and for the wide/narrow methods a
// ratio text whose wide elements are 2.5 narrow ones. `target` is what the
// words draw on unless they name a target or an output.
DrawRequest parseDraw(std::span<const std::string_view> words,
                      TargetKind target = TargetKind::Trace);
// Refuses page options that the request's target has no page for, or that
// a label on a sheet does not have: the sheet lays out its labels itself.
void checkPageOptions(const DrawRequest& request, bool onSheet = false);

// The option table, for --help.
std::string drawOptionsHelp();

// Whether the draw option of this name takes a value; nothing for a name
// that draw does not know.
std::optional<bool> drawOptionTakesValue(std::string_view name);

} // namespace tallux::cli
