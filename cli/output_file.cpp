#include "output_file.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace tallux::cli {

namespace {

// The process's file creation mask, read once: reading it means setting it,
// which must not race with another thread's reading.
mode_t creationMask()
{
    static const mode_t mask = [] {
        const mode_t m = ::umask(0);
        ::umask(m);
        return m;
    }();
    return mask;
}

} // namespace

PendingFile::PendingFile(std::string path)
    : path_(std::move(path))
    , temp_(path_ + ".XXXXXX")
{
    fd_ = ::mkstemp(temp_.data());
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
    // mkstemp creates 0600; an output file gets the usual permissions.
    if (::fchmod(fd_, 0666 & ~creationMask()) != 0 || (durable && ::fsync(fd_) != 0))
        fail("write", errno);
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
