#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "runtime/text.h"
#include "tallux/host_target.h"

// What a back-end of the host target is asked to do, and when: the font is
// handed over once, before the first text after a change; boxes arrive
// ordered and inclusive; Print draws at the print position and moves it.
namespace tallux {
namespace {

class LogBackend : public HostTargetOf<LogBackend> {
public:
    std::vector<std::string> log;

    void fillBox(const UnitBox& b, Rgb c)
    {
        log.push_back("fill " + num(b.x0) + "," + num(b.y0) + "-" + num(b.x1) + "," + num(b.y1) +
                      " " + num(c.red * 255) + "/" + num(c.green * 255) + "/" + num(c.blue * 255));
    }

protected:
    void fontChanged(const HostFont& f) override
    {
        log.push_back("font " + toUtf8(f.name) + (f.bold ? " bold " : " ") + num(f.points));
    }
    TextMetrics measureText(const String& s) override
    {
        log.push_back("measure " + toUtf8(s));
        return {10.0 * static_cast<double>(s.size()), 7.5};
    }
    TextMetrics drawText(const String& s, double x, double y, Rgb) override
    {
        log.push_back("draw " + toUtf8(s) + " at " + num(x) + "," + num(y));
        return {10.0 * static_cast<double>(s.size()), 7.5};
    }

private:
    static std::string num(double v)
    {
        std::string s = std::to_string(v);
        s.erase(s.find_last_not_of('0') + 1);
        if (s.back() == '.') s.pop_back();
        return s;
    }
};

TEST(HostTarget, BackEndSeesEachChangeOnceAndInOrder)
{
    LogBackend t;
    t.FontName(u"Serif");
    t.ForeColor(0xFF);
    t.FontBold(true);
    t.FontSize(-3);                               // drawn at the smallest size
    t.Line(filledBox, 12, 5.5f, 10, 7, 0x800000); // mirrored: from 11 to 12
    t.Line(filledBox, 3, 0, 2, 9, 0);             // zero width: nothing
    t.Line(filledBox, 0, -3e38f, 0, 3e38f, static_cast<Long>(0x80000005)); // held, window white
    EXPECT_EQ(t.TextWidth(u"ab").value(), 20);
    t.FontSize(1); // the size it already has: no change
    t.CurrentX(Number(Single(4.5f)));
    t.CurrentY(2);
    t.Print(u"cd");
    t.FontSize(30000);
    t.Print(u"e");
    EXPECT_EQ(t.currentX(), 0);
    EXPECT_EQ(t.currentY(), 17);
    const std::vector<std::string> expected = {
        /*0*/ "fill 11,5.5-12,8 0/0/128",
        /*1*/ "fill 0,-1000000000-1,1000000000 255/255/255",
        /*2*/ "font Serif bold 1",
        /*3*/ "measure ab",
        /*4*/ "draw cd at 4.5,2",
        /*5*/ "font Serif bold 2160",
        /*6*/ "draw e at 0,9.5",
    };
    EXPECT_EQ(t.log, expected);
}

} // namespace
} // namespace tallux
