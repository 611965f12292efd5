#include <cstdint>
#include <string_view>
#include <vector>

#include "draw/drawing.h"
#include "runtime/text.h"
#include "symbologies/alphanumeric/code128_table.h"
#include "tallux/symbologies.h"

namespace tallux::draw {
namespace {

// Set A: codes 32..95 are values 0..63 and the control codes 0..31 values
// 64..95; any other character has no value in the set (94).
Integer valueInSetA(char16_t c)
{
    const int code = ansiCode(c);
    if (code >= 32 && code <= 95) return code - 32;
    if (code >= 0 && code <= 31) return code + 64;
    throw RuntimeError(err::InvalidUseOfNull);
}

// Set B: code - 32 for every character; one outside the symbol table fails
// only when it is drawn.
Integer valueInSetB(char16_t c)
{
    return ansiCode(c) - 32;
}

// The symbol character of a value, from the running x; a value outside
// 0..106 raises 9. Data in set B reaches the stop's value too.
void paintSymbol(Drawing& d, Integer value, Single bottom)
{
    if (value < 0 || value > Integer(code128::stop)) throw RuntimeError(err::SubscriptOutOfRange);
    if (value == Integer(code128::stop))
        d.paintModules(code128::stopModules, bottom);
    else
        d.paintModules(code128::symbolModules[static_cast<std::size_t>(value.value())], bottom);
}

// The modulo-103 check sum: the start value plus each symbol value times its
// position, the first at 1. A sum beyond 32767 raises 6.
class CheckSum {
public:
    explicit CheckSum(Integer start)
        : sum_(start)
    {
    }
    void add(Integer value) { sum_ += Integer(std::int64_t{value.value()} * ++position_); }
    Integer checkValue() const { return mod(sum_, 103); }

private:
    Integer sum_;
    std::int64_t position_ = 0;
};

static_assert(code128::startB == code128::startA + 1 && code128::startC == code128::startA + 2);

} // namespace

// Code 128 in one code set, named by the first character of pCode, which is
// removed from the caller's variable: start, one symbol character for each
// data character (sets A and B) or digit pair (set C), the check character
// when asked for, stop with its termination bar. The check sum is computed
// before anything is drawn, whether or not it is drawn.
Integer BarCODE128(const DrawArgs& a)
{
    Drawing d(a);
    return trapped([&] {
        d.setUp();
        d.x = CInt(a.pX);

        if (a.pCode.empty()) throw RuntimeError(err::InvalidCall);
        const char16_t set = a.pCode.front();
        a.pCode = Mid(a.pCode, 2);

        // The start characters of sets A, B and C are 103, 104 and 105. Any
        // other letter names no code set, and nothing is drawn.
        const std::size_t setIndex = std::u16string_view(u"ABC").find(set);
        if (setIndex == std::u16string_view::npos) throw RuntimeError(err::InvalidCall);
        const Integer start = code128::startA + Integer(setIndex);

        // Set C reads digit pairs; an odd count is evened by a leading "0",
        // which the caller's variable holds until the pairs are drawn.
        const String data = a.pCode;
        if (set == u'C' && a.pCode.size() % 2 != 0) a.pCode = u"0" + a.pCode;

        // One pass from the left: each value goes into the check sum as it is read.
        CheckSum sum(start);
        std::vector<Integer> values;
        const auto read = [&](Integer value) {
            values.push_back(value);
            sum.add(value);
        };
        if (set == u'C') {
            for (std::size_t i = 0; i + 1 < a.pCode.size(); i += 2)
                read(CInt(Val(std::u16string_view(a.pCode).substr(i, 2))));
        } else {
            for (char16_t c : a.pCode) read(set == u'A' ? valueInSetA(c) : valueInSetB(c));
        }

        const bool text = printsText(Code_128, a.pText);
        const Single bottom = d.bottom();
        paintSymbol(d, start, bottom);
        if (set == u'C') {
            for (Integer value : values) paintSymbol(d, value, bottom);
            a.pCode = data;
        } else {
            // Each character is printed under its own modules.
            for (std::size_t i = 0; i < values.size(); ++i) {
                if (text) d.printAt(Number(d.x), d.textRow(), String(1, a.pCode[i]));
                paintSymbol(d, values[i], bottom);
            }
        }
        if (a.pChk) paintSymbol(d, sum.checkValue(), bottom);
        d.paintModules(code128::stopModules, bottom);

        if (set == u'C' && text) {
            const Number width = d.textWidth(a.pCode);
            d.printAt(d.textLineX(width), d.textRow(), a.pCode);
        }
    });
}

} // namespace tallux::draw
