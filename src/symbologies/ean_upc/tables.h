#pragma once

#include <array>
#include <string_view>

#include "draw/modules.h"

// The symbol characters and guards of EAN and UPC: seven modules a digit,
// "1" a bar module and "0" a space module, read left to right.
namespace tallux::ean {

using DigitTable = std::array<std::string_view, 10>;

namespace patterns {
// Odd parity, left half (number set A).
inline constexpr DigitTable L = {"0001101", "0011001", "0010011", "0111101", "0100011",
                                 "0110001", "0101111", "0111011", "0110111", "0001011"};
// Even parity, left half (number set B).
inline constexpr DigitTable G = {"0100111", "0110011", "0011011", "0100001", "0011101",
                                 "0111001", "0000101", "0010001", "0001001", "0010111"};
// Right half (number set C).
inline constexpr DigitTable R = {"1110010", "1100110", "1101100", "1000010", "1011100",
                                 "1001110", "1010000", "1000100", "1001000", "1110100"};
} // namespace patterns

constexpr bool allOfLength(const DigitTable& table, std::size_t length)
{
    for (std::string_view entry : table)
        if (entry.size() != length) return false;
    return true;
}

// The same tables as the drawing loop reads them, each entry checked to be
// seven modules long when the program is compiled.
using DigitModules = std::array<Modules<7>, 10>;
inline constexpr DigitModules L = modulesOf<7, 10>(patterns::L);
inline constexpr DigitModules G = modulesOf<7, 10>(patterns::G);
inline constexpr DigitModules R = modulesOf<7, 10>(patterns::R);

// Guards, drawn with the long bars.
inline constexpr Modules<3> startGuard{"101"};
inline constexpr Modules<5> centreGuard{"01010"};
inline constexpr Modules<3> endGuard{"101"};

} // namespace tallux::ean
