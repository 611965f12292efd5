#include <gtest/gtest.h>

#include "numeric_postal_support.h"

namespace tallux::test {
namespace {

Integer drawMsi(DrawParams& p)
{
    return Tallux().draw(Code_MSI, p);
}

// Start, each digit as four bits ("01" a 0-bit, "10" a 1-bit), stop.
std::string symbolMsi(std::string_view digits)
{
    std::string s = "10";
    for (char c : digits) {
        const int v = c >= '0' && c <= '9' ? c - '0' : 0;
        for (int bit = 3; bit >= 0; --bit) s += (v >> bit & 1) != 0 ? "10" : "01";
    }
    return s + "010";
}

std::u16string repeated(std::u16string_view part, std::size_t times)
{
    std::u16string s;
    for (std::size_t i = 0; i < times; ++i) s += part;
    return s;
}

TEST(Msi, CheckDigitIsAppendedToTheCallersCode)
{
    struct Case {
        std::u16string code;
        char16_t check;
    };
    const Case cases[] = {
        /*0*/ {u"1234", u'4'},    // 24 doubled 48: 12, plus 1 + 3
        /*1*/ {u"1234567", u'4'}, // 1357 doubled 2714: 14, plus 2 + 4 + 6
        /*2*/ {u"12", u'5'},
        /*3*/ {u"7", u'5'},
        /*4*/ {u"", u'0'},
        /*5*/ {u"1 2 3 4", u'0'}, // blanks skipped: 1234 doubled 2468, 20
        /*6*/ {u"3A12", u'6'},    // "A2" reads as 0; plus 1 + 3
        // Long digit codes are doubled exactly: the standard digit, whatever the length.
        /*7*/ {repeated(u"1234567890", 4), u'2'},       // 19.7 digits doubled: 2 (not 4)
        /*8*/ {u"98765432109876543210987654321", u'1'}, // not 7
        /*9*/ {std::u16string(40, u'9'), u'0'},         // not 6
        // Sums above 1000 keep the complement: 1507 gives 3, not the 7 of "-507".
        /*10*/ {std::u16string(201, u'8'), u'3'},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        RecordingTarget t;
        DrawParams p = params(t, cases[i].code);
        p.pWidth = 1; // long codes stay inside 16 bits
        p.pRatio = u":";
        p.pX = 0;
        p.pChk = true;
        EXPECT_EQ(drawMsi(p).value(), 0) << "case " << i;
        EXPECT_EQ(p.pCode, cases[i].code + cases[i].check) << "case " << i;
        EXPECT_EQ(lines(t).size(), 2 + 8 * p.pCode.size() + 3) << "case " << i;
    }
}

TEST(Msi, DigitsAreDrawnAsTheirBits)
{
    struct Case {
        std::u16string code;
        bool chk;
        std::string drawn;
    };
    const Case cases[] = {
        /*0*/ {u"1234", true, "12344"},
        /*1*/ {u"1234", false, "1234"},
        /*2*/ {u"", true, "0"},
        /*3*/ {u"", false, ""},
        /*4*/ {u"9x", false, "90"}, // any other character draws as 0
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        RecordingTarget t;
        DrawParams p = params(t, cases[i].code);
        p.pChk = cases[i].chk;
        EXPECT_EQ(drawMsi(p).value(), 0) << "case " << i;
        EXPECT_EQ(elementString(t), symbolMsi(cases[i].drawn)) << "case " << i;
        EXPECT_TRUE(alternates(t)) << "case " << i;
    }
}

TEST(Msi, FiveDigitsAtThreeToOneAre530Wide)
{
    RecordingTarget t;
    DrawParams p = params(t, u"12345");
    p.pWidth = 1; // N = 2, M = 22
    p.pX = 0;
    p.pText = 1;
    ASSERT_EQ(drawMsi(p).value(), 0);
    EXPECT_EQ(elementString(t, 0, 2, 22), symbolMsi("12345"));
    EXPECT_EQ(lines(t).back(), line(528, 10, 529, 110, bar));
    // (530 - 35 + 10 + 0) / 2
    const auto log = t.log();
    EXPECT_EQ(std::vector(log.end() - 4, log.end()),
              (std::vector<std::string>{"TextWidth(12345)=35", "CurrentX(Single 252.5)",
                                        "CurrentY(115)", "Print(12345)"}));
}

TEST(Msi, ErrorsAfterTheTrapBecomeTheResult)
{
    struct Case {
        float x;
        Member failing;
        int result;
        std::size_t calls;
    };
    const Case cases[] = {
        /*0*/ {40000, Member::Line, err::Overflow, 4},     // pX rounded in the trap
        /*1*/ {32740, Member::Line, err::Overflow, 4 + 2}, // the first digit passes 32767
        /*2*/ {10, Member::TextWidth, err::NotSupported, 4 + 2 + 40 + 3 + 1},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        RecordingTarget t;
        if (cases[i].failing == Member::TextWidth) t.lack(Member::TextWidth);
        DrawParams p = params(t, u"1234");
        p.pX = cases[i].x;
        p.pText = 1;
        p.pChk = true;
        EXPECT_EQ(drawMsi(p).value(), cases[i].result) << "case " << i;
        EXPECT_EQ(t.calls.size(), cases[i].calls) << "case " << i;
    }
}

TEST(Msi, PreparationErrorsAreRaisedBeforeAnyCall)
{
    const RaisedCase cases[] = {
        /*0*/ {.ratio = u"", .error = err::InvalidCall, .after = u"1234"},
        /*1*/ {.ratio = u"3", .error = err::InvalidCall, .after = u"1234"},
        /*2*/ {.ratio = u"3:1", .width = 1561, .error = err::Overflow, .after = u"1234"}, // 1561 x
                                                                                          // 21
        /*3*/ {.ratio = u"-5000:0", .error = err::Overflow, .after = u"1234"},            // -35000
    };
    expectRaisedBeforeAnyCall(Code_MSI, u"1234", true, cases);
}

} // namespace
} // namespace tallux::test
