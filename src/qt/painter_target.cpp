#include "tallux/qt/painter_target.h"

#include <QFontMetricsF>
#include <QPaintDevice>
#include <QPainter>
#include <cmath>
#include <stdexcept>

namespace tallux::qt {

namespace {

// A font size or other property value that the target cannot take.
constexpr std::int32_t invalidPropertyValue = 380;

// Device coordinates beyond this many pixels cannot be painted.
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
    if (!(std::abs(pixels) < deviceLimit)) throw RuntimeError(err::Overflow);
    return static_cast<int>(pixels);
}

QString qtText(const String& s)
{
    return QString::fromStdU16String(s);
}

} // namespace

QColor hostColor(Long color) noexcept
{
    const auto bits = static_cast<std::uint32_t>(color);
    return QColor(static_cast<int>(bits & 0xFF), static_cast<int>((bits >> 8) & 0xFF),
                  static_cast<int>((bits >> 16) & 0xFF));
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
    font_ = painter.font();
}

void PainterTarget::FontName(const String& value)
{
    font_.setFamily(qtText(value));
}

void PainterTarget::ForeColor(Long value)
{
    fore_ = hostColor(value);
}

void PainterTarget::FontBold(Boolean value)
{
    font_.setBold(static_cast<bool>(value));
}

void PainterTarget::FontSize(Integer value)
{
    if (value < 0) throw RuntimeError(invalidPropertyValue, "Invalid property value");
    // A size of 0 asks for the smallest size the device has.
    font_.setPointSizeF(value == 0 ? 1.0 : static_cast<double>(value.value()));
}

void PainterTarget::CurrentX(Number value)
{
    x_ = value.value();
}

void PainterTarget::CurrentY(Single value)
{
    y_ = value;
}

void PainterTarget::Line(Integer flags, Integer x1, Single y1, Integer x2, Single y2, Long color)
{
    if (flags != filledBox) throw RuntimeError(err::InvalidCall); // only filled boxes
    const double left = std::min(x1.value(), x2.value());
    const double right = std::max(x1.value(), x2.value()) + 1.0;
    const double top = std::min(y1, y2);
    const double bottom = static_cast<double>(std::max(y1, y2)) + 1.0;
    const int l = edge(left, unitX_);
    const int t = edge(top, unitY_);
    const QRect box(QPoint(l, t), QPoint(edge(right, unitX_) - 1, edge(bottom, unitY_) - 1));
    if (!box.isEmpty()) painter_.fillRect(box, hostColor(color));
}

void PainterTarget::Print(const String& s)
{
    const QFontMetricsF metrics(font_, painter_.device());
    painter_.setFont(font_);
    painter_.setPen(fore_);
    painter_.drawText(QPointF(x_ * unitX_, y_ * unitY_ + metrics.ascent()), qtText(s));
    // The print position moves to the start of the next line.
    x_ = 0;
    y_ += metrics.height() / unitY_;
}

Number PainterTarget::TextWidth(const String& s)
{
    const QFontMetricsF metrics(font_, painter_.device());
    return static_cast<Single>(metrics.horizontalAdvance(qtText(s)) / unitX_);
}

Number PainterTarget::TextHeight(const String&)
{
    const QFontMetricsF metrics(font_, painter_.device());
    return static_cast<Single>(metrics.height() / unitY_);
}

} // namespace tallux::qt
