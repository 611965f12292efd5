#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <sstream>

#include "runtime/text.h"
#include "targets/pdf/pdf_sheet.h"
#include "targets/pdf/pdf_writer.h"
#include "targets_support.h"

namespace tallux::test {
namespace {

std::string popplerTool(const std::string& name)
{
    const std::string pdftoppm = TALLUX_PDFTOPPM;
    if (pdftoppm.empty()) return {};
    return pdftoppm.substr(0, pdftoppm.rfind("pdftoppm")) + name;
}

const Scale points{ScaleUnits::Points, 72};

// One 200-point page, one cell of 180 points from (10, 10), 5 inside.
SheetLayout oneCell()
{
    SheetLayout l;
    l.pageWidth = l.pageHeight = 200;
    l.columns = l.rows = 1;
    l.margin = 10;
    l.padding = 5;
    return l;
}

// Where the drawing area of oneCell() starts: below the caption.
double areaTop()
{
    MeasuringTarget m(points);
    m.FontName(u"Sans");
    m.FontSize(oneCell().captionPoints);
    return 10 + 1.5 * 5 + m.TextHeight(u"Ag").value();
}

DrawnRegion regionOf(double left, double top, double right, double bottom)
{
    DrawnRegion r;
    r.add(left, top, right, bottom);
    return r;
}

// A one-cell sheet with `draw` in it, as bytes.
std::string sheetOf(const DrawnRegion& region, const std::function<void(Target&)>& draw,
                    const String& caption = u"cell")
{
    std::string pdf;
    PdfSheet sheet(
        [&](const unsigned char* data, std::size_t size) {
            pdf.append(reinterpret_cast<const char*>(data), size);
            return true;
        },
        oneCell(), points);
    sheet.place(caption, region, draw);
    sheet.finish();
    return pdf;
}

Image rendered(const Scratch& dir, const std::string& pdf, int dpi)
{
    writeFile(dir.path / "s.pdf", pdf);
    run(quoted(TALLUX_PDFTOPPM) + " -r " + std::to_string(dpi) + " -png -singlefile " +
        quoted((dir.path / "s.pdf").string()) + " " + quoted((dir.path / "s").string()));
    return readPng(readFile(dir.path / "s.png"));
}

struct Bounds {
    int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1; // right, bottom exclusive
};

Bounds darkBounds(const Image& img, int fromY)
{
    Bounds b;
    for (int y = fromY; y < img.height; ++y)
        for (int x = 0; x < img.width; ++x)
            if (img.dark(x, y)) {
                b.left = std::min(b.left, x), b.top = std::min(b.top, y);
                b.right = std::max(b.right, x + 1), b.bottom = std::max(b.bottom, y + 1);
            }
    return b;
}

TEST(PdfSheet, NumbersAreWrittenAsPdfReadsThem)
{
    struct Case {
        double value;
        int decimals;
        std::string_view text;
    };
    const Case cases[] = {
        /*0*/ {1500, 3, "1500"},
        /*1*/ {-20, 3, "-20"},
        /*2*/ {12.5, 3, "12.5"},
        /*3*/ {30.498047, 3, "30.498"},
        /*4*/ {0.041380167, 9, "0.041380167"},
        /*5*/ {-0.0001, 3, "0"}, // no negative zero
        /*6*/ {-0.0, 3, "0"},
        /*7*/ {1e20, 3, "100000000000000000000"}, // never an exponent
        /*8*/ {std::nan(""), 3, "0"},
        /*9*/ {0.99999, 3, "1"},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        std::string out = "x";
        appendNumber(out, cases[i].value, cases[i].decimals);
        EXPECT_EQ(out, "x" + std::string(cases[i].text)) << "case " << i;
    }
}

TEST(PdfSheet, DrawingsAreScaledCentredAndClippedToTheirCell)
{
    if (popplerTool("pdftoppm").empty()) GTEST_SKIP() << "pdftoppm is not installed";
    const double top = areaTop();
    struct Case {
        DrawnRegion region;
        int x1, y1, x2, y2;         // the box, corners inclusive
        double left, right, height; // where it shows, in points
    };
    const Case cases[] = {
        /*0*/ {regionOf(0, 0, 100, 50), 0, 0, 99, 49, 50, 150, 50},
        /*1*/ {regionOf(-20, 10, 80, 60), -20, 10, 79, 59, 50, 150, 50}, // the region's corner
        /*2*/ {regionOf(0, 0, 340, 50), 0, 0, 339, 49, 15, 185, 25},     // halved to fit
        /*3*/ {regionOf(0, 0, 100, 50), 0, 0, 399, 49, 50, 190, 50},     // cut at the cell
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        Scratch dir("tallux-pdf-sheet");
        const Image img = rendered(dir,
                                   sheetOf(c.region,
                                           [&](Target& t) {
                                               t.Line(filledBox, Integer(c.x1), Single(c.y1),
                                                      Integer(c.x2), Single(c.y2), 0);
                                           }),
                                   72);
        ASSERT_EQ(img.width, 200) << "case " << i;
        const Bounds b = darkBounds(img, static_cast<int>(top) - 1);
        EXPECT_NEAR(b.left, c.left, 1) << "case " << i;
        EXPECT_NEAR(b.right, c.right, 1) << "case " << i;
        EXPECT_NEAR(b.top, top, 1) << "case " << i;
        EXPECT_NEAR(b.bottom - b.top, c.height, 1) << "case " << i;
    }
}

TEST(PdfSheet, BoxesTakeTheirColours)
{
    if (popplerTool("pdftoppm").empty()) GTEST_SKIP() << "pdftoppm is not installed";
    const Long colours[] = {/*0*/ 0x0000FF, /*1*/ 0x00FF00, /*2*/ static_cast<Long>(0x80000008u),
                            /*3*/ 0x336699};
    const std::uint32_t expected[] = {0xFF0000, 0x00FF00, 0x000000, 0x996633};
    Scratch dir("tallux-pdf-sheet");
    const Image img = rendered(dir,
                               sheetOf(regionOf(0, 0, 160, 40),
                                       [&](Target& t) {
                                           for (int i = 0; i < 4; ++i)
                                               t.Line(filledBox, Integer(40 * i), 0,
                                                      Integer(40 * i + 39), 39, colours[i]);
                                       }),
                               72);
    const int y = static_cast<int>(areaTop()) + 20;
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(img.colorAt(20 + 40 * i + 20, y), expected[i]) << "box " << i;
}

TEST(PdfSheet, TextShowsInTheFontPangoChoseOrAsItsOutlines)
{
    if (popplerTool("pdftotext").empty()) GTEST_SKIP() << "poppler's tools are not installed";
    struct Case {
        const char16_t* font;
        bool bold;
        std::string text; // UTF-8
        bool asText;      // embedded and readable back; else drawn as outlines
    };
    const Case cases[] = {
        /*0*/ {u"Sans", false, "Tallux 0123", true},
        /*1*/ {u"Arial", false, "7 954220", true},
        /*2*/ {u"Arial", true, "Bold 42", true},
        /*3*/
        {u"Sans", false,
         "Gr\xC3\xBC\xC3\x9F"
         "e \xE2\x82\xAC",
         true},                                                                  // beyond ASCII
        /*4*/ {u"Noto Sans CJK JP", false, "\xE6\xBC\xA2\xE5\xAD\x97", false},   // in a collection
        /*5*/ {u"Droid Sans Fallback", true, "\xE4\xB8\xAD\xE6\x96\x87", false}, // thickened
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        Scratch dir("tallux-pdf-sheet");
        const std::string pdf = sheetOf(regionOf(0, 0, 100, 40), [&](Target& t) {
            t.FontName(c.font);
            t.FontBold(Boolean(c.bold));
            t.FontSize(14);
            t.CurrentX(Integer(0));
            t.CurrentY(0);
            t.Print(fromUtf8(c.text));
        });
        writeFile(dir.path / "s.pdf", pdf);
        const std::string words = run(quoted(popplerTool("pdftotext")) + " -bbox " +
                                      quoted((dir.path / "s.pdf").string()) + " -");
        EXPECT_NE(words.find(">cell<"), std::string::npos) << "case " << i << ": " << words;
        const std::string firstWord = c.text.substr(0, c.text.find(' '));
        const std::size_t at = words.find(">" + firstWord + "<");
        EXPECT_EQ(at != std::string::npos, c.asText) << "case " << i << ": " << words;
        if (at != std::string::npos) {
            // The text starts where the print position put it.
            const std::size_t x = words.rfind("xMin=\"", at);
            EXPECT_NEAR(std::stod(words.substr(x + 6)), 50, 0.6) << "case " << i;
        }
        const Image img = rendered(dir, pdf, 72);
        const Bounds ink = darkBounds(img, static_cast<int>(areaTop()));
        EXPECT_NEAR(ink.left, 50, 3) << "case " << i;
        EXPECT_GT(ink.bottom - ink.top, 5) << "case " << i;
    }
}

TEST(PdfSheet, AFileThatCannotBeWrittenRaisesAPageError)
{
    const std::size_t limits[] = {/*0*/ 0, /*1*/ 200 * 1024};
    for (std::size_t i = 0; i < std::size(limits); ++i) {
        std::size_t kept = 0;
        bool raised = false;
        try {
            PdfSheet sheet(
                [&](const unsigned char*, std::size_t size) {
                    kept += size;
                    return kept <= limits[i];
                },
                oneCell(), points);
            for (int n = 0; n < 5000; ++n)
                sheet.place(u"BarEAN13", regionOf(0, 0, 10, 10), [](Target& t) {
                    for (int x = 0; x < 10; ++x)
                        t.Line(filledBox, Integer(x), 0, Integer(x), 9, x % 2 ? white : 0);
                });
            sheet.finish();
        } catch (const PageError&) {
            raised = true;
        }
        EXPECT_TRUE(raised) << "case " << i;
    }
}

int checkDigit(const std::string& twelve)
{
    int sum = 0;
    for (std::size_t i = 0; i < 12; ++i) sum += (twelve[i] - '0') * (i % 2 ? 3 : 1);
    return (10 - sum % 10) % 10;
}

TEST(PdfSheet, APageOfLabelsDecodes)
{
    if (popplerTool("pdftoppm").empty() || std::string(TALLUX_ZBARIMG).empty())
        GTEST_SKIP() << "pdftoppm or zbarimg is not installed";
    Scratch dir("tallux-pdf-sheet");
    std::string lines;
    std::set<std::string> codes;
    for (int i = 0; i < 24; ++i) {
        const std::string twelve = std::to_string(400638133000 + 7919LL * i);
        lines += "ean13," + twelve + "\n";
        codes.insert("EAN-13:" + twelve + std::to_string(checkDigit(twelve)));
    }
    writeFile(dir.path / "lines.txt", lines);
    const std::string pdf = (dir.path / "s.pdf").string();
    int status = -1;
    run(quoted(TALLUX_CLI_PATH) + " batch " + quoted((dir.path / "lines.txt").string()) +
            " --sheet " + quoted(pdf) + " 2>/dev/null",
        &status);
    ASSERT_EQ(status, 0);
    run(quoted(TALLUX_PDFTOPPM) + " -r 300 -gray -singlefile " + quoted(pdf) + " " +
        quoted((dir.path / "page").string()));
    std::istringstream found(
        run(quoted(TALLUX_ZBARIMG) + " -q " + quoted((dir.path / "page.pgm").string())));
    std::set<std::string> decoded;
    for (std::string line; std::getline(found, line);) decoded.insert(line);
    EXPECT_EQ(decoded, codes);
}

} // namespace
} // namespace tallux::test
