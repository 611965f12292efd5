#include <gtest/gtest.h>

#include "support.h"

namespace tallux::test {
namespace {

// The Lines of one Code 39 character from x: nine elements, "1" wide (m) and
// "0" narrow (n), bars at odd positions; then the narrow gap when `gap`.
std::vector<std::string> character(int& x, std::string_view pattern, int n, int m, bool gap,
                                   double top = 10, double bottom = 110)
{
    std::vector<std::string> out;
    for (std::size_t j = 0; j < pattern.size(); ++j) {
        const int w = pattern[j] == '1' ? m : n;
        out.push_back(line(x, top, x + w - 1, bottom, j % 2 == 0 ? bar : white));
        x += w;
    }
    if (gap) out.push_back(line(x, top, x + n - 1, bottom, white));
    x += n;
    return out;
}

constexpr std::string_view star = "010010100";
constexpr std::string_view patA = "100001001";
constexpr std::string_view patSpace = "011000100";

TEST(Code39, RatioThreeToOneGivesTheDocumentedGeometry)
{
    RecordingTarget t;
    DrawParams p = params(t, u"A");
    p.pX = 0;
    ASSERT_EQ(Tallux().draw(Code_39, p).value(), 0);

    int x = 0; // N = 2 + 1 = 3, M = 2 + 21 = 23; 90 units a character
    auto expected = setUp();
    for (auto part : {character(x, star, 3, 23, true), character(x, patA, 3, 23, true),
                      character(x, star, 3, 23, false)})
        expected = concat(expected, part);
    EXPECT_EQ(t.log(), expected);
    EXPECT_EQ(x, 270);
    EXPECT_EQ(lines(t).back(), line(264, 10, 266, 110, bar)); // painted area ends at 266
}

TEST(Code39, CheckCharacterIsAppendedToTheCallersCode)
{
    struct Case {
        std::u16string code, after;
        std::size_t lines;
    };
    const Case cases[] = {
        /*0*/ {u"CODE39", u"CODE39W", 9 * 9 + 8}, // 75 mod 43 = 32: "W"
        /*1*/ {u"", u"0", 9 * 3 + 2},             // drawn "*0*"
        /*2*/ {u"Y4", u"Y4 ", 9 * 5 + 4},         // value 38: a space
        /*3*/ {u"a", u"aB", 9 * 3 + 3},           // "a" adds 97; 97 mod 43 = 11: "B"
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        RecordingTarget t;
        DrawParams p = params(t, cases[i].code);
        p.pChk = Boolean(Integer(1));
        EXPECT_EQ(Tallux().draw(Code_39, p).value(), 0) << "case " << i;
        EXPECT_EQ(p.pCode, cases[i].after) << "case " << i;
        EXPECT_EQ(lines(t).size(), cases[i].lines) << "case " << i;
    }

    // A second call with the same variable checks over the longer code.
    RecordingTarget t;
    DrawParams p = params(t, u"CODE39");
    p.pChk = true;
    Tallux().draw(Code_39, p);
    Tallux().draw(Code_39, p);
    EXPECT_EQ(p.pCode, u"CODE39WL"); // 75 + 32 = 107; 107 mod 43 = 21: "L"
}

TEST(Code39, EmptyCodeDrawsStartAndStopWithOneGap)
{
    RecordingTarget t;
    DrawParams p = params(t, u"");
    ASSERT_EQ(Tallux().draw(Code_39, p).value(), 0);
    int x = 10;
    const auto start = character(x, star, 3, 23, true);
    EXPECT_EQ(lines(t), concat(start, character(x, star, 3, 23, false)));
}

TEST(Code39, CheckSpaceIsDrawnWithTheSpacePattern)
{
    RecordingTarget t;
    DrawParams p = params(t, u"Y4");
    p.pChk = true;
    ASSERT_EQ(Tallux().draw(Code_39, p).value(), 0);
    const auto all = lines(t);
    int x = 10 + 3 * 90; // after "*", "Y", "4"
    const auto space = character(x, patSpace, 3, 23, true);
    EXPECT_EQ(std::vector(all.begin() + 30, all.begin() + 40), space);
}

TEST(Code39, LowerCaseHasNoBarsOnlyItsGap)
{
    RecordingTarget t;
    DrawParams p = params(t, u"a");
    ASSERT_EQ(Tallux().draw(Code_39, p).value(), 0);
    int x = 10;
    auto expected = character(x, star, 3, 23, true);
    expected.push_back(line(x, 10, x + 2, 110, white)); // the gap after "a"
    x += 3;
    expected = concat(expected, character(x, star, 3, 23, false));
    EXPECT_EQ(lines(t), expected);
}

TEST(Code39, CharacterOutsideTheTableStopsWithNine)
{
    RecordingTarget t;
    DrawParams p = params(t, u"1\u00C8"); // code 200
    p.pText = 1;
    EXPECT_EQ(Tallux().draw(Code_39, p).value(), err::SubscriptOutOfRange);
    EXPECT_EQ(lines(t).size(), 20u); // "*" and "1" with their gaps
    EXPECT_EQ(t.calls.back().member, Member::Line);

    // A character the code page lacks reads as "?", which has no bars.
    RecordingTarget t2;
    DrawParams p2 = params(t2, u"\u4E2D");
    EXPECT_EQ(Tallux().draw(Code_39, p2).value(), 0);
    EXPECT_EQ(lines(t2).size(), 9u + 1 + 1 + 9);
}

TEST(Code39, PreparationErrorsAreRaisedBeforeAnyCall)
{
    const RaisedCase cases[] = {
        /*0*/ {.ratio = u"", .error = err::InvalidCall, .after = u"CODE39"},
        /*1*/ {.ratio = u"3", .error = err::InvalidCall, .after = u"CODE39"},
        /*2*/ {.ratio = u"5000:1", .error = err::Overflow, .after = u"CODE39"}, // 35000 after
                                                                                // rounding
        /*3*/ {.ratio = u"3:1", .width = 1561, .error = err::Overflow, .after = u"CODE39"}, // 1561
                                                                                            // x 21
        /*4*/ {.ratio = u"1:40000", .error = err::Overflow, .after = u"CODE39"}, // narrow extra
                                                                                 // beyond 16 bits
    };
    expectRaisedBeforeAnyCall(Code_39, u"CODE39", true, cases);
}

TEST(Code39, TextLineIsCentredUnderTheBars)
{
    RecordingTarget t;
    DrawParams p = params(t, u"A");
    p.pText = 1;
    p.pX = 10.5f; // runs at 10
    ASSERT_EQ(Tallux().draw(Code_39, p).value(), 0);
    const auto log = t.log();
    // xe = 10 + 270 = 280, T = 7: (280 - 7 + 10 + 10.5) / 2 = 146.75
    EXPECT_EQ(std::vector(log.end() - 4, log.end()),
              (std::vector<std::string>{"TextWidth(A)=7", "CurrentX(Single 146.75)",
                                        "CurrentY(115)", "Print(A)"}));
}

TEST(Code39, TextWiderThanTheRunningXStartsAtTen)
{
    RecordingTarget t;
    t.charWidth = 1000;
    DrawParams p = params(t, u"A");
    p.pText = 1;
    ASSERT_EQ(Tallux().draw(Code_39, p).value(), 0);
    EXPECT_EQ(t.calls[t.calls.size() - 3].str(), "CurrentX(Integer 10)");
}

TEST(Code39, OnlyTextValueOnePrints)
{
    for (int text : {0, 2, -1}) {
        RecordingTarget t;
        DrawParams p = params(t, u"A");
        p.pText = text;
        ASSERT_EQ(Tallux().draw(Code_39, p).value(), 0);
        EXPECT_EQ(t.calls.back().member, Member::Line) << "pText " << text;
    }
}

} // namespace
} // namespace tallux::test
