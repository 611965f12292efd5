#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace tallux::cli {

class Writer;

// What a batch run did, for the progress bar and the summary.
struct Tally {
    std::uint64_t linesRead = 0; // input lines, blank and comment lines included
    std::uint64_t drawn = 0;
    std::uint64_t failed = 0;
    std::uint64_t files = 0;
    std::uint64_t pages = 0; // of the sheet; 0 without one
    double seconds = 0;
};

// One line of progress, `width` characters of bar when the share done is
// known (the input is a file), else a count and a rate:
// "[#########...........]  45%  4500 lines  2 failed  3000/s".
std::string progressLine(const Tally& tally, std::optional<double> done, int width = 24);

// The closing summary, e.g. "10000 lines read, 10000 drawn, 0 failed, 10000
// files written in 1.25 s (8000 lines/s)".
std::string summaryText(const Tally& tally);

// Redraws the progress line on a terminal at most ten times a second, and
// wipes it before anything else is written there.
class ProgressBar {
public:
    ProgressBar(Writer& out, bool enabled)
        : out_(out)
        , enabled_(enabled)
    {
    }
    void update(const Tally& tally, std::optional<double> done);
    void clear();

private:
    Writer& out_;
    bool enabled_;
    bool shown_ = false;
    std::chrono::steady_clock::time_point last_{};
};

// The lines' notes and warnings, each text said once. A cause on the command
// line holds for every line; its message is counted after the first, and the
// counts close the run ("9999 more lines: the same warning as line 1").
class SaidOnce {
public:
    // Whether `message` of `line` is said now: it was not said before.
    bool first(std::size_t line, const std::string& message);
    std::vector<std::string> repeats() const;

private:
    struct Said {
        std::size_t line;
        std::string kind; // "note" or "warning"
        std::uint64_t again = 0;
    };
    std::unordered_map<std::string, std::size_t> index_; // message: said_ index
    std::vector<Said> said_;
};

} // namespace tallux::cli
