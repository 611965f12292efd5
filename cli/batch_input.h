#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace tallux::cli {

// An input that cannot be read as lines of text; the message says what to do.
struct InputError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Reads lines from a file descriptor through a fixed buffer. A line longer
// than `longest` bytes is cut there and marked, and the rest of it skipped,
// so that no input can make the reader hold more than its buffer and one line.
class LineReader {
public:
    explicit LineReader(int fd, std::size_t longest = 64 * 1024);

    // The next line without its line end; false at the end of the input, or
    // when a stopping signal interrupted a read that waited (see StopOnSignal).
    // Raises std::system_error when the input cannot be read, InputError
    // when it is UTF-16 (it begins with a UTF-16 byte order mark).
    bool next(std::string& line);
    // The number of the line last returned, from 1.
    std::size_t lineNumber() const noexcept { return lineNumber_; }
    bool tooLong() const noexcept { return tooLong_; }
    std::uint64_t bytesRead() const noexcept { return consumed_; }
    // The size of the input when it is a regular file.
    std::optional<std::uint64_t> size() const noexcept { return size_; }

private:
    bool fill();

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
};

} // namespace tallux::cli
