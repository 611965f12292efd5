#include "tallux/qt/painter_target.h"

#include <QFontMetricsF>
#include <QPaintDevice>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace tallux::qt {

namespace {

// Device coordinates beyond this many pixels are painted at it.
constexpr double deviceLimit = 1 << 30;

double pixelsPerUnit(const QPaintDevice& device, ScaleMode mode, bool horizontal)
{
    if (mode == ScaleMode::Pixels) return 1;
    const int dpi = horizontal ? device.logicalDpiX() : device.logicalDpiY();
    return dpi / 1440.0;
}

// The device pixel edge nearest to a position in scale units.
int edge(double units, double pixelsPerUnit)
{
    const double pixels = std::floor(units * pixelsPerUnit + 0.5);
    return static_cast<int>(std::clamp(pixels, -deviceLimit, deviceLimit));
}

QColor qtColour(Rgb c)
{
    const auto byte = [](double v) { return static_cast<int>(std::lround(v * 255)); };
    return QColor(byte(c.red), byte(c.green), byte(c.blue));
}

QFont qtFont(const HostFont& f)
{
    QFont font(QString::fromStdU16String(f.name));
    font.setBold(f.bold);
    font.setPointSizeF(f.points);
    return font;
}

} // namespace

QColor hostColor(Long color) noexcept
{
    const auto c = tallux::hostColor(color);
    return c ? qtColour(*c) : QColor();
}

PainterTarget::PainterTarget(QPainter& painter, ScaleMode mode)
    : painter_(painter)
    , unitX_(0)
    , unitY_(0)
{
    if (!painter.isActive() || painter.device() == nullptr)
        throw std::invalid_argument("PainterTarget needs an active QPainter");
    unitX_ = pixelsPerUnit(*painter.device(), mode, true);
    unitY_ = pixelsPerUnit(*painter.device(), mode, false);
    font_ = qtFont(textFont());
}

QFont PainterTarget::font() const
{
    return qtFont(textFont());
}

QColor PainterTarget::foreColor() const
{
    return qtColour(textColour());
}

void PainterTarget::fontChanged(const HostFont& font)
{
    font_ = qtFont(font);
}

void PainterTarget::fillBox(const UnitBox& b, Rgb colour)
{
    const int l = edge(b.x0, unitX_), t = edge(b.y0, unitY_);
    const QRect box(QPoint(l, t), QPoint(edge(b.x1, unitX_) - 1, edge(b.y1, unitY_) - 1));
    if (!box.isEmpty()) painter_.fillRect(box, qtColour(colour));
}

TextMetrics PainterTarget::drawText(const String& s, double x, double y, Rgb colour)
{
    const QFontMetricsF metrics(font_, painter_.device());
    painter_.setFont(font_);
    painter_.setPen(qtColour(colour));
    painter_.drawText(QPointF(x * unitX_, y * unitY_ + metrics.ascent()),
                      QString::fromStdU16String(s));
    return {metrics.horizontalAdvance(QString::fromStdU16String(s)) / unitX_,
            metrics.height() / unitY_};
}

TextMetrics PainterTarget::measureText(const String& s)
{
    const QFontMetricsF metrics(font_, painter_.device());
    return {metrics.horizontalAdvance(QString::fromStdU16String(s)) / unitX_,
            metrics.height() / unitY_};
}

} // namespace tallux::qt
