#include "write_cause.h"

#include <cerrno>
#include <filesystem>
#include <unistd.h>

#include "options.h"

namespace tallux::cli {

std::string withFolderCause(const std::string& path, const std::string& message)
{
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::file_status status = fs::status(path, error);
    // A device or FIFO is written in place: its folder plays no part.
    if (fs::exists(status) && !fs::is_regular_file(status)) return message;
    fs::path file = fs::weakly_canonical(path, error); // the file a symlink names
    if (error) file = path;
    fs::path folder = file.parent_path();
    if (folder.empty()) folder = ".";
    if (::access(folder.c_str(), W_OK) == 0) return message;
    const int why = errno;
    if (why != EACCES && why != EROFS && why != EPERM) return message;
    return message + " (the folder " + cli::quoted(folder.string()) + " is " +
           (why == EROFS ? "on a read-only file system" : "not writable") +
           (fs::exists(status) ? ": the file is replaced by a new one made there)" : ")");
}

} // namespace tallux::cli
