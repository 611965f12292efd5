#pragma once

#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdint>

namespace tallux {

// Room for any number that writeNumber writes.
inline constexpr std::size_t numberRoom = 64;

// Writes v at p, with numberRoom characters of room, and returns the end.
// Whole numbers below 1e15 go out as integers, -0 as 0; the others, with
// `decimals` below 0, in the shortest form that reads back as the same
// double (with an exponent where that is shorter), else in fixed notation
// with at most `decimals` places, no trailing zeros and never "-0". What is
// not finite is written as 0.
inline char* writeNumber(char* p, double v, int decimals = -1)
{
    if (!std::isfinite(v)) v = 0;
    char* const room = p + numberRoom;
    if (std::abs(v) < 1e15 && v == std::trunc(v))
        return std::to_chars(p, room, static_cast<std::int64_t>(v)).ptr;
    if (decimals < 0) return std::to_chars(p, room, v).ptr;
    auto [end, ec] = std::to_chars(p, room, v, std::chars_format::fixed, decimals);
    if (ec != std::errc()) end = p; // too long: written as 0 below
    if (decimals > 0 && end != p) {
        while (end[-1] == '0') --end;
        if (end[-1] == '.') --end;
    }
    if (end == p || (end - p == 2 && p[0] == '-' && p[1] == '0')) {
        *p = '0';
        return p + 1;
    }
    return end;
}

} // namespace tallux
