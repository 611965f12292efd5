#pragma once

#include <array>
#include <string_view>

#include "tallux/export.h"
#include "tallux/types.h"

TALLUX_PUBLIC_BEGIN

namespace tallux {

// The ten members through which a drawing method reaches its target.
enum class Member : std::uint8_t {
    FontName,
    ForeColor,
    FontBold,
    FontSize,
    CurrentX,
    CurrentY,
    Line,
    Print,
    TextWidth,
    TextHeight,
};

inline constexpr std::array<std::string_view, 10> memberNames = {
    "FontName", "ForeColor", "FontBold", "FontSize",  "CurrentX",
    "CurrentY", "Line",      "Print",    "TextWidth", "TextHeight"};

constexpr std::string_view memberName(Member m) noexcept
{
    return memberNames[static_cast<std::size_t>(m)];
}

// The flags value of `Line` that asks for a filled box with absolute corners.
inline constexpr Integer filledBox = 38;
// Spaces are painted in white, in the host's colour format.
inline constexpr Long white = 0x00FFFFFF;

// A drawing target: a form, a picture box, a printer, an image, or anything
// else that offers these ten members. Coordinates are in the target's own
// scale units. A member that a target does not override raises 438, exactly
// as a late-bound call to a missing member does; a target rejects a value by
// raising a RuntimeError with its own number.
class Target {
public:
    virtual ~Target() = default;

    virtual void FontName(const String& value);
    virtual void ForeColor(Long value);
    virtual void FontBold(Boolean value);
    virtual void FontSize(Integer value);
    virtual void CurrentX(Number value);
    virtual void CurrentY(Single value);
    // Fills the box with corners (x1, y1) and (x2, y2), both inclusive.
    virtual void Line(Integer flags, Integer x1, Single y1, Integer x2, Single y2, Long color);
    // Draws s with its top-left corner at (CurrentX, CurrentY), then moves the
    // print position to the start of the next line.
    virtual void Print(const String& s);
    virtual Number TextWidth(const String& s);
    virtual Number TextHeight(const String& s);
};

} // namespace tallux

TALLUX_PUBLIC_END
