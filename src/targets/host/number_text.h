#pragma once

#include <algorithm>
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
    char* const room = p + numberRoom;
    // Whole numbers below 10,000, most of what a drawing's files hold, by
    // pairs of digits.
    if (v >= 0 && v < 10000) {
        const auto n = static_cast<unsigned>(v);
        if (static_cast<double>(n) == v) {
            static constexpr char pairs[] = "00010203040506070809101112131415161718192021222324"
                                            "25262728293031323334353637383940414243444546474849"
                                            "50515253545556575859606162636465666768697071727374"
                                            "75767778798081828384858687888990919293949596979899";
            const unsigned high = n / 100, low = n % 100;
            const int skip = n < 10 ? 3 : n < 100 ? 2 : n < 1000 ? 1 : 0;
            const char digits[8] = {pairs[2 * high], pairs[2 * high + 1], pairs[2 * low],
                                    pairs[2 * low + 1]};
            std::copy_n(digits + skip, 4, p); // past the digits, within the room
            return p + 4 - skip;
        }
    }
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
