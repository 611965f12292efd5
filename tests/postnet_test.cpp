#include <gtest/gtest.h>

#include "numeric_postal_support.h"

namespace tallux::test {
namespace {

Integer drawPostnet(DrawParams& p)
{
    return Tallux().draw(PostNet, p);
}

// Reads the bars back as "1" full and "0" half (tops at `half`), and checks
// that bars and full-height gaps of one width alternate from x0, between
// frame bars.
std::string heights(const RecordingTarget& t, int x0, int w, Single half)
{
    std::string out;
    int x = x0;
    bool isBar = true;
    for (const Call& c : t.calls) {
        if (c.member != Member::Line) continue;
        EXPECT_EQ(c.x1.value(), x);
        EXPECT_EQ(c.x2.value(), x + w - 1);
        EXPECT_EQ(c.y2, 110.0f);
        EXPECT_EQ(c.color, isBar ? bar : white);
        if (isBar)
            out += c.y1 == 10.0f ? '1' : c.y1 == half ? '0' : '?';
        else
            EXPECT_EQ(c.y1, 10.0f) << "gaps are full height";
        x += w;
        isBar = !isBar;
    }
    return out;
}

// Frame bars around five bars a digit.
std::string symbolPostnet(std::string_view digits)
{
    constexpr std::string_view patterns[] = {"11000", "00011", "00101", "00110", "01001",
                                             "01010", "01100", "10001", "10010", "10100"};
    std::string s = "1";
    for (char c : digits) s += patterns[c >= '0' && c <= '9' ? c - '0' : 0];
    return s + "1";
}

TEST(Postnet, CodeIsNormalisedAndGetsItsCheckDigit)
{
    struct Case {
        std::u16string code;
        std::string drawn;
        std::u16string withoutText, withText; // the caller's variable afterwards
    };
    const Case cases[] = {
        /*0*/ {u"", "000000", u"000000", u"00000"},
        /*1*/ {u"1234", "123400", u"123400", u"12340"},
        /*2*/ {u"12345", "123455", u"123455", u"12345"},
        /*3*/ {u"123456", "1234569", u"1234569", u"123456"},
        /*4*/ {u"12345678", "1234567804", u"1234567804", u"123456780"},
        /*5*/ {u"12345678901", "1234567895", u"1234567895", u"123456789"},
        /*6*/ {u"12-45", "120458", u"12-458", u"12-45"}, // "-" counts and draws as 0
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        for (int text : {0, 1, 2}) {
            RecordingTarget t;
            DrawParams p = params(t, cases[i].code);
            p.pText = text;
            p.pWidth = 1;
            EXPECT_EQ(drawPostnet(p).value(), 0) << "case " << i << " text " << text;
            EXPECT_EQ(heights(t, 10, 1, 60), symbolPostnet(cases[i].drawn))
                << "case " << i << " text " << text;
            EXPECT_EQ(p.pCode, text == 1 ? cases[i].withText : cases[i].withoutText)
                << "case " << i << " text " << text;
            if (text == 1)
                EXPECT_EQ(t.calls.back().str(), "Print(" + toUtf8(cases[i].withText) + ")");
            else
                EXPECT_EQ(t.calls.back().member, Member::Line);
        }
    }
}

TEST(Postnet, WholeCallSequenceWithText)
{
    RecordingTarget t;
    DrawParams p = params(t, u"1");
    p.pWidth = 1;
    p.pX = 0;
    p.pHeight = 101; // half bars from 10 + 50.5
    p.pText = 1;
    ASSERT_EQ(drawPostnet(p).value(), 0);
    // 10000 with check digit 9: 63 units; the last frame bar at 62.
    std::vector<std::string> expected = setUp(0);
    int x = 0;
    const auto put = [&](double top, Long colour) {
        expected.push_back(line(x, top, x, 111, colour));
        ++x;
    };
    put(10, bar);
    put(10, white);
    for (char bit : symbolPostnet("100009").substr(1, 30)) {
        put(bit == '1' ? 10 : 60.5, bar);
        put(10, white);
    }
    put(10, bar);
    ASSERT_EQ(x, 63);
    // TextWidth of "10000" is 35, measured for the fit and again for the
    // centring: (63 - 35 + 10 + 0) / 2; the row at 10 + 101 + 5.
    expected = concat(expected, {"TextWidth(10000)=35", "TextWidth(10000)=35",
                                 "CurrentX(Single 19)", "CurrentY(116)", "Print(10000)"});
    EXPECT_EQ(t.log(), expected);
}

TEST(Postnet, WidthAndFontSizeFollowPWidth)
{
    RecordingTarget t;
    DrawParams p = params(t, u"12345");
    p.pWidth = 15;
    p.pX = 0;
    p.pChk = false;     // the check digit is added all the same
    p.pRatio = u"junk"; // not read
    ASSERT_EQ(drawPostnet(p).value(), 0);
    EXPECT_EQ(t.log()[3], "FontSize(7)");
    EXPECT_EQ(lines(t).back(), line(930, 10, 944, 110, bar)); // 945 wide
    EXPECT_EQ(p.pCode, u"123455");
}

TEST(Postnet, HalfBarTopIsWorkedOutInDoublePrecision)
{
    RecordingTarget t;
    DrawParams p = params(t, u"00000");
    p.pY = 0.1f;
    p.pHeight = 3;
    ASSERT_EQ(drawPostnet(p).value(), 0);
    // The first digit 0 is "11000": its third bar is a half bar.
    const Call& half = t.calls[4 + 2 + 4];
    EXPECT_EQ(half.y1, static_cast<Single>(double{0.1f} + 1.5));
    EXPECT_EQ(half.y2, 0.1f + 3.0f);
}

TEST(Postnet, EveryErrorBecomesTheResult)
{
    struct Case {
        float x;
        int result;
        std::size_t lines;
        std::u16string after;
    };
    const Case cases[] = {
        /*0*/ {40000, err::Overflow, 0, u"123"},    // pX rounded in the trap, before the code
        /*1*/ {32760, err::Overflow, 3, u"123004"}, // the fourth box: 32766 + 2 passes 32767
        /*2*/ {-40000, err::Overflow, 0, u"123"},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        RecordingTarget t;
        DrawParams p = params(t, u"123");
        p.pX = cases[i].x;
        p.pText = 1;
        EXPECT_EQ(drawPostnet(p).value(), cases[i].result) << "case " << i;
        EXPECT_EQ(lines(t).size(), cases[i].lines) << "case " << i;
        EXPECT_EQ(t.calls.size(), 4 + cases[i].lines) << "case " << i;
        EXPECT_EQ(p.pCode, cases[i].after) << "case " << i;
    }

    DrawParams none;
    none.pCode = u"1";
    EXPECT_EQ(drawPostnet(none).value(), err::ObjectNotSet);
}

TEST(Postnet, TextWiderThanTheBarsStartsAtTen)
{
    RecordingTarget t;
    t.charWidth = 1000;
    DrawParams p = params(t, u"12345");
    p.pText = 1;
    p.pX = 500;
    ASSERT_EQ(drawPostnet(p).value(), 0);
    // Measured once: the last frame bar comes right before.
    const auto log = t.log();
    EXPECT_EQ(std::vector(log.end() - 5, log.end()),
              (std::vector<std::string>{line(624, 10, 625, 110, bar), "TextWidth(12345)=5000",
                                        "CurrentX(Integer 10)", "CurrentY(115)", "Print(12345)"}));
}

} // namespace
} // namespace tallux::test
