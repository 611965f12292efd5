#include <gtest/gtest.h>

#include "numeric_postal_support.h"
#include "symbologies/numeric_postal/check_digit.h"

namespace tallux::test {
namespace {

// Interleaved 2 of 5 digit patterns, bars "1" wide.
constexpr std::string_view digits25[] = {"00110", "10001", "01001", "11000", "00101",
                                         "10100", "01100", "00011", "10010", "01010"};

// The element string of a drawn digit string: start, interleaved pairs, stop.
std::string symbol25(std::string_view drawn)
{
    std::string s = "0000";
    for (std::size_t i = 0; i + 1 < drawn.size(); i += 2)
        for (std::size_t k = 0; k < 5; ++k) {
            s += digits25[drawn[i] - '0'][k];
            s += digits25[drawn[i + 1] - '0'][k];
        }
    return s + "100";
}

Integer draw25(DrawParams& p)
{
    return Tallux().draw(Code_25, p);
}

TEST(Code25, TensComplementHoldsForEverySum)
{
    struct Case {
        int sum;
        char16_t digit;
    };
    const Case cases[] = {
        /*0*/ {0, u'0'},    /*1*/ {18, u'2'},   /*2*/ {14, u'6'},   /*3*/ {999, u'1'},
        /*4*/ {1000, u'0'}, /*5*/ {1107, u'3'}, /*6*/ {1234, u'6'}, /*7*/ {32767, u'3'},
        /*8*/ {-3, u'3'},   /*9*/ {25, u'5'},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(numeric_postal::tensComplement(cases[i].sum), cases[i].digit) << "case " << i;
}

TEST(Code25, DrawnDigitsWithFillAndCheckDigit)
{
    struct Case {
        std::u16string code;
        bool chk;
        std::string drawn;
        std::u16string after; // the caller's variable
    };
    const std::string nines(61, '9');
    const std::u16string nines16(61, u'9');
    const Case cases[] = {
        /*0*/ {u"1234", false, "1234", u"1234"},
        /*1*/ {u"1234", true, "123402", u"1234"}, // 3+2+9+4+0 = 18
        /*2*/ {u"123", false, "1230", u"123"},
        /*3*/ {u"123", true, "1236", u"123"}, // 3+2+9 = 14
        /*4*/ {u"5", false, "50", u"5"},
        /*5*/ {u"", false, "", u""},
        /*6*/ {u"", true, "00", u""},
        /*7*/ {u"  12 ", false, "12", u"12"},        // trimmed in the caller's variable
        /*8*/ {nines16, true, nines + "3", nines16}, // sum 1107: 3, not the 7 of "-107"
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        RecordingTarget t;
        DrawParams p = params(t, cases[i].code);
        p.pChk = cases[i].chk;
        EXPECT_EQ(draw25(p).value(), 0) << "case " << i;
        EXPECT_EQ(elementString(t), symbol25(cases[i].drawn)) << "case " << i;
        EXPECT_TRUE(alternates(t)) << "case " << i;
        EXPECT_EQ(p.pCode, cases[i].after) << "case " << i;
    }
}

TEST(Code25, PairsInterleaveBarsAndSpaces)
{
    RecordingTarget t;
    DrawParams p = params(t, u"1234");
    ASSERT_EQ(draw25(p).value(), 0);
    EXPECT_EQ(elementString(t), "0000"
                                "1001000011"
                                "1010010001"
                                "100");
}

TEST(Code25, WholeCallSequenceWithText)
{
    RecordingTarget t;
    DrawParams p = params(t, u"12");
    p.pText = 1;
    p.pRatio = u"1:0"; // N = 2, M = 9
    ASSERT_EQ(draw25(p).value(), 0);
    // Start 4 x 2, the pair 1/2 "1001000011" (4 wide), stop 9 + 2 + 2: x ends at 79.
    auto expected = concat(setUp(), {
                                        line(10, 10, 11, 110, bar),
                                        line(12, 10, 13, 110, white),
                                        line(14, 10, 15, 110, bar),
                                        line(16, 10, 17, 110, white),
                                        line(18, 10, 26, 110, bar),
                                        line(27, 10, 28, 110, white),
                                        line(29, 10, 30, 110, bar),
                                        line(31, 10, 39, 110, white),
                                        line(40, 10, 41, 110, bar),
                                        line(42, 10, 43, 110, white),
                                        line(44, 10, 45, 110, bar),
                                        line(46, 10, 47, 110, white),
                                        line(48, 10, 56, 110, bar),
                                        line(57, 10, 65, 110, white),
                                        line(66, 10, 74, 110, bar),
                                        line(75, 10, 76, 110, white),
                                        line(77, 10, 78, 110, bar),
                                    });
    // (79 - 14 + 10 + 10) / 2
    expected = concat(expected,
                      {"TextWidth(12)=14", "CurrentX(Single 42.5)", "CurrentY(115)", "Print(12)"});
    EXPECT_EQ(t.log(), expected);
}

TEST(Code25, WidthGrowsByOneHundredAPairAtThreeToOne)
{
    for (int pairs : {0, 1, 2, 5}) {
        RecordingTarget t;
        DrawParams p = params(t, std::u16string(static_cast<std::size_t>(2 * pairs), u'7'));
        p.pWidth = 1; // N = 2, M = 22
        p.pX = 0;
        ASSERT_EQ(draw25(p).value(), 0);
        EXPECT_EQ(t.calls.back().x2.value() + 1, 34 + 100 * pairs) << pairs << " pairs";
    }
}

TEST(Code25, TextPrintsTheTrimmedCodeOnly)
{
    RecordingTarget t;
    DrawParams p = params(t, u" 123 ");
    p.pText = 1;
    p.pChk = true;
    ASSERT_EQ(draw25(p).value(), 0);
    EXPECT_EQ(t.calls.back().str(), "Print(123)");
    EXPECT_EQ(t.calls[t.calls.size() - 4].str(), "TextWidth(123)=21");

    RecordingTarget none;
    DrawParams q = params(none, u"12");
    q.pText = 2;
    ASSERT_EQ(draw25(q).value(), 0);
    EXPECT_EQ(none.calls.back().member, Member::Line);
}

TEST(Code25, ErrorsAfterTheTrapBecomeTheResult)
{
    struct Case {
        std::u16string code;
        int width;
        int result;
        std::size_t lines;
    };
    const Case cases[] = {
        /*0*/ {u"12A4", 2, err::TypeMismatch, 4 + 10}, // start and the pair 1/2
        /*1*/ {u"1 34", 2, err::TypeMismatch, 4},      // an inner blank
        /*2*/ {u"A", 2, err::TypeMismatch, 4},         // "A0"
        /*3*/ {u"12", 1561, err::Overflow, 0},         // 1561 x 21 at the first element
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        RecordingTarget t;
        DrawParams p = params(t, cases[i].code);
        p.pWidth = cases[i].width;
        p.pText = 1;
        EXPECT_EQ(draw25(p).value(), cases[i].result) << "case " << i;
        EXPECT_EQ(lines(t).size(), cases[i].lines) << "case " << i;
        EXPECT_EQ(t.calls.size(), 4 + cases[i].lines) << "case " << i; // no text
    }
}

TEST(Code25, PreparationErrorsAreRaisedBeforeAnyCall)
{
    const RaisedCase cases[] = {
        /*0*/ {.ratio = u"", .error = err::InvalidCall, .after = u" 12 "}, // not yet trimmed
        /*1*/ {.ratio = u"3", .error = err::InvalidCall, .after = u" 12 "},
        /*2*/ {.ratio = u"5000:1", .error = err::Overflow, .after = u" 12 "},
        /*3*/ {.ratio = u"3:1", .x = 40000, .error = err::Overflow, .after = u"12"}, // rounded
                                                                                     // after the
                                                                                     // trim
    };
    expectRaisedBeforeAnyCall(Code_25, u" 12 ", false, cases);
}

} // namespace
} // namespace tallux::test
