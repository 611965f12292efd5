#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace tallux::cli {

// Writing an output file failed; nothing was left at the path.
struct OutputError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// A file written beside its path under a temporary name, put in place in one
// step by commit(). Until then the path keeps whatever it held; a pending file
// that is destroyed without commit() is removed, so no temporary file is left.
class PendingFile {
public:
    explicit PendingFile(std::string path); // raises OutputError
    ~PendingFile();
    PendingFile(PendingFile&& other) noexcept;
    PendingFile& operator=(PendingFile&& other) noexcept;
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;

    const std::string& path() const noexcept { return path_; }
    void write(std::string_view bytes);
    // Ends the writing; with `durable` the bytes reach the disk first.
    void close(bool durable);
    // Replaces the path with the file (closing it first when still open).
    void commit();

private:
    [[noreturn]] void fail(const char* what, int error);
    void discard() noexcept;

    std::string path_, temp_;
    int fd_ = -1;
};

// Writes the whole file or nothing: the bytes go to a temporary file beside
// the path, which then replaces the path in one step. A good file that was
// there before is never left truncated.
void writeFileAtomically(const std::string& path, std::string_view bytes);

} // namespace tallux::cli
