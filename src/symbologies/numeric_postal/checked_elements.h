#pragma once

#include <string_view>

#include "draw/drawing.h"

namespace tallux::numeric_postal {

// Wide/narrow elements, "1" wide and "0" narrow, bars and spaces alternating
// from a bar, for the symbologies that form the products pWidth x a and
// pWidth x b again at every element: a product beyond 16 bits stops the
// drawing with Overflow (6) before that element is painted.
inline void paintElement(Drawing& d, bool bar, bool wide, const Ratio& ratio, Single bottom)
{
    ratio.checkProducts(d.a.pWidth);
    d.paint(bar, wide ? ratio.wideWidth(d.a.pWidth) : ratio.narrowWidth(d.a.pWidth), bottom);
}

inline void paintElements(Drawing& d, std::string_view pattern, const Ratio& ratio, Single bottom)
{
    bool bar = true;
    for (char c : pattern) {
        paintElement(d, bar, c != '0', ratio, bottom);
        bar = !bar;
    }
}

} // namespace tallux::numeric_postal
