#pragma once

#include <gtest/gtest.h>

#include <string>

#include "runtime/text.h"
#include "support.h"

namespace tallux::test {

// Ratio "3:1" at pWidth 2, as in `params()`: narrow 3, wide 23.
inline constexpr int narrowW = 3;
inline constexpr int wideW = 23;

// Reads the boxes of a wide/narrow symbol back as its element string, "0" for
// a narrow box and "1" for a wide one ("?" for any other width), and checks
// that they follow one another from x0 without holes, from pY 10 to 110.
inline std::string elementString(const RecordingTarget& t, int x0 = 10, int narrow = narrowW,
                                 int wide = wideW)
{
    std::string out;
    int x = x0;
    for (const Call& c : t.calls) {
        if (c.member != Member::Line) continue;
        EXPECT_EQ(c.x1.value(), x) << "box " << out.size() << " does not start at the running x";
        EXPECT_EQ(c.y1, 10.0f);
        EXPECT_EQ(c.y2, 110.0f);
        const int w = c.x2.value() - c.x1.value() + 1;
        out += w == narrow ? '0' : w == wide ? '1' : '?';
        x += w;
    }
    return out;
}

// Whether the boxes are bars and white spaces in turn, starting with a bar.
inline bool alternates(const RecordingTarget& t)
{
    bool isBar = true;
    for (const Call& c : t.calls) {
        if (c.member != Member::Line) continue;
        if (c.color != (isBar ? bar : white)) return false;
        isBar = !isBar;
    }
    return true;
}

} // namespace tallux::test
