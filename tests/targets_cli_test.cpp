#include <gtest/gtest.h>

#include <unistd.h>

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
        std::string name = "out.img";
        std::string_view says = {};  // part of standard error
        bool readOnlyFolder = false; // the file writable, its folder not
    };
    const std::string tooLong = "--code " + std::string(300, 'A');
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
        /*13*/ {"code39", 0, "\x89PNG", "x.png"}, // the target from the name
        /*14*/ {"code39", 0, "<?xml", "x.SVG"},
        /*15*/ {"code39", 0, "%PDF-", "x.pdf"},
        /*16*/ {"code39", 0, "%!PS-Adobe-3.0 EPSF-3.0", "x.eps"},
        /*17*/ {"code39", 0, "{\"call\":\"FontName\"", "x.jsonl"},
        /*18*/ {"code39 --target svg", 64, "", "x.png"},
        /*19*/ {"code39 --size 1x1 --strict", 65, "", "x.png"},      // the page cuts the symbol
        /*20*/ {"code39 --target png --dpi 1440 " + tooLong, 1, ""}, // past x = 32767: result 6
        /*21*/ {"code39 --target svg " + tooLong, 1, ""},
        /*22*/ {"code39", 64, "", "x.jpg"},         // no target of that name
        /*23*/ {"code39", 0, "{\"call\"", "trace"}, // no extension: the trace
        /*24*/                                      // the folder named as the cause
        // (as nobody, who may not reach the build's text module: no text)
        {"code39 --text 0", 74, "", "x.svg", "' is not writable: the file is replaced by a new one",
         true},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        Scratch dir("tallux-cli");
        const auto file = dir.path / cases[i].name;
        writeFile(file, "old");
        std::string as; // root writes anywhere: the command runs as nobody then
        if (cases[i].readOnlyFolder) {
            std::filesystem::permissions(file, std::filesystem::perms(0666));
            std::filesystem::permissions(dir.path, std::filesystem::perms(0555));
            if (::geteuid() == 0) as = "setpriv --reuid=65534 --regid=65534 --clear-groups ";
        }
        int status = -1;
        const std::string out =
            run(as + TALLUX_CLI_PATH + " draw " + cases[i].args + " -o " + quoted(file.string()) +
                    (cases[i].says.empty() ? " 2>/dev/null" : " 2>&1"),
                &status);
        std::filesystem::permissions(dir.path, std::filesystem::perms(0755));
        EXPECT_NE(out.find(cases[i].says), std::string::npos) << "case " << i << ": " << out;
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

    // A terminal gets no binary file, only the reason; SVG is text and shows.
    for (const auto& [target, wanted] : {std::pair{"png", 64}, {"pdf", 64}, {"svg", 0}}) {
        const std::string shown =
            run("script -qec " +
                    quoted(std::string(TALLUX_CLI_PATH) + " draw code39 --target " + target) +
                    " /dev/null",
                &status);
        EXPECT_EQ(status, wanted) << target << ": " << shown;
        EXPECT_EQ(shown.find("not written to a terminal") != std::string::npos, wanted == 64)
            << target;
    }
}

// The page holds the symbol and a quiet zone of ten modules a side. Left
// out, the sizes are physical: the default EAN-13 is 3-pixel modules at 288
// dpi in any units, with no band beyond the quiet zone.
TEST(DrawCommand, ThePageFitsTheSymbolAndItsQuietZone)
{
    struct Case {
        std::string args;
        int minWidth, maxWidth, height; // height 0: not checked
        int left;                       // the first bar's left column; -1: not checked
    };
    const Case cases[] = {
        // Code 39 "A" at pX 0, modules 2 pixels: N 3, M 23, 270 pixels of
        // symbol, the last gap not painted; a quiet zone of 30 pixels moves
        // the origin.
        /*0*/
        {"code39 --code A --x 0 --y 0 --units px --width 2 --height 50 --text 0 --ratio 3:1", 327,
         327, 30 + 51 + 30, 30},
        // 95 modules of 3 pixels; the guard bars 1050 twips and one unit deep.
        /*1*/ {"ean13", 300, 400, 0, -1},
        /*2*/ {"ean13 --units px", 300, 400, 0, -1},
        /*3*/ {"ean13 --text 0 --units px", 30 + 285 + 30, 30 + 285 + 30, 30 + 211 + 30, 30},
        /*4*/ {"ean13 --text 0", 30 + 285 + 30, 30 + 285 + 30, 30 + 211 + 30, 30},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        Scratch dir("tallux-cli");
        const auto file = dir.path / "c.png";
        int status = -1;
        run(std::string(TALLUX_CLI_PATH) + " draw " + cases[i].args + " -o " +
                quoted(file.string()) + " 2>/dev/null",
            &status);
        ASSERT_EQ(status, 0) << "case " << i;
        const Image img = readPng(readFile(file));
        EXPECT_GE(img.width, cases[i].minWidth) << "case " << i;
        EXPECT_LE(img.width, cases[i].maxWidth) << "case " << i;
        if (cases[i].height != 0) {
            EXPECT_EQ(img.height, cases[i].height) << "case " << i;
        }
        // The bars begin 30 pixels down: the quiet zone, nothing more.
        int top = 0;
        while (top < img.height && ![&] {
            for (int x = 0; x < img.width; ++x)
                if (img.dark(x, top)) return true;
            return false;
        }())
            ++top;
        EXPECT_EQ(top, 30) << "case " << i;
        if (cases[i].left < 0) continue;
        EXPECT_TRUE(img.dark(cases[i].left, 30)) << "case " << i;
        EXPECT_FALSE(img.dark(cases[i].left - 1, 30)) << "case " << i;
    }
}

// Without --ratio, a PNG's wide elements are whole pixels as well as its
// narrow ones: every bar and space of the symbol is one of two widths, the
// wide as near 2.5 narrow ones as whole pixels allow.
TEST(DrawCommand, DefaultWideElementsAreWholePixels)
{
    for (const std::string args : {"code39", "codabar", "i25", "code11", "msi", "code39 --units mm",
                                   "code39 --width 0.4mm", "i25 --units pt --width 2"}) {
        SCOPED_TRACE(args);
        Scratch dir("tallux-cli");
        const auto file = dir.path / "c.png";
        int status = -1;
        run(std::string(TALLUX_CLI_PATH) + " draw " + args + " --text 0 -o " +
                quoted(file.string()) + " 2>/dev/null",
            &status);
        ASSERT_EQ(status, 0);
        const Image img = readPng(readFile(file));
        std::vector<int> runs; // from the first bar to the last, in a row through the bars
        const int y = img.height / 2;
        for (int x = 0, from = 0; x <= img.width; ++x)
            if (x == img.width || img.dark(x, y) != img.dark(from, y)) {
                if (img.dark(from, y) || !runs.empty()) runs.push_back(x - from);
                from = x;
            }
        if (!img.dark(img.width - 1, y)) runs.pop_back();
        const auto [narrow, wide] = std::ranges::minmax(runs);
        EXPECT_TRUE(std::ranges::all_of(runs, [&](int r) { return r == narrow || r == wide; }));
        EXPECT_LE(std::abs(2 * wide - 5 * narrow), narrow) << narrow << " and " << wide;
    }
}

} // namespace
} // namespace tallux::test
