#pragma once

#include <array>
#include <string_view>

#include "runtime/text.h"

namespace tallux::codabar {

struct Row {
    char character;
    std::string_view pattern; // four bars, three spaces; "1" wide
};

// Digits, "-" and "$" have two wide elements; ":", "/", ".", "+" and the
// start/stop characters "A" to "D" have three.
inline constexpr std::array<Row, 20> rows = {{
    {'$', "0011000"}, {'+', "0010101"}, {'-', "0001100"}, {'.', "1010100"}, {'/', "1010001"},
    {'0', "0000011"}, {'1', "0000110"}, {'2', "0001001"}, {'3', "1100000"}, {'4', "0010010"},
    {'5', "1000010"}, {'6', "0100001"}, {'7', "0100100"}, {'8', "0110000"}, {'9', "1001000"},
    {':', "1000101"}, {'A', "0011010"}, {'B', "0101001"}, {'C', "0001011"}, {'D', "0001110"},
}};

// Patterns by ANSI code 0..68; the empty pattern, which draws nothing, for a
// code without a character.
inline constexpr std::array<std::string_view, 69> patterns = [] {
    std::array<std::string_view, 69> table{};
    for (const Row& row : rows) table[static_cast<std::size_t>(row.character)] = row.pattern;
    return table;
}();
static_assert(patterns['D'].size() == 7);

// The pattern of one character; a code above 68 raises 9.
inline std::string_view pattern(char16_t c)
{
    const int code = ansiCode(c);
    if (code >= static_cast<int>(patterns.size())) throw RuntimeError(err::SubscriptOutOfRange);
    return patterns[static_cast<std::size_t>(code)];
}

// "A" to "D" frame the data; lower-case letters do not count.
inline bool isStartStop(int code) noexcept
{
    return code >= 'A' && code <= 'D';
}

} // namespace tallux::codabar
