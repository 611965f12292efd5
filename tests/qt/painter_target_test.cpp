#include <QPainter>
#include <QtTest>
#include <functional>
#include <vector>

#include "decode.h"
#include "tallux/qt/painter_target.h"
#include "tallux/recording_target.h"
#include "tallux/tallux.h"

using namespace tallux;
using namespace tallux::test;
using tallux::qt::PainterTarget;
using tallux::qt::ScaleMode;

namespace {

struct Box {
    int x1;
    float y1;
    int x2;
    float y2;
    Long color;
};

constexpr Long black = 0;
constexpr Long red = 0x0000FF; // low byte red
constexpr QRgb background = qRgb(0x80, 0x80, 0x80);

// One letter a pixel: '-' untouched, 'w' white, '#' black, 'r' red, '?' other.
QStringList pixelRows(const QImage& image)
{
    QStringList rows;
    for (int y = 0; y < image.height(); ++y) {
        QString row;
        for (int x = 0; x < image.width(); ++x) {
            const QRgb c = image.pixel(x, y) & 0xFFFFFF;
            row += c == (background & 0xFFFFFF) ? '-'
                   : c == 0xFFFFFF              ? 'w'
                   : c == 0                     ? '#'
                   : c == 0xFF0000              ? 'r'
                                                : '?';
        }
        rows << row;
    }
    return rows;
}

QImage canvas(int width, int height, int dpi)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.setDotsPerMeterX(qRound(dpi / 0.0254));
    image.setDotsPerMeterY(qRound(dpi / 0.0254));
    image.fill(background);
    return image;
}

DrawParams code39(Target& target, std::u16string code, int width)
{
    DrawParams p;
    p.pObject = &target;
    p.pX = 10;
    p.pY = 4;
    p.pCode = std::move(code);
    p.pWidth = width;
    p.pHeight = 40;
    p.pText = 0;
    p.pRatio = u"0.3:0"; // wide = narrow + 2
    return p;
}

} // namespace

Q_DECLARE_METATYPE(ScaleMode)
Q_DECLARE_METATYPE(std::vector<Box>)

class PainterTargetTest : public QObject {
    Q_OBJECT
private slots:
    void boxesCoverWholePixels_data()
    {
        QTest::addColumn<ScaleMode>("mode");
        QTest::addColumn<std::vector<Box>>("boxes");
        QTest::addColumn<QStringList>("expected");
        const auto px = ScaleMode::Pixels;
        const auto tw = ScaleMode::Twips; // 96 DPI: 15 twips a pixel
        // clang-format off
        QTest::newRow("0 one box, both corners inside") << px << std::vector<Box>{{1, 1, 2, 2, black}}
            << QStringList{"------", "-##---", "-##---", "------"};
        QTest::newRow("1 corners the other way round: mirrored") << px << std::vector<Box>{{3, 3, 0, 0, black}}
            << QStringList{"------", "-##---", "-##---", "------"};
        QTest::newRow("2 zero module width: x to x-1 covers nothing") << px << std::vector<Box>{{3, 0, 2, 3, black}}
            << QStringList{"------", "------", "------", "------"};
        QTest::newRow("3 bar, painted space, red bar") << px
            << std::vector<Box>{{0, 0, 0, 3, black}, {1, 0, 2, 3, white}, {3, 0, 3, 3, red}}
            << QStringList{"#wwr--", "#wwr--", "#wwr--", "#wwr--"};
        QTest::newRow("4 fractional top and bottom") << px << std::vector<Box>{{0, 0.4f, 0, 1.5f, black}}
            << QStringList{"#-----", "#-----", "#-----", "------"};
        QTest::newRow("5 twips on pixel edges") << tw << std::vector<Box>{{15, 15, 44, 29, red}}
            << QStringList{"------", "-rr---", "------", "------"};
        QTest::newRow("6 twips between pixel edges: no gap, no overlap") << tw
            << std::vector<Box>{{0, 0, 19, 59, black}, {20, 0, 39, 59, white}, {40, 0, 64, 59, black}}
            << QStringList{"#ww#--", "#ww#--", "#ww#--", "#ww#--"};
        QTest::newRow("7 a box outside the picture") << px << std::vector<Box>{{-5, -5, -1, -1, black}}
            << QStringList{"------", "------", "------", "------"};
        // clang-format on
    }
    void boxesCoverWholePixels()
    {
        QFETCH(ScaleMode, mode);
        QFETCH(std::vector<Box>, boxes);
        QFETCH(QStringList, expected);
        QImage image = canvas(6, 4, 96);
        QPainter painter(&image);
        PainterTarget target(painter, mode);
        for (const Box& b : boxes) target.Line(filledBox, b.x1, b.y1, b.x2, b.y2, b.color);
        painter.end();
        QCOMPARE(pixelRows(image), expected);
    }

    void symbolShowsEveryRecordedBox_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<int>("width");
        QTest::newRow("0 A, one-pixel modules") << "A" << 1;
        QTest::newRow("1 TALLUX-8, two-pixel modules") << "TALLUX-8" << 2;
    }
    void symbolShowsEveryRecordedBox()
    {
        QFETCH(QString, code);
        QFETCH(int, width);
        RecordingTarget recorder;
        DrawParams recorded = code39(recorder, code.toStdU16String(), width);
        QCOMPARE(Tallux().draw(Code_39, recorded).value(), 0);

        QImage image = canvas(400, 50, 96);
        QPainter painter(&image);
        PainterTarget target(painter, ScaleMode::Pixels);
        DrawParams painted = code39(target, code.toStdU16String(), width);
        QCOMPARE(Tallux().draw(Code_39, painted).value(), 0);
        painter.end();

        // The row the boxes of the recorded calls make, read independently.
        QString expected(image.width(), '-');
        for (const Call& c : recorder.calls) {
            if (c.member != Member::Line) continue;
            QCOMPARE(c.y1, 4.0f);
            QCOMPARE(c.y2, 44.0f);
            for (int x = c.x1.value(); x <= c.x2.value(); ++x)
                expected[x] = c.color == white ? 'w' : '#';
        }
        const QStringList rows = pixelRows(image);
        QCOMPARE(rows[3], QString(image.width(), '-'));
        for (int y = 4; y <= 44; ++y) QCOMPARE(rows[y], expected);
        QCOMPARE(rows[45], QString(image.width(), '-'));
    }

    void symbolOnAnImageDecodes()
    {
        QImage image = canvas(500, 120, 96);
        image.fill(Qt::white);
        QPainter painter(&image);
        PainterTarget target(painter, ScaleMode::Pixels);
        DrawParams p = code39(target, u"TALLUX-8", 3);
        p.pX = 30;
        p.pY = 20;
        p.pHeight = 80;
        p.pChk = true;
        QCOMPARE(Tallux().draw(Code_39, p).value(), 0);
        painter.end();
        QCOMPARE(decodeImage(image), "CODE-39:" + QString::fromStdU16String(p.pCode));
    }

    void printMovesToTheNextLineAndStaysInsideItsBox()
    {
        QImage image = canvas(200, 80, 96);
        QPainter painter(&image);
        PainterTarget target(painter, ScaleMode::Pixels);
        target.FontName(u"DejaVu Sans");
        target.FontSize(12);
        target.ForeColor(red);
        target.CurrentX(Single(20));
        target.CurrentY(10);
        const double w = target.TextWidth(u"TALLUX").value();
        const double h = target.TextHeight(u"TALLUX").value();
        QVERIFY(w > 30 && h > 10);
        target.Print(u"TALLUX");
        painter.end();
        QCOMPARE(target.currentX(), 0.0);
        QCOMPARE(target.currentY(), 10 + h);

        int inside = 0;
        int outside = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                if ((image.pixel(x, y) & 0xFFFFFF) == (background & 0xFFFFFF)) continue;
                const bool in = x >= 19 && x <= 21 + w && y >= 9 && y <= 11 + h;
                (in ? inside : outside) += 1;
            }
        QVERIFY(inside > 20);
        QCOMPARE(outside, 0);
    }

    void textSettings()
    {
        QImage image = canvas(10, 10, 96);
        QPainter painter(&image);
        PainterTarget target(painter, ScaleMode::Twips);
        target.FontName(u"DejaVu Sans");
        target.FontSize(10);
        const double plain = target.TextWidth(u"WWWW").value();
        target.FontBold(true);
        QVERIFY(target.font().bold());
        QVERIFY(target.TextWidth(u"WWWW").value() > plain);
        // Twips at 96 DPI: a 10 point line is some 13 to 16 pixels, 195 to 240 twips.
        const double h = target.TextHeight(u"W").value();
        QVERIFY2(h > 180 && h < 260, qPrintable(QString::number(h)));
        QCOMPARE(target.TextWidth(u"W").type(), Number::Type::Float32);

        // Sizes beyond what a host draws are drawn at the nearest it does.
        for (const auto& [asked, drawn] : {std::pair{0, 1.0}, {-3, 1.0}, {30000, 2160.0}}) {
            target.FontSize(asked);
            QCOMPARE(target.font().pointSizeF(), drawn);
        }
    }

    void rejectedCalls_data()
    {
        QTest::addColumn<int>("flags");
        QTest::addColumn<float>("y2");
        QTest::addColumn<int>("error");
        QTest::newRow("0 not a filled box") << 6 << 5.0f << 5;
        QTest::newRow("1 infinite") << 38 << std::numeric_limits<float>::infinity() << 5;
    }
    void rejectedCalls()
    {
        QFETCH(int, flags);
        QFETCH(float, y2);
        QFETCH(int, error);
        QImage image = canvas(4, 4, 96);
        QPainter painter(&image);
        PainterTarget target(painter, ScaleMode::Pixels);
        try {
            target.Line(flags, 0, 0, 1, y2, black);
            QFAIL("the call was taken");
        } catch (const RuntimeError& e) {
            QCOMPARE(e.number(), error);
        }
        painter.end();
        QCOMPARE(pixelRows(image), QStringList(4, "----"));
    }

    void rejectedValues()
    {
        QImage image = canvas(4, 4, 96);
        QPainter painter(&image);
        PainterTarget target(painter, ScaleMode::Pixels);
        const std::function<void()> calls[] = {
            /*0*/ [&] { target.ForeColor(0x01000000); },
            /*1*/ [&] { target.CurrentX(Number(std::nan(""))); },
            /*2*/ [&] { target.CurrentY(std::numeric_limits<float>::infinity()); },
        };
        for (const auto& call : calls) {
            try {
                call();
                QFAIL("the value was taken");
            } catch (const RuntimeError& e) {
                QCOMPARE(e.number(), 380);
            }
        }
    }

    void hostColours_data()
    {
        QTest::addColumn<Long>("host");
        QTest::addColumn<QColor>("expected");
        QTest::newRow("0 low byte red") << Long{0x0000FF} << QColor(255, 0, 0);
        QTest::newRow("1 green") << Long{0x00FF00} << QColor(0, 255, 0);
        QTest::newRow("2 high byte blue") << Long{0xFF0000} << QColor(0, 0, 255);
        QTest::newRow("3 mixed") << Long{0x0000C0} << QColor(192, 0, 0);
        QTest::newRow("4 no colour") << Long{0x01123456} << QColor();
        QTest::newRow("5 -1, no colour") << Long{-1} << QColor();
        QTest::newRow("6 system: window text") << static_cast<Long>(0x80000008u) << QColor(0, 0, 0);
        QTest::newRow("7 system: tooltip")
            << static_cast<Long>(0x80000018u) << QColor(0xFF, 0xFF, 0xE1);
    }
    void hostColours()
    {
        QFETCH(Long, host);
        QFETCH(QColor, expected);
        QCOMPARE(qt::hostColor(host), expected);
    }

    void needsAnActivePainter()
    {
        QPainter idle;
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, PainterTarget(idle, ScaleMode::Pixels));
    }
};

QTEST_MAIN(PainterTargetTest)
#include "painter_target_test.moc"
