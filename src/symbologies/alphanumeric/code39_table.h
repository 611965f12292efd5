#pragma once

#include <array>
#include <string_view>

#include "runtime/text.h"

// The Code 39 character set, shared by Code 39 and its full-ASCII form.
namespace tallux::code39 {

// The 43 data characters in the order of their check values 0..42.
inline constexpr std::u16string_view characters = u"0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ-. $/+%";

// Nine elements per character, bars at odd positions; "1" wide, "0" narrow.
inline constexpr std::array<std::string_view, 43> characterPatterns = {
    "000110100", "100100001", "001100001", "101100000", "000110001", "100110000", "001110000",
    "000100101", "100100100", "001100100", "100001001", "001001001", "101001000", "000011001",
    "100011000", "001011000", "000001101", "100001100", "001001100", "000011100", "100000011",
    "001000011", "101000010", "000010011", "100010010", "001010010", "000000111", "100000110",
    "001000110", "000010110", "110000001", "011000001", "111000000", "010010001", "110010000",
    "011010000", "010000101", "110000100", "011000100", "010101000", "010100010", "010001010",
    "000101010"};
static_assert(characters.size() == characterPatterns.size());

// The start/stop character "*".
inline constexpr std::string_view startStopPattern = "010010100";

// Patterns by ANSI code 0..127; the empty pattern, which draws nothing, for a
// code without a character (lower-case letters among them).
inline constexpr std::array<std::string_view, 128> patterns = [] {
    std::array<std::string_view, 128> table{};
    for (std::size_t v = 0; v < characters.size(); ++v) table[characters[v]] = characterPatterns[v];
    table['*'] = startStopPattern;
    return table;
}();

// The pattern of one character; a code of 128 or above raises 9.
inline std::string_view pattern(char16_t c)
{
    const int code = ansiCode(c);
    if (code >= static_cast<int>(patterns.size())) throw RuntimeError(err::SubscriptOutOfRange);
    return patterns[static_cast<std::size_t>(code)];
}

// What a character adds to the modulo-43 check sum: its check value, or for
// any other character ("*" and lower-case letters included) its own code.
inline Integer checkValue(char16_t c)
{
    const auto v = characters.find(c);
    return v != std::u16string_view::npos ? Integer(v) : Integer(ansiCode(c));
}

// The check character of a text: the character whose value is the sum of
// the text's check values modulo 43. A sum beyond 32767 raises 6.
inline char16_t checkCharacter(std::u16string_view text)
{
    Integer sum = 0;
    for (char16_t c : text) sum += checkValue(c);
    return characters[static_cast<std::size_t>(mod(sum, 43).value())];
}

} // namespace tallux::code39
