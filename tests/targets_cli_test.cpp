#include <gtest/gtest.h>

#include "pdf_check.h"
#include "targets_support.h"

namespace tallux::test {
namespace {

// `tallux draw` with an image target: a file only when the method returned 0.
TEST(DrawCommand, ImageFilesAreWrittenOnlyForASuccessfulDrawing)
{
    struct Case {
        std::string args;
        int status;
        std::string_view starts; // the file's first bytes; empty: the old file stays
    };
    const Case cases[] = {
        /*0*/ {"code39 --target png", 0, "\x89PNG\r\n\x1a\n"},
        /*1*/ {"code39 --target svg --code 'A B'", 0, "<?xml"},
        /*2*/ {"code39 --target pdf --units mm --width 1 --ratio 1:0", 0, "%PDF-"},
        /*3*/ {"code39 --target ps --units pt", 0, "%!PS-Adobe"},
        /*4*/
        {"code39 --target png --units px --dpi 300 --width 3 --size 400x200 --margin 5", 0,
         "\x89PNG"},
        /*5*/ {"code39 --target png --ratio 31", 2, ""},              // no colon: raised 5
        /*6*/ {"code39 --target png --width 30000", 2, ""},           // width x extra: raised 6
        /*7*/ {"code39 --target png --fore-color 0x01000000", 1, ""}, // the target refuses: 380
        /*8*/ {"code39 --target png --units mm --dpi 9600", 74, ""},  // far too many pixels
        /*9*/ {"code39 --target png --units inch", 64, ""},
        /*10*/ {"code39 --target png --dpi 0", 64, ""},
        /*11*/ {"code39 --target png --size 400", 64, ""},
        /*12*/ {"code39 --target pdf --margin -3", 64, ""},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        Scratch dir("tallux-cli");
        const auto file = dir.path / "out.img";
        writeFile(file, "old");
        int status = -1;
        const std::string out = run(std::string(TALLUX_CLI_PATH) + " draw " + cases[i].args +
                                        " -o " + quoted(file.string()) + " 2>/dev/null",
                                    &status);
        EXPECT_EQ(status, cases[i].status) << "case " << i << ": " << out;
        const std::string bytes = readFile(file);
        if (cases[i].starts.empty()) {
            EXPECT_EQ(bytes, "old") << "case " << i;
        } else {
            EXPECT_TRUE(bytes.starts_with(cases[i].starts)) << "case " << i;
            if (bytes.starts_with("%PDF-")) {
                EXPECT_EQ(pdfFaults(file), "") << "case " << i;
            }
        }
        // Nothing else is left beside the file, a temporary file included.
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path), {}), 1)
            << "case " << i;
    }
}

// An image on standard output is the image alone; the summary and any failure
// to write it go to standard error.
TEST(DrawCommand, StandardOutputHoldsTheImageAlone)
{
    struct Case {
        std::string args;
        std::string_view ends; // the last bytes of standard output
    };
    const Case cases[] = {
        /*0*/ {"code39 --target png", std::string_view("IEND\xae\x42\x60\x82", 8)},
        /*1*/ {"code39 --target svg -o -", "</svg>\n"},
    };
    Scratch dir("tallux-cli");
    for (const Case& c : cases) {
        int status = -1;
        const std::string out = run(std::string(TALLUX_CLI_PATH) + " draw " + c.args + " 2>" +
                                        quoted((dir.path / "err").string()),
                                    &status);
        EXPECT_EQ(status, 0) << c.args;
        EXPECT_TRUE(out.ends_with(c.ends)) << c.args;
        EXPECT_TRUE(readFile(dir.path / "err").starts_with("{\"result\":0,\"code\":\"CODE39\"}\n"))
            << c.args;
    }
    int status = -1;
    const std::string err =
        run(std::string(TALLUX_CLI_PATH) + " draw code39 --target png 2>&1 >/dev/full", &status);
    EXPECT_EQ(status, 74);
    EXPECT_NE(err.find("tallux: cannot write to standard output: "), std::string::npos) << err;
}

TEST(DrawCommand, ThePageFitsTheSymbolAndItsQuietZone)
{
    Scratch dir("tallux-cli");
    const auto file = dir.path / "c.png";
    int status = -1;
    // Code 39 "A" at pX 0, modules 2 pixels: N 3, M 23, 270 pixels of symbol,
    // the last gap not painted; a quiet zone of 30 pixels moves the origin.
    run(std::string(TALLUX_CLI_PATH) +
            " draw code39 --code A --x 0 --y 0 --units px --width 2 --height 50 " +
            "--text 0 --target png -o " + quoted(file.string()),
        &status);
    ASSERT_EQ(status, 0);
    const Image img = readPng(readFile(file));
    EXPECT_EQ(img.width, 30 + 267 + 30);
    EXPECT_EQ(img.height, 30 + 51 + 30);
    EXPECT_TRUE(img.dark(30, 30));
    EXPECT_FALSE(img.dark(29, 30));
    EXPECT_TRUE(img.dark(30 + 266, 30 + 50));
    EXPECT_FALSE(img.dark(30 + 267, 30 + 50));
}

} // namespace
} // namespace tallux::test
