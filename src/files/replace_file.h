#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <sys/stat.h>

namespace tallux::files {

// Where the bytes meant for a path go. A symlink is followed to the file it
// names (which may not exist yet). A regular or missing file is replaced
// whole, through a temporary beside it; a device, FIFO or socket is written in
// place and never replaced. /dev/stdout, /dev/stderr, /dev/fd/N and
// /proc/self/fd/N name a descriptor the process holds open: whatever it
// leads to (a log opened for appending, say) is written through it, in place.
struct Destination {
    std::string path;                    // the file itself, symlinks followed
    std::optional<struct stat> replaced; // the regular file that will be replaced
    bool inPlace = false;                // not a regular file: written where it is
    int descriptor = -1;                 // the open descriptor the path names, if any
};

// The descriptor that `path` names (/dev/stdout, /dev/stderr, /dev/fd/N,
// /proc/self/fd/N), or -1.
int namedDescriptor(std::string_view path) noexcept;

// Resolves `path`; false with errno set when it cannot be written at all (a
// folder, a symlink loop, a folder on the way that cannot be read).
bool resolve(const std::string& path, Destination& out);

// Gives the new file open as `fd` the mode and owner of the file it replaces.
// The owner is kept where this process may set it; the mode always is.
bool adoptMetadata(int fd, const struct stat& replaced);

// Writes all of `bytes` to `fd`; false with errno set when that fails.
bool writeAll(int fd, std::string_view bytes);

// Appends what `fd` holds up to its end to `out`; false with errno set when
// a read fails.
bool readAll(int fd, std::string& out);

} // namespace tallux::files
