#pragma once

#include <array>
#include <string_view>

namespace tallux::msi {

// A digit's four bits, most significant first, each a bar and a space:
// "01" (narrow bar, wide space) for 0, "10" for 1.
inline constexpr std::array<std::string_view, 10> digitPatterns = {
    "01010101", "01010110", "01011001", "01011010", "01100101",
    "01100110", "01101001", "01101010", "10010101", "10010110"};
static_assert(digitPatterns.size() == 10);

inline constexpr std::string_view startPattern = "10"; // one 1-bit
inline constexpr std::string_view stopPattern = "010"; // narrow bar, wide space, narrow bar

} // namespace tallux::msi
