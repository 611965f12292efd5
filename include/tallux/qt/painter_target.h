#pragma once

#include <QColor>
#include <QFont>

#include "tallux/target.h"

class QPainter;

namespace tallux::qt {

// The unit of the coordinates that a drawing method passes: device pixels of
// the painter, or twips (1/1440 inch) at the paint device's logical DPI, as a
// form or the printer of the original host measures by default.
enum class ScaleMode { Pixels, Twips };

// A drawing target on an active QPainter: a widget, a QImage, a QPdfWriter or
// a QPrinter. A box from (x1, y1) to (x2, y2) covers both corner units; its
// edges fall on the painter's whole pixels nearest to min(x1, x2) and
// max(x1, x2) + 1 units (the same for y), so boxes that touch in scale units
// touch on the device, without a gap or an overlap. Text is drawn with its
// top-left corner at (CurrentX, CurrentY) in the point size given, which
// the paint device turns into pixels at its own DPI.
class PainterTarget : public Target {
public:
    // The painter must be active and outlive the target.
    PainterTarget(QPainter& painter, ScaleMode mode);

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

    // The print position and the text settings as the last calls left them.
    double currentX() const noexcept { return x_; }
    double currentY() const noexcept { return y_; }
    const QFont& font() const noexcept { return font_; }
    QColor foreColor() const noexcept { return fore_; }

private:
    QPainter& painter_;
    double unitX_; // painter pixels per scale unit
    double unitY_;
    QFont font_;
    QColor fore_{Qt::black};
    double x_ = 0;
    double y_ = 0;
};

// A colour in the host's format (low byte red, then green, then blue) as a
// QColor; the high byte is not a part of the colour.
QColor hostColor(Long color) noexcept;

} // namespace tallux::qt
