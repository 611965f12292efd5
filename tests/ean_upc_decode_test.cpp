#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "ean_upc_support.h"

// The drawn symbols read back by an independent reader (zbar), and the six
// methods through the tallux command.
namespace tallux::test {
namespace {

struct Ran {
    int status;
    std::string out;
};

Ran run(const std::string& command)
{
    Ran r{-1, {}};
    FILE* pipe = popen((command + " 2>/dev/null").c_str(), "r");
    if (pipe == nullptr) return r;
    char buf[4096];
    for (std::size_t n; (n = fread(buf, 1, sizeof buf, pipe)) > 0;) r.out.append(buf, n);
    const int status = pclose(pipe);
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

// The boxes that the target received, filled into a grey map on white.
std::string greyMap(const RecordingTarget& t)
{
    int width = 0, height = 0;
    for (const Call& c : t.calls)
        if (c.member == Member::Line)
            width = std::max(width, c.x2.value() + 41), height = std::max(height, int(c.y2) + 21);
    std::string pixels(static_cast<std::size_t>(width * height), '\xff');
    for (const Call& c : t.calls) {
        if (c.member != Member::Line) continue;
        for (int y = int(c.y1); y <= int(c.y2); ++y)
            for (int x = c.x1.value(); x <= c.x2.value(); ++x)
                pixels[static_cast<std::size_t>(y * width + x)] = c.color == white ? '\xff' : '\0';
    }
    return "P5\n" + std::to_string(width) + " " + std::to_string(height) + "\n255\n" + pixels;
}

TEST(EanUpc, ZbarReadsTheDrawnSymbols)
{
    if (run("command -v zbarimg").status != 0) FAIL() << "zbarimg is not installed";
    struct Case {
        DrawFunction method;
        std::u16string code;
        std::string read;
    };
    const Case cases[] = {
        /*0*/ {draw::BarEAN13, u"400638133393", "EAN-13:4006381333931"},
        /*1*/ {draw::BarEAN8, u"9638507", "EAN-8:96385074"},
        /*2*/ {draw::BarUPCA, u"03600029145", "UPC-A:036000291452"},
        /*3 zbar reports UPC-E in its UPC-A form */
        {draw::BarUPCE, u"123456", "UPC-A:012345000065"},
        /*4*/ {draw::BarUPCAPlus, u"03600029145", "UPC-A:036000291452"},
        /*5*/ {draw::BarISBN, u"030640615", "EAN-13:9780306406157"},
    };
    const auto file = std::filesystem::temp_directory_path() /
                      ("tallux_ean_upc_" + std::to_string(getpid()) + ".pgm");
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        RecordingTarget t;
        DrawParams p = params(t, cases[i].code);
        p.pX = 40;
        ASSERT_EQ(cases[i].method(p.args()).value(), 0) << "case " << i;
        std::ofstream(file, std::ios::binary) << greyMap(t);
        const Ran r = run("zbarimg -q -Supca.enable " + file.string());
        EXPECT_EQ(r.out, cases[i].read + "\n") << "case " << i;
    }
    std::filesystem::remove(file);
}

TEST(EanUpc, TalluxDrawReachesEveryMethod)
{
    struct Case {
        std::string method, code;
        int status;
        std::size_t lines;
        std::string summary;
    };
    const Case cases[] = {
        /*0*/ {"BarEAN13", "400638133393", 0, 95, R"({"result":0,"code":"400638133393"})"},
        /*1*/ {"BarEAN8", "96385074", 0, 67, R"({"result":0,"code":"9638507"})"},
        /*2*/ {"BarUPCA", "03600029145", 0, 95, R"({"result":0,"code":"03600029145"})"},
        /*3*/ {"BarUPCE", "123456", 0, 51, R"({"result":0,"code":"123456"})"},
        /*4*/ {"BarUPCAPlus", "03600029145", 0, 95, R"({"result":0,"code":"03600029145"})"},
        /*5*/ {"BarISBN", "030640615", 0, 95, R"({"result":0,"code":"978030640615"})"},
        /*6 a letter in UPC-E: the method's result 13 */
        {"BarUPCE", "12345A", 1, 0, R"({"result":13,"code":"12345A"})"},
        /*7 pX raised in the preparation, after the code was normalised */
        {"BarEAN8", "1", 2, 0, R"({"raised":6,"code":"1000000"})"},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        const std::string x = i == 7 ? "40000" : "10";
        const Ran r =
            run(std::string(TALLUX_CLI_PATH) + " draw " + c.method +
                " --target trace --width 2 --height 100 --y 10 --x " + x + " --code " + c.code);
        EXPECT_EQ(r.status, c.status) << "case " << i;
        std::size_t lines = 0;
        for (std::size_t at = 0; (at = r.out.find(R"("call":"Line")", at)) != std::string::npos;
             ++at)
            ++lines;
        EXPECT_EQ(lines, c.lines) << "case " << i;
        EXPECT_TRUE(r.out.ends_with(c.summary + "\n")) << "case " << i << ": " << r.out;
    }
}

} // namespace
} // namespace tallux::test
