#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "runtime/text.h"
#include "support.h"

namespace tallux::test {

// The family's rows for pY 10, pHeight 100, moved down by offset: the top of
// the bars, the short and long bottoms and the top of the digit text.
struct EanRows {
    double top, shortBottom, longBottom, text;
};
inline EanRows eanRows(int offset = 0)
{
    return {10.0 + offset, 110.0 + offset, 126.0 + offset, 115.0 + offset};
}

// The calls a method makes after its set-up, written as tokens read left to
// right from the running x (modules pWidth 2 wide):
//   "|101"   modules down to the long bottom     "_0001101"  down to the short bottom
//   "'4"     print "4" at the running x          "=17"       the running x becomes 17
//   any other token is a call as Call::str() writes it.
// With text off, only module tokens count and the running x starts at x.
inline std::vector<std::string> eanCalls(const std::vector<std::string>& tokens, int x,
                                         EanRows rows, bool text)
{
    std::vector<std::string> out = setUp();
    for (const std::string& t : tokens) {
        const std::string rest = t.substr(1);
        if (t[0] == '|' || t[0] == '_') {
            for (char m : rest) {
                out.push_back(line(x, rows.top, x + 1,
                                   t[0] == '|' ? rows.longBottom : rows.shortBottom,
                                   m == '0' ? white : bar));
                x += 2;
            }
        } else if (!text) {
            continue;
        } else if (t[0] == '\'') {
            out.push_back("CurrentX(Integer " + std::to_string(x) + ")");
            out.push_back("CurrentY(" + numberText(Single(rows.text)) + ")");
            out.push_back("Print(" + rest + ")");
        } else if (t[0] == '=') {
            x = std::stoi(rest);
        } else {
            out.push_back(t);
        }
    }
    return out;
}

// The texts of all Print calls, joined.
inline std::string printed(const RecordingTarget& t)
{
    std::string out;
    for (const Call& c : t.calls)
        if (c.member == Member::Print) out += toUtf8(c.text);
    return out;
}

} // namespace tallux::test
