#include <QPainter>
#include <QtTest>
#include <cairo.h>

#include "tallux/cairo_target.h"
#include "tallux/qt/painter_target.h"
#include "tallux/tallux.h"

// The painter target and the cairo target fill exactly the same pixels for
// the same call: every bar and space of every symbology, at whole and
// fractional bar edges.
using namespace tallux;

namespace {

constexpr int canvasWidth = 700;
constexpr int canvasHeight = 160;

struct Call {
    tBarcodeType method;
    const char16_t* code;
    int width;
    int height;
    float x, y;
    const char16_t* ratio;
};

// clang-format off
constexpr Call calls[] = {
    /*0*/  {Code_39, u"CODE39", 2, 60, 20, 10, u"2:0"},
    /*1*/  {Code_39, u"A-1", 3, 41, 20.5f, 10.5f, u"3:1"},
    /*2*/  {Code_39F, u"a/b", 1, 50, 20, 10.25f, u"2:0"},
    /*3*/  {Code_93, u"TEST93", 2, 60, 30, 10, u":"},
    /*4*/  {Code_128, u"BCode128", 2, 60, 30, 20, u":"},
    /*5*/  {Code_128, u"C123456", 3, 33, 25, 7.75f, u":"},
    /*6*/  {Code_25, u"1234567890", 2, 60, 20, 10, u"2:0"},
    /*7*/  {Codabar, u"40156", 2, 60, 20, 10, u"2:0"},
    /*8*/  {Code_11, u"123-45", 2, 60, 20, 10, u"2:0"},
    /*9*/  {Code_MSI, u"1234567", 2, 60, 20, 10, u"2:0"},
    /*10*/ {PostNet, u"12345", 2, 40, 20, 10, u":"},
    /*11*/ {EAN_13, u"400638133393", 2, 60, 30, 10, u":"},
    /*12*/ {EAN_8, u"9638507", 3, 60, 30, 10, u":"},
    /*13*/ {UPC_A, u"03600029145", 2, 61, 30, 10.5f, u":"},
    /*14*/ {UPC_E, u"123456", 2, 60, 30, 10, u":"},
    /*15*/ {UPC_A_Plus, u"03600029145", 2, 60, 30, 10, u":"},
    /*16*/ {ISBN, u"030640615", 2, 60, 30, 10, u":"},
};
// clang-format on

DrawParams params(Target& target, const Call& c)
{
    DrawParams p;
    p.pObject = &target;
    p.pX = c.x;
    p.pY = c.y;
    p.pCode = c.code;
    p.pWidth = c.width;
    p.pHeight = c.height;
    p.pText = 0;
    p.pRatio = c.ratio;
    p.pChk = true;
    return p;
}

// The call drawn by the cairo target on a white image, as 0xRRGGBB pixels.
std::vector<QRgb> drawnByCairo(const Call& c)
{
    cairo_surface_t* surface =
        cairo_image_surface_create(CAIRO_FORMAT_RGB24, canvasWidth, canvasHeight);
    cairo_t* cr = cairo_create(surface);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_paint(cr);
    {
        CairoTarget target(cr, 96, true); // one unit a pixel
        DrawParams p = params(target, c);
        Tallux().draw(c.method, p);
    }
    cairo_surface_flush(surface);
    std::vector<QRgb> pixels;
    const unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    for (int y = 0; y < canvasHeight; ++y) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(data + y * stride);
        for (int x = 0; x < canvasWidth; ++x) pixels.push_back(row[x] & 0xFFFFFF);
    }
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
    return pixels;
}

std::vector<QRgb> drawnByPainter(const Call& c)
{
    QImage image(canvasWidth, canvasHeight, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        qt::PainterTarget target(painter, qt::ScaleMode::Pixels);
        DrawParams p = params(target, c);
        Tallux().draw(c.method, p);
    }
    std::vector<QRgb> pixels;
    for (int y = 0; y < canvasHeight; ++y)
        for (int x = 0; x < canvasWidth; ++x) pixels.push_back(image.pixel(x, y) & 0xFFFFFF);
    return pixels;
}

} // namespace

class CairoCompareTest : public QObject {
    Q_OBJECT

private slots:
    void samePixelsAsTheCairoTarget_data()
    {
        QTest::addColumn<int>("row");
        for (int i = 0; i < static_cast<int>(std::size(calls)); ++i)
            QTest::newRow(QByteArray::number(i).constData()) << i;
    }

    void samePixelsAsTheCairoTarget()
    {
        QFETCH(int, row);
        const Call& c = calls[row];
        const std::vector<QRgb> cairo = drawnByCairo(c);
        const std::vector<QRgb> painter = drawnByPainter(c);
        int differing = 0, firstX = -1, firstY = -1;
        std::size_t black = 0;
        for (std::size_t i = 0; i < cairo.size(); ++i) {
            if (cairo[i] == 0) ++black;
            if (cairo[i] != painter[i] && differing++ == 0) {
                firstX = static_cast<int>(i % canvasWidth);
                firstY = static_cast<int>(i / canvasWidth);
            }
        }
        QVERIFY2(black > 0, "the cairo target drew nothing");
        QVERIFY2(differing == 0, qPrintable(QString("%1 pixels differ, the first at (%2, %3)")
                                                .arg(differing)
                                                .arg(firstX)
                                                .arg(firstY)));
    }
};

QTEST_MAIN(CairoCompareTest)
#include "cairo_compare_test.moc"
