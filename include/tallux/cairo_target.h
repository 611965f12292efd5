#pragma once

#include <memory>

#include "tallux/export.h"
#include "tallux/host_target.h"

// cairo's context type, so that this header does not need cairo's headers.
typedef struct _cairo cairo_t;

TALLUX_PUBLIC_BEGIN

namespace tallux {

// A drawing target on a caller's cairo context, whose user space the caller
// has set to the target's scale units. Boxes fill both corners inclusive;
// text is shaped with Pango, a font name the machine lacks falling back
// through fontconfig. On an image surface, box edges are rounded to whole
// device pixels and drawn without anti-aliasing, so that bars of equal width
// stay equal; text stays anti-aliased. Text that cannot be shaped raises
// TextError.
class CairoTarget : public HostTargetOf<CairoTarget> {
public:
    CairoTarget(cairo_t* cr, double unitsPerInch);
    ~CairoTarget() override;
    CairoTarget(const CairoTarget&) = delete;
    CairoTarget& operator=(const CairoTarget&) = delete;

protected:
    void fontChanged(const HostFont& font) override;
    TextMetrics measureText(const String& s) override;
    TextMetrics drawText(const String& s, double x, double y, Rgb colour) override;

private:
    friend class HostTargetOf<CairoTarget>;
    void fillBox(const UnitBox& box, Rgb colour);

    struct State;
    std::unique_ptr<State> state_;
};

} // namespace tallux

TALLUX_PUBLIC_END
