#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <vector>

#include "pages/page_writers.h"
#include "pdf_check.h"
#include "runtime/text.h"
#include "support.h"
#include "targets/cairo/leak_suppressions.h"
#include "targets_support.h"

namespace tallux::test {
namespace {

// A page in pixels, origin unmoved, with direct access to its target.
struct PixelPage {
    FilePage page{FileFormat::Png, fixed(ScaleUnits::Pixels, 96, 200, 100)};
    HostTarget& t = page.target();
    Image image() { return readPng(page.finish()); }
};

TEST(CairoTarget, BarsHaveThePixelWidthsTheCallAskedFor)
{
    struct Case {
        ScaleUnits units;
        double dpi;
        int width;
        const char16_t* ratio;
        float x, y;
        double pixelsPerUnit;
    };
    const Case cases[] = {
        /*0*/ {ScaleUnits::Twips, 0, 15, u"3:1", 150, 150, 1},    // the command's defaults
        /*1*/ {ScaleUnits::Pixels, 300, 3, u"1:0", 7, 5, 1},      // N 3, M 10 pixels
        /*2*/ {ScaleUnits::Points, 0, 1, u".3:0", 4, 4, 5},       // 360 dpi; M = 3 points
        /*3*/ {ScaleUnits::Millimetres, 0, 1, u".2:0", 2, 2, 12}, // 12 pixels a millimetre
        /*4*/ {ScaleUnits::Twips, 720, 16, u"2:0", 160, 80, 0.5}, // N 8, M 15 pixels
        /*5*/ {ScaleUnits::Pixels, 72, 2, u"3:1", 0, 0, 1},       // starts at the page edge
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        RecordingTarget rec;
        DrawParams p = params(rec, u"TALLUX");
        p.pX = c.x, p.pY = c.y, p.pWidth = c.width, p.pRatio = c.ratio, p.pText = 0;
        p.pHeight = 40;
        ASSERT_EQ(Tallux().draw(Code_39, p).value(), 0) << "case " << i;
        const Call& last = rec.calls.back();
        const double right = (int{last.x2.value()} + 1) * c.pixelsPerUnit;

        p.pCode = u"TALLUX";
        const PageOptions o = fixed(c.units, c.dpi, (right + 10) / c.pixelsPerUnit, c.y + 60);
        const Image img = readPng(drawPage(Code_39, p, FileFormat::Png, o));
        ASSERT_EQ(img.width, static_cast<int>(std::ceil(right + 10 - 1e-9))) << "case " << i;

        const int mid = static_cast<int>((c.y + 20) * c.pixelsPerUnit);
        for (const Call& call : rec.calls) {
            if (call.member != Member::Line) continue;
            const auto x0 = static_cast<int>(int{call.x1.value()} * c.pixelsPerUnit);
            const auto x1 = static_cast<int>((int{call.x2.value()} + 1) * c.pixelsPerUnit);
            for (int x = x0; x < x1; ++x)
                ASSERT_EQ(img.dark(x, mid), call.color == bar)
                    << "case " << i << ": " << call.str() << " at pixel " << x;
        }
        // The first bar covers pY to pY + pHeight, both inclusive.
        // Edges between pixels go to the nearer pixel boundary.
        const auto edge = [&](double units) {
            return static_cast<int>(std::floor(units * c.pixelsPerUnit + 0.5));
        };
        const int x = edge(c.x), top = edge(c.y), bottom = edge(c.y + 41);
        EXPECT_TRUE(img.dark(x, top) && img.dark(x, bottom - 1)) << "case " << i;
        if (top > 0) {
            EXPECT_FALSE(img.dark(x, top - 1)) << "case " << i;
        }
        EXPECT_FALSE(img.dark(x, bottom)) << "case " << i;
        if (x > 0) {
            EXPECT_FALSE(img.dark(x - 1, mid)) << "case " << i;
        }
    }
}

TEST(CairoTarget, BoxesAreCrispAndTextIsAntiAliased)
{
    DrawParams p;
    p.pCode = u"CRISP";
    p.pX = 150, p.pY = 150, p.pWidth = 15, p.pHeight = 900, p.pText = 1;
    PageOptions o;
    o.scale = {ScaleUnits::Twips, 288}; // 0.2 pixels a twip: edges rounded to whole pixels
    const Image img = readPng(drawPage(Code_39, p, FileFormat::Png, o));
    int bars = 0, text = 0;
    for (int y = 0; y < img.height; ++y)
        for (int x = 0; x < img.width; ++x) {
            const int g = img.at(x, y);
            if (g == 0 || g == 255) continue;
            (y < (150 + 900 + 2 + 20) / 5 ? bars : text)++;
        }
    EXPECT_EQ(bars, 0);
    EXPECT_GT(text, 20);
}

TEST(CairoTarget, LineFillsBothCornersInclusiveInTheColourGiven)
{
    struct Case {
        int x1;
        float y1;
        int x2;
        float y2;
        Long color;
        int left, top, right, bottom; // covered pixels, right and bottom exclusive
        std::uint32_t rgb;
    };
    const Case cases[] = {
        /*0*/ {10, 5, 12, 7, 0x0000FF, 10, 5, 13, 8, 0xFF0000},           // low byte red
        /*1*/ {12, 7, 10, 5, 0xFF0000, 11, 6, 12, 7, 0x0000FF},           // from 12 back to 11
        /*2*/ {20, 10, 19, 30, 0, 0, 0, 0, 0, 0xFFFFFF},                  // zero width: nothing
        /*3*/ {30, 10, 27, 12, 0x00FF00, 28, 10, 30, 13, 0x00FF00},       // x2 < x1 - 1: mirrored
        /*4*/ {0, 0, 0, 0, static_cast<Long>(0x80000008), 0, 0, 1, 1, 0}, // window text colour
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        PixelPage pg;
        pg.t.Line(filledBox, c.x1, c.y1, c.x2, c.y2, c.color);
        const Image img = pg.image();
        for (int y = 0; y < 40; ++y)
            for (int x = 0; x < 40; ++x) {
                const bool inside = x >= c.left && x < c.right && y >= c.top && y < c.bottom;
                ASSERT_EQ(img.colorAt(x, y), inside ? c.rgb : 0xFFFFFFu)
                    << "case " << i << " at " << x << "," << y;
            }
    }
}

TEST(CairoTarget, RejectedValuesRaiseTheTargetsNumbers)
{
    PixelPage pg;
    const auto number = [](auto call) {
        try {
            call();
        } catch (const RuntimeError& e) {
            return e.number();
        }
        return 0;
    };
    struct Case {
        std::function<void()> call;
        std::int32_t expected;
    };
    const Case cases[] = {
        /*0*/ {[&] { pg.t.ForeColor(0x01000000); }, err::InvalidPropertyValue},
        /*1*/ {[&] { pg.t.ForeColor(static_cast<Long>(0x80000019)); }, err::InvalidPropertyValue},
        /*2*/ {[&] { pg.t.ForeColor(static_cast<Long>(0x80000018)); }, 0},
        /*3*/ {[&] { pg.t.Line(filledBox, 0, 0, 1, 1, -1); }, err::InvalidCall},
        /*4*/ {[&] { pg.t.Line(6, 0, 0, 1, 1, 0); }, err::InvalidCall},
        /*5*/ {[&] { pg.t.CurrentX(Number(std::nan(""))); }, err::InvalidPropertyValue},
        /*6*/ {[&] { pg.t.CurrentY(INFINITY); }, err::InvalidPropertyValue},
        /*7*/ {[&] { pg.t.FontSize(0); }, 0},  // pWidth 1 asks for size 0
        /*8*/ {[&] { pg.t.FontSize(-3); }, 0}, // and -7 for -3
        /*9*/ {[&] { pg.t.Line(filledBox, 0, -3e38f, 1, 3e38f, 0); }, 0}, // far outside the page
        /*10*/ {[&] { pg.t.CurrentY(-3e38f), pg.t.Print(u"far"); }, 0},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(number(cases[i].call), cases[i].expected) << "case " << i;
    EXPECT_NO_THROW(pg.page.finish());
}

TEST(CairoTarget, PrintPutsTheTextsTopLeftCornerAtTheCurrentPositionThenMovesToTheNextLine)
{
    PixelPage pg;
    pg.t.FontName(u"DejaVu Sans");
    pg.t.FontSize(12); // 16 pixels at 96 dpi
    pg.t.ForeColor(0);
    pg.t.CurrentX(Number(Single(40.0f)));
    pg.t.CurrentY(30);
    const double w = pg.t.TextWidth(u"HH").value(), h = pg.t.TextHeight(u"HH").value();
    pg.t.Print(u"HH");
    EXPECT_EQ(pg.t.currentX(), 0);
    EXPECT_DOUBLE_EQ(pg.t.currentY(), 30 + h);
    EXPECT_GT(h, 12);
    EXPECT_LT(h, 24);

    const Image img = pg.image();
    int left = img.width, top = img.height, right = -1, bottom = -1;
    for (int y = 0; y < img.height; ++y)
        for (int x = 0; x < img.width; ++x)
            if (img.dark(x, y))
                left = std::min(left, x), right = std::max(right, x), top = std::min(top, y),
                bottom = std::max(bottom, y);
    // "H" has ink from near its left edge and from the cap height down to the baseline.
    EXPECT_GE(left, 40);
    EXPECT_LE(left, 44);
    EXPECT_LE(right, 40 + w);
    EXPECT_GE(top, 30);
    EXPECT_LE(top, 30 + h / 3);
    EXPECT_LE(bottom, 30 + h);
}

TEST(CairoTarget, TextMeasuresInScaleUnitsAndAnyFontNameFallsBack)
{
    const auto measure = [](ScaleUnits units, const char16_t* font, bool bold) {
        PageTarget t(FileFormat::Pdf, Scale{units, 0});
        t.FontName(font);
        t.FontBold(bold);
        t.FontSize(7);
        return std::pair{t.TextWidth(u"1234567890").value(), t.TextHeight(u"1234567890").value()};
    };
    const auto [pw, ph] = measure(ScaleUnits::Points, u"DejaVu Sans", false);
    const auto [tw, th] = measure(ScaleUnits::Twips, u"DejaVu Sans", false);
    const auto [mw, mh] = measure(ScaleUnits::Millimetres, u"DejaVu Sans", false);
    EXPECT_NEAR(tw / pw, 20, 0.05);
    EXPECT_NEAR(th / ph, 20, 0.05);
    EXPECT_NEAR(mw / pw, 25.4 / 72, 0.001);
    EXPECT_NEAR(ph, 7 * 1.16, 1.5); // one line of 7-point text

    for (const char16_t* font : {u"No Such Font 4711", u"", u"Arial", u"Courier New"}) {
        const auto [w, h] = measure(ScaleUnits::Points, font, true);
        EXPECT_GT(w, 20) << toUtf8(font);
        EXPECT_GT(h, 5) << toUtf8(font);
    }
    EXPECT_GT(measure(ScaleUnits::Points, u"DejaVu Sans", true).first, pw); // bold is wider

    // One character in turn at two sizes and weights: each is its own.
    PageTarget one(FileFormat::Pdf, Scale{ScaleUnits::Points, 0});
    one.FontName(u"DejaVu Sans");
    std::vector<double> widths;
    for (const int size : {7, 14, 7}) {
        one.FontSize(size);
        widths.push_back(one.TextWidth(u"W").value());
    }
    EXPECT_NEAR(widths[1], 2 * widths[0], 0.5);
    EXPECT_EQ(widths[2], widths[0]);
    one.FontBold(true);
    EXPECT_GT(one.TextWidth(u"W").value(), widths[0]);

    PageTarget t(FileFormat::Pdf, Scale{});
    EXPECT_EQ(t.TextWidth(u"").value(), 0);
    EXPECT_GT(t.TextHeight(u"").value(), 0); // an empty line still has its height
    EXPECT_EQ(t.TextWidth(u"A").type(), Number::Type::Float32);
}

TEST(FilePage, PageCoversTheDrawingAndItsQuietZone)
{
    DrawnRegion region;
    region.add({100, 50, 400, 300});
    region.narrowest = 10;
    DrawnRegion left = region;
    left.add({-30, 50, 400, 300});

    struct Case {
        FileFormat format;
        ScaleUnits units;
        double dpi;
        const DrawnRegion& drawn;
        std::optional<double> width, height, margin;
        double pageWidth, pageHeight;
    };
    const Case cases[] = {
        /*0*/ {FileFormat::Png, ScaleUnits::Pixels, 96, region, {}, {}, {}, 500, 450}, // quiet 100
        /*1*/ {FileFormat::Png, ScaleUnits::Pixels, 96, region, {}, {}, 20, 420, 320},
        /*2*/ {FileFormat::Png, ScaleUnits::Pixels, 96, region, 300, 200, {}, 300, 200},
        /*3*/ {FileFormat::Png, ScaleUnits::Pixels, 96, left, {}, {}, {}, 630, 450}, // origin moved
        /*4*/ {FileFormat::Png, ScaleUnits::Points, 0, region, {}, {}, {}, 2500, 2250},  // 5 px a
                                                                                         // point
        /*5*/ {FileFormat::Svg, ScaleUnits::Pixels, 96, region, {}, {}, {}, 375, 337.5}, // in
                                                                                         // points
        /*6*/ {FileFormat::Pdf, ScaleUnits::Twips, 0, region, {}, {}, {}, 25, 22.5},
        /*7*/
        {FileFormat::Ps,
         ScaleUnits::Millimetres,
         0,
         region,
         {},
         {},
         0,
         400 * 72 / 25.4,
         300 * 72 / 25.4},
        /*8*/ {FileFormat::Png, ScaleUnits::Pixels, 96, DrawnRegion{}, {}, {}, {}, 1, 1}, // nothing
                                                                                          // drawn
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        PageOptions o;
        o.scale = {c.units, c.dpi};
        o.width = c.width, o.height = c.height, o.margin = c.margin;
        const PageLayout page = layOutPage(c.format, o, c.drawn);
        EXPECT_NEAR(page.width, c.pageWidth, 1e-6) << "case " << i;
        EXPECT_NEAR(page.height, c.pageHeight, 1e-6) << "case " << i;
    }

    DrawnRegion huge;
    huge.add({0, 0, 40000, 10});
    PageOptions px;
    px.scale = {ScaleUnits::Pixels, 96};
    EXPECT_THROW(layOutPage(FileFormat::Png, px, huge), PageError);
    px.margin = -1;
    EXPECT_THROW(layOutPage(FileFormat::Png, px, region), PageError);
    EXPECT_THROW(FilePage(FileFormat::Png, px), PageError);
}

TEST(FilePage, PngRecordsItsResolution)
{
    struct Case {
        Scale scale;
        std::string chunk; // length, "pHYs", x and y per metre, unit, CRC
    };
    const Case cases[] = {
        /*0*/ {{ScaleUnits::Pixels, 300},
               std::string("\0\0\0\x09pHYs\0\0\x2e\x23\0\0\x2e\x23\x01\x78\xa5\x3f\x76", 21)},
        /*1*/
        {{ScaleUnits::Twips, 0}, std::string("\0\0\0\x09pHYs\0\0\xdd\x75\0\0\xdd\x75\x01", 17)},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        PageOptions o;
        o.scale = cases[i].scale;
        FilePage page(FileFormat::Png, o);
        const std::string png = page.finish();
        EXPECT_EQ(png.substr(33, cases[i].chunk.size()), cases[i].chunk) << "case " << i;
        EXPECT_EQ(readPng(png).width, 1) << "case " << i;
    }
}

// Counts elements and checks that every tag is closed in order.
bool wellFormedXml(const std::string& xml, int& paths)
{
    std::vector<std::string> open;
    paths = 0;
    for (std::size_t at = xml.find('<'); at != std::string::npos; at = xml.find('<', at + 1)) {
        if (xml.compare(at, 4, "<!--") == 0) {
            at = xml.find("-->", at);
            if (at == std::string::npos) return false;
            continue;
        }
        const std::size_t end = xml.find('>', at);
        if (end == std::string::npos) return false;
        const std::string tag = xml.substr(at + 1, end - at - 1);
        if (tag.starts_with('?') || tag.starts_with('!')) continue;
        const std::string name =
            tag.substr(tag.starts_with('/') ? 1 : 0,
                       tag.find_first_of(" \n\t/", 1) - (tag.starts_with('/') ? 1 : 0));
        if (name == "path") ++paths;
        if (tag.starts_with('/')) {
            if (open.empty() || open.back() != name) return false;
            open.pop_back();
        } else if (!tag.ends_with('/')) {
            open.push_back(name);
        }
    }
    return open.empty();
}

TEST(FilePage, VectorFilesOpen)
{
    DrawParams p;
    p.pCode = u"VECTOR";
    p.pX = 150, p.pY = 150, p.pWidth = 15, p.pHeight = 900, p.pText = 1;
    PageOptions o;

    const std::string svg = drawPage(Code_39, p, FileFormat::Svg, o);
    int paths = 0;
    EXPECT_TRUE(svg.starts_with("<?xml"));
    EXPECT_TRUE(wellFormedXml(svg, paths));
    EXPECT_GE(paths, 1); // the bars
    EXPECT_NE(svg.find(">VECTOR</text>"), std::string::npos);

    const std::string ps = drawPage(Code_39, p, FileFormat::Ps, o);
    EXPECT_TRUE(ps.starts_with("%!PS-Adobe-3.0"));
    EXPECT_NE(ps.find("%%EOF"), std::string::npos);
    // With SOURCE_DATE_EPOCH the stamp is that time, and the file is the same each time.
    ::setenv("SOURCE_DATE_EPOCH", "1700000000", 1);
    for (const FileFormat f : {FileFormat::Ps, FileFormat::Eps}) {
        const std::string once = drawPage(Code_39, p, f, o);
        EXPECT_NE(once.find("\n%%CreationDate: Tue Nov 14 22:13:20 2023\n"), std::string::npos);
        EXPECT_EQ(once, drawPage(Code_39, p, f, o));
    }
    ::unsetenv("SOURCE_DATE_EPOCH");

    const std::string pdf = drawPage(Code_39, p, FileFormat::Pdf, o);
    ASSERT_TRUE(pdf.starts_with("%PDF-"));
    if (std::string(TALLUX_PDFTOPPM).empty()) FAIL() << "pdftoppm is not installed";
    Scratch dir("tallux-pdf");
    writeFile(dir.path / "page.pdf", pdf);
    EXPECT_EQ(pdfFaults(dir.path / "page.pdf"), "");
    int status = -1;
    run(std::string(TALLUX_PDFTOPPM) + " -png -r 96 -singlefile " +
            quoted((dir.path / "page.pdf").string()) + " " + quoted((dir.path / "page").string()),
        &status);
    ASSERT_EQ(status, 0);
    const Image img = readPng(readFile(dir.path / "page.png"));
    ASSERT_GT(img.width, 100);
    int dark = 0;
    for (std::uint8_t g : img.grey) dark += g < 128;
    EXPECT_GT(dark, img.width); // the bars are there
}

} // namespace
} // namespace tallux::test
