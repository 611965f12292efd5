#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <sstream>
#include <thread>

#include <fontconfig/fontconfig.h>
#include <pango/pangocairo.h>
#include <pango/pangofc-fontmap.h>

#include "pages/pdf_sheet.h"
#include "pdf_check.h"
#include "runtime/text.h"
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
    PageTarget m(FileFormat::Pdf, points);
    m.FontName(u"Sans");
    m.FontSize(oneCell().captionPoints);
    return 10 + 1.5 * 5 + m.TextHeight(u"Ag").value();
}

DrawnRegion regionOf(double left, double top, double right, double bottom)
{
    DrawnRegion r;
    r.add({left, top, right, bottom});
    return r;
}

// What `draw` draws, kept for a sheet, as if it covered `region`.
DisplayList drawing(const DrawnRegion& region, const std::function<void(Target&)>& draw)
{
    PageTarget t(FileFormat::Pdf, points);
    draw(t);
    DisplayList list = t.take();
    list.drawn = region;
    return list;
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
        oneCell());
    sheet.place(caption, drawing(region, draw));
    sheet.finish();
    return pdf;
}

// The sheet drawn by pdftoppm, once qpdf and FreeType have checked it.
Image rendered(const Scratch& dir, const std::string& pdf, int dpi)
{
    writeFile(dir.path / "s.pdf", pdf);
    EXPECT_EQ(pdfFaults(dir.path / "s.pdf"), "");
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
    if (popplerTool("pdftoppm").empty()) FAIL() << "pdftoppm is not installed";
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
    if (popplerTool("pdftoppm").empty()) FAIL() << "pdftoppm is not installed";
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

// fontconfig's rule for a family without bold: its regular face, thickened.
constexpr const char* syntheticBold = R"(<?xml version="1.0"?>
<fontconfig><match target="font">
  <test name="weight" compare="less_eq"><const>medium</const></test>
  <test target="pattern" name="weight" compare="more_eq"><const>bold</const></test>
  <edit name="embolden" mode="assign"><bool>true</bool></edit>
  <edit name="weight" mode="assign"><const>bold</const></edit>
</match></fontconfig>)";

// Runs `draw` on a thread of its own whose Pango finds no font but `file`.
void withOnlyFont(const std::string& file, const std::function<void()>& draw)
{
    std::thread([&] {
        FcConfig* config = FcConfigCreate();
        FcConfigParseAndLoadFromMemory(config, reinterpret_cast<const FcChar8*>(syntheticBold),
                                       FcTrue);
        FcConfigAppFontAddFile(config, reinterpret_cast<const FcChar8*>(file.c_str()));
        PangoFontMap* map = pango_cairo_font_map_new_for_font_type(CAIRO_FONT_TYPE_FT);
        pango_fc_font_map_set_config(PANGO_FC_FONT_MAP(map), config);
        pango_cairo_font_map_set_default(PANGO_CAIRO_FONT_MAP(map));
        draw();
        pango_cairo_font_map_set_default(nullptr);
        g_object_unref(map);
        FcConfigDestroy(config);
    }).join();
}

// A font file whose table `tag` is cut to half its length (in the first face
// of a collection).
std::string withTableCut(std::string font, std::string_view tag)
{
    const auto u32 = [&](std::size_t at) {
        std::uint32_t v = 0;
        for (std::size_t i = 0; i < 4; ++i) v = v << 8 | static_cast<unsigned char>(font[at + i]);
        return v;
    };
    const std::size_t dir = font.starts_with("ttcf") ? u32(12) : 0;
    const std::uint32_t tables = u32(dir + 4) >> 16;
    for (std::size_t i = 0; i < tables; ++i) {
        const std::size_t entry = dir + 12 + 16 * i;
        if (font.compare(entry, 4, tag) != 0) continue;
        const std::uint32_t half = u32(entry + 12) / 2;
        for (std::size_t k = 0; k < 4; ++k)
            font[entry + 12 + k] = static_cast<char>(half >> (24 - 8 * k) & 0xFF);
    }
    return font;
}

int darkPixels(const Image& img, int fromY)
{
    int dark = 0;
    for (int y = fromY; y < img.height; ++y)
        for (int x = 0; x < img.width; ++x) dark += img.dark(x, y);
    return dark;
}

int darkPixels(cairo_surface_t* s)
{
    cairo_surface_flush(s);
    const unsigned char* data = cairo_image_surface_get_data(s);
    const int stride = cairo_image_surface_get_stride(s);
    int dark = 0;
    for (int y = 0; y < cairo_image_surface_get_height(s); ++y)
        for (int x = 0; x < cairo_image_surface_get_width(s); ++x) {
            const unsigned char* px = data + y * stride + x * 4;
            dark += px[0] + px[1] + px[2] < 3 * 128;
        }
    return dark;
}

TEST(PdfSheet, TextStaysTextWhateverTheFontFile)
{
    if (popplerTool("pdftotext").empty()) FAIL() << "poppler's tools are not installed";
    const std::string dejaVu = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
    const std::string notoCjk = "/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc";
    struct Case {
        const std::string& file;
        std::string_view cut; // a table cut short; empty: the file as it is
        bool bold;            // asked of a file without bold: fontconfig thickens it
        std::string text;     // UTF-8
    };
    const Case cases[] = {
        /*0*/ {dejaVu, "", false, "Tallux 0123"},            // TrueType
        /*1*/ {dejaVu, "", false, "Gr\u00fc\u00dfe \u20ac"}, // beyond ASCII
        /*2*/ {dejaVu, "", false, "xe\xCC\x81\xCC\xA3 x"},   // one cluster, two glyphs
        /*3*/ {dejaVu, "", true, "Bold 42"},
        /*4*/ {notoCjk, "", false, "\xE6\xBC\xA2\xE5\xAD\x97 42"}, // CID-keyed CFF, a collection
        /*5*/ {notoCjk, "", true, "\xE4\xB8\xAD\xE6\x96\x87"},
        /*6*/ {dejaVu, "glyf", false, "Tallux 0123"},
        /*7*/ {dejaVu, "loca", false, "Tallux 0123"},
        /*8*/ {dejaVu, "hmtx", false, "Tallux 0123"},
        /*9*/ {dejaVu, "OS/2", false, "Tallux 0123"},
        /*10*/ {dejaVu, "maxp", false, "Tallux 0123"},
        /*11*/ {notoCjk, "CFF ", false, "42"},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        Scratch dir("tallux-pdf-sheet");
        std::string file = c.file;
        if (!c.cut.empty()) {
            file = dir / "cut.font";
            writeFile(file, withTableCut(readFile(c.file), c.cut));
        }
        std::string pdf;
        int cairoInk = 0;
        withOnlyFont(file, [&] {
            const auto draw = [&](Target& t) {
                t.FontName(u"Sans");
                t.FontBold(Boolean(c.bold));
                t.FontSize(14);
                t.CurrentX(Integer(0));
                t.CurrentY(0);
                t.Print(fromUtf8(c.text));
            };
            pdf = sheetOf(regionOf(0, 0, 100, 40), draw);
            // The same text drawn by cairo, at twice the size, as pdftoppm draws at 144 dpi.
            cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 400, 100);
            cairo_t* cr = cairo_create(s);
            cairo_set_source_rgb(cr, 1, 1, 1);
            cairo_paint(cr);
            cairo_scale(cr, 2, 2);
            {
                CairoTarget t(cr, 72);
                draw(t);
            }
            cairo_destroy(cr);
            cairoInk = darkPixels(s);
            cairo_surface_destroy(s);
        });
        writeFile(dir.path / "s.pdf", pdf);
        const std::string words = run(quoted(popplerTool("pdftotext")) + " -bbox " +
                                      quoted((dir.path / "s.pdf").string()) + " - 2>/dev/null");
        EXPECT_NE(words.find(">cell<"), std::string::npos) << "case " << i << ": " << words;
        const std::string firstWord = c.text.substr(0, c.text.find(' '));
        const std::size_t at = words.find(">" + firstWord + "<");
        ASSERT_NE(at, std::string::npos) << "case " << i << ": " << words;
        // The text starts where the print position put it.
        const std::size_t x = words.rfind("xMin=\"", at);
        EXPECT_NEAR(std::stod(words.substr(x + 6)), 50, 0.6) << "case " << i;
        // It shows as cairo draws it: the same glyphs, as thick (a thickened
        // face inks half as much again as its regular one).
        const Image img = rendered(dir, pdf, 144);
        const int ink = darkPixels(img, static_cast<int>(2 * areaTop()));
        EXPECT_NEAR(ink, cairoInk, 0.15 * cairoInk + 10) << "case " << i;
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
                oneCell());
            const DisplayList bars = drawing(regionOf(0, 0, 10, 10), [](Target& t) {
                for (int x = 0; x < 10; ++x)
                    t.Line(filledBox, Integer(x), 0, Integer(x), 9, x % 2 ? white : 0);
            });
            for (int n = 0; n < 5000; ++n) sheet.place(u"BarEAN13", bars);
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

// A hundred labels whose text is set in a CID-keyed CFF font: a small file
// whose every line of digits can be found, and whose first page decodes.
TEST(PdfSheet, ASheetOfLabelsDecodesAndKeepsItsText)
{
    if (popplerTool("pdftoppm").empty() || std::string(TALLUX_ZBARIMG).empty())
        FAIL() << "pdftoppm or zbarimg is not installed";
    Scratch dir("tallux-pdf-sheet");
    std::string lines;
    std::vector<std::string> codes;
    for (int i = 0; i < 100; ++i) {
        const std::string twelve = std::to_string(400638133000 + 7919LL * i);
        lines += "ean13," + twelve + "\n";
        codes.push_back(twelve + std::to_string(checkDigit(twelve)));
    }
    writeFile(dir.path / "lines.txt", lines);
    const std::string pdf = (dir.path / "s.pdf").string();
    int status = -1;
    run(quoted(TALLUX_CLI_PATH) + " batch " + quoted((dir.path / "lines.txt").string()) +
            " --font 'Noto Sans CJK TC' --sheet " + quoted(pdf) + " 2>/dev/null",
        &status);
    ASSERT_EQ(status, 0);
    EXPECT_EQ(pdfFaults(pdf), "");
    EXPECT_LT(std::filesystem::file_size(pdf), 200u * 1024);
    const std::string text = run(quoted(popplerTool("pdftotext")) + " " + quoted(pdf) + " -");
    for (const std::string& code : codes) // as printed: 4 006381 333931
        EXPECT_NE(text.find(code.substr(0, 1) + ' ' + code.substr(1, 6) + ' ' + code.substr(7)),
                  std::string::npos)
            << code;

    run(quoted(TALLUX_PDFTOPPM) + " -r 300 -gray -singlefile " + quoted(pdf) + " " +
        quoted((dir.path / "page").string()));
    std::istringstream found(
        run(quoted(TALLUX_ZBARIMG) + " -q --nodbus " + quoted((dir.path / "page.pgm").string())));
    std::set<std::string> decoded, firstPage;
    for (std::string line; std::getline(found, line);) decoded.insert(line);
    for (std::size_t i = 0; i < 24; ++i) firstPage.insert("EAN-13:" + codes[i]);
    EXPECT_EQ(decoded, firstPage);
}

} // namespace
} // namespace tallux::test
