#pragma once

#include <array>
#include <string_view>

namespace tallux::code11 {

// Three bars and two spaces a character, "1" wide: rows 0 to 9 for the
// digits, row 10 for "-", row 11 for the start/stop character.
inline constexpr std::array<std::string_view, 12> patterns = {"00001", "10001", "01001", "11000",
                                                              "00101", "10100", "01100", "00011",
                                                              "10010", "10000", "00100", "00110"};
static_assert(patterns.size() == 12);

inline constexpr std::size_t dashRow = 10;
inline constexpr std::size_t startStopRow = 11;

} // namespace tallux::code11
