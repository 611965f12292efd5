#include "batch_report.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "writer.h"

namespace tallux::cli {

namespace {

std::string fixed(double v, int decimals)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
    return buf;
}

std::string rate(const Tally& t)
{
    if (!(t.seconds > 0)) return "";
    return fixed(static_cast<double>(t.linesRead) / t.seconds, 0);
}

std::string plural(std::uint64_t n, const char* one, const char* many)
{
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

} // namespace

std::string progressLine(const Tally& t, std::optional<double> done, int width)
{
    std::string line;
    if (done) {
        const double share = std::clamp(*done, 0.0, 1.0);
        const int filled = static_cast<int>(std::floor(share * width));
        line = "[" + std::string(static_cast<std::size_t>(filled), '#') +
               std::string(static_cast<std::size_t>(width - filled), '.') + "] ";
        const std::string percent = std::to_string(static_cast<int>(std::floor(share * 100)));
        line += std::string(3 - std::min<std::size_t>(3, percent.size()), ' ') + percent + "%  ";
    }
    line += plural(t.linesRead, "line", "lines");
    if (t.failed > 0) line += "  " + std::to_string(t.failed) + " failed";
    if (const std::string r = rate(t); !r.empty()) line += "  " + r + "/s";
    return line;
}

std::string summaryText(const Tally& t)
{
    std::string s = plural(t.linesRead, "line", "lines") + " read, " + std::to_string(t.drawn) +
                    " drawn, " + std::to_string(t.failed) + " failed, " +
                    plural(t.files, "file", "files") + " written";
    if (t.pages > 0) s += " (" + plural(t.pages, "page", "pages") + ")";
    s += " in " + fixed(t.seconds, 2) + " s";
    if (const std::string r = rate(t); !r.empty()) s += " (" + r + " lines/s)";
    return s;
}

void ProgressBar::update(const Tally& tally, std::optional<double> done)
{
    if (!enabled_) return;
    const auto now = std::chrono::steady_clock::now();
    if (shown_ && now - last_ < std::chrono::milliseconds(100)) return;
    last_ = now;
    shown_ = true;
    // Carriage return, the line, then erase what a longer line left behind.
    out_ << "\r" << progressLine(tally, done) << "\x1b[K";
}

void ProgressBar::clear()
{
    if (!shown_) return;
    out_ << "\r\x1b[K";
    shown_ = false;
}

bool SaidOnce::first(std::size_t line, const std::string& message)
{
    if (const auto found = index_.find(message); found != index_.end()) {
        ++said_[found->second].again;
        return false;
    }
    // Messages that name their data differ from line to line: a bounded
    // number is kept, and the others are always said.
    if (said_.size() < 1000) {
        index_.emplace(message, said_.size());
        said_.push_back({line, message.substr(0, message.find(':'))});
    }
    return true;
}

std::vector<std::string> SaidOnce::repeats() const
{
    std::vector<std::string> out;
    for (const Said& s : said_)
        if (s.again > 0)
            out.push_back(plural(s.again, "more line", "more lines") + ": the same " + s.kind +
                          " as line " + std::to_string(s.line));
    return out;
}

} // namespace tallux::cli
