#include <gtest/gtest.h>

#include "support.h"
#include "symbologies/alphanumeric/code39_table.h"

namespace tallux::test {
namespace {

Integer draw39F(DrawParams& p)
{
    return Tallux().draw(Code_39F, p);
}

// The Lines of a drawn Code 39 string from x: nine elements a character,
// "1" wide (m) and "0" narrow (n), a narrow white gap between characters and
// none after the last.
std::vector<std::string> symbol(int& x, std::u16string_view drawn, int n, int m)
{
    std::vector<std::string> out;
    for (std::size_t i = 0; i < drawn.size(); ++i) {
        const std::string_view pattern = code39::patterns[drawn[i]];
        for (std::size_t j = 0; j < pattern.size(); ++j) {
            const int w = pattern[j] == '1' ? m : n;
            out.push_back(line(x, 10, x + w - 1, 110, j % 2 == 0 ? bar : white));
            x += w;
        }
        if (i + 1 == drawn.size()) break;
        out.push_back(line(x, 10, x + n - 1, 110, white));
        x += n;
    }
    return out;
}

TEST(Code39F, DrawsTheFullAsciiEncodingAndPrintsTheDataAsPassed)
{
    struct Case {
        std::u16string code;
        bool chk;
        std::u16string drawn, after;
    };
    const Case cases[] = {
        /*0*/ {u"a", true, u"*+A8*", u"a8"}, // 41 + 10 = 51, mod 43 = 8
        /*1*/ {u"A/B", false, u"*A/OB*", u"A/B"},
        /*2*/ {u"", false, u"**", u""},
        /*3*/ {u"", true, u"*0*", u"0"},
        /*4*/ {u"Y4", true, u"*Y4 *", u"Y4 "}, // value 38: a space check character
                                               /*5*/
        {std::u16string(1, u'\0') + u"\x7f", false, u"*%U%T*", std::u16string(1, u'\0') + u"\x7f"},
        /*6*/ {u"\t!@`{", false, u"*$I/A%V%W%P*", u"\t!@`{"},
        /*7*/ {u"*", true, u"*/JG*", u"*G"}, // 40 + 19 = 59, mod 43 = 16; not re-encoded
        /*8*/ {u"Hi -.", true, u"*H+I -.F*", u"Hi -.F"}, // 17+41+18+38+36+37 = 187: 15
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        RecordingTarget t;
        DrawParams p = params(t, c.code);
        p.pChk = c.chk;
        p.pText = 1;
        ASSERT_EQ(draw39F(p).value(), 0) << "case " << i;
        EXPECT_EQ(p.pCode, c.after) << "case " << i;

        int x = 10;
        auto expected = concat(setUp(), symbol(x, c.drawn, 3, 23));
        const double width = 7.0 * static_cast<double>(c.after.size());
        const auto left = width > x ? Number(Integer(10)) : Number(Single((x - width + 20) / 2));
        Call cx{.member = Member::CurrentX, .value = left};
        expected =
            concat(expected, {"TextWidth(" + toUtf8(c.after) + ")=" + numberText(Single(width)),
                              cx.str(), "CurrentY(115)", "Print(" + toUtf8(c.after) + ")"});
        EXPECT_EQ(t.log(), expected) << "case " << i;
    }
}

TEST(Code39F, NoAdvanceAfterTheStopCharacter)
{
    for (auto type : {Code_39F, Code_39}) {
        RecordingTarget t;
        DrawParams p = params(t, u"A");
        p.pX = 0;
        p.pText = 1;
        ASSERT_EQ(Tallux().draw(type, p).value(), 0);
        // 3:1 at width 2: N = 3, M = 23. Code 39 ends at 270, the full-ASCII
        // form at 267 = 3 × (69 + 18) + 2 × 3; the text is centred on that.
        const auto log = t.log();
        EXPECT_EQ(lines(t).back(), line(264, 10, 266, 110, bar));
        EXPECT_EQ(log[log.size() - 3],
                  type == Code_39 ? "CurrentX(Single 136.5)" : "CurrentX(Single 135)");
    }
}

TEST(Code39F, FailuresAfterTheSetUp)
{
    struct Case {
        std::u16string code, ratio;
        int width;
        bool chk;
        int result;
        std::size_t lines;
        std::u16string after;
    };
    const std::u16string longData(432, u'z'); // "+Z" adds 76 a character: 32832
    const Case cases[] = {
        /*0*/ {u"A\u00C8", u"3:1", 2, true, err::SubscriptOutOfRange, 0, u"A\u00C8"}, // code 200
        /*1*/ {longData, u"3:1", 2, true, err::Overflow, 0, longData},
        // The ratio products are formed at each element: W × a overflows at
        // the first wide element (the second of "*"), W × b at the first narrow.
        /*2*/ {u"A", u"3:1", 1561, false, err::Overflow, 2, u"A"},
        /*3*/ {u"A", u"3:1", 1561, true, err::Overflow, 2, u"AA"},
        /*4*/ {u"A", u"0:20", 1700, false, err::Overflow, 1, u"A"},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        RecordingTarget t;
        DrawParams p = params(t, c.code);
        p.pX = 0;
        p.pRatio = c.ratio;
        p.pWidth = c.width;
        p.pChk = c.chk;
        p.pText = 1;
        EXPECT_EQ(draw39F(p).value(), c.result) << "case " << i;
        EXPECT_EQ(t.log().size(), 4 + c.lines) << "case " << i;
        EXPECT_EQ(lines(t).size(), c.lines) << "case " << i;
        EXPECT_EQ(p.pCode, c.after) << "case " << i;
    }
}

TEST(Code39F, RatioTextErrorsAreRaisedBeforeAnyCall)
{
    struct Case {
        std::u16string ratio;
        int error;
    };
    const Case cases[] = {
        /*0*/ {u"", err::InvalidCall},
        /*1*/ {u"3", err::InvalidCall},
        /*2*/ {u"5000:1", err::Overflow},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        RecordingTarget t;
        DrawParams p = params(t, u"a");
        p.pRatio = cases[i].ratio;
        p.pChk = true;
        try {
            draw39F(p);
            ADD_FAILURE() << "case " << i << " returned instead of raising";
        } catch (const RuntimeError& e) {
            EXPECT_EQ(e.number(), cases[i].error) << "case " << i;
        }
        EXPECT_TRUE(t.calls.empty()) << "case " << i;
        EXPECT_EQ(p.pCode, u"a") << "case " << i;
    }
}

TEST(Code39F, OnlyTextValueOnePrints)
{
    for (int text : {0, 2, -1}) {
        RecordingTarget t;
        DrawParams p = params(t, u"a");
        p.pText = text;
        ASSERT_EQ(draw39F(p).value(), 0);
        EXPECT_EQ(t.calls.back().member, Member::Line) << "pText " << text;
    }
}

} // namespace
} // namespace tallux::test
