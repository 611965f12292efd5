#pragma once

#include <QColor>
#include <QFont>

#include "tallux/export.h"
#include "tallux/host_target.h"

class QPainter;

TALLUX_PUBLIC_BEGIN

namespace tallux::qt {

// The unit of the coordinates that a drawing method passes: device pixels of
// the painter, or twips (1/1440 inch) at the paint device's logical DPI, as a
// form or the printer of the original host measures by default.
enum class ScaleMode { Pixels, Twips };

// A drawing target on an active QPainter: a widget, a QImage, a QPdfWriter or
// a QPrinter. A box from (x1, y1) to (x2, y2) covers x1 to x2 + 1 units (the
// same for y); its edges fall on the painter's whole pixels nearest to them,
// so boxes that touch in scale units touch on the device, without a gap or an
// overlap. Text is drawn with its top-left corner at (CurrentX, CurrentY) in
// the point size given, which the paint device turns into pixels at its own
// DPI.
class PainterTarget : public HostTargetOf<PainterTarget> {
public:
    // The painter must be active and outlive the target.
    PainterTarget(QPainter& painter, ScaleMode mode);

    // The text settings as the last calls left them.
    QFont font() const;
    QColor foreColor() const;

protected:
    void fontChanged(const HostFont& font) override;
    TextMetrics measureText(const String& s) override;
    TextMetrics drawText(const String& s, double x, double y, Rgb colour) override;

private:
    friend class HostTargetOf<PainterTarget>;
    void fillBox(const UnitBox& box, Rgb colour);

    QPainter& painter_;
    double unitX_; // painter pixels per scale unit
    double unitY_;
    QFont font_;
};

// A colour in the host's format (low byte red, then green, then blue, or a
// system colour) as a QColor; an invalid QColor for a value that is no colour.
QColor hostColor(Long color) noexcept;

} // namespace tallux::qt

TALLUX_PUBLIC_END
