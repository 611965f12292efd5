#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "runtime/ratio.h"
#include "runtime/text.h"
#include "support.h"
#include "tallux/types.h"

namespace tallux {
namespace {

using test::raisedBy;

TEST(Integer, ArithmeticIsCheckedAtSixteenBits)
{
    EXPECT_EQ((Integer(32766) + Integer(1)).value(), 32767);
    EXPECT_EQ(raisedBy([] { return Integer(32767) + Integer(1); }), err::Overflow);
    EXPECT_EQ(raisedBy([] { return Integer(-32768) - Integer(1); }), err::Overflow);
    EXPECT_EQ(raisedBy([] { return Integer(200) * Integer(200); }), err::Overflow);
    EXPECT_EQ(raisedBy([] { return -Integer(-32768); }), err::Overflow);
    EXPECT_EQ(raisedBy([] { return Integer(70000); }), err::Overflow);
    EXPECT_EQ((Integer(-181) * Integer(181)).value(), -32761);
}

TEST(Integer, DivisionTruncatesTowardZero)
{
    EXPECT_EQ(intDiv(7, 2).value(), 3);
    EXPECT_EQ(intDiv(-7, 2).value(), -3);
    EXPECT_EQ(intDiv(7, -2).value(), -3);
    EXPECT_EQ(mod(-7, 2).value(), -1);
    EXPECT_EQ(raisedBy([] { return intDiv(1, 0); }), err::DivisionByZero);
    EXPECT_EQ(raisedBy([] { return intDiv(-32768, -1); }), err::Overflow);
}

TEST(CInt, RoundsHalvesToEven)
{
    EXPECT_EQ(CInt(2.5).value(), 2);
    EXPECT_EQ(CInt(3.5).value(), 4);
    EXPECT_EQ(CInt(-2.5).value(), -2);
    EXPECT_EQ(CInt(-3.5).value(), -4);
    EXPECT_EQ(CInt(10.5).value(), 10);
    EXPECT_EQ(CInt(10.500001).value(), 11);
    EXPECT_EQ(CInt(32767.49).value(), 32767);
    EXPECT_EQ(CInt(-32768.5).value(), -32768);
    EXPECT_EQ(raisedBy([] { return CInt(32767.5); }), err::Overflow);
    EXPECT_EQ(raisedBy([] { return CInt(std::nan("")); }), err::Overflow);
    EXPECT_EQ(raisedBy([] { return CInt(std::numeric_limits<double>::infinity()); }),
              err::Overflow);
}

TEST(Number, PromotesAsTheRuntimeDoes)
{
    const Number half =
        (Number(Integer(7)) - Number(Single(2)) + Number(Integer(10)) + Number(Single(0.5f))) /
        Number(Integer(2));
    EXPECT_EQ(half, Number(Single(7.75f)));
    EXPECT_EQ((Number(Integer(3)) / Number(Integer(2))).type(), Number::Type::Float32);
    EXPECT_EQ((Number(Integer(3)) - Number(Double(0.5))).type(), Number::Type::Float64);
    EXPECT_EQ((Number(Long(3)) + Number(Single(0.5f))).type(), Number::Type::Float64);
    EXPECT_EQ(raisedBy([] { return Number(Integer(32767)) + Number(Integer(1)); }), err::Overflow);
    EXPECT_EQ(raisedBy([] { return Number(Single(3e38f)) + Number(Single(3e38f)); }),
              err::Overflow);
    EXPECT_EQ(raisedBy([] { return Number(Integer(1)) / Number(Integer(0)); }),
              err::DivisionByZero);
}

struct ValCase {
    std::u16string_view text;
    double value;
};

TEST(Val, ReadsTheNumberAtTheStart)
{
    const ValCase cases[] = {
        /*0*/ {u" 1 2", 12},
        /*1*/ {u"&H1F", 31},
        /*2*/ {u"&h1f", 31},
        /*3*/ {u"&O17", 15},
        /*4*/ {u"&O19", 1},
        /*5*/ {u"1e3x", 1000},
        /*6*/ {u"-.5", -0.5},
        /*7*/ {u"", 0},
        /*8*/ {u"12-45", 12},
        /*9*/ {u"\t-\n3", -3},
        /*10*/ {u"+7", 7},
        /*11*/ {u"A", 0},
        /*12*/ {u"1.5:0", 1.5},
        /*13*/ {u"2D2", 200},
        /*14*/ {u"1e", 1},
        /*15*/ {u"1e+", 1},
        /*16*/ {u"3.", 3},
        /*17*/ {u".", 0},
        /*18*/ {u"--1", 0},
        /*19*/ {u"1 e 2", 100},
        /*20*/ {u"&H", 0},
        /*21*/ {u"&X12", 0},
        /*22*/ {u"1e-400", 0},
        /*23*/ {u"\r1", 0},
        /*24*/ {u"0012", 12},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(Val(cases[i].text), cases[i].value) << "case " << i;
    EXPECT_EQ(raisedBy([] { return Val(u"1e400"); }), err::Overflow);
}

TEST(Text, DecimalTextTrimAndCharacterCodes)
{
    EXPECT_EQ(decimalText(996), u"996");
    EXPECT_EQ(decimalText(-4), u"-4");
    EXPECT_EQ(decimalText(0.5), u".5");
    EXPECT_EQ(decimalText(-0.25), u"-.25");
    EXPECT_EQ(decimalText(999999999999999), u"999999999999999");
    EXPECT_EQ(decimalText(1e15), u"1E+15");
    EXPECT_EQ(decimalText(2469135780246913578.0), u"2.46913578024691E+18");

    EXPECT_EQ(trimBlanks(u"  a b  "), u"a b");
    EXPECT_EQ(trimBlanks(u"\ta "), u"\ta");
    EXPECT_EQ(trimBlanks(u"   "), u"");

    EXPECT_EQ(ansiCode(u'A'), 65);
    EXPECT_EQ(ansiCode(u'\u00C8'), 200);
    EXPECT_EQ(ansiCode(u'\u20AC'), 0x80);
    EXPECT_EQ(ansiCode(u'\u0178'), 0x9F);
    EXPECT_EQ(ansiCode(u'\u0080'), 63);
    EXPECT_EQ(ansiCode(u'\u4E2D'), 63);
    EXPECT_EQ(ansiCode(u'\xD800'), 63);
    EXPECT_EQ(raisedBy([] { return Asc(u""); }), err::InvalidCall);

    EXPECT_EQ(Mid(u"abc", 4), u"");
    EXPECT_EQ(Mid(u"abcd", 2, 2), u"bc");
    EXPECT_EQ(raisedBy([] { return Left(u"abc", -1); }), err::InvalidCall);
    EXPECT_EQ(toUtf8(fromUtf8("a\xC3\xA9\xF0\x9F\x98\x80")), "a\xC3\xA9\xF0\x9F\x98\x80");
    EXPECT_EQ(fromUtf8("\xF0\x9F\x98\x80").size(), 2u);
}

TEST(Ratio, ReadsWideAndNarrowExtras)
{
    EXPECT_EQ(Ratio::read(u"3:1").wide.value(), 21);
    EXPECT_EQ(Ratio::read(u"3:1").narrow.value(), 1);
    EXPECT_EQ(Ratio::read(u":").wide.value(), 0);
    EXPECT_EQ(Ratio::read(u":").narrow.value(), 0);
    EXPECT_EQ(Ratio::read(u"1.5:0").wide.value(), 10); // 10.5 rounds to even
    EXPECT_EQ(Ratio::read(u"2:3:4").narrow.value(), 3);
    EXPECT_EQ(Ratio::read(u" 2 : 1 ").wide.value(), 14);

    EXPECT_EQ(raisedBy([] { return Ratio::read(u""); }), err::InvalidCall);
    EXPECT_EQ(raisedBy([] { return Ratio::read(u"3"); }), err::InvalidCall);
    EXPECT_EQ(raisedBy([] { return Ratio::read(u"5000:1"); }), err::Overflow);
    EXPECT_EQ(raisedBy([] { return Ratio::read(u"1:40000"); }), err::Overflow);

    // pWidth × a once as the ratio is read (Code 39), or only later, at the
    // elements (Codabar), as the method table says.
    EXPECT_EQ(raisedBy([] { Ratio::read(u"3:1", 2000, Code_39); }), err::Overflow);
    EXPECT_EQ(raisedBy([] { Ratio::read(u"3:1", 1560, Code_39); }), 0);
    EXPECT_EQ(raisedBy([] { Ratio::read(u"3:1", 2000, Codabar); }), 0);
}

TEST(RuntimeError, CarriesNumberAndStandardMessage)
{
    const std::pair<int, std::string_view> messages[] = {
        {5, "Invalid procedure call or argument"},
        {6, "Overflow"},
        {9, "Subscript out of range"},
        {13, "Type mismatch"},
        {91, "Object variable or With block variable not set"},
        {94, "Invalid use of Null"},
        {438, "Object doesn't support this property or method"},
    };
    for (auto [number, text] : messages) {
        const RuntimeError e(number);
        EXPECT_EQ(e.number(), number);
        EXPECT_EQ(std::string_view(e.what()), text);
    }
}

} // namespace
} // namespace tallux
