#pragma once

#include <cstdint>
#include <string_view>

#include "tallux/methods.h"
#include "tallux/types.h"

namespace tallux {

// The wide-to-narrow ratio text "wide:narrow" of the symbologies with wide
// elements: the wide extra is 7 times the number before the colon, the narrow
// extra the number after it, each rounded to Integer. Element widths are
// pWidth plus an extra, added where the widths are used.
struct Ratio {
    Integer wide;   // a
    Integer narrow; // b
    ProductCheck products = ProductCheck::onceBeforeTrap;

    // Raises 5 for a text without a colon (the empty text included) and 6 for
    // an extra outside the 16-bit range.
    static Ratio read(std::u16string_view pRatio);
    // The same, for a method, which forms the products when its row of the
    // method table says; when that is once before the trap, they are formed here.
    static Ratio read(std::u16string_view pRatio, Integer pWidth, tBarcodeType method);

    Integer narrowWidth(Integer pWidth) const { return pWidth + narrow; } // N
    Integer wideWidth(Integer pWidth) const { return pWidth + wide; }     // M
    Integer width(Integer pWidth, bool isWide) const
    {
        return isWide ? wideWidth(pWidth) : narrowWidth(pWidth);
    }

    // Forms the products if `moment` is when this method forms them: both at
    // once, except after an element, where only the product of its own width.
    void checkProducts(ProductCheck moment, Integer pWidth, bool isWide = false) const
    {
        if (moment != products) return;
        if (moment != ProductCheck::afterEachElementOfThatWidth || isWide) (void)(pWidth * wide);
        if (moment != ProductCheck::afterEachElementOfThatWidth || !isWide) (void)(pWidth * narrow);
    }
};

} // namespace tallux
