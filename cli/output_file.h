#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace tallux::cli {

// Writing an output file failed; nothing was left at the path.
struct OutputError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Writes the whole file or nothing: the bytes go to a temporary file beside
// the path, which then replaces the path in one step. A good file that was
// there before is never left truncated.
void writeFileAtomically(const std::string& path, std::string_view bytes);

} // namespace tallux::cli
