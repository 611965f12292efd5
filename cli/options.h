#pragma once

#include <span>
#include <stdexcept>
#include <string>
#include <string_view>

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
    std::string printer{};    // printer target: its name; empty: the default printer
};

// Parses the words after `draw`: METHOD, then options as `--name value` or
// `--name=value`. A value is taken as given even when it begins with "-".
DrawRequest parseDraw(std::span<const std::string_view> words);

// The option table, for --help.
std::string drawOptionsHelp();

} // namespace tallux::cli
