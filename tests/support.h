#pragma once

#include <span>
#include <string>
#include <vector>

#include "tallux/recording_target.h"
#include "tallux/tallux.h"

namespace tallux::test {

inline constexpr Long bar = 0; // pLineColor in the tests
inline const std::string whiteText = std::to_string(white);

// The text of one recorded Line call.
inline std::string line(int x1, double y1, int x2, double y2, Long color)
{
    Call c{.member = Member::Line, .flags = filledBox, .x1 = x1, .x2 = x2};
    c.y1 = static_cast<Single>(y1);
    c.y2 = static_cast<Single>(y2);
    c.color = color;
    return c.str();
}

// The four set-up calls for the default parameters of `params()`.
inline std::vector<std::string> setUp(int fontSize = 1)
{
    return {"FontName(Arial)", "ForeColor(255)", "FontBold(-1)",
            "FontSize(" + std::to_string(fontSize) + ")"};
}

// Parameters on a recording target: pX 10, pY 10, pWidth 2, pHeight 100,
// no text, bold, Arial, text colour 255, bars 0, ratio "3:1", no check.
inline DrawParams params(RecordingTarget& target, std::u16string code)
{
    DrawParams p;
    p.pObject = &target;
    p.pX = 10;
    p.pY = 10;
    p.pCode = std::move(code);
    p.pWidth = 2;
    p.pHeight = 100;
    p.pText = 0;
    p.pBold = true;
    p.pFont = u"Arial";
    p.pForeColor = 255;
    p.pLineColor = bar;
    p.pRatio = u"3:1";
    p.pChk = false;
    return p;
}

// Appends what comes after a prefix of calls.
inline std::vector<std::string> concat(std::vector<std::string> a,
                                       const std::vector<std::string>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

inline std::vector<std::string> lines(const RecordingTarget& t)
{
    std::vector<std::string> out;
    for (const Call& c : t.calls)
        if (c.member == Member::Line) out.push_back(c.str());
    return out;
}

// The error number that a call raised to its caller, or 0 when it returned
// (as Err reads with no error).
template <class F>
int raisedBy(F&& call)
{
    try {
        call();
    } catch (const RuntimeError& e) {
        return e.number();
    }
    return 0;
}

// A call that fails in its preparation: the ratio, module width and pX it
// starts from, the error it raises, and what pCode then holds.
struct RaisedCase {
    std::u16string ratio;
    int width = 2;
    float x = 10;
    int error = 0;
    std::u16string after;
};

// Draws each case from `code` on a fresh recording target: the method raises
// the case's error before the target hears of it, leaving pCode as `after`.
inline void expectRaisedBeforeAnyCall(tBarcodeType type, const std::u16string& code, bool chk,
                                      std::span<const RaisedCase> cases)
{
    for (std::size_t i = 0; i < cases.size(); ++i) {
        RecordingTarget t;
        DrawParams p = params(t, code);
        p.pRatio = cases[i].ratio;
        p.pWidth = cases[i].width;
        p.pX = cases[i].x;
        p.pChk = chk;
        EXPECT_EQ(raisedBy([&] { Tallux().draw(type, p); }), cases[i].error) << "case " << i;
        EXPECT_TRUE(t.calls.empty()) << "case " << i;
        EXPECT_EQ(p.pCode, cases[i].after) << "case " << i;
    }
}

} // namespace tallux::test
