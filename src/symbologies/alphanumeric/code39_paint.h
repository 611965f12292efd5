#pragma once

#include "draw/drawing.h"
#include "symbologies/alphanumeric/code39_table.h"

namespace tallux::code39 {

// Paints one Code 39 character from the running x: nine elements, "1" wide
// (M) and "0" narrow (N), bars at odd positions, spaces white. A character
// without a pattern paints nothing; a code of 128 or above raises 9.
// `afterElement(wide)` runs once each element has been painted.
template <class AfterElement>
void paintCharacter(Drawing& d, char16_t c, const Ratio& ratio, Single bottom,
                    AfterElement afterElement)
{
    bool bar = true;
    for (char element : pattern(c)) {
        const bool wide = element != '0';
        d.paint(bar, wide ? ratio.wideWidth(d.a.pWidth) : ratio.narrowWidth(d.a.pWidth), bottom);
        afterElement(wide);
        bar = !bar;
    }
}

inline void paintCharacter(Drawing& d, char16_t c, const Ratio& ratio, Single bottom)
{
    paintCharacter(d, c, ratio, bottom, [](bool) {});
}

} // namespace tallux::code39
