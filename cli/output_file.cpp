#include "output_file.h"

#include <atomic>
#include <cerrno>
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

} // namespace

PendingFile::PendingFile(std::string path)
    : path_(std::move(path))
{
    fd_ = openTemporary(path_, temp_);
    if (fd_ < 0) {
        const int e = errno;
        temp_.clear();
        throw OutputError("cannot write '" + path_ + "': " + std::strerror(e));
    }
}

PendingFile::~PendingFile()
{
    discard();
}

PendingFile::PendingFile(PendingFile&& other) noexcept
    : path_(std::move(other.path_))
    , temp_(std::exchange(other.temp_, {}))
    , fd_(std::exchange(other.fd_, -1))
{
}

PendingFile& PendingFile::operator=(PendingFile&& other) noexcept
{
    if (this != &other) {
        discard();
        path_ = std::move(other.path_);
        temp_ = std::exchange(other.temp_, {});
        fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
}

void PendingFile::discard() noexcept
{
    if (fd_ >= 0) ::close(fd_);
    if (!temp_.empty()) ::unlink(temp_.c_str());
    fd_ = -1;
    temp_.clear();
}

void PendingFile::fail(const char* what, int error)
{
    discard();
    throw OutputError("cannot " + std::string(what) + " '" + path_ + "': " + std::strerror(error));
}

void PendingFile::write(std::string_view bytes)
{
    if (fd_ < 0) fail("write", EBADF);
    for (std::size_t done = 0; done < bytes.size();) {
        const ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            fail("write", errno);
        }
        done += static_cast<std::size_t>(n);
    }
}

void PendingFile::close(bool durable)
{
    if (fd_ < 0) {
        if (temp_.empty()) fail("write", EBADF);
        return;
    }
    if (durable && ::fsync(fd_) != 0) fail("write", errno);
    const int fd = std::exchange(fd_, -1);
    if (::close(fd) != 0) fail("write", errno);
}

void PendingFile::commit()
{
    if (fd_ >= 0) close(true);
    if (temp_.empty()) fail("write", EBADF);
    if (::rename(temp_.c_str(), path_.c_str()) != 0) fail("write", errno);
    temp_.clear();
}

void writeFileAtomically(const std::string& path, std::string_view bytes)
{
    PendingFile file(path);
    file.write(bytes);
    file.commit();
}

} // namespace tallux::cli
