#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tallux::cli {

// The family that fontconfig draws for a font name that is not installed
// (the face that the text targets substitute); nothing when the name is
// installed, or is a generic family (sans-serif, serif, monospace).
std::optional<std::string> substitutedFont(std::string_view family);

} // namespace tallux::cli
