#pragma once

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

} // namespace tallux::test
