#include <algorithm>
#include <cmath>

#include "tallux/host_target.h"

namespace tallux {

namespace {

// Font sizes the hosts accept, in points; smaller and larger sizes are drawn
// at the nearest of these, so that FontSize never fails (pWidth 1 asks for 0).
constexpr int smallestPoints = 1;
constexpr int largestPoints = 2160;

// Box edges beyond this many units either side of the origin are drawn at
// it: no surface shows that far, and every one can take the number.
constexpr double farthest = 1e9;

// The target refuses a value with its own number, as the hosts' objects do.
[[noreturn]] void reject(std::int32_t number, const char* what)
{
    throw RuntimeError(number, what);
}

double held(double v)
{
    return std::clamp(v, -farthest, farthest);
}

} // namespace

void HostTarget::FontName(const String& value)
{
    // A family the machine lacks is drawn in a similar face: a name is never refused.
    if (font_.name == value) return;
    font_.name = value;
    fontChanged_ = true;
}

void HostTarget::ForeColor(Long value)
{
    const auto color = hostColor(value);
    if (!color) reject(err::InvalidPropertyValue, "Invalid property value: not a colour");
    fore_ = *color;
}

void HostTarget::FontBold(Boolean value)
{
    if (font_.bold == static_cast<bool>(value)) return;
    font_.bold = static_cast<bool>(value);
    fontChanged_ = true;
}

void HostTarget::FontSize(Integer value)
{
    const int points = std::clamp(int{value.value()}, smallestPoints, largestPoints);
    if (font_.points == points) return;
    font_.points = points;
    fontChanged_ = true;
}

void HostTarget::CurrentX(Number value)
{
    if (!std::isfinite(value.value())) reject(err::InvalidPropertyValue, "Invalid property value");
    x_ = value.value();
}

void HostTarget::CurrentY(Single value)
{
    if (!std::isfinite(value)) reject(err::InvalidPropertyValue, "Invalid property value");
    y_ = value;
}

bool HostTarget::lineBox(Integer flags, Integer x1, Single y1, Integer x2, Single y2, Long color,
                         UnitBox& box, Rgb& rgb)
{
    if (flags != filledBox) reject(err::InvalidCall, "Line draws filled boxes only (flags 38)");
    const auto c = hostColor(color);
    if (!c) reject(err::InvalidCall, "Invalid procedure call or argument: not a colour");
    if (!std::isfinite(y1) || !std::isfinite(y2))
        reject(err::InvalidCall, "Invalid procedure call or argument");
    rgb = *c;

    // Both corners inclusive: the box runs from x1 to x2 + 1 units, so an
    // element of width w covers exactly w units.
    const double ax = int{x1.value()}, bx = int{x2.value()} + 1.0;
    const double ay = y1, by = double{y2} + 1.0;
    box = {std::min(ax, bx), held(std::min(ay, by)), std::max(ax, bx), held(std::max(ay, by))};
    return box.x0 < box.x1 && box.y0 < box.y1; // a zero-width element covers nothing
}

TextMetrics HostTarget::measure(const String& s)
{
    if (fontChanged_) fontChanged(font_), fontChanged_ = false;
    return measureText(s);
}

void HostTarget::Print(const String& s)
{
    if (fontChanged_) fontChanged(font_), fontChanged_ = false;
    const TextMetrics m = drawText(s, x_, y_, fore_);
    // The print position moves to the start of the next line.
    x_ = 0;
    y_ += m.height;
}

Number HostTarget::TextWidth(const String& s)
{
    return static_cast<Single>(measure(s).width);
}

Number HostTarget::TextHeight(const String& s)
{
    return static_cast<Single>(measure(s).height);
}

} // namespace tallux
