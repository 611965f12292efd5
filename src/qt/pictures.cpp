#include "pictures.h"

#include <QPainter>
#include <array>

#include "tallux/about.h"
#include "tallux/qt/painter_target.h"
#include "tallux/tallux.h"

namespace tallux::qt {

namespace {

constexpr QRgb navy = qRgb(0, 0, 128);

QImage drawIcon()
{
    QImage icon(32, 32, QImage::Format_RGB888);
    icon.fill(Qt::white);
    QPainter p(&icon);
    p.setPen(QColor(navy));
    p.drawRect(0, 0, 31, 31);
    // Bars of one and two pixels, as a narrow and wide Code 39 element would be.
    constexpr std::array<int, 12> widths = {1, 2, 1, 1, 2, 1, 2, 1, 1, 2, 1, 1};
    int x = 4;
    for (std::size_t i = 0; i < widths.size(); ++i) {
        if (i % 2 == 0) p.fillRect(x, 5, widths[i], 18, Qt::black);
        x += widths[i] + 1;
    }
    p.fillRect(4, 25, 24, 3, QColor(0xC0, 0, 0));
    p.end();
    return icon.convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither);
}

QImage drawLogo(std::size_t language)
{
    QImage logo(about::logoPixelWidth, about::logoPixelHeight, QImage::Format_RGB888);
    logo.fill(Qt::white);
    QPainter p(&logo);
    // The symbol is drawn by the component itself, one filled box per element.
    PainterTarget target(p, ScaleMode::Pixels);
    DrawParams symbol;
    symbol.pObject = &target;
    symbol.pX = 8;
    symbol.pY = 8;
    symbol.pCode = u"TALLUX";
    symbol.pWidth = 1;
    symbol.pHeight = 53;
    symbol.pText = 0;
    symbol.pRatio = u"0.3:0";     // wide elements of three pixels
    symbol.pLineColor = 0x800000; // navy, low byte red
    Tallux().draw(Code_39, symbol);

    const bool chinese = language == about::chinese;
    QFont font(chinese ? QStringLiteral("Noto Sans CJK TC") : QStringLiteral("DejaVu Sans"));
    font.setPixelSize(30);
    font.setBold(true);
    p.setFont(font);
    p.setPen(QColor(navy));
    const QString title = chinese ? QString::fromUtf16(u"\u689D\u78BC\u7E6A\u5716\u5143\u4EF6")
                                  : QStringLiteral("Tallux Barcodes");
    p.drawText(QRect(170, 0, about::logoPixelWidth - 180, about::logoPixelHeight),
               Qt::AlignVCenter | Qt::AlignLeft, title);
    return logo;
}

} // namespace

const QImage& controlIcon()
{
    static const QImage icon = drawIcon();
    return icon;
}

const QImage& aboutLogo(std::size_t language)
{
    static const std::array<QImage, 2> logos = {drawLogo(about::english), drawLogo(about::chinese)};
    return logos.at(language);
}

} // namespace tallux::qt
