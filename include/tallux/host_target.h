#pragma once

#include <algorithm>
#include <cstdint>
#include <optional>

#include "tallux/export.h"
#include "tallux/target.h"

TALLUX_PUBLIC_BEGIN

namespace tallux {

struct Rgb {
    double red, green, blue; // 0..1
};

// c as 0x00RRGGBB, each channel to the nearest of 0 to 255, halves up.
constexpr std::uint32_t packedRgb(Rgb c) noexcept
{
    const auto byte = [](double v) {
        return static_cast<std::uint32_t>(std::clamp(v, 0.0, 1.0) * 255 + 0.5);
    };
    return byte(c.red) << 16 | byte(c.green) << 8 | byte(c.blue);
}

// A colour in the host's format: 0x00BBGGRR, or 0x800000NN for the system
// colour NN of the host's standard scheme. Anything else has no colour.
std::optional<Rgb> hostColor(Long value) noexcept;

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

// The rules of the ten members, written once for every kind of surface: font
// state, host colours (system colours included), the sizes and coordinates a
// target takes, the print position and how Print moves it. A back-end adds
// only what its surface does differently, through the hooks below and a
// `fillBox` that HostTargetOf calls directly.
class HostTarget : public Target {
public:
    void FontName(const String& value) override;
    void ForeColor(Long value) override;
    void FontBold(Boolean value) override;
    void FontSize(Integer value) override;
    void CurrentX(Number value) override;
    void CurrentY(Single value) override;
    void Print(const String& s) override;
    Number TextWidth(const String& s) override;
    Number TextHeight(const String& s) override;

    // What the target was told and where the print position stands.
    double currentX() const noexcept { return x_; }
    double currentY() const noexcept { return y_; }
    const HostFont& textFont() const noexcept { return font_; }
    Rgb textColour() const noexcept { return fore_; }

protected:
    // The font changed since the last text: called before the next one.
    virtual void fontChanged(const HostFont& font) = 0;
    virtual TextMetrics measureText(const String& s) = 0;
    // Draws s with its top-left corner at (x, y); returns what measureText gives.
    virtual TextMetrics drawText(const String& s, double x, double y, Rgb colour) = 0;

    // The box and colour of a Line call, both corners inclusive, its edges
    // held within the coordinates a surface takes; false for a box that
    // covers nothing. Raises the target's error for a call it refuses.
    bool lineBox(Integer flags, Integer x1, Single y1, Integer x2, Single y2, Long color,
                 UnitBox& box, Rgb& rgb);

private:
    TextMetrics measure(const String& s);

    HostFont font_;
    bool fontChanged_ = true;
    Rgb fore_{0, 0, 0};
    double x_ = 0, y_ = 0;
};

// A back-end: Backend derives from HostTargetOf<Backend> and offers
// `void fillBox(const UnitBox&, Rgb)`, reached without a second virtual call.
template <class Backend>
class HostTargetOf : public HostTarget {
public:
    void Line(Integer flags, Integer x1, Single y1, Integer x2, Single y2, Long color) final
    {
        UnitBox box;
        Rgb rgb;
        if (lineBox(flags, x1, y1, x2, y2, color, box, rgb))
            static_cast<Backend*>(this)->fillBox(box, rgb);
    }
};

} // namespace tallux

TALLUX_PUBLIC_END
