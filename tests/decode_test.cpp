#include <gtest/gtest.h>

#include "scratch.h"
#include "support.h"
#include "targets_support.h"

// Real barcode readers decode the PNG that `tallux draw` writes.
namespace tallux::test {
namespace {

struct Row {
    const char* method;   // name or alias, as `tallux draw` takes it
    const char* code;     // pCode
    const char* args;     // further options of `tallux draw`
    const char* format;   // ZXingReader's name of the symbology
    const char* expected; // the decoded text; alternatives separated by "|"
};

// clang-format off
constexpr Row rows[] = {
    /*0*/  {"code39", "CODE39", "", "Code39", "CODE39"},
    /*1*/  {"code39", "CODE39", "--chk 1", "Code39", "CODE39W"},                  // check character W
    /*2*/  {"code39", "TALLUX-1.0 $/+%", "--chk 1 --width 10 --ratio 2:0", "Code39", "TALLUX-1.0 $/+%V"},
    /*3*/  {"code39", "HELLO WORLD", "--width 30 --ratio 6:0", "Code39", "HELLO WORLD"},
    /*4*/  {"code39", "12345", "--units px --width 2 --ratio 1:0 --height 60", "Code39", "12345"},
    /*5*/  {"code39", "A", "--units mm --width 1 --ratio .2:0 --height 15 --dpi 300", "Code39", "A"},
    /*6*/  {"code39f", "Code 39f", "", "Code39", "C+O+D+E 39+F"},                 // read without full ASCII
    /*7*/  {"code93", "TEST93", "", "Code93", "TEST93"},
    /*8*/  {"code93", "CODE 93", "--width 10", "Code93", "CODE 93"},
    /*9*/  {"code128", "BCode128", "", "Code128", "Code128"},                   // set B
    /*10*/ {"code128", "ACODE128", "", "Code128", "CODE128"},                   // set A
    /*11*/ {"code128", "C123456", "--width 10", "Code128", "123456"},           // set C
    /*12*/ {"i25", "123456", "", "ITF", "123456"},
    /*13*/ {"i25", "1234", "--chk 1", "ITF", "012348"},                          // leading 0, check 8
    /*14*/ {"i25", "1234567890", "--ratio 2:0", "ITF", "1234567890"},
    /*15*/ {"codabar", "40156", "", "Codabar", "A40156A|40156"},
    /*16*/ {"codabar", "B123C", "--width 10", "Codabar", "B123C|123"},
    /*17*/ {"ean13", "400638133393", "", "EAN-13", "4006381333931"},
    /*18*/ {"ean13", "590123412345", "--width 10", "EAN-13", "5901234123457"},
    /*19*/ {"ean8", "9638507", "", "EAN-8", "96385074"},
    /*20*/ {"upca", "03600029145", "", "UPC-A", "036000291452|0036000291452"},
    /*21*/ {"upcaplus", "03600029145", "", "UPC-A", "036000291452|0036000291452"},
    /*22*/ {"upce", "123456", "", "UPC-E", "01234565|1234565|001234500005|0012345000065"},
    /*23*/ {"isbn", "030640615", "", "EAN-13", "9780306406157"},
    // Without --ratio the wide elements are 2.5 narrow ones at any width.
    /*24*/ {"code39", "CODE39", "--width 60", "Code39", "CODE39"},
    /*25*/ {"codabar", "40156", "--width 60", "Codabar", "A40156A|40156"},
    /*26*/ {"i25", "123456", "--width 60", "ITF", "123456"},
    // Physical sizes in any units.
    /*27*/ {"ean13", "400638133393", "--units mm", "EAN-13", "4006381333931"},
    /*28*/ {"code39", "UNITS", "--units pt", "Code39", "UNITS"},
    /*29*/ {"upca", "03600029145", "--units px", "UPC-A", "036000291452|0036000291452"},
    /*30*/ {"code128", "BWidth", "--width 0.33mm --height 10mm", "Code128", "Width"},
    // Standard forms of the data, and the Code 128 set chosen for the data.
    /*31*/ {"isbn", "978-0-306-40615-7", "", "EAN-13", "9780306406157"},
    /*32*/ {"upce", "01234565", "", "UPC-E", "01234565|1234565|001234500005|0012345000065"},
    /*33*/ {"i25", "12345", "", "ITF", "012345"},
    /*34*/ {"code128", "Hello", "", "Code128", "Hello"},
    /*35*/ {"code128", "12345678", "", "Code128", "12345678"},
};
// clang-format on

bool oneOf(const std::string& text, std::string_view alternatives)
{
    for (std::size_t at = 0;;) {
        const std::size_t bar = alternatives.find('|', at);
        if (alternatives.substr(at, bar - at) == text) return true;
        if (bar == std::string_view::npos) return false;
        at = bar + 1;
    }
}

std::string withoutNewline(std::string s)
{
    while (!s.empty() && (s.back() == '\n' || s.back() == '\r')) s.pop_back();
    return s;
}

class Decoding : public testing::TestWithParam<std::size_t> {};

TEST_P(Decoding, ReadersDecodeTheDrawnSymbol)
{
    const Row& row = rows[GetParam()];

    Scratch dir("tallux-decode");
    const std::string png = (dir.path / "symbol.png").string();
    int status = -1;
    const std::string summary =
        run(std::string(TALLUX_CLI_PATH) + " draw " + row.method + " --code " + quoted(row.code) +
                " " + row.args + " --target png -o " + quoted(png),
            &status);
    ASSERT_EQ(status, 0) << summary;

    int readers = 0;
    if (const std::string zxing = TALLUX_ZXING_READER; !zxing.empty()) {
        // -noscale: ZXingReader 1.4 aborts on an assertion while merging the
        // results of its downscaled passes over a tall linear symbol.
        const std::string text =
            run(zxing + " -noscale -format " + row.format + " -bytes " + quoted(png));
        EXPECT_TRUE(oneOf(text, row.expected)) << "ZXingReader read '" << text << "'";
        ++readers;
    }
    if (const std::string zbar = TALLUX_ZBARIMG; !zbar.empty()) {
        // zbar reads Interleaved 2 of 5 from six digits unless told otherwise.
        const std::string text = withoutNewline(
            run(zbar + " --nodbus -q --raw -Si25.min-length=2 " + quoted(png) + " 2>/dev/null"));
        EXPECT_TRUE(oneOf(text, row.expected)) << "zbarimg read '" << text << "'";
        ++readers;
    }
    if (readers == 0) FAIL() << "neither ZXingReader nor zbarimg is installed";
}

// A PNG laid over white, as a transparent page shows on a white sheet.
void flattenOntoWhite(const std::string& png)
{
    cairo_surface_t* drawn = cairo_image_surface_create_from_png(png.c_str());
    const int w = cairo_image_surface_get_width(drawn), h = cairo_image_surface_get_height(drawn);
    cairo_surface_t* white = cairo_image_surface_create(CAIRO_FORMAT_RGB24, w, h);
    cairo_t* cr = cairo_create(white);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_paint(cr);
    cairo_set_source_surface(cr, drawn, 0, 0);
    cairo_paint(cr);
    cairo_destroy(cr);
    cairo_surface_write_to_png(white, png.c_str());
    cairo_surface_destroy(white);
    cairo_surface_destroy(drawn);
}

// Turned pages, colours and transparent grounds, in every format: the
// symbol still reads, a turned page is upright or across as asked, and a
// transparent PNG keeps its alpha.
TEST(Decoding, PageOptionsKeepTheSymbolReadableInEveryFormat)
{
    struct Case {
        const char* args;
        bool across; // the page is higher than wide
    };
    const Case cases[] = {
        /*0*/ {"--rotate 90", true},
        /*1*/ {"--rotate 180", false},
        /*2*/ {"--rotate 270 --bg none", true},
        /*3*/ {"--bg none", false},
        /*4*/ {"--bg FFEEDD --fg navy", false},
        /*5*/ {"--bg '#fafafa' --fore-color '#000080' --line-color black", false},
    };
    Scratch dir("tallux-page-options");
    for (const Case& c : cases)
        for (const std::string format : {"png", "svg", "pdf"}) {
            SCOPED_TRACE(std::string(c.args) + " " + format);
            const std::string file = (dir.path / ("symbol." + format)).string();
            const std::string png = (dir.path / "read.png").string();
            int status = -1;
            run(std::string(TALLUX_CLI_PATH) + " draw ean13 --code 400638133393 " + c.args +
                    " -o " + quoted(file),
                &status);
            ASSERT_EQ(status, 0);
            if (format == "png") {
                const bool transparent = std::string_view(c.args).find("none") != std::string::npos;
                EXPECT_EQ(readFile(file)[25] == 6, transparent) << "the PNG's colour type";
                std::filesystem::copy_file(file, png,
                                           std::filesystem::copy_options::overwrite_existing);
                flattenOntoWhite(png);
            } else if (format == "svg") {
                // At 288 dpi, as the PNG: a module is three whole pixels.
                run("rsvg-convert -b white -z 3 -o " + quoted(png) + " " + quoted(file));
            } else {
                run("pdftoppm -png -r 288 -singlefile " + quoted(file) + " " +
                    quoted((dir.path / "read").string()));
            }
            const Image image = readPng(readFile(png));
            EXPECT_EQ(image.height > image.width, c.across);
            const std::string text =
                run(std::string(TALLUX_ZXING_READER) + " -format EAN-13 -bytes " + quoted(png));
            EXPECT_EQ(text, "4006381333931");
        }
}

INSTANTIATE_TEST_SUITE_P(Rows, Decoding, testing::Range<std::size_t>(0, std::size(rows)),
                         [](const testing::TestParamInfo<std::size_t>& param) {
                             std::string name = "row" + std::to_string(param.param) + "_";
                             for (const char* c = rows[param.param].method; *c; ++c) name += *c;
                             return name;
                         });

} // namespace
} // namespace tallux::test
