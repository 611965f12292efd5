#include <cmath>

#include "tallux/types.h"

namespace tallux {

Integer intDiv(Integer a, Integer b)
{
    if (b.value() == 0) throw RuntimeError(err::DivisionByZero);
    return Integer(int{a.value()} / b.value()); // -32768 \ -1 overflows here
}

Integer mod(Integer a, Integer b)
{
    if (b.value() == 0) throw RuntimeError(err::DivisionByZero);
    return Integer(int{a.value()} % b.value());
}

Integer CInt(double value)
{
    // A whole value in range needs no rounding.
    if (value >= Integer::min && value <= Integer::max) {
        const auto whole = static_cast<int>(value);
        if (whole == value) return Integer(whole);
    }
    // nearbyint honours the default rounding mode: to nearest, halves to even.
    const double r = std::nearbyint(value);
    if (!(r >= Integer::min && r <= Integer::max)) throw RuntimeError(err::Overflow);
    return Integer(static_cast<int>(r));
}

namespace {

using Type = Number::Type;

constexpr int rank(Type t) noexcept
{
    return static_cast<int>(t);
}

// The type of a + b and a - b: the wider operand, except that Long with Single
// gives Double.
Type sumType(Type a, Type b) noexcept
{
    if ((a == Type::Int32 && b == Type::Float32) || (a == Type::Float32 && b == Type::Int32))
        return Type::Float64;
    return rank(a) >= rank(b) ? a : b;
}

Number typed(double v, Type t)
{
    switch (t) {
    case Type::Int16: return Integer(CInt(v)); // exact here: both operands were whole
    case Type::Int32:
        if (!(v >= INT32_MIN && v <= INT32_MAX)) throw RuntimeError(err::Overflow);
        return static_cast<Long>(v);
    case Type::Float32: {
        const auto f = static_cast<Single>(v);
        if (std::isinf(f)) throw RuntimeError(err::Overflow);
        return f;
    }
    case Type::Float64:
        if (std::isinf(v)) throw RuntimeError(err::Overflow);
        return v;
    }
    return v;
}

// Operands are converted to the result type before the operation, so a
// Single sum is rounded as a Single sum is.
double as(Number n, Type t) noexcept
{
    return t == Type::Float32 ? static_cast<double>(static_cast<Single>(n.value())) : n.value();
}

} // namespace

Number operator+(Number a, Number b)
{
    const Type t = sumType(a.type(), b.type());
    if (t == Type::Float32)
        return typed(static_cast<Single>(as(a, t)) + static_cast<Single>(as(b, t)), t);
    return typed(as(a, t) + as(b, t), t);
}

Number operator-(Number a, Number b)
{
    const Type t = sumType(a.type(), b.type());
    if (t == Type::Float32)
        return typed(static_cast<Single>(as(a, t)) - static_cast<Single>(as(b, t)), t);
    return typed(as(a, t) - as(b, t), t);
}

Number operator/(Number a, Number b)
{
    const auto small = [](Type x) { return x == Type::Int16 || x == Type::Float32; };
    const Type t = small(a.type()) && small(b.type()) ? Type::Float32 : Type::Float64;
    if (b.value() == 0) throw RuntimeError(a.value() == 0 ? err::Overflow : err::DivisionByZero);
    if (t == Type::Float32)
        return typed(static_cast<Single>(a.value()) / static_cast<Single>(b.value()), t);
    return typed(a.value() / b.value(), t);
}

std::string_view typeName(Number::Type type) noexcept
{
    switch (type) {
    case Type::Int16: return "Integer";
    case Type::Int32: return "Long";
    case Type::Float32: return "Single";
    case Type::Float64: return "Double";
    }
    return "?";
}

} // namespace tallux
