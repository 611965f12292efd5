#pragma once

#include <cstddef>

#include "tallux/types.h"

// How the symbologies read a character of pCode as a digit: the one reading
// that every method shares.
namespace tallux {

constexpr bool isDigit(char16_t c) noexcept
{
    return c >= u'0' && c <= u'9';
}

// A character read by itself as a number, as Val reads it: its digit for "0"
// to "9", 0 for anything else.
constexpr Integer digitValue(char16_t c)
{
    return isDigit(c) ? Integer(c - u'0') : Integer(0);
}

// The table row of a character drawn by its value: its digit, row 0 for
// anything else.
constexpr std::size_t digitRow(char16_t c) noexcept
{
    return isDigit(c) ? static_cast<std::size_t>(c - u'0') : 0;
}

// A character converted to a whole number where it must be one: anything but
// a digit is a type mismatch (13).
constexpr Integer strictDigitValue(char16_t c)
{
    if (!isDigit(c)) throw RuntimeError(err::TypeMismatch);
    return c - u'0';
}

} // namespace tallux
