#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <cairo.h>

#include "pages/pdf_sheet.h"
#include "tallux/cairo_target.h"
#include "tallux/qt/painter_target.h"
#include "tallux/tallux.h"

// The same calls through every back-end of the host target, each rendered to
// pixels: a cairo context, the PNG page, the SVG page (rsvg-convert), the PDF
// page and the PDF sheet (pdftoppm) and the Qt painter. Every box fills the
// same pixels, and text stands in the same place.
using namespace tallux;

namespace {

constexpr int canvasWidth = 700;
constexpr int canvasHeight = 160;
constexpr double dpi = 96; // one unit a pixel, on every back-end

struct Call {
    tBarcodeType method;
    const char16_t* code;
    int width, height;
    float x, y;
    const char16_t* ratio;
    Integer text;
};

// clang-format off
constexpr Call calls[] = {
    /*0*/  {Code_39, u"CODE39", 2, 60, 20, 10, u"2:0", 0},
    /*1*/  {Code_39, u"A-1", 3, 41, 20.5f, 10.5f, u"3:1", 0},
    /*2*/  {Code_39F, u"a/b", 1, 50, 20, 10.25f, u"2:0", 0},
    /*3*/  {Code_93, u"TEST93", 2, 60, 30, 10, u":", 0},
    /*4*/  {Code_128, u"BCode128", 2, 60, 30, 20, u":", 0},
    /*5*/  {Code_128, u"C123456", 3, 33, 25, 7.75f, u":", 0},
    /*6*/  {Code_25, u"1234567890", 2, 60, 20, 10, u"2:0", 0},
    /*7*/  {Codabar, u"40156", 2, 60, 20, 10, u"2:0", 0},
    /*8*/  {Code_11, u"123-45", 2, 60, 20, 10, u"2:0", 0},
    /*9*/  {Code_MSI, u"1234567", 2, 60, 20, 10, u"2:0", 0},
    /*10*/ {PostNet, u"12345", 2, 40, 20, 10, u":", 0},
    /*11*/ {EAN_13, u"400638133393", 2, 60, 30, 10, u":", 0},
    /*12*/ {EAN_8, u"9638507", 3, 60, 30, 10, u":", 0},
    /*13*/ {UPC_A, u"03600029145", 2, 61, 30, 10.5f, u":", 0},
    /*14*/ {UPC_E, u"123456", 2, 60, 30, 10, u":", 0},
    /*15*/ {UPC_A_Plus, u"03600029145", 2, 60, 30, 10, u":", 0},
    /*16*/ {ISBN, u"030640615", 2, 60, 30, 10, u":", 0},
    /*17*/ {EAN_13, u"400638133393", 2, 60, 30, 10, u":", 1},
    /*18*/ {Code_39, u"CODE39", 2, 60, 20, 10, u"2:0", 1},
    /*19*/ {Code_128, u"BCode128", 3, 60, 30, 20, u":", 1},
};
// clang-format on

enum class Backend { Cairo, Png, Svg, Pdf, Sheet, Qt };

void draw(Target& target, const Call& c)
{
    DrawParams p;
    p.pObject = &target;
    p.pX = c.x, p.pY = c.y;
    p.pCode = c.code;
    p.pWidth = c.width, p.pHeight = c.height;
    p.pText = c.text;
    p.pFont = u"DejaVu Sans";
    p.pRatio = c.ratio;
    p.pChk = true;
    QCOMPARE(Tallux().draw(c.method, p).value(), 0);
}

const Scale scale{ScaleUnits::Pixels, dpi};

QImage rendered(const QByteArray& file, const QString& suffix, const QStringList& command)
{
    QTemporaryDir dir;
    const QString in = dir.filePath("in." + suffix), out = dir.filePath("out");
    QFile f(in);
    if (!f.open(QIODevice::WriteOnly) || f.write(file) != file.size()) return {};
    f.close();
    QStringList args = command;
    args.replaceInStrings("IN", in).replaceInStrings("OUT", out);
    const QString tool = args.takeFirst();
    if (QProcess::execute(tool, args) != 0) return {};
    return QImage(suffix == "svg" ? out : out + ".png");
}

QByteArray bytes(const std::string& s)
{
    return QByteArray(s.data(), static_cast<qsizetype>(s.size()));
}

QImage filePage(FileFormat format, const Call& c)
{
    PageOptions o;
    o.scale = scale;
    o.width = canvasWidth, o.height = canvasHeight;
    FilePage page(format, o);
    draw(page.target(), c);
    return QImage::fromData(bytes(page.finish()), "PNG");
}

QImage drawnBy(Backend b, const Call& c)
{
    switch (b) {
    case Backend::Cairo: {
        QImage image(canvasWidth, canvasHeight, QImage::Format_RGB32);
        image.fill(Qt::white);
        cairo_surface_t* s = cairo_image_surface_create_for_data(
            image.bits(), CAIRO_FORMAT_RGB24, canvasWidth, canvasHeight,
            static_cast<int>(image.bytesPerLine()));
        cairo_t* cr = cairo_create(s);
        {
            CairoTarget target(cr, dpi);
            draw(target, c);
        }
        cairo_destroy(cr);
        cairo_surface_destroy(s);
        return image;
    }
    case Backend::Png: return filePage(FileFormat::Png, c);
    case Backend::Svg: {
        PageOptions o;
        o.scale = scale;
        o.width = canvasWidth, o.height = canvasHeight;
        FilePage page(FileFormat::Svg, o);
        draw(page.target(), c);
        return rendered(bytes(page.finish()), "svg", {"rsvg-convert", "-o", "OUT", "IN"});
    }
    case Backend::Pdf: {
        PageOptions o;
        o.scale = scale;
        o.width = canvasWidth, o.height = canvasHeight;
        FilePage page(FileFormat::Pdf, o);
        draw(page.target(), c);
        return rendered(bytes(page.finish()), "pdf",
                        {"pdftoppm", "-r", "96", "-png", "-singlefile", "IN", "OUT"});
    }
    case Backend::Sheet: {
        PageTarget drawing(FileFormat::Pdf, scale);
        draw(drawing, c);
        const DrawnRegion& region = drawing.list().drawn;
        // Centred across a page 80 units wider: moved by whole pixels.
        std::string file;
        SheetLayout l;
        l.pageWidth = (region.right - region.left + 80) * 72 / dpi;
        l.pageHeight = 2 * canvasHeight * 72 / dpi;
        l.columns = l.rows = 1, l.margin = l.padding = 0;
        PdfSheet sheet(
            [&](const unsigned char* d, std::size_t n) {
                file.append(reinterpret_cast<const char*>(d), n);
                return true;
            },
            l);
        sheet.place(u"", drawing.list());
        sheet.finish();
        return rendered(bytes(file), "pdf",
                        {"pdftoppm", "-r", "96", "-png", "-singlefile", "IN", "OUT"});
    }
    case Backend::Qt: {
        QImage image(canvasWidth, canvasHeight, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        qt::PainterTarget target(painter, qt::ScaleMode::Pixels);
        draw(target, c);
        return image;
    }
    }
    return {};
}

// A pixel as ink (1), paper (0), or an edge that anti-aliasing greyed (-1).
int ink(const QImage& image, int x, int y)
{
    if (x < 0 || y < 0 || x >= image.width() || y >= image.height()) return 0;
    const int grey = qGray(image.pixel(x, y));
    return grey < 64 ? 1 : grey > 192 ? 0 : -1;
}

QRect inkBox(const QImage& image)
{
    QRect r;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (ink(image, x, y) == 1) r |= QRect(x, y, 1, 1);
    return r;
}

// Pixels that are ink in one image and paper in the other, `other` moved by (dx, dy).
int differing(const QImage& ref, const QImage& other, int dx, int dy, QPoint& first)
{
    int n = 0;
    for (int y = 0; y < ref.height(); ++y)
        for (int x = 0; x < ref.width(); ++x) {
            const int a = ink(ref, x, y), b = ink(other, x + dx, y + dy);
            if (a >= 0 && b >= 0 && a != b && n++ == 0) first = {x, y};
        }
    return n;
}

} // namespace

class BackendsCompareTest : public QObject {
    Q_OBJECT

private slots:
    void sameDrawingOnEveryBackend_data()
    {
        QTest::addColumn<int>("row");
        for (int i = 0; i < static_cast<int>(std::size(calls)); ++i)
            QTest::newRow(QByteArray::number(i).constData()) << i;
    }

    void sameDrawingOnEveryBackend()
    {
        QFETCH(int, row);
        const Call& c = calls[row];
        const QImage ref = drawnBy(Backend::Cairo, c);
        const QRect refBox = inkBox(ref);
        QVERIFY2(!refBox.isEmpty(), "the cairo context shows nothing");
        for (const auto& [b, name] : {std::pair{Backend::Png, "png"},
                                      {Backend::Svg, "svg"},
                                      {Backend::Pdf, "pdf"},
                                      {Backend::Sheet, "sheet"},
                                      {Backend::Qt, "qt"}}) {
            const QImage image = drawnBy(b, c);
            QVERIFY2(!image.isNull(), name);
            const QRect box = inkBox(image);
            // The sheet centres the drawing in its cell: compare it where it went.
            const QPoint shift = b == Backend::Sheet ? box.topLeft() - refBox.topLeft() : QPoint();
            const QString where = QString("%1: ink %2,%3 %4x%5, expected %6,%7 %8x%9")
                                      .arg(name)
                                      .arg(box.x() - shift.x())
                                      .arg(box.y() - shift.y())
                                      .arg(box.width())
                                      .arg(box.height())
                                      .arg(refBox.x())
                                      .arg(refBox.y())
                                      .arg(refBox.width())
                                      .arg(refBox.height());
            if (c.text != 0) {
                // Text is rasterised differently: it stands in the same place.
                const QRect moved = box.translated(-shift);
                QVERIFY2(std::abs(moved.left() - refBox.left()) <= 1 &&
                             std::abs(moved.right() - refBox.right()) <= 2 &&
                             std::abs(moved.top() - refBox.top()) <= 1 &&
                             std::abs(moved.bottom() - refBox.bottom()) <= 2,
                         qPrintable(where));
                continue;
            }
            QPoint first;
            int least = INT_MAX;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx)
                    if (b == Backend::Sheet || (dx == 0 && dy == 0))
                        least = std::min(
                            least, differing(ref, image, shift.x() + dx, shift.y() + dy, first));
            QVERIFY2(least == 0, qPrintable(QString("%1; %2 pixels differ, the first at (%3, %4)")
                                                .arg(where)
                                                .arg(least)
                                                .arg(first.x())
                                                .arg(first.y())));
        }
    }
};

QTEST_MAIN(BackendsCompareTest)
#include "backends_compare_test.moc"
