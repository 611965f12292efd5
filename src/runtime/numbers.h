#pragma once

#include <cmath>
#include <cstdint>

#include "tallux/types.h"

// The runtime's number rules that the drawing code applies inline.
namespace tallux {

// `\` by a divisor written in the code, other than 0 and -1: it can neither
// divide by zero nor overflow, so it is the plain quotient truncated toward
// zero, as intDiv gives it.
template <int Divisor>
constexpr Integer intDivBy(Integer a) noexcept
{
    static_assert(Divisor != 0 && Divisor != -1);
    return static_cast<std::int16_t>(a.value() / Divisor);
}
static_assert(intDivBy<20>(59) == 2 && intDivBy<20>(-59) == -2 && intDivBy<6>(-32768) == -5461);

// Single arithmetic that raises Overflow (6) instead of reaching infinity.
inline Single checkedSingle(double value)
{
    const auto f = static_cast<Single>(value);
    if (std::isinf(f)) throw RuntimeError(err::Overflow);
    return f;
}

} // namespace tallux
