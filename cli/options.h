#pragma once

#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>

#include "tallux/cairo_target.h"
#include "tallux/methods.h"

namespace tallux::cli {

// A command line that cannot be run: exit status 64 with this one-line message.
struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

enum class TargetKind { Trace, Png, Svg, Pdf, Ps, Printer };

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
};

// A word as a usage message shows it: in quotes, with control characters
// escaped so the message stays on one line.
std::string quoted(std::string_view word);

// An option word as given: `--name=value` carries its value after the first
// "="; any other word is a name alone.
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
DrawRequest parseDraw(std::span<const std::string_view> words);

// The option table, for --help.
std::string drawOptionsHelp();

} // namespace tallux::cli
