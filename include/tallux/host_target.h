#pragma once

#include <cstdint>
#include <optional>

#include "tallux/export.h"
#include "tallux/surface.h"
#include "tallux/target.h"

TALLUX_PUBLIC_BEGIN

namespace tallux {

// A colour in the host's format: 0x00BBGGRR, or 0x800000NN for the system
// colour NN of the host's standard scheme. Anything else has no colour.
std::optional<Rgb> hostColor(Long value) noexcept;

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
