#include "output_file.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tallux::cli {

void writeFileAtomically(const std::string& path, std::string_view bytes) {
    std::string temp = path + ".XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) throw OutputError("cannot write '" + path + "': " + std::strerror(errno));

    const auto fail = [&](const char* what) {
        const int e = errno;
        ::close(fd);
        ::unlink(temp.c_str());
        throw OutputError("cannot " + std::string(what) + " '" + path + "': " + std::strerror(e));
    };
    for (std::size_t done = 0; done < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            fail("write");
        }
        done += static_cast<std::size_t>(n);
    }
    // mkstemp creates 0600; an output file gets the usual permissions.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    if (::fchmod(fd, 0666 & ~mask) != 0 || ::fsync(fd) != 0) fail("write");
    if (::close(fd) != 0) {
        ::unlink(temp.c_str());
        throw OutputError("cannot write '" + path + "': " + std::strerror(errno));
    }
    if (::rename(temp.c_str(), path.c_str()) != 0) {
        const int e = errno;
        ::unlink(temp.c_str());
        throw OutputError("cannot write '" + path + "': " + std::strerror(e));
    }
}

} // namespace tallux::cli
