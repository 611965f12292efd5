#pragma once

#include <memory>

#include <windows.h>

#include "tallux/target.h"

namespace tallux {

// A drawing target on any Windows device context: a window or screen DC, a
// printer DC, a memory DC with a bitmap, an enhanced metafile. Coordinates and
// sizes are the DC's logical units, in whatever mapping mode the caller set.
// Boxes are solid rectangles from min(x1, x2) to max(x1, x2) + 1 (the same for
// y, whose fractional edges fall on the nearest logical unit); text is drawn
// by TextOutW in the font of FontName, FontBold and FontSize (points, through
// the DC's LOGPIXELSY and mapping), and measured by GetTextExtentPoint32W.
// Colours are the host's (0x00BBGGRR, or 0x800000NN for a system colour).
//
// Errors: a null HDC raises 91 from every member; a GDI call that the DC
// refuses raises 5 (its description names the call and the Win32 error).
// Either way the DC keeps the font, brush and text settings it had: the
// target selects nothing into it beyond the call that needs it.
class HdcTarget : public Target {
public:
    // The DC must outlive the target, which does not own it.
    explicit HdcTarget(HDC dc);
    ~HdcTarget() override;
    HdcTarget(const HdcTarget&) = delete;
    HdcTarget& operator=(const HdcTarget&) = delete;

    void FontName(const String& value) override;
    void ForeColor(Long value) override;
    void FontBold(Boolean value) override;
    void FontSize(Integer value) override;
    void CurrentX(Number value) override;
    void CurrentY(Single value) override;
    void Line(Integer flags, Integer x1, Single y1, Integer x2, Single y2, Long color) override;
    void Print(const String& s) override;
    Number TextWidth(const String& s) override;
    Number TextHeight(const String& s) override;

    // The print position as the last calls left it, in logical units.
    double currentX() const noexcept;
    double currentY() const noexcept;

private:
    struct State;
    std::unique_ptr<State> state_;
};

} // namespace tallux
