#pragma once

#include <string_view>

#include "runtime/text.h"
#include "tallux/types.h"

namespace tallux::numeric_postal {

// A single character read as a number: its digit, 0 for anything else.
inline Integer characterValue(char16_t c)
{
    return CInt(Val(std::u16string_view(&c, 1)));
}

// The table row of a character drawn by its value: its digit, row 0 for
// anything else.
inline std::size_t digitRow(char16_t c)
{
    return static_cast<std::size_t>(characterValue(c).value());
}

// The modulo-10 check digit of a weighted sum: the digit that brings the sum
// up to the next multiple of ten, (10 - sum mod 10) mod 10, for every sum.
inline char16_t tensComplement(Integer sum)
{
    const Integer complement = mod(Integer(10) - mod(sum, 10), 10);
    return static_cast<char16_t>(u'0' + complement.value());
}

} // namespace tallux::numeric_postal
