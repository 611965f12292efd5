#pragma once

#include <string>

#include <windows.h>

#include "tallux/host_target.h"

namespace tallux {

// A drawing target on any Windows device context: a window or screen DC, a
// printer DC, a memory DC with a bitmap, an enhanced metafile. Coordinates and
// sizes are the DC's logical units, in whatever mapping mode the caller set.
// Boxes are solid rectangles from min(x1, x2) to max(x1, x2) + 1 (the same for
// y, whose fractional edges fall on the nearest logical unit); text is drawn
// by TextOutW in the font of FontName, FontBold and FontSize (points, through
// the DC's LOGPIXELSY and mapping), and measured by GetTextExtentPoint32W.
// The members' rules (colours, sizes, the print position) are the host
// target's, as on every other surface.
//
// Errors: with a null HDC every box, text and measure raises 91; a GDI call
// that the DC refuses raises 5 (its description names the call and the Win32
// error). Either way the DC keeps the font, brush and text settings it had:
// the target selects nothing into it beyond the call that needs it.
class HdcTarget final : public HostTargetOf<HdcTarget> {
public:
    // The DC must outlive the target, which does not own it.
    explicit HdcTarget(HDC dc);
    ~HdcTarget() override;
    HdcTarget(const HdcTarget&) = delete;
    HdcTarget& operator=(const HdcTarget&) = delete;

protected:
    // The font is made from textFont() when text needs it, and kept while
    // it and the DC's resolution and mapping stay the same.
    void fontChanged(const HostFont&) override {}
    TextMetrics measureText(const String& s) override;
    // The height it gives is the logical step to the next line, which lies
    // below on the device (negative where the mapping's y runs up).
    TextMetrics drawText(const String& s, double x, double y, Rgb colour) override;

private:
    friend class HostTargetOf<HdcTarget>;
    void fillBox(const UnitBox& box, Rgb colour);
    // Raises 91 when there is no DC.
    void check() const;
    HFONT font();
    // Of s in the font selected into the DC.
    TextMetrics extent(const std::wstring& s);

    HDC dc_;
    HFONT font_ = nullptr;
    LOGFONTW made_{};
};

} // namespace tallux
