#pragma once

#include "tallux/types.h"

namespace tallux::numeric_postal {

// The modulo-10 check digit of a weighted sum: the digit that brings the sum
// up to the next multiple of ten, (10 - sum mod 10) mod 10, for every sum.
inline char16_t tensComplement(Integer sum)
{
    const Integer complement = mod(Integer(10) - mod(sum, 10), 10);
    return static_cast<char16_t>(u'0' + complement.value());
}

} // namespace tallux::numeric_postal
