// The short cuts taken for speed give exactly what the general rules give.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>

#include "runtime/text.h"
#include "support.h"
#include "symbologies/digits.h"
#include "symbologies/ean_upc/family.h"
#include "tallux/types.h"

namespace tallux {
namespace {

using test::raisedBy;

TEST(FastPaths, ValOfOneCharacterOrADigitRunReadsAsTheGeneralReading)
{
    // A character that cannot continue a number sends the text down the
    // general reading, which stops there.
    const auto general = [](std::u16string text) { return Val(text + u"x"); };
    for (char16_t c = 0; c < 0x300; ++c) {
        const std::u16string one(1, c);
        EXPECT_EQ(Val(one), general(one)) << "character " << int{c};
    }
    const std::u16string runs[] = {
        /*0*/ u"0",
        /*1*/ u"007",
        /*2*/ u"400638133393",
        /*3*/ u"999999999999999",  // fifteen digits, the longest read directly
        /*4*/ u"1000000000000000", // sixteen, read the general way
        /*5*/ u"12345678901234567890",
    };
    for (std::size_t i = 0; i < std::size(runs); ++i)
        EXPECT_EQ(Val(runs[i]), general(runs[i])) << "case " << i;
}

TEST(FastPaths, DigitValueOfACharacterIsTheRoundedValOfIt)
{
    for (char32_t c = 0; c <= 0xFFFF; ++c) {
        const auto ch = static_cast<char16_t>(c);
        const std::u16string one(1, ch);
        const Integer expected = CInt(Val(one));
        ASSERT_EQ(digitValue(ch), expected) << "character " << int{ch};
        ASSERT_EQ(ean::positionValue(one), expected) << "character " << int{ch};
        ASSERT_EQ(digitRow(ch), static_cast<std::size_t>(expected.value())) << int{ch};
    }
    EXPECT_EQ(ean::positionValue(u"12").value(), 12);
    EXPECT_EQ(ean::positionValue(u"").value(), 0);
}

TEST(FastPaths, DecimalTextOfWholeNumbersIsTheirPrintedForm)
{
    const double values[] = {
        /*0*/ 0,
        /*1*/ -0.0,
        /*2*/ 7,
        /*3*/ -7,
        /*4*/ 996,
        /*5*/ 1000,
        /*6*/ -1000,
        /*7*/ 123456789,
        /*8*/ 999999999999999,
        /*9*/ -999999999999999,
        /*10*/ 1099511627776,
        /*11*/ 1e15,
        /*12*/ 0.5,
        /*13*/ 2.25,
    };
    for (std::size_t i = 0; i < std::size(values); ++i) {
        char buf[32];
        std::snprintf(buf, sizeof buf, "%.15G", values[i]);
        std::string expected = buf;
        if (expected == "-0") expected = "0";
        if (expected.starts_with("0.")) expected.erase(0, 1);
        EXPECT_EQ(decimalText(values[i]), String(expected.begin(), expected.end())) << "case " << i;
    }
}

TEST(FastPaths, CIntOfWholeAndHalfValues)
{
    struct Case {
        double value;
        int expected; // 0 with error 6
        int error;
    };
    const Case cases[] = {
        /*0*/ {2.5, 2, 0},         /*1*/ {3.5, 4, 0},           /*2*/ {-2.5, -2, 0},
        /*3*/ {32767.0, 32767, 0}, /*4*/ {-32768.0, -32768, 0}, /*5*/ {32767.4, 32767, 0},
        /*6*/ {32767.5, 0, 6},     /*7*/ {-32768.5, -32768, 0}, /*8*/ {-32768.6, 0, 6},
        /*9*/ {32768.0, 0, 6},     /*10*/ {1e300, 0, 6},        /*11*/ {-0.0, 0, 0},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        if (c.error != 0) {
            EXPECT_EQ(raisedBy([&] { return CInt(c.value); }), c.error) << "case " << i;
        } else {
            EXPECT_EQ(CInt(c.value).value(), c.expected) << "case " << i;
        }
    }
    EXPECT_EQ(raisedBy([] { return CInt(std::nan("")); }), err::Overflow);
}

TEST(FastPaths, IntegerArithmeticAtTheEdges)
{
    static_assert((Integer(2) + Integer(3)).value() == 5 && (-Integer(4)).value() == -4);
    struct Case {
        int a, b;
        char op;
        int expected; // when no overflow
        bool overflows;
    };
    const Case cases[] = {
        /*0*/ {32767, 1, '+', 0, true},        /*1*/ {32766, 1, '+', 32767, false},
        /*2*/ {-32768, -1, '+', 0, true},      /*3*/ {-32768, 1, '-', 0, true},
        /*4*/ {-32767, 1, '-', -32768, false}, /*5*/ {-1, 32767, '-', -32768, false},
        /*6*/ {-2, 32767, '-', 0, true},       /*7*/ {-32768, -1, '*', 0, true},
        /*8*/ {-32768, 1, '*', -32768, false}, /*9*/ {182, 181, '*', 0, true},
        /*10*/ {181, 181, '*', 32761, false},  /*11*/ {-256, 128, '*', -32768, false},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        const auto apply = [&] {
            const Integer a = c.a, b = c.b;
            return c.op == '+' ? a + b : c.op == '-' ? a - b : a * b;
        };
        if (c.overflows)
            EXPECT_EQ(raisedBy(apply), err::Overflow) << "case " << i;
        else
            EXPECT_EQ(apply().value(), c.expected) << "case " << i;
    }
    EXPECT_EQ(raisedBy([] { return -Integer(-32768); }), err::Overflow);
    EXPECT_EQ((-Integer(32767)).value(), -32767);
}

TEST(FastPaths, NormalisedCodeInPlace)
{
    struct Case {
        std::u16string code;
        int n;
        std::u16string expected;
    };
    const Case cases[] = {
        /*0*/ {u"400638133393", 12, u"400638133393"},
        /*1*/ {u"  4006381  ", 12, u"400638100000"},
        /*2*/ {u"", 7, u"0000000"},
        /*3*/ {u"   ", 3, u"000"},
        /*4*/ {u"40063813339399", 12, u"400638133393"},
        /*5*/ {u" 1 2 ", 4, u"1 20"},
        /*6*/ {u"\t12", 3, u"\t12"}, // only spaces are blanks
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        String code = cases[i].code;
        ean::normaliseCode(code, cases[i].n);
        EXPECT_EQ(code, cases[i].expected) << "case " << i;
    }
}

TEST(FastPaths, SymbolDigitsAreTheCodeAndItsCheckDigitAsFarAsASymbolReads)
{
    struct Case {
        std::u16string code;
        char16_t check;
        std::u16string expected;
    };
    const Case cases[] = {
        /*0*/ {u"400638133393", u'1', u"4006381333931"},
        /*1*/ {u"1234567", u'0', u"12345670"},
        /*2*/ {u"", u'5', u"5"},
        /*3*/ {u"1234567890123", u'9', u"1234567890123"},   // thirteen already
        /*4*/ {u"123456789012345", u'9', u"1234567890123"}, // cut at thirteen
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const ean::SymbolDigits digits(cases[i].code, cases[i].check);
        EXPECT_EQ(std::u16string_view(digits), cases[i].expected) << "case " << i;
        EXPECT_EQ(digits[0], cases[i].expected[0]) << "case " << i;
    }
}

} // namespace
} // namespace tallux
