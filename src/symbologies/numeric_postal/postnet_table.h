#pragma once

#include <array>
#include <string_view>

namespace tallux::postnet {

// Five bars a digit, "1" full and "0" half height, two of them full.
inline constexpr std::array<std::string_view, 10> digitPatterns = {
    "11000", "00011", "00101", "00110", "01001", "01010", "01100", "10001", "10010", "10100"};
static_assert(digitPatterns.size() == 10);

} // namespace tallux::postnet
