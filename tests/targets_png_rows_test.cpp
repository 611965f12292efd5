// A raster page knows which of its rows repeat the row above and hands that
// to its PNG encoder; the file is the same, byte for byte, as the encoder
// makes when it compares every row itself, and the pixels are cairo's.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include <cairo.h>

#include "support.h"
#include "targets/png/png_writer.h"
#include "targets_support.h"

namespace tallux::test {
namespace {

// The same calls drawn by cairo on a plain surface (every box filled and
// every text set by cairo), encoded without any knowledge of its rows.
std::string encodedFromCairo(tBarcodeType type, DrawParams p, const PageOptions& o)
{
    const SurfacePtr s = drawnOnCairoSurface(type, std::move(p), o);
    return encodePng(s.get(), o.scale.resolution());
}

TEST(PngRows, KnownRowsGiveTheSameFileAsComparedRows)
{
    struct Case {
        tBarcodeType type;
        const char16_t* code;
        PageOptions options;
        Integer width, height, text;
        Long foreColor, lineColor;
    };
    const Case cases[] = {
        /*0*/ {EAN_13, u"400638133393", fixed(ScaleUnits::Twips, 144, 2600, 1800), 20, 1000, 1, 0,
               0},
        /*1*/
        {EAN_13, u"400638133393", fixed(ScaleUnits::Twips, 144, 2600, 1800), 20, 1000, 0, 0, 0},
        /*2*/ {EAN_8, u"9638507", fixed(ScaleUnits::Pixels, 96, 200, 140), 2, 100, 1, 0x808080, 0},
        /*3*/ {UPC_E, u"0425261", fixed(ScaleUnits::Pixels, 96, 160, 120), 2, 80, 1, 0, 0xFF0000},
        /*4*/ {Code_39, u"ABC-12", fixed(ScaleUnits::Pixels, 96, 300, 120), 2, 60, 1, 0, 0x0000FF},
        /*5*/ {Code_128, u"BTallux 128", fixed(ScaleUnits::Pixels, 96, 400, 120), 2, 60, 0, 0, 0},
        // Text above and over the bars: the rows under it change after the bars.
        /*6*/ {PostNet, u"55555", fixed(ScaleUnits::Pixels, 96, 300, 80), 3, 40, 1, 0, 0x404040},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        DrawParams p;
        p.pX = 12, p.pY = 7;
        p.pCode = c.code;
        p.pWidth = c.width, p.pHeight = c.height, p.pText = c.text;
        p.pFont = u"DejaVu Sans";
        p.pForeColor = c.foreColor, p.pLineColor = c.lineColor;
        const std::string expected = encodedFromCairo(c.type, p, c.options);

        FilePage page(FileFormat::Png, c.options);
        p.pObject = &page.target();
        ASSERT_EQ(Tallux().draw(c.type, p), 0) << "case " << i;
        const std::string png = page.finish();
        EXPECT_TRUE(png == expected) << "case " << i;
        const Image img = readPng(png);
        EXPECT_EQ(img.width, static_cast<int>(std::ceil(
                                 *c.options.width * c.options.scale.pixelsPerUnit() - 1e-9)))
            << "case " << i;
    }
}

// Rows claimed alike are taken as such; without the claims, or with claims
// of the wrong height, rows are compared one by one.
TEST(PngRows, KnowledgeOfAnotherHeightIsIgnored)
{
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 20, 6);
    cairo_t* cr = cairo_create(s);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_paint(cr);
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_rectangle(cr, 4, 2, 6, 2);
    cairo_fill(cr);
    cairo_destroy(cr);
    const std::string plain = encodePng(s, 96);
    const std::vector<std::uint8_t> wrong(5, 1); // one row short: not this surface's
    EXPECT_TRUE(encodePng(s, 96, wrong) == plain);
    cairo_surface_destroy(s);
    const Image img = readPng(plain);
    EXPECT_EQ(img.rgb[2 * 20 + 5], 0u);
    EXPECT_EQ(img.rgb[1 * 20 + 5], 0xFFFFFFu);
}

} // namespace
} // namespace tallux::test
