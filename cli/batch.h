#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "options.h"

namespace tallux::cli {

class Writer;

// Everything `tallux batch` was asked to do.
struct BatchRequest {
    std::string input = "-"; // "-": standard input
    // Draw options for every line, as words "--name=value"; a line's own
    // options come after them and win.
    std::vector<std::string> drawOptions;
    PageOptions page{};                             // from the draw options: the units of a sheet
    std::optional<std::string> output;              // the name template of one file per line
    std::optional<TargetKind> target;               // from --target, else the template's extension
    std::optional<std::string> sheet;               // one PDF of labels instead
    int columns = 3, rows = 8;                      // the sheet's grid
    double pageWidth = 595.28, pageHeight = 841.89; // the sheet's page in points (A4)
    bool dryRun = false;                            // draw every line, write nothing
    unsigned jobs = 1;
    bool keepGoing = false;
    bool strict = false; // a line with a warning fails

    // What every line is drawn for: the sheet's PDF, the files' target (or
    // the one a dry run warns for), else a trace.
    TargetKind lineTarget() const
    {
        return sheet ? TargetKind::Pdf : target.value_or(TargetKind::Trace);
    }
};

// Parses the words after `batch`. Raises UsageError.
BatchRequest parseBatch(std::span<const std::string_view> words);

// The options of batch, for --help.
std::string batchOptionsHelp();

// Runs a batch on the lines read from `input` (a file descriptor), writing
// reports, the progress bar (when `terminal`) and the summary to `err`.
// Returns the exit status.
int runBatch(const BatchRequest& request, int input, Writer& err, bool terminal);

// `tallux batch`: parses, opens the input, runs. Returns the exit status.
int batchCommand(std::span<const std::string_view> words, Writer& err);

} // namespace tallux::cli
