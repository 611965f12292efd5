#pragma once

#include <string_view>

#include "tallux/types.h"

namespace tallux {

// The wide-to-narrow ratio text "wide:narrow" of the symbologies with wide
// elements: the wide extra is 7 times the number before the colon, the narrow
// extra the number after it, each rounded to Integer. Element widths are
// pWidth plus an extra, added where the widths are used.
struct Ratio {
    Integer wide;   // a
    Integer narrow; // b

    // Raises 5 for a text without a colon (the empty text included) and 6 for
    // an extra outside the 16-bit range.
    static Ratio read(std::u16string_view pRatio);

    Integer narrowWidth(Integer pWidth) const { return pWidth + narrow; } // N
    Integer wideWidth(Integer pWidth) const { return pWidth + wide; }     // M

    // The products pWidth × a and pWidth × b, formed only for their range:
    // Overflow (6) when either leaves 16 bits.
    void checkProducts(Integer pWidth) const
    {
        (void)(pWidth * wide);
        (void)(pWidth * narrow);
    }
};

} // namespace tallux
