// File pages draw and encode on their own (pixels written directly, text
// from kept glyph masks, an own PNG encoder, SVG written element by element);
// what comes out is what cairo makes of the same calls.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include <cairo.h>

#include "support.h"
#include "targets/png/png_writer.h"
#include "targets_support.h"

namespace tallux::test {
namespace {

// Pixels of an RGB24 surface, 0x00RRGGBB, row by row.
std::vector<std::uint32_t> pixelsOf(cairo_surface_t* s)
{
    cairo_surface_flush(s);
    const int w = cairo_image_surface_get_width(s), h = cairo_image_surface_get_height(s);
    const int stride = cairo_image_surface_get_stride(s);
    const unsigned char* data = cairo_image_surface_get_data(s);
    std::vector<std::uint32_t> out;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            std::uint32_t px = 0;
            std::memcpy(&px, data + y * stride + 4 * x, 4);
            out.push_back(px & 0xFFFFFF);
        }
    return out;
}

// The same drawing through a plain cairo target on a surface of its own,
// where cairo fills every box and sets every text.
std::vector<std::uint32_t> drawnByCairo(tBarcodeType type, DrawParams p, const PageOptions& o)
{
    return pixelsOf(drawnOnCairoSurface(type, std::move(p), o).get());
}

TEST(FastPage, RasterPagesShowWhatCairoDrawsForTheSameCalls)
{
    struct Case {
        tBarcodeType type;
        const char16_t* code;
        PageOptions options;
        Integer width, height;
        Long foreColor, lineColor;
    };
    const Case cases[] = {
        /*0*/ {EAN_13, u"400638133393", fixed(ScaleUnits::Twips, 144, 2600, 1800), 20, 1000, 0, 0},
        /*1*/
        {EAN_13, u"978020137962", fixed(ScaleUnits::Pixels, 96, 260, 180), 2, 100, 0x808080, 0},
        /*2*/ {Code_39, u"ABC-12", fixed(ScaleUnits::Pixels, 96, 300, 120), 2, 60, 0, 0x0000FF},
        /*3*/
        {UPC_A, u"03600029145", fixed(ScaleUnits::Twips, 200, 3000, 2000), 20, 1000, 0xFF0000, 0},
        /*4*/ {PostNet, u"55555", fixed(ScaleUnits::Pixels, 96, 300, 80), 3, 40, 0, 0x404040},
        /*5*/ {Code_128, u"BTallux 128", fixed(ScaleUnits::Pixels, 96, 400, 120), 2, 60, 0, 0},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        DrawParams p;
        p.pX = 12, p.pY = 7;
        p.pCode = c.code;
        p.pWidth = c.width, p.pHeight = c.height, p.pText = 1;
        p.pFont = u"DejaVu Sans";
        p.pForeColor = c.foreColor, p.pLineColor = c.lineColor;
        const std::vector<std::uint32_t> expected = drawnByCairo(c.type, p, c.options);

        FilePage page(FileFormat::Png, c.options);
        p.pObject = &page.target();
        ASSERT_EQ(Tallux().draw(c.type, p), 0) << "case " << i;
        const Image img = readPng(page.finish());
        ASSERT_EQ(img.rgb.size(), expected.size()) << "case " << i;
        std::size_t differing = 0;
        for (std::size_t k = 0; k < expected.size(); ++k) differing += img.rgb[k] != expected[k];
        EXPECT_EQ(differing, 0u) << "case " << i;
    }
}

// A surface filled by a rule, encoded and read back through cairo's reader.
TEST(FastPage, PngEncoderKeepsEveryPixel)
{
    struct Case {
        int width, height;
        std::uint32_t (*pixel)(int x, int y);
    };
    const Case cases[] = {
        /*0*/ {1, 1, [](int, int) { return 0xFFFFFFu; }},
        /*1*/ {1, 9, [](int, int y) { return y % 2 ? 0u : 0xFFFFFFu; }},
        /*2*/ {2, 5, [](int, int) { return 0x808080u; }}, // rows of two bytes
        /*3*/ {243, 169, [](int x, int y) { return (x / 3 + (y > 150)) % 2 ? 0u : 0xFFFFFFu; }},
        /*4*/
        {97, 61,
         [](int x, int y) {
             return static_cast<std::uint32_t>((x * 7 + y * 13) % 256) * 0x010101u;
         }},
        /*5*/
        {64, 40,
         [](int x, int y) {
             return static_cast<std::uint32_t>(x * 4) << 16 | static_cast<std::uint32_t>(y * 6);
         }},
        /*6*/
        {40, 30,
         [](int x, int y) {
             return x == 39 && y == 29 ? 0x0000FFu : 0xEEEEEEu;
         }},                                                                 // colour at the end
        /*7*/ {11000, 3, [](int x, int) { return x % 5 ? 0xFF0000u : 0u; }}, // rows beyond the 32K
                                                                             // window
        /*8*/ {300, 4, [](int x, int) { return x < 290 ? 0xFFFFFFu : 0u; }}, // a run over 258
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_RGB24, c.width, c.height);
        unsigned char* data = cairo_image_surface_get_data(s);
        const int stride = cairo_image_surface_get_stride(s);
        for (int y = 0; y < c.height; ++y)
            for (int x = 0; x < c.width; ++x) {
                const std::uint32_t px = 0xFF000000u | c.pixel(x, y);
                std::memcpy(data + y * stride + 4 * x, &px, 4);
            }
        cairo_surface_mark_dirty(s);
        const std::vector<std::uint32_t> expected = pixelsOf(s);
        const std::string png = encodePng(s, 96);
        cairo_surface_destroy(s);
        ASSERT_FALSE(png.empty()) << "case " << i;
        const Image img = readPng(png);
        ASSERT_EQ(img.width, c.width) << "case " << i;
        EXPECT_TRUE(img.rgb == expected) << "case " << i;
    }
}

TEST(FastPage, SvgHasTheBarsAsRectanglesAndEveryPrintedPieceAsText)
{
    DrawParams p;
    p.pX = 10, p.pY = 5, p.pWidth = 2, p.pHeight = 60, p.pText = 1;
    p.pCode = u"400638133393";
    p.pFont = u"DejaVu Sans";
    PageOptions o;
    o.scale = {ScaleUnits::Pixels, 96};
    const std::string svg = drawPage(EAN_13, p, FileFormat::Svg, o);
    ASSERT_TRUE(svg.starts_with("<?xml"));
    EXPECT_TRUE(svg.ends_with("</svg>\n"));
    const auto count = [&](std::string_view what) {
        std::size_t n = 0;
        for (std::size_t at = svg.find(what); at != std::string::npos; at = svg.find(what, at + 1))
            ++n;
        return n;
    };
    EXPECT_EQ(count("<text "), 13u); // 13 digits
    EXPECT_EQ(count("Z"), 30u);      // 30 bars, each module of a bar in one rectangle
    // The spaces lie on the bare white page: only the page itself is white.
    EXPECT_EQ(count("#ffffff"), 1u);
    // No text: the first bar is two pixels wide from pX, both corners inclusive.
    p.pText = 0;
    p.pCode = u"400638133393";
    const std::string bars = drawPage(EAN_13, p, FileFormat::Svg, o);
    EXPECT_NE(bars.find("d=\"M10 5H12V76H10Z"),
              std::string::npos); // the guard reaches 10 further, both edges inclusive
}

TEST(FastPage, TextMeasuresStayTheSameWhenKept)
{
    const auto measure = [] {
        PageTarget t(FileFormat::Pdf, Scale{ScaleUnits::Twips, 0});
        t.FontName(u"DejaVu Sans");
        t.FontSize(10);
        return std::pair{t.TextWidth(u"0123").value(), t.TextHeight(u"0123").value()};
    };
    const auto first = measure();
    for (int i = 0; i < 3; ++i) EXPECT_EQ(measure(), first) << "round " << i;
    // A change of font is a different text.
    PageTarget t(FileFormat::Pdf, Scale{ScaleUnits::Twips, 0});
    t.FontName(u"DejaVu Sans");
    t.FontSize(10);
    t.FontBold(true);
    EXPECT_GT(t.TextWidth(u"0123").value(), first.first);
}

} // namespace
} // namespace tallux::test
