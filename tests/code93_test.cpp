#include <gtest/gtest.h>

#include <map>

#include "support.h"

namespace tallux::test {
namespace {

Integer draw93(DrawParams& p)
{
    return Tallux().draw(Code_93, p);
}

// The published Code 93 patterns of the values the tests use.
const std::map<int, std::string_view> published = {
    {0, "100010100"},  {1, "101001000"},   {3, "101000010"},  {6, "100100010"},  {8, "100010010"},
    {9, "100001010"},  {10, "110101000"},  {14, "110010010"}, {25, "100010110"}, {28, "110101100"},
    {29, "110100110"}, {30, "110010110"},  {31, "110011010"}, {38, "111010010"}, {39, "111001010"},
    {40, "101101110"}, {41, "101110110"},  {42, "110101110"}, {44, "111011010"}, {46, "100110010"},
    {47, "101011110"}, {48, "1010111101"},
};

std::string_view pattern93(int value)
{
    const auto it = published.find(value);
    if (it == published.end()) ADD_FAILURE() << "no pattern for " << value;
    return it == published.end() ? "" : it->second;
}

// The Lines of the given symbol values from x, one module of width w per
// pattern character.
std::vector<std::string> modules(int& x, const std::vector<int>& values, int w = 2)
{
    std::vector<std::string> out;
    for (int v : values)
        for (char m : pattern93(v)) {
            out.push_back(line(x, 10, x + w - 1, 110, m == '1' ? bar : white));
            x += w;
        }
    return out;
}

TEST(Code93, DrawsStartDataChecksAndStop)
{
    struct Case {
        std::u16string code;
        bool chk;
        std::vector<int> values; // start to stop
    };
    const std::u16string controls = std::u16string(1, u'\0') + u" $%+/";
    const Case cases[] = {
        /*0*/ {u"TEST93", true, {47, 29, 14, 28, 29, 9, 3, 41, 6, 48}}, // c1 41, c2 6
        /*1*/ {u"TEST93", false, {47, 29, 14, 28, 29, 9, 3, 48}},
        /*2*/ {u"a", true, {47, 46, 10, 8, 25, 48}}, // shift (+) A; c1 8, c2 25
        /*3*/ {u"", true, {47, 0, 0, 48}},
        /*4*/ {u"", false, {47, 48}},
        /*5*/ {controls, true, {47, 44, 30, 38, 39, 42, 41, 40, 1, 41, 48}}, // "%U", then direct
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        RecordingTarget t;
        DrawParams p = params(t, c.code);
        p.pChk = c.chk;
        p.pRatio = u""; // not read
        ASSERT_EQ(draw93(p).value(), 0) << "case " << i;
        int x = 10;
        EXPECT_EQ(t.log(), concat(setUp(), modules(x, c.values))) << "case " << i;
        EXPECT_EQ(p.pCode, c.code) << "case " << i;
    }
}

TEST(Code93, TestNinetyThreeIsNinetyOneModules)
{
    RecordingTarget t;
    DrawParams p = params(t, u"TEST93");
    p.pChk = true;
    p.pWidth = 1;
    ASSERT_EQ(draw93(p).value(), 0);
    EXPECT_EQ(lines(t).size(), 91u);
}

// Check values over more than 15 and 20 symbols, where the weights wrap.
TEST(Code93, CheckWeightsRepeat)
{
    struct Case {
        std::u16string code;
        std::size_t symbols;
        int c1, c2;
    };
    const Case cases[] = {
        /*0*/ {u"CODE 93 FULL ASCII abc!", 27, 8, 31},
        /*1*/ {u"ABCDEFGHIJKLMNOPQRSTUVWXYZ", 26, 0, 0},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        RecordingTarget t;
        DrawParams p = params(t, cases[i].code);
        p.pChk = true;
        ASSERT_EQ(draw93(p).value(), 0) << "case " << i;
        const auto all = lines(t);
        ASSERT_EQ(all.size(), 9 * (cases[i].symbols + 3) + 10) << "case " << i;
        int x = 10 + 2 * 9 * static_cast<int>(cases[i].symbols + 1);
        const auto checks = modules(x, {cases[i].c1, cases[i].c2});
        EXPECT_EQ(std::vector(all.end() - 28, all.end() - 10), checks) << "case " << i;
    }
}

TEST(Code93, TextLineShowsTheDataAsPassed)
{
    struct Case {
        int text;
        bool chk;
        std::vector<std::string> tail; // the calls after the last Line
    };
    // "a\t": shift (+) A, shift ($) I; 6 symbols with the checks, xe = 10 + 2 × 73.
    const Case cases[] = {
        /*0*/ {
            1, true, {"TextWidth(a\t)=14", "CurrentX(Single 81)", "CurrentY(115)", "Print(a\t)"}},
        /*1*/
        {1, false, {"TextWidth(a\t)=14", "CurrentX(Single 63)", "CurrentY(115)", "Print(a\t)"}},
        /*2*/ {2, true, {}},
        /*3*/ {-1, true, {}},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        RecordingTarget t;
        DrawParams p = params(t, u"a\t");
        p.pText = cases[i].text;
        p.pChk = cases[i].chk;
        ASSERT_EQ(draw93(p).value(), 0) << "case " << i;
        const auto log = t.log();
        const std::size_t n = cases[i].tail.size();
        EXPECT_EQ(std::vector(log.end() - static_cast<long>(n), log.end()), cases[i].tail)
            << "case " << i;
        EXPECT_EQ(log[log.size() - n - 1].substr(0, 5), "Line(") << "case " << i;
    }
}

TEST(Code93, FailuresAfterTheSetUp)
{
    struct Case {
        std::u16string code;
        bool chk;
        float x;
        int result;
        std::size_t lines;
    };
    const Case cases[] = {
        /*0*/ {u"A\u00C8", true, 10, err::SubscriptOutOfRange, 0},     // code 200
        /*1*/ {std::u16string(40, u'z'), false, 10, err::Overflow, 0}, // check sums always formed
        /*2*/ {std::u16string(39, u'z'), true, 10, 0, 9 * 81 + 10},
        /*3*/ {u"A", true, 40000, err::Overflow, 0},
        /*4*/ {u"A", true, 32700, err::Overflow, 33}, // at 32766, x + 2 overflows
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        RecordingTarget t;
        DrawParams p = params(t, c.code);
        p.pChk = c.chk;
        p.pText = 1;
        p.pX = c.x;
        EXPECT_EQ(draw93(p).value(), c.result) << "case " << i;
        EXPECT_EQ(lines(t).size(), c.lines) << "case " << i;
        if (c.result != 0) {
            EXPECT_EQ(t.log().size(), 4 + c.lines) << "case " << i;
        }
        EXPECT_EQ(p.pCode, c.code) << "case " << i;
    }
}

} // namespace
} // namespace tallux::test
