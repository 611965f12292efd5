#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

#include "commands.h"
#include "writer.h"

namespace tallux::cli {
namespace {

struct Outcome {
    int status;
    std::string out, err;
};

Outcome tallux(std::vector<std::string_view> words)
{
    Outcome r{-1, {}, {}};
    Writer out(r.out), err(r.err);
    r.status = run(words, out, err);
    return r;
}

std::vector<std::string> linesOf(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

TEST(Cli, TraceWritesEveryCallThenTheSummary)
{
    const Outcome r =
        tallux({"draw", "BarCODE39",    "--code",   "A",      "--x",    "10.5",    "--y",
                "10",   "--width=2",    "--height", "100",    "--text", "1",       "--bold",
                "-1",   "--fore-color", "0xFF",     "--font", "Arial",  "--ratio", "3:1"});
    ASSERT_EQ(r.status, 0) << r.err;
    const auto lines = linesOf(r.out);
    ASSERT_EQ(lines.size(), 4u + 29 + 4 + 1);
    EXPECT_EQ(lines[0], R"({"call":"FontName","value":"Arial"})");
    EXPECT_EQ(lines[1], R"({"call":"ForeColor","value":255})");
    EXPECT_EQ(lines[2], R"({"call":"FontBold","value":-1})");
    EXPECT_EQ(lines[3], R"({"call":"FontSize","value":1})");
    EXPECT_EQ(lines[4], R"({"call":"Line","flags":38,"x1":10,"y1":10,"x2":12,"y2":110,"color":0})");
    EXPECT_EQ(lines[33], R"({"call":"TextWidth","text":"A","value":7})");
    EXPECT_EQ(lines[34], R"({"call":"CurrentX","value":146.75,"type":"Single"})");
    EXPECT_EQ(lines[35], R"({"call":"CurrentY","value":115,"type":"Single"})");
    EXPECT_EQ(lines[36], R"({"call":"Print","text":"A"})");
    EXPECT_EQ(lines[37], R"({"result":0,"code":"A"})");
    EXPECT_TRUE(r.err.empty());
}

TEST(Cli, ValuesMayBeginWithAMinus)
{
    const Outcome r = tallux({"draw", "code39", "--code", "-$:/.+", "--x", "-5.5", "--text", "-1",
                              "--chk", "1", "--char-width", "1"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(linesOf(r.out).back(), R"({"result":0,"code":"-$:/.+-"})");
}

TEST(Cli, ExitStatusFollowsTheOutcome)
{
    struct Case {
        std::vector<std::string_view> words;
        int status;
        std::string lastLine;
    };
    const Case cases[] = {
        /*0*/ {{"draw", "BarCODE39", "--code", "\xC3\x88"}, 1, R"({"result":9,"code":"\u00c8"})"},
        /*1*/ {{"draw", "BarCODE39", "--ratio", ""}, 2, R"({"raised":5,"code":"CODE39"})"},
        /*2*/
        {{"draw", "BarCODE39", "--ratio", "3:1", "--chk", "true"},
         0,
         R"({"result":0,"code":"CODE39W"})"},
        // Standard forms of the data reach an image's method as it takes them;
        // the trace and --raw pass them as given.
        /*3*/
        {{"draw", "isbn", "--code", "978-0-306-40615-7", "--target", "svg", "-o", "/dev/null"},
         0,
         R"({"result":0,"code":"978030640615"})"},
        /*4*/
        {{"draw", "isbn", "--code", "978-0-306-40615-7", "--target", "svg", "-o", "/dev/null",
          "--raw"},
         0,
         R"({"result":0,"code":"978978-0-306"})"},
        /*5*/
        {{"draw", "isbn", "--code", "978-0-306-40615-7"},
         0,
         R"({"result":0,"code":"978978-0-306"})"},
        /*6*/
        {{"draw", "isbn", "--code", "0-306-40615-2", "--target", "svg", "-o", "/dev/null"},
         0,
         R"({"result":0,"code":"978030640615"})"},
        /*7*/
        {{"draw", "upce", "--code", "01234565", "--target", "svg", "-o", "/dev/null"},
         0,
         R"({"result":0,"code":"123456"})"},
        /*8*/
        {{"draw", "postnet", "--code", "12345-6789", "--target", "svg", "-o", "/dev/null"},
         0,
         R"({"result":0,"code":"123456789"})"},
        /*9*/
        {{"draw", "postnet", "--code", "12345 6789", "--target", "svg", "-o", "/dev/null"},
         0,
         R"({"result":0,"code":"123456789"})"},
        /*10*/
        {{"draw", "i25", "--code", "12345", "--target", "svg", "-o", "/dev/null"},
         0,
         R"({"result":0,"code":"012345"})"},
        /*11*/
        {{"draw", "code128", "--code", "123456", "--target", "svg", "-o", "/dev/null"},
         0,
         R"({"result":0,"code":"123456"})"},
        /*12*/
        {{"draw", "code128", "--code", "hello", "--target", "svg", "-o", "/dev/null"},
         0,
         R"({"result":0,"code":"hello"})"},
        /*13*/
        {{"draw", "code128", "--code",
          "\x01"
          "A",
          "--target", "svg", "-o", "/dev/null"},
         0,
         R"({"result":0,"code":"\u0001A"})"},
        /*14*/
        {{"draw", "code128", "--code", "Bhello", "--set", "auto", "--target", "svg", "-o",
          "/dev/null"},
         0,
         R"({"result":0,"code":"Bhello"})"},
        /*15*/ {{"draw", "code128", "--code", "hello"}, 1, R"({"result":5,"code":"ello"})"},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const Outcome r = tallux(cases[i].words);
        EXPECT_EQ(r.status, cases[i].status) << "case " << i;
        EXPECT_EQ(linesOf(r.out).back(), cases[i].lastLine) << "case " << i;
    }
}

TEST(Cli, UsageErrorsExit64WithOneLine)
{
    const std::vector<std::vector<std::string_view>> cases = {
        /*0*/ {},
        /*1*/ {"paint"},
        /*2*/ {"draw"},
        /*3*/ {"draw", "BarQR"},
        /*4*/ {"draw", "BarCODE39", "--colour", "1"},
        /*5*/ {"draw", "BarCODE39", "--width", "32768"},
        /*6*/ {"draw", "BarCODE39", "--width", "2.5"},
        /*7*/ {"draw", "BarCODE39", "--x", "1e39"},
        /*8*/ {"draw", "BarCODE39", "--x", "abc"},
        /*9*/ {"draw", "BarCODE39", "--bold", "yes"},
        /*10*/ {"draw", "BarCODE39", "--fore-color", "0x1FFFFFFFF"},
        /*11*/ {"draw", "BarCODE39", "--code"},
        /*12*/ {"draw", "BarCODE39", "--target", "gif"},
        /*13*/ {"draw", "BarCODE39", "--char-width", "-1"},
        /*14*/ {"draw", "BarCODE39", "--x", "1\n2"}, // the message stays on one line
        /*15*/ {"\n"},
        /*16*/ {"draw", "BarCODE39", "--width", "0.33cm"},
        /*17*/ {"draw", "BarCODE39", "--width", "-1mm"},
        /*18*/ {"draw", "BarCODE39", "--height", "99in"}, // beyond 32767 twips
        /*19*/ {"draw", "BarCODE39", "--width", "mm"},
        /*20*/ {"draw", "BarCODE39", "--strict=1"},
        /*21*/ {"draw", "BarCODE39", "--target", "svg", "-o", "x.png"},
        /*22*/ {"draw", "BarCODE39", "--target", "eps", "-o", "x.ps"},
        // Standard forms that the method cannot draw, and --set.
        /*23*/ {"draw", "isbn", "--code", "979-1-0000-0000-9", "--target", "svg"},
        /*24*/ {"draw", "upce", "--code", "11234565", "--target", "svg"},
        /*25*/ {"draw", "code128", "--set", "D"},
        /*26*/ {"draw", "ean13", "--set", "auto", "--target", "svg"},
        /*27*/ {"draw", "code128", "--set", "B"}, // the trace shows the data as given
        /*28*/ {"draw", "code128", "--set", "B", "--raw", "--target", "svg"},
        /*29*/
        {"draw", "code128", "--code",
         "\x01"
         "a",
         "--target", "svg"}, // no one set
        /*30*/ {"draw", "BarCODE39", "--output="},
        /*31*/ {"list", "BarCODE39"},
    };
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const Outcome r = tallux(cases[i]);
        EXPECT_EQ(r.status, 64) << "case " << i;
        EXPECT_TRUE(r.out.empty()) << "case " << i;
        EXPECT_EQ(linesOf(r.err).size(), 1u) << "case " << i << ": " << r.err;
    }
}

// Lengths become whole scale units; what is left out keeps its physical size
// (150 twips in, 15-twip modules) in any units. Pixels are taken at 288 dpi
// unless --dpi says otherwise.
TEST(Cli, LengthsBecomeWholeScaleUnits)
{
    struct Case {
        std::vector<std::string_view> words;
        int x1, width; // of the first bar
    };
    const Case cases[] = {
        /*0*/ {{}, 150, 15},
        /*1*/ {{"--width", "0.013in"}, 150, 19},
        /*2*/ {{"--width", "15tw"}, 150, 15},
        /*3*/ {{"--width", "2px"}, 150, 10},
        /*4*/ {{"--width", "2px", "--dpi", "96"}, 150, 30},
        /*5*/ {{"--width", "1pt"}, 150, 20},
        /*6*/ {{"--units", "mm", "--width", "2mm"}, 3, 2}, // pX 2.65 mm
        /*7*/ {{"--units", "px"}, 30, 3},
        /*8*/ {{"--units", "px", "--dpi", "600"}, 62, 6},
        /*9*/ {{"--units", "pt"}, 8, 1}, // 0.75 pt rounds up to the smallest module
        /*10*/ {{"--units", "mm"}, 3, 1},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        std::vector<std::string_view> words{"draw", "ean13", "--text", "0"};
        words.insert(words.end(), cases[i].words.begin(), cases[i].words.end());
        const Outcome r = tallux(words);
        ASSERT_EQ(r.status, 0) << "case " << i << ": " << r.err;
        const std::string bar = linesOf(r.out).at(4);
        const auto number = [&](const std::string& key) {
            return std::stoi(bar.substr(bar.find("\"" + key + "\":") + key.size() + 3));
        };
        EXPECT_EQ(number("x1"), cases[i].x1) << "case " << i << ": " << bar;
        EXPECT_EQ(number("x2") - number("x1") + 1, cases[i].width) << "case " << i << ": " << bar;
    }
}

// Where the symbol would not show what the caller asked for, standard error
// says so, one line each; the drawing and its trace stay as they are, and
// --strict makes each of these exit 65 with nothing written.
TEST(Cli, WarningsSayWhatTheSymbolChanges)
{
    struct Case {
        std::vector<std::string_view> words;
        int status;
        std::vector<std::string> warnings;
    };
    const Case cases[] = {
        /*0*/ {{"ean13"}, 0, {}},
        /*1*/
        {{"ean13", "--code", "4006381333932"}, 0, {"BarEAN13: check digit '2' replaced by '1'"}},
        /*2*/
        {{"ean13", "--code", "123"}, 0, {"BarEAN13: 9 fill digits \"0\" added: '123000000000'"}},
        /*3*/
        {{"ean13", "--code", "40063813339312"},
         0,
         {"BarEAN13: cut to its 12 characters: '400638133393', '12' left out"}},
        /*4*/
        {{"ean13", "--code", "40063A13339-"}, 0, {"BarEAN13: 'A' and '-' are drawn as \"0\""}},
        /*5*/ {{"isbn", "--code", "0306406153"}, 0, {"BarISBN: check digit '3' replaced by '2'"}},
        /*6*/
        {{"upce", "--code", "01234565"},
         0,
         {"BarUPCE: cut to its 6 characters: '012345', '65' left out"}},
        /*7*/ {{"postnet", "--code", "1234"}, 0, {"BarPOSTNET: 1 fill digit \"0\" added: '12340'"}},
        /*8*/
        {{"code39", "--code", "abC"}, 0, {"BarCODE39: 'a' and 'b' have no bars and are left out"}},
        /*9*/ {{"codabar", "--code", "1#2"}, 0, {"BarCODABAR: '#' has no bars and is left out"}},
        /*10*/ {{"code11", "--code", "12A"}, 0, {"BarCODE11: 'A' is drawn as \"0\""}},
        /*11*/
        {{"code93", "--code", "\xC5\x82x"},
         0,
         {"BarCODE93: '\xC5\x82' is not in the Windows-1252 code page: drawn as \"?\""}},
        /*12*/
        {{"i25", "--code", "123"}, 0, {"BarCODE25: a fill digit \"0\" is added after the data"}},
        /*13*/
        {{"code128", "--code", "C123"},
         0,
         {"BarCODE128: set C takes digits in pairs: a \"0\" is put in front of the odd number "
          "of digits"}},
        /*14*/
        {{"code128", "--code", "123"},
         1,
         {"BarCODE128: the first character must be A, B or C (the code set)"}},
        /*15*/
        {{"code39", "--width", "0"},
         0,
         {"the narrow elements are 0 units wide: nothing can be read"}},
        /*16*/
        {{"code39", "--width", "10", "--ratio", "1:0"},
         0,
         {"--ratio makes the wide elements 1.7 times the narrow ones, below 2:1 (leave it out for "
          "2.5)"}},
        /*17*/
        {{"code39", "--units", "pt", "--width", "0.33mm"},
         0,
         {"--width is 0.9354 pt, drawn as 1 (use other --units or a length in whole pt)"}},
        /*18*/ {{"code39", "--width", "0.33mm", "--height", "15mm"}, 0, {}}, // 19 and 850 twips
        // What a reader gets differs from the data.
        /*19*/
        {{"code128", "--code", "BPRICE €5X"},
         0,
         {"BarCODE128: '€' at position 8 is drawn as the symbol character FNC3 (value 96), a "
          "function character, which readers do not give back (set B holds the codes 32 to 127)"}},
        /*20*/
        {{"code128", "--code", "C12AB"},
         0,
         {"BarCODE128: 'A' at position 4 is not a digit: set C draws the pair 'AB' as \"00\""}},
        /*21*/
        {{"code39", "--code", "A*B"},
         0,
         {"BarCODE39: '*' at position 2 is the start/stop character: readers end the symbol "
          "there"}},
        /*22*/
        {{"code128", "--chk", "0"},
         0,
         {"BarCODE128: --chk 0 leaves out the check character, which Code 128 readers require"}},
        /*23*/
        {{"code93", "--chk", "0"},
         0,
         {"BarCODE93: --chk 0 leaves out the two check characters, which Code 93 readers "
          "require"}},
        /*24*/
        {{"code39", "--line-color", "0xFFFFFF"},
         0,
         {"--line-color 0x00FFFFFF draws the bars in #FFFFFF, too light against the white spaces "
          "for readers to see them"}},
        /*25*/ // a system colour: the window background
        {{"code39", "--line-color", "0x80000005"},
         0,
         {"--line-color 0x80000005 draws the bars in #FFFFFF, too light against the white spaces "
          "for readers to see them"}},
        /*26*/
        {{"code39", "--height", "1"},
         0,
         {"the bars are 1 units high, less than five narrow elements (75): too short for "
          "readers"}},
        /*27*/
        {{"code39", "--y", "-1e30"},
         0,
         {"at --y -1e+30 the bars are 0 units high instead of 900 (Single precision): readers "
          "find no symbol"}},
        /*28*/
        {{"codabar", "--code", "A12B34A"},
         0,
         {"BarCODABAR: 'B' at position 4 is a start/stop character (A to D): readers end the "
          "symbol there"}},
        /*29*/
        {{"code39", "--code", ""},
         0,
         {"BarCODE39: the code is empty: the symbol has only its start and stop"}},
        /*30*/
        {{"ean13", "--units", "mm", "--target", "svg"},
         0,
         {"the text is 0 pt, too small to read: the method sets it to half of --width (1 mm); "
          "with --units twips (the default) this module width is --width 57 and its text 28 pt"}},
        /*31*/
        {{"code93", "--width", "6", "--target", "svg"},
         0,
         {"the text is 3 pt, too small to read: the method sets it to half of --width (6 twips); "
          "--width 8 twips or more gives 4 pt"}},
        /*32*/
        {{"code39", "--dpi", "600", "--target", "svg"},
         0,
         {"--dpi has no effect on an SVG file, which has no pixels (it sets a PNG's resolution and "
          "the size of px)"}},
        /*33*/
        {{"code39", "--dpi", "600", "--units", "px", "--width", "9", "--target", "svg"}, 0, {}},
        /*34*/
        {{"code39", "--font", "No Such Face Tallux", "--target", "svg"},
         0,
         {"--font 'No Such Face Tallux' is not installed: the text is drawn in 'DejaVu Sans'"}},
        /*35*/ {{"code39", "--font", "DejaVu Serif", "--target", "svg"}, 0, {}},
        /*36*/ // red in the host's order, low byte first
        {{"code39", "--line-color", "0x0000FF"},
         0,
         {"--line-color 0x000000FF draws the bars in #FF0000, which scanners that read by red "
          "light see as white"}},
        /*37*/ {{"code39", "--line-color", "0x800000"}, 0, {}},     // dark blue reads
        /*38*/ {{"code39", "--units", "mm", "--text", "0"}, 0, {}}, // pY 2.646 keeps the height
        /*39*/ // nothing rounded: no word of whole units
        {{"code39", "--width", "-15"},
         0,
         {"the narrow elements are -15 units wide: nothing can be read"}},
        /*40*/
        {{"code39", "--bg", "0000FF", "--target", "svg"},
         0,
         {"--bg #0000FF makes the quiet zone around the symbol too dark for readers"}},
        /*41*/
        {{"code128", "--code", "BPRICE ƒX"},
         0,
         {"BarCODE128: 'ƒ' at position 8 is drawn as the symbol character Code C (value 99), which "
          "switches readers to another set for what follows (set B holds the codes 32 to 127)"}},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        std::vector<std::string_view> words = cases[i].words;
        words.insert(words.begin(), "draw");
        const Outcome r = tallux(words);
        EXPECT_EQ(r.status, cases[i].status) << "case " << i << ": " << r.err;
        std::vector<std::string> warnings;
        for (const std::string& line : linesOf(r.err))
            if (line.starts_with("tallux: warning: ")) warnings.push_back(line.substr(17));
        EXPECT_EQ(warnings, cases[i].warnings) << "case " << i;
        words.push_back("--strict");
        const Outcome strict = tallux(words);
        EXPECT_EQ(strict.status, cases[i].warnings.empty() ? cases[i].status : exitWarned)
            << "case " << i;
        EXPECT_EQ(strict.out.empty(), !cases[i].warnings.empty()) << "case " << i;
    }
}

TEST(Cli, HelpVersionAndList)
{
    EXPECT_NE(tallux({"--help"}).out.find("draw METHOD"), std::string::npos);
    EXPECT_NE(tallux({"draw", "--help"}).out.find("--line-color"), std::string::npos);
    EXPECT_NE(tallux({"draw", "BarEAN13", "--help"}).out.find("--strict"), std::string::npos);
    EXPECT_NE(tallux({"batch", "in.txt", "--help"}).out.find("--sheet"), std::string::npos);
    EXPECT_EQ(tallux({"--version"}).out, "tallux 1.0.0\n");
    const auto list = linesOf(tallux({"list"}).out);
    ASSERT_EQ(list.size(), 15u);
    EXPECT_EQ(list[0].substr(0, 10), "BarCODABAR");
    EXPECT_EQ(list[14].substr(0, 7), "BarUPCE");
}

TEST(Cli, APrinterWithoutItsModuleIsAClearOutputError)
{
    // The test program has no printer module beside it.
    const Outcome r = tallux({"draw", "BarCODE39", "--target", "printer:Any"});
    if (r.status == 64) {
        EXPECT_NE(r.err.find("no printer target"), std::string::npos) << r.err;
        return;
    }
    EXPECT_EQ(r.status, 74);
    EXPECT_NE(
        r.err.find("the printer module cannot be loaded (it comes with the package tallux-qt): "),
        std::string::npos)
        << r.err;
    EXPECT_NE(r.err.find("tallux-printer.so"), std::string::npos) << r.err;
    EXPECT_EQ(linesOf(r.err).size(), 1u) << r.err;
}

TEST(Cli, OutputFileIsWrittenOnlyWhenDrawn)
{
    const auto dir =
        std::filesystem::temp_directory_path() /
        ("tallux-cli-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
    std::filesystem::create_directories(dir);
    const std::string file = (dir / "trace.jsonl").string();

    ASSERT_EQ(tallux({"draw", "BarCODE39", "--code", "A", "-o", file}).status, 0);
    std::ifstream in(file);
    std::stringstream good;
    good << in.rdbuf();
    EXPECT_EQ(linesOf(good.str()).size(), 4u + 29 + 4); // set-up, bars, text
    // An output file gets the usual permissions: 0666 less the creation mask.
    const mode_t mask = ::umask(022);
    ::umask(mask);
    struct stat st {};
    ASSERT_EQ(::stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0666 & ~mask);

    // A failed call leaves the good file as it was, and no temporary beside it.
    const Outcome failed = tallux({"draw", "BarCODE39", "--code", "\xC3\x88", "--output", file});
    EXPECT_EQ(failed.status, 1);
    EXPECT_NE(failed.err.find("nothing written"), std::string::npos);
    std::ifstream again(file);
    std::stringstream now;
    now << again.rdbuf();
    EXPECT_EQ(now.str(), good.str());
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), {}), 1);

    const Outcome unwritable =
        tallux({"draw", "BarCODE39", "-o", (dir / "no" / "such.jsonl").string()});
    EXPECT_EQ(unwritable.status, 74);
    std::filesystem::remove_all(dir);
}

// What a descriptor holds so far, read without waiting.
std::string pending(int fd)
{
    std::string text;
    char buf[4096];
    for (ssize_t n; (n = ::read(fd, buf, sizeof buf)) > 0;)
        text.append(buf, static_cast<std::size_t>(n));
    return text;
}

TEST(Writer, TextNumbersAndCharactersAppendToAString)
{
    std::string text;
    Writer w(text);
    w << "a" << std::string("b") << std::string_view("c") << 'd' << -12 << std::size_t{34}
      << std::int16_t{-5} << 0L << std::int64_t{-9223372036854775807 - 1};
    EXPECT_EQ(text, "abcd-1234-50-9223372036854775808");
    EXPECT_TRUE(w.flush());
    EXPECT_FALSE(w.terminal());
}

TEST(Writer, StandardOutputWaitsForFlushAndStandardErrorGoesAtOnceAfterIt)
{
    int ends[2];
    ASSERT_EQ(::pipe2(ends, O_NONBLOCK), 0);
    {
        Writer out(ends[1], Writer::Buffering::Full), err(ends[1], Writer::Buffering::None);
        err.tie(out);
        out << "1";
        EXPECT_EQ(pending(ends[0]), "");
        err << "2" << 3;
        EXPECT_EQ(pending(ends[0]), "123"); // what came first shows first
        out << "4";
        EXPECT_EQ(pending(ends[0]), "");
        EXPECT_TRUE(out.flush());
        EXPECT_EQ(pending(ends[0]), "4");
        EXPECT_FALSE(out.terminal());
        out << "5";
    } // the last piece is written as the writer goes
    EXPECT_EQ(pending(ends[0]), "5");
    ::close(ends[0]);
    ::close(ends[1]);
}

TEST(Writer, ALargePieceGoesStraightThroughAfterWhatWasKept)
{
    const auto path =
        std::filesystem::temp_directory_path() / ("tallux-writer-" + std::to_string(::getpid()));
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    ASSERT_GE(fd, 0);
    {
        Writer out(fd, Writer::Buffering::Full);
        out << "a" << std::string(200000, 'b');
        EXPECT_EQ(std::filesystem::file_size(path), 200001u); // before any flush
    }
    ::close(fd);
    std::filesystem::remove(path);
}

TEST(Writer, AFailedWriteIsReportedWithItsErrorAtFlush)
{
    const int fd = ::open("/dev/full", O_WRONLY | O_CLOEXEC);
    if (fd < 0) GTEST_SKIP() << "no /dev/full";
    Writer out(fd, Writer::Buffering::Full);
    out << "x";
    EXPECT_TRUE(out.good()); // kept, not yet written
    EXPECT_FALSE(out.flush());
    EXPECT_EQ(out.error(), ENOSPC);
    out << "y";
    EXPECT_FALSE(out.flush()); // the failure stays
    ::close(fd);
}

} // namespace
} // namespace tallux::cli
