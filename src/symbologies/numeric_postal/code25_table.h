#pragma once

#include <array>
#include <string_view>

namespace tallux::code25 {

// Five elements per digit, "1" wide and "0" narrow, two of them wide. The
// first digit of a pair is carried by the bars, the second by the spaces.
inline constexpr std::array<std::string_view, 10> digitPatterns = {
    "00110", "10001", "01001", "11000", "00101", "10100", "01100", "00011", "10010", "01010"};
static_assert(digitPatterns.size() == 10);

inline constexpr std::string_view startPattern = "0000"; // narrow bar, space, bar, space
inline constexpr std::string_view stopPattern = "100";   // wide bar, narrow space, narrow bar

} // namespace tallux::code25
