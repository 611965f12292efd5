#include <gtest/gtest.h>

#include "numeric_postal_support.h"

namespace tallux::test {
namespace {

Integer draw11(DrawParams& p)
{
    return Tallux().draw(Code_11, p);
}

// Code 11 patterns by character, "1" wide; "*" for start/stop.
std::string_view pattern11(char c)
{
    constexpr std::string_view digits[] = {"00001", "10001", "01001", "11000", "00101",
                                           "10100", "01100", "00011", "10010", "10000"};
    if (c == '-') return "00100";
    if (c == '*') return "00110";
    return c >= '0' && c <= '9' ? digits[c - '0'] : digits[0];
}

// The element string of start, characters and stop, each with its gap.
std::string symbol11(std::string_view characters)
{
    std::string s;
    for (char c : "*" + std::string(characters) + "*") s += std::string(pattern11(c)) + "0";
    return s;
}

TEST(Code11, CheckCharactersAreAppendedToTheCallersCode)
{
    struct Case {
        std::u16string code, after;
        std::string drawn;
    };
    const Case cases[] = {
        /*0*/ {u"123-45", u"123-4552", "123-4552"}, // C 71 mod 11 = 5, K (5 + 96) mod 11 = 2
        /*1*/ {u"18", u"18-7", "18-7"},             // C-digit 10 is "-"
        /*2*/ {u"7", u"77-", "77-"},                // K-digit 10 is "-"
        /*3*/ {u"", u"00", "00"},
        /*4*/ {u"111111111111", u"11111111111132", "11111111111132"}, // C 58, K 54
        /*5*/ {u"A", u"A-8", "0-8"}, // 65: C 65 mod 11 = 10, K (10 + 130) mod 11 = 8
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        RecordingTarget t;
        DrawParams p = params(t, cases[i].code);
        p.pChk = Boolean(Integer(1));
        EXPECT_EQ(draw11(p).value(), 0) << "case " << i;
        EXPECT_EQ(p.pCode, cases[i].after) << "case " << i;
        EXPECT_EQ(elementString(t), symbol11(cases[i].drawn)) << "case " << i;
        EXPECT_TRUE(alternates(t)) << "case " << i;
    }
}

TEST(Code11, WithoutCheckTheCodeIsDrawnUnchanged)
{
    for (std::u16string code : {u"123-45", u"", u" 9 "}) {
        RecordingTarget t;
        DrawParams p = params(t, code);
        ASSERT_EQ(draw11(p).value(), 0);
        EXPECT_EQ(p.pCode, code);
        EXPECT_EQ(elementString(t), symbol11(toUtf8(code)));
    }
}

TEST(Code11, WidthsAtThreeToOne)
{
    RecordingTarget t;
    DrawParams p = params(t, u"10");
    p.pWidth = 1; // N = 2, M = 22
    p.pX = 0;
    p.pText = 1;
    ASSERT_EQ(draw11(p).value(), 0);
    // Start 50, gap, "1" 50, gap, "0" 30, gap, stop 50, gap: x ends at 188.
    EXPECT_EQ(elementString(t, 0, 2, 22), symbol11("10"));
    const auto log = t.log();
    EXPECT_EQ(log[4 + 5], line(50, 10, 51, 110, white)); // the gap after the start
    EXPECT_EQ(lines(t).back(), line(186, 10, 187, 110, white));
    // (188 - 14 + 10 + 0) / 2
    EXPECT_EQ(std::vector(log.end() - 4, log.end()),
              (std::vector<std::string>{"TextWidth(10)=14", "CurrentX(Single 92)", "CurrentY(115)",
                                        "Print(10)"}));
}

TEST(Code11, ErrorsAfterTheTrapBecomeTheResult)
{
    struct Case {
        std::u16string code;
        float x;
        int result;
        std::size_t lines;
    };
    const Case cases[] = {
        /*0*/ {std::u16string(600, u'z'), 10, err::Overflow, 0}, // check sums pass 32767
        /*1*/ {u"12", 40000, err::Overflow, 0},                  // pX rounded in the trap
        /*2*/ {u"12", 32760, err::Overflow, 2},                  // a box edge passes 32767
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        RecordingTarget t;
        DrawParams p = params(t, cases[i].code);
        p.pX = cases[i].x;
        p.pChk = true;
        EXPECT_EQ(draw11(p).value(), cases[i].result) << "case " << i;
        EXPECT_EQ(lines(t).size(), cases[i].lines) << "case " << i;
        EXPECT_EQ(t.calls.size(), 4 + cases[i].lines) << "case " << i;
    }
    // A check sum overflow appends nothing.
    RecordingTarget t;
    DrawParams p = params(t, std::u16string(600, u'z'));
    p.pChk = true;
    draw11(p);
    EXPECT_EQ(p.pCode.size(), 600u);
}

TEST(Code11, PreparationErrorsAreRaisedBeforeAnyCall)
{
    const RaisedCase cases[] = {
        /*0*/ {.ratio = u"", .error = err::InvalidCall, .after = u"12"},
        /*1*/ {.ratio = u"3", .error = err::InvalidCall, .after = u"12"},
        /*2*/ {.ratio = u"3:1", .width = 1561, .error = err::Overflow, .after = u"12"}, // 1561 x 21
        /*3*/ {.ratio = u"1:20000", .error = err::Overflow, .after = u"12"},            // 2 x 20000
    };
    expectRaisedBeforeAnyCall(Code_11, u"12", true, cases);
}

} // namespace
} // namespace tallux::test
