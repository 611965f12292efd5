#include <gtest/gtest.h>

#include <algorithm>
#include <new>

#include "support.h"

// The contract every drawing method shares, exercised through Code 39.
namespace tallux::test {
namespace {

Integer drawCode39(DrawParams& p)
{
    return Tallux().draw(Code_39, p);
}

TEST(Frame, SetUpIsFourCallsInOrder)
{
    for (int width : {7, -7, 2}) {
        RecordingTarget t;
        DrawParams p = params(t, u"A");
        p.pWidth = width;
        p.pRatio = u":";
        drawCode39(p);
        const auto log = t.log();
        ASSERT_GE(log.size(), 4u);
        EXPECT_EQ(std::vector(log.begin(), log.begin() + 4), setUp(width / 2));
    }
}

TEST(Frame, TargetLackingAMemberGets438AndNoFurtherCall)
{
    RecordingTarget t;
    t.lack(Member::FontName);
    DrawParams p = params(t, u"A");
    EXPECT_EQ(drawCode39(p).value(), err::NotSupported);
    EXPECT_EQ(t.log(), std::vector<std::string>{"FontName(Arial)!"});

    RecordingTarget noPrint;
    noPrint.lack(Member::CurrentX);
    DrawParams q = params(noPrint, u"A");
    q.pText = 1;
    EXPECT_EQ(drawCode39(q).value(), err::NotSupported);
    EXPECT_EQ(noPrint.calls.back().str(), "CurrentX(Single 146.5)!");
}

TEST(Frame, FailingLineEndsTheDrawingThere)
{
    RecordingTarget t;
    t.failOn(Member::Line, 10, 1234);
    DrawParams p = params(t, u"A");
    p.pText = 1;
    EXPECT_EQ(drawCode39(p).value(), 1234);
    EXPECT_EQ(t.calls.size(), 4u + 10);
    EXPECT_TRUE(t.calls.back().failed);
    EXPECT_EQ(t.calls.back().member, Member::Line);
}

// Memory that runs out in a target, once the trap is armed, is error 7 like
// any other run-time error: the method's result, in every method.
TEST(Frame, MemoryRunningOutIsResultSeven)
{
    struct Exhausted : RecordingTarget {
        void Line(Integer, Integer, Single, Integer, Single, Long) override
        {
            throw std::bad_alloc();
        }
    };
    for (const MethodInfo& m : drawingMethods) {
        Exhausted t;
        DrawParams p = params(t, String(m.sample));
        EXPECT_EQ(Tallux().draw(m.type, p).value(), err::OutOfMemory) << m.name;
    }
}

TEST(Frame, ErrorNumberBeyondSixteenBitsIsRaisedAsOverflow)
{
    RecordingTarget t;
    t.failOn(Member::Line, 1, 70000);
    DrawParams p = params(t, u"A");
    try {
        drawCode39(p);
        FAIL() << "no error raised";
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.number(), err::Overflow);
    }
    RecordingTarget neg;
    neg.failOn(Member::FontSize, 1, -32768);
    DrawParams q = params(neg, u"A");
    EXPECT_EQ(drawCode39(q).value(), -32768);
}

TEST(Frame, NoTargetGives91)
{
    DrawParams p;
    p.pCode = u"A";
    EXPECT_EQ(Tallux().draw(Code_39, p).value(), err::ObjectNotSet);
}

TEST(Frame, RunningXPastTheRangeGivesSixAfterTheEarlierElements)
{
    RecordingTarget t;
    DrawParams p = params(t, u"AAAA");
    p.pX = 32400; // each character advances 90
    EXPECT_EQ(drawCode39(p).value(), err::Overflow);
    const auto drawn = lines(t);
    ASSERT_FALSE(drawn.empty());
    EXPECT_FALSE(t.calls.back().failed); // the overflow is ours, not the target's
    // The fourth "A" starts at 32760 with a wide bar that would end past 32767;
    // the gap before it is the last box drawn.
    EXPECT_EQ(t.calls.back().str(), line(32757, 10, 32759, 110, white));
}

TEST(Frame, PXOutOfRangeIsAResultForMethodsThatRoundInsideTheTrap)
{
    RecordingTarget t;
    DrawParams p = params(t, u"A");
    p.pX = 40000;
    EXPECT_EQ(drawCode39(p).value(), err::Overflow);
    EXPECT_EQ(t.log(), setUp());
}

TEST(Frame, ElementsAreOneFilledBoxEach)
{
    RecordingTarget t;
    DrawParams p = params(t, u"CODE39");
    p.pLineColor = 0x123456;
    ASSERT_EQ(drawCode39(p).value(), 0);
    int x = 10;
    for (const Call& c : t.calls) {
        if (c.member != Member::Line) continue;
        EXPECT_EQ(c.flags.value(), 38);
        EXPECT_EQ(c.x1.value(), x);
        EXPECT_TRUE(c.x2.value() - c.x1.value() + 1 == 3 || c.x2.value() - c.x1.value() + 1 == 23);
        EXPECT_TRUE(c.color == 0x123456 || c.color == white);
        EXPECT_EQ(c.y1, 10.0f);
        EXPECT_EQ(c.y2, 110.0f);
        x = c.x2.value() + 1;
    }
}

TEST(Frame, EachMethodPrintsForThePTextValuesOfItsRow)
{
    // The EAN/UPC methods and Code 128 print for any non-zero pText, the
    // others for 1 only.
    constexpr std::string_view anyNonZero[] = {"BarCODE128", "BarEAN13",    "BarEAN8", "BarISBN",
                                               "BarUPCA",    "BarUPCAPlus", "BarUPCE"};
    for (const MethodInfo& m : drawingMethods) {
        const bool any = std::ranges::find(anyNonZero, m.name) != std::end(anyNonZero);
        EXPECT_EQ(m.printsFor, any ? PrintsFor::anyNonZero : PrintsFor::onlyOne) << m.name;
        for (int text : {-1, 0, 1, 2}) {
            RecordingTarget t;
            DrawParams p = params(t, String(m.sample));
            p.pText = text;
            ASSERT_EQ(Tallux().draw(m.type, p).value(), 0) << m.name;
            const bool printed = std::ranges::any_of(
                t.calls, [](const Call& c) { return c.member == Member::Print; });
            EXPECT_EQ(printed, any ? text != 0 : text == 1) << m.name << " pText " << text;
        }
    }
}

} // namespace
} // namespace tallux::test
