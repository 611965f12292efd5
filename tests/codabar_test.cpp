#include <gtest/gtest.h>

#include "numeric_postal_support.h"

namespace tallux::test {
namespace {

Integer drawCodabar(DrawParams& p)
{
    return Tallux().draw(Codabar, p);
}

constexpr std::string_view patA = "0011010", pat1 = "0000110", pat2 = "0001001", pat3 = "1100000",
                           patB = "0101001", patC = "0001011", patD = "0001110";

// Characters with the narrow gap ("0") between them.
std::string joined(std::initializer_list<std::string_view> characters)
{
    std::string s;
    for (auto c : characters) s += (s.empty() ? "" : "0") + std::string(c);
    return s;
}

TEST(Codabar, StartAndStopAreCompletedInTheCallersVariable)
{
    struct Case {
        std::u16string code, after;
        std::string elements;
    };
    const Case cases[] = {
        /*0*/ {u"123", u"A123A", joined({patA, pat1, pat2, pat3, patA})},
        /*1*/ {u"B123D", u"B123D", joined({patB, pat1, pat2, pat3, patD})},
        /*2*/ {u"A123", u"A123A", joined({patA, pat1, pat2, pat3, patA})},
        /*3*/ {u"123C", u"A123C", joined({patA, pat1, pat2, pat3, patC})},
        /*4*/ {u"  12  ", u"A12A", joined({patA, pat1, pat2, patA})},
        /*5*/ {u"DA", u"DA", joined({patD, patA})},
        /*6*/ {u"1", u"A1A", joined({patA, pat1, patA})},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        RecordingTarget t;
        DrawParams p = params(t, cases[i].code);
        p.pChk = true; // never adds a check character
        EXPECT_EQ(drawCodabar(p).value(), 0) << "case " << i;
        EXPECT_EQ(p.pCode, cases[i].after) << "case " << i;
        EXPECT_EQ(elementString(t), cases[i].elements) << "case " << i;
        EXPECT_TRUE(alternates(t)) << "case " << i;
    }
}

TEST(Codabar, ThreeToOneAtWidthOneIs318Wide)
{
    RecordingTarget t;
    DrawParams p = params(t, u"A123A");
    p.pWidth = 1; // N = 2, M = 22
    p.pX = 0;
    ASSERT_EQ(drawCodabar(p).value(), 0);
    EXPECT_EQ(elementString(t, 0, 2, 22), joined({patA, pat1, pat2, pat3, patA}));
    EXPECT_EQ(t.calls.back().x2.value(), 317); // the last bar ends the symbol, no gap after it
}

TEST(Codabar, CharacterWithoutBarsKeepsItsGap)
{
    RecordingTarget t;
    DrawParams p = params(t, u"1#2");
    ASSERT_EQ(drawCodabar(p).value(), 0);
    EXPECT_EQ(elementString(t), joined({patA, pat1, "", pat2, patA}));
    const auto all = lines(t);
    // "A" (81 wide), its gap, "1" (61 wide), then two white gaps side by side.
    EXPECT_EQ(all[15], line(155, 10, 157, 110, white));
    EXPECT_EQ(all[16], line(158, 10, 160, 110, white));
}

TEST(Codabar, ErrorsAfterTheTrapBecomeTheResult)
{
    struct Case {
        std::u16string code, after;
        int width;
        int text;
        int result;
        std::size_t lines;
    };
    const Case cases[] = {
        /*0*/ {u"a123", u"Aa123A", 2, 0, err::SubscriptOutOfRange, 7 + 1}, // start and its gap
        /*1*/ {u"", u"", 2, 0, err::InvalidCall, 0},
        /*2*/ {u"   ", u"", 2, 0, err::InvalidCall, 0},
        /*3*/ {u"A", u"A", 2, 1, err::InvalidCall, 7}, // no text between start and stop
        /*4*/ {u"1\u20AC", u"A1\u20ACA", 2, 0, err::SubscriptOutOfRange, 16}, // code 128
        /*5*/ {u"12", u"A12A", 1561, 0, err::Overflow, 0}, // 1561 x 21 at the first element
        /*6*/ {u"", u"", 1561, 0, err::InvalidCall, 0},    // no element reached
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        RecordingTarget t;
        DrawParams p = params(t, cases[i].code);
        p.pWidth = cases[i].width;
        p.pText = cases[i].text;
        EXPECT_EQ(drawCodabar(p).value(), cases[i].result) << "case " << i;
        EXPECT_EQ(p.pCode, cases[i].after) << "case " << i;
        EXPECT_EQ(lines(t).size(), cases[i].lines) << "case " << i;
        EXPECT_EQ(t.calls.size(), 4 + cases[i].lines) << "case " << i; // nothing printed
    }
}

TEST(Codabar, TextLeavesOutStartAndStopButMeasuresThemForTheFit)
{
    RecordingTarget t;
    DrawParams p = params(t, u"123");
    p.pText = 1;
    ASSERT_EQ(drawCodabar(p).value(), 0);
    // 81 + 3 x 61 + 81 with four gaps of 3: x ends at 10 + 357 = 367; (367 - 21 + 20) / 2.
    const auto log = t.log();
    EXPECT_EQ(std::vector(log.end() - 5, log.end()),
              (std::vector<std::string>{"TextWidth(A123A)=35", "TextWidth(123)=21",
                                        "CurrentX(Single 183)", "CurrentY(115)", "Print(123)"}));

    // Wider than the running x: the whole code decides, and the line starts at 10.
    RecordingTarget wide;
    wide.charWidth = 80; // "A123A" 400 > 367
    DrawParams q = params(wide, u"123");
    q.pText = 1;
    ASSERT_EQ(drawCodabar(q).value(), 0);
    const auto wlog = wide.log();
    EXPECT_EQ(std::vector(wlog.end() - 4, wlog.end()),
              (std::vector<std::string>{"TextWidth(A123A)=400", "CurrentX(Integer 10)",
                                        "CurrentY(115)", "Print(123)"}));
}

TEST(Codabar, PreparationErrorsAreRaisedBeforeAnyCall)
{
    const RaisedCase cases[] = {
        /*0*/ {.ratio = u"", .error = err::InvalidCall, .after = u" 12 "},
        /*1*/ {.ratio = u"3", .error = err::InvalidCall, .after = u" 12 "},
        /*2*/ {.ratio = u"1:40000", .error = err::Overflow, .after = u" 12 "},
        /*3*/ {.ratio = u"3:1", .x = -40000, .error = err::Overflow, .after = u"12"},
    };
    expectRaisedBeforeAnyCall(Codabar, u" 12 ", false, cases);
}

} // namespace
} // namespace tallux::test
