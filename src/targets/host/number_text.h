#pragma once

#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace tallux {

// Room for any number that writeNumber writes.
inline constexpr std::size_t numberRoom = 64;

// Writes v at p when it is a whole number below 10,000, most of what a
// drawing's files hold, by pairs of digits, and moves p past it.
inline bool writeSmallWhole(char*& p, double v)
{
    static constexpr char pairs[] = "00010203040506070809101112131415161718192021222324"
                                    "25262728293031323334353637383940414243444546474849"
                                    "50515253545556575859606162636465666768697071727374"
                                    "75767778798081828384858687888990919293949596979899";
    const auto n = static_cast<unsigned>(v >= 0 && v < 10000 ? v : 0.5);
    if (static_cast<double>(n) != v) return false;
    const unsigned high = n / 100, low = n % 100;
    if (high >= 10) *p++ = pairs[2 * high];
    if (high > 0) *p++ = pairs[2 * high + 1];
    if (high > 0 || low >= 10) *p++ = pairs[2 * low];
    *p++ = pairs[2 * low + 1];
    return true;
}

// Writes v at p, with numberRoom characters of room, and returns the end.
// Whole numbers below 1e15 go out as integers, -0 as 0; the others, with
// `decimals` below 0, in the shortest form that reads back as the same
// double (with an exponent where that is shorter), else in fixed notation
// with at most `decimals` places, no trailing zeros and never "-0". What is
// not finite is written as 0.
inline char* writeNumber(char* p, double v, int decimals = -1)
{
    char* const room = p + numberRoom;
    if (writeSmallWhole(p, v)) return p;
    if (!std::isfinite(v)) v = 0;
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
