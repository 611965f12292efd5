#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <sys/types.h>

namespace tallux::cli {

// Writing an output file failed; nothing was left at the path.
struct OutputError : std::runtime_error {
    explicit OutputError(const std::string& what, int number = 0)
        : std::runtime_error(what)
        , error(number)
    {
    }
    int error; // the errno behind it, 0 when none
};

// A file written beside its path under a temporary name, put in place in one
// step by commit(). Until then the path keeps whatever it held; a pending file
// that is destroyed without commit() is removed, so no temporary file is left.
// A symlink is followed, and the file it names is the one replaced, keeping
// its mode and owner. A device or FIFO is written in place, never replaced.
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

    std::string path_;   // as the caller named it, for messages
    std::string target_; // the file replaced: symlinks followed
    std::string temp_;   // empty when written in place
    std::optional<struct stat> replaced_;
    int fd_ = -1;
    int slot_ = -1; // where a signal finds the temporary name
    bool closedInPlace_ = false;
};

// Removes the temporary files of the pending files of this process; for a
// signal handler that then ends the process, so that no temporary is left.
void removePendingFiles() noexcept;

// A new file that appeared at its path only once complete (see placeNewFile).
// Dropped without keep(), it is removed again, provided the path still holds
// this very file; so a run that stops can take back what it wrote ahead.
class PlacedFile {
public:
    PlacedFile(std::string path, dev_t device, ino_t inode)
        : path_(std::move(path))
        , device_(device)
        , inode_(inode)
    {
    }
    ~PlacedFile();
    PlacedFile(PlacedFile&& other) noexcept;
    PlacedFile& operator=(PlacedFile&& other) noexcept;
    PlacedFile(const PlacedFile&) = delete;
    PlacedFile& operator=(const PlacedFile&) = delete;

    const std::string& path() const noexcept { return path_; }
    void keep() noexcept { path_.clear(); }

private:
    void removeUnlessKept() noexcept;

    std::string path_; // empty once kept
    dev_t device_;
    ino_t inode_;
};

// Writes `bytes` as a new file at `path` that is never seen half-written: the
// file is written without a name and gets its name once whole. Gives nothing,
// and leaves nothing, when the path exists already or the file system cannot
// do this; PendingFile is then the way (and reports what stands in the way).
// Raises OutputError when the bytes cannot be written. `folder`, when not -1,
// is a descriptor of the folder that holds `path`: the file is made and named
// relative to it, without walking the folder's path again.
std::optional<PlacedFile> placeNewFile(const std::string& path, std::string_view bytes,
                                       int folder = -1);

// Writes the whole file or nothing: the bytes go to a temporary file beside
// the path, which then replaces the path in one step. A good file that was
// there before is never left truncated.
void writeFileAtomically(const std::string& path, std::string_view bytes);

} // namespace tallux::cli
