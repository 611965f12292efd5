#pragma once

// What every drawing surface shares, below the targets, the text and the
// pages: colours, boxes, fonts, text measures, scale units, what a drawing
// covers, and the failure of text.

#include <algorithm>
#include <cstdint>
#include <stdexcept>

#include "tallux/export.h"
#include "tallux/types.h"

TALLUX_PUBLIC_BEGIN

namespace tallux {

struct Rgb {
    double red, green, blue; // 0..1
    bool operator==(const Rgb&) const = default;
};

// c as 0x00RRGGBB, each channel to the nearest of 0 to 255, halves up.
constexpr std::uint32_t packedRgb(Rgb c) noexcept
{
    const auto byte = [](double v) {
        return static_cast<std::uint32_t>(std::clamp(v, 0.0, 1.0) * 255 + 0.5);
    };
    return byte(c.red) << 16 | byte(c.green) << 8 | byte(c.blue);
}

// 0x00RRGGBB as a colour.
constexpr Rgb rgbOf(std::uint32_t packed) noexcept
{
    return {(packed >> 16 & 0xFF) / 255.0, (packed >> 8 & 0xFF) / 255.0, (packed & 0xFF) / 255.0};
}

// A box in the target's scale units: left, top, right, bottom.
struct UnitBox {
    double x0 = 0, y0 = 0, x1 = 0, y1 = 0;

    // Whether the two share any area; touching edges share none.
    bool meets(const UnitBox& b) const noexcept
    {
        return x0 < b.x1 && b.x0 < x1 && y0 < b.y1 && b.y0 < y1;
    }
    // The smallest box around both.
    UnitBox around(const UnitBox& b) const noexcept
    {
        return {std::min(x0, b.x0), std::min(y0, b.y0), std::max(x1, b.x1), std::max(y1, b.y1)};
    }
    // The part inside b, which may be empty.
    UnitBox clippedTo(const UnitBox& b) const noexcept
    {
        return {std::max(x0, b.x0), std::max(y0, b.y0), std::min(x1, b.x1), std::min(y1, b.y1)};
    }
    bool empty() const noexcept { return !(x0 < x1 && y0 < y1); }
};

// The font that text is measured and drawn in.
struct HostFont {
    String name = u"Sans";
    bool bold = false;
    int points = 8; // always within the sizes a host draws
};

// The logical box of a text at its print position, in scale units.
struct TextMetrics {
    double width = 0, height = 0;
};

// The scale units of a target, as the original hosts offered them.
enum class ScaleUnits : std::uint8_t {
    Twips,       // 1440 per inch
    Points,      // 72 per inch
    Pixels,      // one unit is one pixel, whatever the resolution
    Millimetres, // 25.4 per inch
};

// Scale units and the raster resolution.
struct Scale {
    ScaleUnits units = ScaleUnits::Twips;
    double dpi = 0; // 0: a whole number of pixels per unit (see resolution())

    double unitsPerInch() const noexcept;
    // The dots per inch: dpi when set, else 1440 for twips, 360 for points,
    // 304.8 for millimetres (12 pixels each) and 96 for pixels.
    double resolution() const noexcept;
    double pixelsPerUnit() const noexcept { return resolution() / unitsPerInch(); }
};

// The region that drawn boxes and text cover, in scale units.
struct DrawnRegion {
    double left = 0, top = 0, right = 0, bottom = 0;
    double narrowest = 0; // width of the narrowest box drawn; 0 when none
    bool empty = true;

    void add(const UnitBox& b) noexcept
    {
        if (empty) {
            left = b.x0, top = b.y0, right = b.x1, bottom = b.y1;
            empty = false;
            return;
        }
        left = std::min(left, b.x0), top = std::min(top, b.y0);
        right = std::max(right, b.x1), bottom = std::max(bottom, b.y1);
    }
};

// Text cannot be drawn: the module that shapes it cannot be loaded. Raised
// by whatever measures or draws text, so that no text is silently missing.
struct TextError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Keeps shaped text on disk between processes, under $XDG_CACHE_HOME/tallux
// (else ~/.cache/tallux), so that a process that draws a label or two starts
// without fontconfig. Off unless a program turns it on, before its first
// text; TALLUX_FONT_CACHE=0 keeps it off.
void keepShapedTextBetweenProcesses();

} // namespace tallux

TALLUX_PUBLIC_END
