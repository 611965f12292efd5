#pragma once

#include <string>

namespace tallux::cli {

// The message of a file that could not be written at `path`, with the cause
// that the failed call does not name: a folder that is not writable, where
// the new file is made before it takes the path's name (so a writable file
// in a read-only folder cannot be replaced either).
std::string withFolderCause(const std::string& path, const std::string& message);

} // namespace tallux::cli
