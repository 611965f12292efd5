#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <sys/stat.h>
#include <vector>

#include "targets_support.h"

namespace tallux::test {
namespace {

namespace fs = std::filesystem;

// The tests of this program share no kept text, run as they may: the
// commands this test runs are given a store of their own.
const int storeOff = ::setenv("TALLUX_FONT_CACHE", "0", 1);

// The inode and bytes of each file of the store: a file left alone keeps both.
std::map<std::string, std::pair<ino_t, std::string>> storeFiles(const fs::path& folder)
{
    std::map<std::string, std::pair<ino_t, std::string>> files;
    if (!fs::is_directory(folder)) return files;
    for (const auto& e : fs::directory_iterator(folder)) {
        struct stat st {};
        ::stat(e.path().c_str(), &st);
        files[e.path().filename().string()] = {st.st_ino, readFile(e.path())};
    }
    return files;
}

void eachFile(const fs::path& folder, const std::function<void(std::string&)>& change)
{
    for (const auto& e : fs::directory_iterator(folder)) {
        std::string bytes = readFile(e.path());
        change(bytes);
        writeFile(e.path(), bytes);
    }
}

// Shaped text kept between processes draws the same bytes as text shaped
// anew; a kept file that is stale, damaged or from another version is
// ignored and written again, and a store that cannot be written is none.
TEST(ShapingStore, KeptTextDrawsTheSameBytesAndStaleFilesAreWrittenAgain)
{
    // Every format for three texts and fonts where the files are kept (the
    // last drawn by Pango, and never kept); one drawing where they are changed.
    std::vector<std::string> every;
    for (const char* draw :
         {"ean13 --code 400638133393", "code128 --code BHello --font 'DejaVu Serif' --bold 1",
          "code39f --text 1 --code \"$(printf 'A\\001B')\""}) // a hex box
        for (const char* format : {"png", "svg", "pdf"})
            every.push_back(std::string(draw) + " --target " + format);
    struct Case {
        const char* what;
        std::function<void(const Scratch&)> change; // between the first run and the second
        bool rewritten;
    };
    const Case cases[] = {
        /*0*/ {"kept", [](const Scratch&) {}, false},
        /*1*/
        {"truncated",
         [](const Scratch& d) {
             eachFile(d.path / "cache/tallux/shaping",
                      [](std::string& b) { b.resize(b.size() / 2); });
         },
         true},
        /*2*/
        {"corrupt",
         [](const Scratch& d) {
             eachFile(d.path / "cache/tallux/shaping",
                      [](std::string& b) { b[b.size() / 2] ^= 1; });
         },
         true},
        /*3*/
        {"other version",
         [](const Scratch& d) {
             eachFile(d.path / "cache/tallux/shaping", [](std::string& b) {
                 const auto at = b.find(" 1.");
                 ASSERT_NE(at, std::string::npos);
                 b[at + 1] = '0';
             });
         },
         true},
        /*4*/
        {"configuration changed",
         [](const Scratch& d) {
             fs::last_write_time(d.path / "fonts.conf", fs::last_write_time(d.path / "fonts.conf") +
                                                            std::chrono::hours(1));
         },
         true},
    };
    const auto drawAll = [](const Scratch& d, const std::vector<std::string>& draws,
                            const std::string& env, const std::string& tag) {
        for (std::size_t i = 0; i < draws.size(); ++i)
            run(env + " SOURCE_DATE_EPOCH=1 " + TALLUX_CLI_PATH + " draw " + draws[i] + " -o " +
                quoted(d / ("out/" + tag + std::to_string(i))) + " >/dev/null 2>&1");
    };
    const auto sameOutputs = [](const Scratch& d, std::size_t count, const std::string& tag) {
        for (std::size_t i = 0; i < count; ++i) {
            const std::string expected = readFile(d / ("out/fresh" + std::to_string(i)));
            if (expected.empty() || readFile(d / ("out/" + tag + std::to_string(i))) != expected)
                return false;
        }
        return true;
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        Scratch d("tallux-store");
        const std::vector<std::string> draws = i == 0 ? every : std::vector{every[0]};
        fs::create_directory(d.path / "out");
        writeFile(d / "fonts.conf", "<fontconfig><include>/etc/fonts/fonts.conf</include>"
                                    "</fontconfig>");
        const std::string env = "FONTCONFIG_FILE=" + quoted(d / "fonts.conf") +
                                " XDG_CACHE_HOME=" + quoted(d / "cache") + " TALLUX_FONT_CACHE=";
        drawAll(d, draws, env + "0", "fresh");
        drawAll(d, draws, env + "1", "first");
        ASSERT_FALSE(storeFiles(d.path / "cache/tallux/shaping").empty()) << "case " << i;
        cases[i].change(d);
        const auto before = storeFiles(d.path / "cache/tallux/shaping");
        drawAll(d, draws, env + "1", "second");
        EXPECT_TRUE(sameOutputs(d, draws.size(), "first")) << "case " << i << ": " << cases[i].what;
        EXPECT_TRUE(sameOutputs(d, draws.size(), "second"))
            << "case " << i << ": " << cases[i].what;
        const auto after = storeFiles(d.path / "cache/tallux/shaping");
        for (const auto& [name, file] : before)
            EXPECT_EQ(after.at(name) != file, cases[i].rewritten)
                << "case " << i << ": " << cases[i].what << ", " << name;
    }
    // No folder can be made: drawn as without a store.
    Scratch d("tallux-store");
    fs::create_directory(d.path / "out");
    writeFile(d / "cache", "a file");
    const std::vector<std::string> one{every[0]};
    drawAll(d, one, "TALLUX_FONT_CACHE=0", "fresh");
    drawAll(d, one, "TALLUX_FONT_CACHE=1 XDG_CACHE_HOME=" + quoted(d / "cache"), "second");
    EXPECT_TRUE(sameOutputs(d, 1, "second"));
}

} // namespace
} // namespace tallux::test
