#include <gtest/gtest.h>

#include "support.h"
#include "symbologies/alphanumeric/code128_table.h"

namespace tallux::test {
namespace {

Integer draw128(DrawParams& p)
{
    return Tallux().draw(Code_128, p);
}

// The Lines of the given symbol values from x, one 2-unit module per pattern
// character.
std::vector<std::string> modules(int& x, const std::vector<int>& values)
{
    std::vector<std::string> out;
    for (int v : values)
        for (char m : code128::patterns.at(static_cast<std::size_t>(v))) {
            out.push_back(line(x, 10, x + 1, 110, m == '1' ? bar : white));
            x += 2;
        }
    return out;
}

TEST(Code128, PublishedPatternsOfStartsStopAndSamples)
{
    EXPECT_EQ(code128::patterns[0], "11011001100");
    EXPECT_EQ(code128::patterns[64], "10100001100");
    EXPECT_EQ(code128::patterns[102], "11110101110");
    EXPECT_EQ(code128::patterns[103], "11010000100");
    EXPECT_EQ(code128::patterns[104], "11010010000");
    EXPECT_EQ(code128::patterns[105], "11010011100");
    EXPECT_EQ(code128::patterns[106], "1100011101011");
}

TEST(Code128, DrawsStartDataCheckAndStop)
{
    struct Case {
        std::u16string code;
        bool chk;
        std::vector<int> values; // start to stop
        std::u16string after;
    };
    const Case cases[] = {
        /*0*/ {u"BCode128", true, {104, 35, 79, 68, 69, 17, 18, 24, 5, 106}, u"Code128"},
        /*1*/ {u"C12345", true, {105, 1, 23, 45, 81, 106}, u"12345"}, // "0" added for the pairs
        /*2*/ {u"C1234", true, {105, 12, 34, 82, 106}, u"1234"},
        /*3*/ {u"A", true, {103, 0, 106}, u""},
        /*4*/ {u"A", false, {103, 106}, u""},
        /*5*/
        {u"AHI" + std::u16string(1, u'\0'),
         true,
         {103, 40, 41, 64, 5, 106},
         std::u16string(u"HI") + u'\0'},
        /*6*/ {u"B\u20AC\u0160", true, {104, 96, 106, 0, 106}, u"\u20AC\u0160"}, // codes 128, 138
        /*7*/ {u"C", true, {105, 2, 106}, u""},
        /*8*/ {u"C1 2", true, {105, 1, 2, 7, 106}, u"1 2"}, // pairs "01", " 2"
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        RecordingTarget t;
        DrawParams p = params(t, c.code);
        p.pChk = c.chk;
        p.pRatio = u""; // not read
        ASSERT_EQ(draw128(p).value(), 0) << "case " << i;
        int x = 10;
        EXPECT_EQ(t.log(), concat(setUp(), modules(x, c.values))) << "case " << i;
        EXPECT_EQ(p.pCode, c.after) << "case " << i;
    }
}

TEST(Code128, BCode128IsOneHundredTwelveModules)
{
    RecordingTarget t;
    DrawParams p = params(t, u"BCode128");
    p.pChk = true;
    ASSERT_EQ(draw128(p).value(), 0);
    EXPECT_EQ(lines(t).size(), 112u);
}

TEST(Code128, SetsAAndBPrintEachCharacterUnderItsModules)
{
    for (int text : {1, 2, -1}) {
        RecordingTarget t;
        DrawParams p = params(t, u"BAb");
        p.pText = text;
        p.pChk = true;
        ASSERT_EQ(draw128(p).value(), 0);
        int x = 10;
        auto expected = concat(setUp(), modules(x, {104}));
        expected = concat(expected, {"CurrentX(Integer 32)", "CurrentY(115)", "Print(A)"});
        expected = concat(expected, modules(x, {33}));
        expected = concat(expected, {"CurrentX(Integer 54)", "CurrentY(115)", "Print(b)"});
        expected = concat(expected, modules(x, {66, 63, 106})); // 104 + 33 + 132 = 269: 63
        EXPECT_EQ(t.log(), expected) << "pText " << text;
    }
}

TEST(Code128, SetCPrintsTheDigitsOnceCentred)
{
    for (int text : {1, -1}) {
        RecordingTarget t;
        DrawParams p = params(t, u"C12345");
        p.pText = text;
        p.pChk = true;
        ASSERT_EQ(draw128(p).value(), 0);
        int x = 10;
        // xe = 10 + 2 × 68 = 146; (146 - 35 + 10 + 10) / 2
        const auto expected = concat(
            concat(setUp(), modules(x, {105, 1, 23, 45, 81, 106})),
            {"TextWidth(12345)=35", "CurrentX(Single 65.5)", "CurrentY(115)", "Print(12345)"});
        EXPECT_EQ(t.log(), expected) << "pText " << text;
        EXPECT_EQ(p.pCode, u"12345");
    }
}

TEST(Code128, FailuresAfterTheSetUp)
{
    struct Case {
        std::u16string code;
        float x;
        int result;
        std::vector<int> drawn; // symbol values drawn before the failure
        std::u16string after;
    };
    const std::u16string underscores(40, u'_'); // value 63 each: the sum passes 32767 at the 32nd
    const std::u16string nines(301, u'9');
    const Case cases[] = {
        /*0*/ {u"", 10, err::InvalidCall, {}, u""},
        /*1*/ {u"Aabc", 10, err::InvalidUseOfNull, {}, u"abc"},
        /*2*/ {u"Xabc", 10, err::InvalidCall, {}, u"abc"}, // no code set: no symbol
        /*3*/ {u"a123", 10, err::InvalidCall, {}, u"123"},
        /*4*/ {u"C12-1", 10, err::SubscriptOutOfRange, {105, 12}, u"12-1"},
        /*5*/ {u"C1-1", 10, err::SubscriptOutOfRange, {105, 1}, u"01-1"}, // keeps the added "0"
        /*6*/ {u"B\x1F", 10, err::SubscriptOutOfRange, {104}, u"\x1F"},
        /*7*/ {u"BA\u00FF", 10, err::SubscriptOutOfRange, {104, 33}, u"A\u00FF"}, // value 223
        /*8*/ {u"A" + underscores + u"a", 10, err::Overflow, {}, underscores + u"a"},
        /*9*/ {u"Aa" + underscores, 10, err::InvalidUseOfNull, {}, u"a" + underscores},
        /*10*/ {u"C" + nines, 10, err::Overflow, {}, u"0" + nines},
        /*11*/ {u"BAB", 40000, err::Overflow, {}, u"BAB"}, // pX is rounded before the letter goes
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        RecordingTarget t;
        DrawParams p = params(t, c.code);
        p.pX = c.x;
        p.pChk = true;
        EXPECT_EQ(draw128(p).value(), c.result) << "case " << i;
        int x = 10;
        EXPECT_EQ(t.log(), concat(setUp(), modules(x, c.drawn))) << "case " << i;
        EXPECT_EQ(p.pCode, c.after) << "case " << i;
    }
}

} // namespace
} // namespace tallux::test
