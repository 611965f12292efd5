#include "program_folder.h"

#include <unistd.h>
#include <vector>

namespace tallux::cli {

std::string programFolder()
{
    std::vector<char> path(4096);
    const ssize_t n = ::readlink("/proc/self/exe", path.data(), path.size());
    if (n <= 0 || static_cast<std::size_t>(n) >= path.size()) return {};
    const std::string exe(path.data(), static_cast<std::size_t>(n));
    return exe.substr(0, exe.rfind('/') + 1);
}

} // namespace tallux::cli
