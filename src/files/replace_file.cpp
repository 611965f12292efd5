#include "files/replace_file.h"

#include <cctype>
#include <cerrno>
#include <charconv>
#include <climits>
#include <fcntl.h>
#include <unistd.h>

namespace tallux::files {

namespace {

// The folder part of `path`, with its slash ("" for a bare name).
std::string folderOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

} // namespace

int namedDescriptor(std::string_view path) noexcept
{
    if (path == "/dev/stdout") return STDOUT_FILENO;
    if (path == "/dev/stderr") return STDERR_FILENO;
    for (std::string_view folder : {"/dev/fd/", "/proc/self/fd/"}) {
        if (!path.starts_with(folder)) continue;
        const std::string_view digits = path.substr(folder.size());
        int fd = 0;
        const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), fd);
        if (error == std::errc{} && end == digits.data() + digits.size() && !digits.empty() &&
            std::isdigit(static_cast<unsigned char>(digits[0])))
            return fd;
    }
    return -1;
}

bool resolve(const std::string& path, Destination& out)
{
    if (const int fd = namedDescriptor(path); fd >= 0) {
        out = {path, std::nullopt, true, fd};
        return true;
    }
    std::string at = path;
    for (int hops = 0;; ++hops) {
        struct stat st {};
        if (::lstat(at.c_str(), &st) != 0) {
            if (errno != ENOENT) return false;
            out = {std::move(at), std::nullopt, false}; // a new file
            return true;
        }
        if (S_ISLNK(st.st_mode)) {
            if (hops == 40) {
                errno = ELOOP;
                return false;
            }
            std::string target(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : PATH_MAX),
                               '\0');
            const ssize_t n = ::readlink(at.c_str(), target.data(), target.size());
            if (n < 0) return false;
            target.resize(static_cast<std::size_t>(n));
            at = target.starts_with('/') ? target : folderOf(at) + target;
            continue;
        }
        if (S_ISDIR(st.st_mode)) {
            errno = EISDIR;
            return false;
        }
        if (S_ISREG(st.st_mode))
            out = {std::move(at), st, false};
        else
            out = {std::move(at), std::nullopt, true};
        return true;
    }
}

bool adoptMetadata(int fd, const struct stat& replaced)
{
    // Changing the owner needs a privilege; a group the process belongs to
    // can still be kept without one.
    if (::fchown(fd, replaced.st_uid, replaced.st_gid) != 0)
        (void)::fchown(fd, static_cast<uid_t>(-1), replaced.st_gid);
    return ::fchmod(fd, replaced.st_mode & 07777) == 0;
}

bool writeAll(int fd, std::string_view bytes)
{
    for (std::size_t done = 0; done < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

bool readAll(int fd, std::string& out)
{
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n == 0) return true;
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        out.append(buffer, static_cast<std::size_t>(n));
    }
}

} // namespace tallux::files
