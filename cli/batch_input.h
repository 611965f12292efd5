#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace tallux::cli {

// Reads lines from a file descriptor through a fixed buffer. A line longer
// than `longest` bytes is cut there and marked, and the rest of it skipped,
// so that no input can make the reader hold more than its buffer and one line.
// The input is UTF-8, or UTF-16 with its byte order mark (a spreadsheet's
// "Unicode text"), which the reader turns into UTF-8.
class LineReader {
public:
    explicit LineReader(int fd, std::size_t longest = 64 * 1024);

    // The next line without its line end; false at the end of the input, or
    // when a stopping signal interrupted a read that waited (see StopOnSignal).
    // Raises std::system_error when the input cannot be read.
    bool next(std::string& line);
    // The number of the line last returned, from 1.
    std::size_t lineNumber() const noexcept { return lineNumber_; }
    bool tooLong() const noexcept { return tooLong_; }
    std::uint64_t bytesRead() const noexcept { return consumed_; }
    // The size of the input when it is a regular file in UTF-8.
    std::optional<std::uint64_t> size() const noexcept { return size_; }

private:
    enum class Encoding { Unknown, Utf8, Utf16Le, Utf16Be };

    bool fill();
    bool fillUtf16();
    // One read into `to`: the bytes read, 0 at the end, -1 when a stopping
    // signal interrupted it.
    ssize_t readSome(char* to, std::size_t room);
    void putUnit(char16_t unit);
    void putUtf8(char32_t c);

    int fd_;
    std::size_t longest_;
    std::vector<char> buffer_;
    std::size_t begin_ = 0, end_ = 0;
    bool eof_ = false;
    bool interrupted_ = false;
    std::size_t lineNumber_ = 0;
    bool tooLong_ = false;
    std::uint64_t consumed_ = 0;
    std::optional<std::uint64_t> size_;
    Encoding encoding_ = Encoding::Unknown;
    std::vector<char> raw_; // UTF-16 bytes read, not yet turned into UTF-8
    char16_t lead_ = 0;     // a high surrogate waiting for its low one
};

} // namespace tallux::cli
