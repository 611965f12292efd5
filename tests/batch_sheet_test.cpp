#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <sys/wait.h>

#include "batch_support.h"
#include "pdf_check.h"

namespace tallux::cli::test {
namespace {

// pdfinfo comes with pdftoppm (poppler-utils).
std::string pdfinfo()
{
    std::string tool = TALLUX_PDFTOPPM;
    if (tool.empty()) return {};
    return tool.substr(0, tool.rfind("pdftoppm")) + "pdfinfo";
}

int pageCount(const std::string& pdf)
{
    FILE* pipe = ::popen((pdfinfo() + " '" + pdf + "' 2>/dev/null").c_str(), "r");
    if (pipe == nullptr) return -1;
    std::string out;
    std::array<char, 4096> buf{};
    for (std::size_t n; (n = std::fread(buf.data(), 1, buf.size(), pipe)) > 0;)
        out.append(buf.data(), n);
    ::pclose(pipe);
    const std::size_t at = out.find("Pages:");
    return at == std::string::npos ? -1 : std::atoi(out.c_str() + at + 6);
}

std::string linesOf(int count, int badLine = 0)
{
    std::string input;
    for (int i = 1; i <= count; ++i)
        input += i == badLine ? "code39,\xC3\x88\n"
                              : "ean13,40063813339" + std::to_string(i % 10) + "\n";
    return input;
}

TEST(BatchSheet, PagesHoldTheGridAndAStoppedRunWritesNoSheet)
{
    if (pdfinfo().empty()) FAIL() << "pdfinfo is not installed";
    struct Case {
        std::string input;
        std::vector<std::string> flags;
        int status;
        int pages; // 0: no sheet is written
        std::string message;
    };
    const Case cases[] = {
        /*0*/ {
            linesOf(50), {"--grid", "2x3"}, 0, 9, "50 drawn, 0 failed, 1 file written (9 pages)"},
        /*1*/ {linesOf(48), {"--grid", "2x3"}, 0, 8, "(8 pages)"}, // no empty page at the end
        /*2*/ {linesOf(1), {}, 0, 1, "(1 page)"},
        /*3*/ {linesOf(49, 7), {"--grid", "2x3", "-k"}, 1, 8, "48 drawn, 1 failed"},
        /*4*/ {linesOf(49, 7), {"--grid", "2x3"}, 1, 0, "nothing written to"},
        /*5*/ {"# nothing\n", {}, 0, 0, "no symbol was drawn"},
        /*6*/
        {linesOf(3) + "ean13,1,units=mm\n", {"-k"}, 1, 1, "units cannot change within a sheet"},
        /*7*/
        {linesOf(30),
         {"--grid", "1x1", "--page", "letter", "--units", "pt", "--width", "1"},
         0,
         30,
         "(30 pages)"},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        Scratch dir;
        std::vector<std::string> words = c.flags;
        words.insert(words.end(), {"--sheet", dir / "labels.pdf", "-j", "3"});
        const BatchRun r = batch(dir, c.input, words);
        EXPECT_EQ(r.status, c.status) << "case " << i << ": " << r.err;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << "case " << i << ": " << r.err;
        const auto files = filesIn(dir.path);
        if (c.pages == 0) {
            EXPECT_TRUE(files.empty()) << "case " << i; // no temporary file either
        } else {
            ASSERT_EQ(files.size(), 1u) << "case " << i;
            EXPECT_EQ(pageCount(dir / "labels.pdf"), c.pages) << "case " << i;
            EXPECT_EQ(tallux::test::pdfFaults(dir / "labels.pdf"), "") << "case " << i;
        }
    }
}

TEST(BatchSheet, TheSheetDoesNotDependOnTheNumberOfWorkers)
{
    ::setenv("SOURCE_DATE_EPOCH", "1700000000", 1);
    Scratch one, four;
    const std::string input = linesOf(40) + "code39 HELLO\ncode128,\"A,B\"\n";
    const BatchRun a = batch(one, input, {"--sheet", one / "s.pdf", "-j", "1"});
    const BatchRun b = batch(four, input, {"--sheet", four / "s.pdf", "-j", "4"});
    ::unsetenv("SOURCE_DATE_EPOCH");
    if (a.status == exitUsage) GTEST_SKIP() << "no PDF sheet in this build";
    ASSERT_EQ(a.status, 0) << a.err;
    ASSERT_EQ(b.status, 0) << b.err;
    const std::string bytes = readFile(one / "s.pdf");
    EXPECT_TRUE(bytes.starts_with("%PDF-"));
    EXPECT_NE(bytes.find("20231114221320Z"), std::string::npos); // the creation date asked for
    EXPECT_TRUE(bytes == readFile(four / "s.pdf"));
    EXPECT_EQ(tallux::test::pdfFaults(one / "s.pdf"), "");
}

} // namespace
} // namespace tallux::cli::test
