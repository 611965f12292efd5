#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "tallux/page.h"

namespace tallux::cli {

// The unit of a length on the command line: a physical unit, a device pixel,
// or none (the number is in the drawing's scale units).
enum class LengthUnit { Scale, Millimetres, Pixels, Points, Twips, Inches };

struct Length {
    double value = 0;
    LengthUnit unit = LengthUnit::Scale;
};

// A number followed by mm, px, pt, tw or in ("0.33mm", "2px"); nullopt when
// the text does not end in one of them.
std::optional<Length> lengthWithUnit(std::string_view text);

// Pixel lengths and pixel scale units need a resolution; without --dpi the
// command takes this one: a 15-twip module is then 3 whole pixels.
inline constexpr double pixelDpi = 288;

// How many scale units make an inch (a pixel is 1/dpi inch).
double unitsPerInch(ScaleUnits units, double dpi) noexcept;

// The length in the scale units, unrounded.
double inUnits(Length length, ScaleUnits units, double dpi) noexcept;

// The scale units as --units names them: twips, pt, px or mm.
std::string_view unitName(ScaleUnits units) noexcept;

// A number for a message, in at most `digits` significant digits.
std::string shortNumber(double value, int digits = 4);

} // namespace tallux::cli
