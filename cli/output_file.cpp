#include "output_file.h"

#include "files/replace_file.h"

#include <array>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace tallux::cli {

namespace {

// Opens a new file beside `path` under a name no other writer uses: the
// process id and a count, tried again on the rare clash with a leftover.
// The file gets the usual permissions (0666 less the creation mask).
int openTemporary(const std::string& path, std::string& temp)
{
    static std::atomic<unsigned long> counter{0};
    static const std::string process = ".tmp-" + std::to_string(::getpid()) + "-";
    for (int attempt = 0; attempt < 100; ++attempt) {
        temp = path + process + std::to_string(counter++);
        const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    errno = EEXIST;
    return -1;
}

// Gives the unnamed file open as `fd` the name `name` in `folder` (a
// descriptor, or AT_FDCWD). Naming by the open file itself needs a
// privilege; without it the file is named through /proc.
bool linkUnnamed(int fd, int folder, const char* name)
{
    static std::atomic<bool> byDescriptor{true};
    if (byDescriptor && ::linkat(fd, "", folder, name, AT_EMPTY_PATH) == 0) return true;
    if (byDescriptor && errno != ENOENT) return false;
    byDescriptor = false;
    char self[32];
    std::snprintf(self, sizeof self, "/proc/self/fd/%d", fd);
    return ::linkat(AT_FDCWD, self, folder, name, AT_SYMLINK_FOLLOW) == 0;
}

using files::writeAll;

// The temporary names of the pending files, for a signal that ends the
// process to remove. A slot is free, being taken, held, being released, or
// taken by the signal; whichever of its holder and the signal moves it out
// of `held` first owns its name, so the handler never reads a name that
// changes under it. Zeros at the start: nothing is touched until used.
enum SlotState : int { freeSlot, taking, held, releasing, removing };
struct TempSlot {
    std::atomic<int> state;
    char* path;
};
static_assert(std::atomic<int>::is_always_lock_free, "read in a signal handler");
constinit std::array<TempSlot, 4096> tempSlots{}; // beyond these, a name is left to chance
constinit std::atomic<std::size_t> nextSlot{0};

int holdTemp(const std::string& path)
{
    for (std::size_t n = 0; n < tempSlots.size(); ++n) {
        const std::size_t i = nextSlot++ % tempSlots.size();
        int expected = freeSlot;
        if (!tempSlots[i].state.compare_exchange_strong(expected, taking)) continue;
        char* const copy = ::strdup(path.c_str());
        tempSlots[i].path = copy;
        tempSlots[i].state.store(copy != nullptr ? held : freeSlot);
        return copy != nullptr ? static_cast<int>(i) : -1;
    }
    return -1;
}

void releaseTemp(int& slot) noexcept
{
    if (slot < 0) return;
    TempSlot& s = tempSlots[static_cast<std::size_t>(std::exchange(slot, -1))];
    int expected = held;
    if (!s.state.compare_exchange_strong(expected, releasing)) return; // the signal has it
    std::free(std::exchange(s.path, nullptr));
    s.state.store(freeSlot);
}

} // namespace

void removePendingFiles() noexcept
{
    for (TempSlot& s : tempSlots) {
        int expected = held;
        if (s.state.compare_exchange_strong(expected, removing)) ::unlink(s.path);
    }
}

PlacedFile::~PlacedFile()
{
    removeUnlessKept();
}

PlacedFile::PlacedFile(PlacedFile&& other) noexcept
    : path_(std::exchange(other.path_, {}))
    , device_(other.device_)
    , inode_(other.inode_)
{
}

PlacedFile& PlacedFile::operator=(PlacedFile&& other) noexcept
{
    if (this != &other) {
        removeUnlessKept();
        path_ = std::exchange(other.path_, {});
        device_ = other.device_;
        inode_ = other.inode_;
    }
    return *this;
}

void PlacedFile::removeUnlessKept() noexcept
{
    struct stat st {};
    if (!path_.empty() && ::lstat(path_.c_str(), &st) == 0 && st.st_dev == device_ &&
        st.st_ino == inode_)
        ::unlink(path_.c_str());
    path_.clear();
}

std::optional<PlacedFile> placeNewFile(const std::string& path, std::string_view bytes, int folder)
{
    const std::size_t slash = path.rfind('/');
    if (slash + 1 == path.size()) return std::nullopt; // a folder's name
    const int fd = folder >= 0 ? ::openat(folder, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666)
                               : ::open(slash == std::string::npos ? "."
                                        : slash == 0               ? "/"
                                                                   : path.substr(0, slash).c_str(),
                                        O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    if (fd < 0) return std::nullopt;
    struct stat st {};
    if (!writeAll(fd, bytes) || ::fstat(fd, &st) != 0) {
        const int e = errno;
        ::close(fd); // the unnamed file goes with it
        throw OutputError("cannot write '" + path + "': " + std::strerror(e), e);
    }
    const char* name = path.c_str() + (slash == std::string::npos ? 0 : slash + 1);
    const bool named =
        folder >= 0 ? linkUnnamed(fd, folder, name) : linkUnnamed(fd, AT_FDCWD, path.c_str());
    if (::close(fd) != 0 && named) {
        const int e = errno;
        ::unlink(path.c_str());
        throw OutputError("cannot write '" + path + "': " + std::strerror(e), e);
    }
    if (!named) return std::nullopt;
    return PlacedFile(path, st.st_dev, st.st_ino);
}

PendingFile::PendingFile(std::string path)
    : path_(std::move(path))
{
    files::Destination to;
    if (!files::resolve(path_, to)) fail("write", errno);
    target_ = std::move(to.path);
    replaced_ = to.replaced;
    // A descriptor the process holds is written through, sharing its offset
    // and append mode; a device or FIFO is written where it is; anything
    // else gets a temporary.
    fd_ = to.descriptor >= 0 ? ::fcntl(to.descriptor, F_DUPFD_CLOEXEC, 3)
          : to.inPlace       ? ::open(target_.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC)
                             : openTemporary(target_, temp_);
    if (fd_ < 0) {
        const int e = errno;
        temp_.clear();
        throw OutputError("cannot write '" + path_ + "': " + std::strerror(e), e);
    }
    if (!temp_.empty()) slot_ = holdTemp(temp_);
}

PendingFile::~PendingFile()
{
    discard();
}

PendingFile::PendingFile(PendingFile&& other) noexcept
    : path_(std::move(other.path_))
    , target_(std::move(other.target_))
    , temp_(std::exchange(other.temp_, {}))
    , replaced_(other.replaced_)
    , fd_(std::exchange(other.fd_, -1))
    , slot_(std::exchange(other.slot_, -1))
    , closedInPlace_(other.closedInPlace_)
{
}

PendingFile& PendingFile::operator=(PendingFile&& other) noexcept
{
    if (this != &other) {
        discard();
        path_ = std::move(other.path_);
        target_ = std::move(other.target_);
        temp_ = std::exchange(other.temp_, {});
        replaced_ = other.replaced_;
        fd_ = std::exchange(other.fd_, -1);
        slot_ = std::exchange(other.slot_, -1);
        closedInPlace_ = other.closedInPlace_;
    }
    return *this;
}

void PendingFile::discard() noexcept
{
    if (fd_ >= 0) ::close(fd_);
    if (!temp_.empty()) ::unlink(temp_.c_str());
    releaseTemp(slot_);
    fd_ = -1;
    temp_.clear();
}

void PendingFile::fail(const char* what, int error)
{
    discard();
    throw OutputError("cannot " + std::string(what) + " '" + path_ + "': " + std::strerror(error),
                      error);
}

void PendingFile::write(std::string_view bytes)
{
    if (fd_ < 0) fail("write", EBADF);
    if (!writeAll(fd_, bytes)) fail("write", errno);
}

void PendingFile::close(bool durable)
{
    if (fd_ < 0) {
        if (temp_.empty() && !closedInPlace_) fail("write", EBADF);
        return;
    }
    if (temp_.empty()) { // written in place: nothing to sync or rename
        const int fd = std::exchange(fd_, -1);
        if (::close(fd) != 0) fail("write", errno);
        closedInPlace_ = true;
        return;
    }
    if (replaced_ && !files::adoptMetadata(fd_, *replaced_)) fail("write", errno);
    if (durable && ::fsync(fd_) != 0) fail("write", errno);
    const int fd = std::exchange(fd_, -1);
    if (::close(fd) != 0) fail("write", errno);
}

void PendingFile::commit()
{
    if (fd_ >= 0) close(true);
    if (closedInPlace_) return;
    if (temp_.empty()) fail("write", EBADF);
    if (::rename(temp_.c_str(), target_.c_str()) != 0) fail("write", errno);
    releaseTemp(slot_);
    temp_.clear();
}

void writeFileAtomically(const std::string& path, std::string_view bytes)
{
    PendingFile file(path);
    file.write(bytes);
    file.commit();
}

} // namespace tallux::cli
