#pragma once

#include <string>

namespace tallux::cli {

// The folder of the running program, with its final slash ("" if unknown).
std::string programFolder();

} // namespace tallux::cli
