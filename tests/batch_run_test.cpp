#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>

#include "batch_support.h"

namespace tallux::cli::test {
namespace {

// Good and bad lines: 2 names no method, 4 returns 9 (a character Code 39
// lacks), 5 raises 5 (a ratio without a colon), 7 has a bad option value.
const std::string mixedInput = "code39,A\n"
                               "nosuch,1\n"
                               "# a comment\n"
                               "code39,\xC3\x88\n"
                               "code39,B,ratio=31\n"
                               "ean13 400638133393\n"
                               "code39,C,width=x\n"
                               "code39,D\n";

std::vector<std::string> namesOf(const std::map<std::string, std::string>& files)
{
    std::vector<std::string> names;
    for (const auto& [name, bytes] : files) names.push_back(name);
    return names;
}

// Each message appears, in this order.
void expectInOrder(const std::string& text, const std::vector<std::string>& parts,
                   std::size_t index)
{
    std::size_t at = 0;
    for (const std::string& part : parts) {
        const std::size_t found = text.find(part, at);
        EXPECT_NE(found, std::string::npos) << "case " << index << ": no " << part << " in\n"
                                            << text;
        if (found != std::string::npos) at = found + part.size();
    }
}

// A text as UTF-16 with its byte order mark.
std::string utf16(const std::string& utf8, bool bigEndian)
{
    std::string out = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (const char16_t unit : fromUtf8(utf8)) {
        const char high = static_cast<char>(unit >> 8), low = static_cast<char>(unit & 0xFF);
        out += bigEndian ? std::string{high, low} : std::string{low, high};
    }
    return out;
}

TEST(BatchRun, ABadLineStopsTheRunUnlessKeepGoing)
{
    struct Case {
        std::string input;
        std::vector<std::string> flags;
        int status;
        std::vector<std::string> files;
        std::vector<std::string> messages;
    };
    const Case cases[] = {
        /*0*/
        {mixedInput,
         {},
         1,
         {"1.trace"},
         {"line 2: unknown method 'nosuch'", "stopped at line 2",
          "2 lines read, 1 drawn, 1 failed, 1 file written"}},
        /*1*/
        {mixedInput,
         {"--keep-going", "--jobs", "3"},
         1,
         {"1.trace", "6.trace", "8.trace"},
         {"line 2: unknown method 'nosuch'", "line 4: BarCODE39 returned 9",
          "line 5: BarCODE39 raised error 5: Invalid procedure call or argument (--ratio needs "
          "WIDE:NARROW extras, e.g. 3:1)",
          "line 7: '--width' needs an Integer",
          "8 lines read, 3 drawn, 4 failed, 3 files written"}},
        /*2*/
        {"code39,A\n\ncode39 B\r\n",
         {},
         0,
         {"1.trace", "3.trace"},
         {"3 lines read, 2 drawn, 0 failed, 2 files written"}},
        /*3*/ {"", {}, 0, {}, {"0 lines read, 0 drawn, 0 failed, 0 files written"}},
        /*4*/
        {"code39," + std::string(70000, 'A') + "\ncode39,B\n",
         {"-k"},
         1,
         {"2.trace"},
         {"line 1: the line is longer than 65536 bytes"}},
        /*5*/
        {mixedInput,
         {"--dry-run", "-k"},
         1,
         {},
         {"line 2:", "line 4:", "line 5:", "line 7:", "3 drawn, 4 failed, 0 files written"}},
        /*6*/
        {"\xEF\xBB\xBF"
         "code39,A\n",
         {},
         0,
         {"1.trace"},
         {"1 line read, 1 drawn"}}, // a BOM
        /*7*/
        {"code39,a\ncode39,B\n",
         {"--strict", "-k"},
         exitWarned,
         {"2.trace"},
         {"line 1: warning: BarCODE39: 'a' has no bars", "line 1: nothing drawn: --strict",
          "2 lines read, 1 drawn, 1 failed"}},
        /*8*/
        {"code39,a\n", {}, 0, {"1.trace"}, {"line 1: warning: BarCODE39: 'a' has no bars"}},
        /*9*/ // saved as "Unicode text": UTF-16 with its byte order mark
        {utf16("code39,A\r\nean8,9638507\r\n", false),
         {},
         0,
         {"1.trace", "2.trace"},
         {"2 lines read, 2 drawn, 0 failed"}},
        /*10*/
        {"code128,B\xC3\xBC\ncode128,Aabc\ncodabar, \n",
         {"-k"},
         1,
         {},
         {"line 1: BarCODE128 returned 9 (Subscript out of range): '\xC3\xBC' at position 2 has "
          "no symbol character in set B",
          "line 2: BarCODE128 returned 94 (Invalid use of Null): 'a' at position 2 is not in set "
          "A",
          "line 3: BarCODABAR returned 5 (Invalid procedure call or argument): the code is "
          "empty"}},
        /*11*/
        {"\"code39\",A\ncode39;B;width=20\n",
         {"-j1", "--page", "A4"},
         0,
         {"1.trace", "2.trace"},
         {"2 lines read, 2 drawn, 0 failed"}},
        /*12*/ // a switch of draw takes no value from the next word
        {"code39,A\n", {"--raw", "-k"}, 0, {"1.trace"}, {"1 line read, 1 drawn"}},
        /*13*/ // big-endian, a character beyond ASCII and one beyond the BMP
        {utf16("code128,B\xC3\xBC\ncode128,B\xF0\x9F\x98\x80\n", true),
         {"-k"},
         1,
         {"2.trace"},
         {"line 1: BarCODE128 returned 9 (Subscript out of range): '\xC3\xBC' at position 2",
          "line 2: warning: BarCODE128: '\xF0\x9F\x98\x80' is not in the Windows-1252 code page",
          "2 lines read, 1 drawn, 1 failed"}},
        /*14*/ // a cause on the command line holds for every line: said once
        {"code39,A\ncode39,B\ncode39,C\n",
         {"--line-color", "0xFFFFFF"},
         0,
         {"1.trace", "2.trace", "3.trace"},
         {"line 1: warning: --line-color", "tallux: 2 more lines: the same warning as line 1",
          "3 lines read, 3 drawn"}},
        /*15*/ // a line that fails for a warning says it, said before or not
        {"code39,a\ncode39,a\n",
         {"--strict", "-k"},
         exitWarned,
         {},
         {"line 1: warning: BarCODE39: 'a'", "line 2: warning: BarCODE39: 'a'", "2 failed"}},
        /*16*/ // a dry run for a target warns as its files would
        {"code39,AB,width=1\n",
         {"--dry-run", "--target", "png", "--strict"},
         exitWarned,
         {},
         {"line 1: warning: the text is 0 pt", "line 1: nothing drawn: --strict"}},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        Scratch dir;
        std::vector<std::string> words = c.flags;
        if (std::ranges::find(words, "--dry-run") == words.end()) {
            words.push_back("-o");
            words.push_back(dir / "{n}.trace");
        }
        const BatchRun r = batch(dir, c.input, words);
        EXPECT_EQ(r.status, c.status) << "case " << i << ": " << r.err;
        EXPECT_EQ(namesOf(filesIn(dir.path)), c.files) << "case " << i;
        expectInOrder(r.err, c.messages, i);
    }
}

TEST(BatchRun, AFailedLineNeverTouchesAGoodFileAndLeavesNoTemporaryFile)
{
    Scratch dir;
    writeFile(dir / "2.trace", "old");
    writeFile(dir / "9.trace", "old");
    // Line 2 fails; with four workers lines after it are drawn before the
    // failure is taken up, and must not stay.
    std::string input = "code39,A\ncode39,\xC3\x88\n";
    for (int i = 0; i < 40; ++i) input += "code39,Z\n";
    const BatchRun r = batch(dir, input, {"-o", dir / "{n}.trace", "-j", "4"});
    EXPECT_EQ(r.status, 1);
    const auto files = filesIn(dir.path);
    EXPECT_EQ(namesOf(files), (std::vector<std::string>{"1.trace", "2.trace", "9.trace"}));
    EXPECT_EQ(files.at("2.trace"), "old");
    EXPECT_EQ(files.at("9.trace"), "old");
}

TEST(BatchRun, ANameThatRepeatsIsABadLineNotAnOverwrite)
{
    Scratch dir;
    const BatchRun r = batch(dir, "code39,A,width=3\ncode39,A,width=5\ncode39,B\n",
                             {"-o", dir / "{code}.trace", "-k", "--ratio", "3:1"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(
        r.err.find("line 2: '" + (dir / "A.trace") + "' was already written by an earlier line"),
        std::string::npos)
        << r.err;
    const auto files = filesIn(dir.path);
    EXPECT_EQ(namesOf(files), (std::vector<std::string>{"A.trace", "B.trace"}));
    // The first line's file: narrow bars of width 3 + 1 (ratio 3:1).
    EXPECT_NE(files.at("A.trace").find(R"("x1":150,"y1":150,"x2":153)"), std::string::npos);
}

TEST(BatchRun, FoldersAreMadeAndAFileThatCannotBeWrittenStopsTheRunWith74)
{
    Scratch dir;
    BatchRun r = batch(dir, "code39,A\n", {"-o", dir / "new/{method}/{n}.trace"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(filesIn(dir.path / "new" / "code39").size(), 1u);

    // A file stands where a folder should be.
    writeFile(dir / "file", "");
    r = batch(dir, "code39,A\ncode39,B\n", {"-o", dir / "file/{n}.trace", "--keep-going"});
    EXPECT_EQ(r.status, exitOutput);
    EXPECT_NE(r.err.find("line 1: cannot make the folder"), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("line 2:"), std::string::npos) << r.err;
    EXPECT_EQ(readFile(dir / "file"), "");

    // A name of a line's own that cannot be a file is a bad line, passed by -k.
    std::filesystem::create_directories(dir.path / "names" / "B.trace");
    r = batch(dir, "code39,A\ncode39,B\ncode39,C\n", {"-o", dir / "names/{code}.trace", "-k"});
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_NE(r.err.find("line 2: cannot write"), std::string::npos) << r.err;
    EXPECT_TRUE(std::filesystem::is_regular_file(dir.path / "names" / "C.trace")) << r.err;

    // An input that cannot be read is as an output that cannot be written.
    std::string outText, errText;
    Writer out(outText), err(errText);
    EXPECT_EQ(run(std::vector<std::string_view>{"batch", "/no/such/file", "--dry-run"}, out, err),
              exitOutput);
    EXPECT_NE(errText.find("cannot read '/no/such/file'"), std::string::npos) << errText;
}

// One worker takes chunks that grow after the first few; four take small ones.
TEST(BatchRun, TheFilesDoNotDependOnTheNumberOfWorkers)
{
    std::string input;
    const char* lines[] = {"ean13,%d00638133393", "code39 A%d B", "code128,\"BX,%d\",chk=1",
                           "postnet,%d2345,text=0", "upce,12345%d,width=20"};
    for (int i = 0; i < 150; ++i) {
        char line[64];
        std::snprintf(line, sizeof line, lines[i % 5], i % 10);
        input += std::string(line) + "\n";
    }
    for (const char* kind : {"trace", "svg", "png"}) {
        Scratch one, four;
        const std::string name = std::string("{n}-{method}-{code}.") + kind;
        const BatchRun a = batch(one, input, {"-o", one / name, "-j", "1", "--dpi", "96"});
        if (a.status == exitUsage) GTEST_SKIP() << "no image targets in this build";
        const BatchRun b = batch(four, input, {"-o", four / name, "-j", "4", "--dpi", "96"});
        ASSERT_EQ(a.status, 0) << kind << ": " << a.err;
        ASSERT_EQ(b.status, 0) << kind << ": " << b.err;
        const auto filesA = filesIn(one.path), filesB = filesIn(four.path);
        EXPECT_EQ(filesA.size(), 150u) << kind;
        EXPECT_TRUE(filesA == filesB) << kind << ": the files differ";
        EXPECT_EQ(filesA.count(std::string("3-code128-BX_2.") + kind), 1u) << kind;
    }
    // A line's file is the one draw makes: wide bars of whole pixels in both.
    Scratch dir;
    ASSERT_EQ(batch(dir, "i25,123456\n", {"-o", dir / "{n}.png"}).status, 0);
    const std::string drawn = dir / "drawn.png";
    std::string outText, errText;
    Writer out(outText), err(errText);
    const std::vector<std::string_view> words = {"draw", "i25", "--code", "123456", "-o", drawn};
    ASSERT_EQ(run(words, out, err), 0) << errText;
    EXPECT_EQ(readFile(dir / "1.png"), readFile(drawn));
}

// The command on a pipe that stays open, so only a signal ends its run.
TEST(BatchRun, ASignalStopsTheReadingAndTheLinesReadAreFinished)
{
    Scratch dir;
    int input[2], errors[2];
    ASSERT_EQ(::pipe(input), 0);
    ASSERT_EQ(::pipe(errors), 0);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, input[0], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, errors[1], STDERR_FILENO);
    for (const int fd : {input[0], input[1], errors[0], errors[1]})
        posix_spawn_file_actions_addclose(&actions, fd);
    const std::string output = dir / "{n}.trace";
    const char* argv[] = {TALLUX_CLI_PATH, "batch", "-", "-o", output.c_str(), "-j", "2", nullptr};
    pid_t pid = 0;
    ASSERT_EQ(
        ::posix_spawn(&pid, TALLUX_CLI_PATH, &actions, nullptr, const_cast<char**>(argv), environ),
        0);
    posix_spawn_file_actions_destroy(&actions);
    ::close(input[0]);
    ::close(errors[1]);

    std::string lines;
    for (int i = 0; i < 40; ++i) lines += "code39,A\n";
    ASSERT_EQ(::write(input[1], lines.data(), lines.size()), static_cast<ssize_t>(lines.size()));
    // The first file shows that the run has begun (its signal handling with it).
    bool begun = false;
    for (int i = 0; i < 3000 && !begun; ++i) {
        begun = std::filesystem::exists(dir / "1.trace");
        if (!begun) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ::kill(pid, begun ? SIGINT : SIGKILL);
    std::string err;
    char buffer[4096];
    for (ssize_t n; (n = ::read(errors[0], buffer, sizeof buffer)) > 0;)
        err.append(buffer, static_cast<std::size_t>(n));
    int status = 0;
    ::waitpid(pid, &status, 0);
    ::close(input[1]);
    ::close(errors[0]);
    if (!begun) GTEST_SKIP() << "files on this file system appear only in line order";

    ASSERT_TRUE(WIFEXITED(status)) << err;
    EXPECT_EQ(WEXITSTATUS(status), exitInterrupted) << err;
    // Lines 1 to 16 went to the workers together; the signal may come while
    // the reading goes on, so the last line read is one of 16 to 40.
    const std::string said = "interrupted by SIGINT after line ";
    const std::size_t at = err.find(said);
    ASSERT_NE(at, std::string::npos) << err;
    const int last = std::atoi(err.c_str() + at + said.size());
    EXPECT_GE(last, 16) << err;
    EXPECT_LE(last, 40) << err;
    EXPECT_NE(err.find("; the lines read were finished"), std::string::npos) << err;
    const std::string n = std::to_string(last);
    EXPECT_NE(err.find(n + " lines read, " + n + " drawn, 0 failed, " + n + " files written"),
              std::string::npos)
        << err;
    const auto files = filesIn(dir.path);
    EXPECT_EQ(files.size(), static_cast<std::size_t>(last));
    for (int i = 1; i <= last; ++i)
        EXPECT_EQ(files.count(std::to_string(i) + ".trace"), 1u) << "line " << i;
}

TEST(BatchRun, UsageErrorsExit64)
{
    const std::pair<std::vector<std::string_view>, std::string> cases[] = {
        /*0*/ {{"batch"}, "needs one of --output NAME, --sheet FILE or --dry-run"},
        /*1*/ {{"batch", "-o", "{n}.png", "--sheet", "s.pdf"}, "needs one of"},
        /*2*/ {{"batch", "-o", "{n}.jpg"}, "no known extension"},
        /*3*/ {{"batch", "-o", "{n}.png", "--code", "1"}, "each line gives its code"},
        /*4*/ {{"batch", "-o", "{n}.png", "--jobs", "0"}, "from 1 to 256"},
        /*5*/ {{"batch", "--sheet", "s.pdf", "--grid", "3"}, "COLSxROWS"},
        /*6*/ {{"batch", "--sheet", "s.pdf", "--target", "png"}, "--target goes with --output"},
        /*7*/ {{"batch", "-o", "{n}.png", "--wdith", "3"}, "unknown option '--wdith'"},
        /*8*/ {{"batch", "-o", "{n}.png", "-x", "3"}, "unknown option '-x'"},
        /*9*/ {{"batch", "-o", "-"}, "not standard output"},
        /*10*/ {{"batch", "a", "b", "--dry-run"}, "one input"},
        /*11*/ {{"batch", "-o", "{n}.png", "--target", "printer"}, "unknown target"},
        /*12*/ {{"batch", "-o", "{n.png"}, "unclosed"},
        /*13*/ {{"batch", "--dry-run", "--keep-going=1"}, "takes no value"},
        /*14*/ {{"batch", "--dry-run", "--width", "70000"}, "needs an Integer"},
        /*15*/ {{"batch", "--sheet", "s.pdf", "--grid", "100x100", "--page", "72x72"}, "too small"},
        /*16*/ {{"batch", "-o", "{n}.png", "--target", "svg"}, "does not match"},
        /*17*/ {{"batch", "--dry-run", "--width", "-2mm"}, "zero or more"},
        /*18*/ {{"batch", "--sheet", "-"}, "not standard output"},
        /*19*/ {{"batch", "--sheet", "labels.png"}, "a name ending in .pdf, not 'labels.png'"},
        /*20*/ {{"batch", "--sheet", "s.pdf", "--page", "A5"}, "a4, letter or WIDTHxHEIGHT"},
        /*21*/ {{"batch", "-o", "{n}.trace", "--set", "B"}, "the trace shows as given"},
        /*22*/ {{"batch", "--dry-run", "--set", "auto", "--raw"}, "--raw passes as given"},
        /*23*/ {{"batch", "--sheet", "s.pdf", "--rotate", "90"}, "a sheet lays out its labels"},
        /*24*/ {{"batch", "-o", "{n}.trace", "--bg", "none"}, "paints an image target's page"},
        /*25*/ {{"batch", "--dry-run", "--bogus"}, "unknown option '--bogus'"},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        std::string outText, errText;
        Writer out(outText), err(errText);
        EXPECT_EQ(run(cases[i].first, out, err), exitUsage) << "case " << i << ": " << errText;
        EXPECT_NE(errText.find(cases[i].second), std::string::npos)
            << "case " << i << ": " << errText;
    }
}

} // namespace
} // namespace tallux::cli::test
