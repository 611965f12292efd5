#include "tallux/qt/control_widget.h"

#include <QLabel>
#include <QResizeEvent>
#include <cmath>

#include "pictures.h"
#include "tallux/qt/about_box.h"

namespace tallux::qt {

namespace {

constexpr double twipsPerInch = 1440;

int toPixels(Long twips, int dpi)
{
    return static_cast<int>(std::lround(twips * dpi / twipsPerInch));
}

Long toTwips(int pixels, int dpi)
{
    return static_cast<Long>(std::lround(pixels * twipsPerInch / dpi));
}

} // namespace

TalluxWidget::TalluxWidget(Mode mode, QWidget* parent)
    : QWidget(parent)
    , mode_(mode)
    , imgIcon_(new QLabel(this))
{
    installAboutBox();
    imgIcon_->setPixmap(QPixmap::fromImage(controlIcon()));
    imgIcon_->setScaledContents(true);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    control_.setSite(this);
    resize(sizeHint());
    if (mode_ == Mode::Run) QWidget::setVisible(false);
}

int TalluxWidget::pixelsX(Long twips) const
{
    return toPixels(twips, logicalDpiX());
}

int TalluxWidget::pixelsY(Long twips) const
{
    return toPixels(twips, logicalDpiY());
}

Extent TalluxWidget::extent() const
{
    if (size() == QSize(pixelsX(extent_.width), pixelsY(extent_.height))) return extent_;
    return {toTwips(width(), logicalDpiX()), toTwips(height(), logicalDpiY())};
}

void TalluxWidget::setExtent(Extent twips)
{
    extent_ = twips;
    resize(pixelsX(twips.width), pixelsY(twips.height));
}

void TalluxWidget::propertyChanged(std::string_view name)
{
    emit controlPropertyChanged(
        QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())));
}

void TalluxWidget::setVisible(bool visible)
{
    // Invisible at run time, whatever the form asks.
    QWidget::setVisible(visible && mode_ == Mode::Design);
}

QSize TalluxWidget::sizeHint() const
{
    return {pixelsX(Tallux::designSize.width), pixelsY(Tallux::designSize.height)};
}

void TalluxWidget::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    try {
        control_.UserControl_Resize();
    } catch (const RuntimeError& e) {
        // An event handler has no caller to raise to.
        qWarning("Tallux: the resize handler raised error %d: %s", e.number(), e.what());
    }
    imgIcon_->setGeometry(0, 0, pixelsX(control_.imgIcon.Width), pixelsY(control_.imgIcon.Height));
}

} // namespace tallux::qt
