#pragma once

#include <compare>
#include <concepts>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

#include "tallux/error.h"
#include "tallux/export.h"

TALLUX_PUBLIC_BEGIN

namespace tallux {

using Long = std::int32_t; // 32-bit signed; also the host's colour format (low byte red)
using Single = float;
using Double = double;
using String = std::u16string; // lengths and positions count UTF-16 units

// Conversions between the component's texts and UTF-8 at its edges.
String fromUtf8(std::string_view utf8);
std::string toUtf8(std::u16string_view text);
// The text without leading and trailing spaces (spaces only), as the
// runtime trims a number's text before reading it.
String trimBlanks(std::u16string_view text);

namespace detail {
// The 16-bit value of a whole number; Overflow (6) outside -32768..32767.
constexpr std::int16_t narrowToInteger(std::integral auto value)
{
    if (std::cmp_less(value, -32768) || std::cmp_greater(value, 32767))
        throw RuntimeError(err::Overflow);
    return static_cast<std::int16_t>(value);
}
} // namespace detail

// 16-bit signed integer. Every arithmetic result outside -32768..32767 raises
// Overflow (6), so checked arithmetic needs no care at the call site.
class Integer {
public:
    static constexpr int min = -32768;
    static constexpr int max = 32767;

    constexpr Integer() noexcept = default;
    constexpr Integer(std::integral auto value)
        : value_(detail::narrowToInteger(value))
    {
    }
    // Floats become Integers only through the rounding function CInt.
    Integer(std::floating_point auto) = delete;

    constexpr std::int16_t value() const noexcept { return value_; }
    constexpr explicit operator int() const noexcept { return value_; }

    // Each operation is one 16-bit instruction and a branch on its overflow flag.
    friend constexpr Integer operator+(Integer a, Integer b)
    {
        std::int16_t r = 0;
        if (__builtin_add_overflow(a.value_, b.value_, &r)) throw RuntimeError(err::Overflow);
        return r;
    }
    friend constexpr Integer operator-(Integer a, Integer b)
    {
        std::int16_t r = 0;
        if (__builtin_sub_overflow(a.value_, b.value_, &r)) throw RuntimeError(err::Overflow);
        return r;
    }
    friend constexpr Integer operator*(Integer a, Integer b)
    {
        std::int16_t r = 0;
        if (__builtin_mul_overflow(a.value_, b.value_, &r)) throw RuntimeError(err::Overflow);
        return r;
    }
    constexpr Integer operator-() const { return Integer() - *this; }
    Integer& operator+=(Integer b) { return *this = *this + b; }
    Integer& operator-=(Integer b) { return *this = *this - b; }

    friend constexpr bool operator==(Integer, Integer) = default;
    friend constexpr auto operator<=>(Integer, Integer) = default;

private:
    std::int16_t value_ = 0;
};

// Integer division `\`: truncates toward zero; division by zero raises 11.
Integer intDiv(Integer a, Integer b);
// `Mod`: the remainder of `\`, with the sign of the dividend.
Integer mod(Integer a, Integer b);

// The rounding function: to the nearest Integer, halves to the even neighbour;
// Overflow (6) outside the 16-bit range (and for NaN).
Integer CInt(double value);

// Boolean as the platform holds it: True is -1, any non-zero value counts as
// true, and the value is passed through as given.
class Boolean {
public:
    constexpr Boolean() noexcept = default;
    constexpr Boolean(bool value) noexcept
        : value_(value ? -1 : 0)
    {
    }
    constexpr explicit Boolean(Integer value) noexcept
        : value_(value.value())
    {
    }

    constexpr std::int16_t value() const noexcept { return value_; }
    constexpr explicit operator bool() const noexcept { return value_ != 0; }
    friend constexpr bool operator==(Boolean, Boolean) = default;

private:
    std::int16_t value_ = 0;
};

// A number that knows its type, for the values that the drawing target
// receives or returns as any numeric type (CurrentX, TextWidth, TextHeight).
// Arithmetic follows the platform's promotion rules: Integer and Long results
// are checked, Single stays Single unless mixed with Long or Double, and `/`
// gives a Single for Integer and Single operands, else a Double.
class Number {
public:
    enum class Type : std::uint8_t {
        Int16,
        Int32,
        Float32,
        Float64
    }; // Integer, Long, Single, Double

    constexpr Number() noexcept = default;
    constexpr Number(Integer v) noexcept
        : value_(v.value())
        , type_(Type::Int16)
    {
    }
    constexpr Number(Long v) noexcept
        : value_(v)
        , type_(Type::Int32)
    {
    }
    constexpr Number(Single v) noexcept
        : value_(v)
        , type_(Type::Float32)
    {
    }
    constexpr Number(Double v) noexcept
        : value_(v)
        , type_(Type::Float64)
    {
    }

    constexpr Type type() const noexcept { return type_; }
    constexpr double value() const noexcept { return value_; }

    friend Number operator+(Number a, Number b);
    friend Number operator-(Number a, Number b);
    friend Number operator/(Number a, Number b);
    friend constexpr bool operator==(Number a, Number b) noexcept
    {
        return a.type_ == b.type_ && a.value_ == b.value_;
    }

private:
    double value_ = 0;
    Type type_ = Type::Int16;
};

std::string_view typeName(Number::Type type) noexcept;

// The rounding function for a typed number, as for any other float.
inline Integer CInt(Number n)
{
    return CInt(n.value());
}

} // namespace tallux

TALLUX_PUBLIC_END
