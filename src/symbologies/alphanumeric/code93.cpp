#include <vector>

#include "draw/drawing.h"
#include "symbologies/alphanumeric/code93_table.h"
#include "tallux/symbologies.h"

namespace tallux::draw {
namespace {

// The symbol values of the data: one for a direct character, a shift and a
// direct character for any other. A code of 128 or above raises 9.
std::vector<Integer> symbolValues(std::u16string_view data)
{
    std::vector<Integer> values;
    for (char16_t c : data) {
        const auto code = static_cast<std::size_t>(ansiCode(c));
        if (code >= code93::pairs.size()) throw RuntimeError(err::SubscriptOutOfRange);
        const std::u16string_view pair = code93::pairs[code];
        if (pair.empty()) {
            values.push_back(Integer(code93::characters.find(static_cast<char16_t>(code))));
        } else {
            values.push_back(Integer(code93::firstShift + code93::shifts.find(pair[0])));
            values.push_back(Integer(code93::characters.find(pair[1])));
        }
    }
    return values;
}

struct CheckValues {
    Integer c1, c2;
};

// The two modulo-47 check values, weighted from the right: 1..20 repeating
// for the first; 2..15, then 1..15 repeating for the second, which also
// counts the first check value with weight 1. A sum beyond 32767 raises 6.
CheckValues checkValues(const std::vector<Integer>& values)
{
    Integer sum1 = 0, sum2 = 0;
    for (std::size_t n = 1; n <= values.size(); ++n) {
        const Integer value = values[values.size() - n];
        sum1 += value * Integer((n - 1) % 20 + 1);
        sum2 += value * Integer(n % 15 + 1);
    }
    const Integer c1 = mod(sum1, 47);
    return {c1, mod(sum2 + c1, 47)};
}

} // namespace

// Code 93: start, the data in full ASCII, the two check characters when
// asked for, stop with its termination bar; nine modules a character. The
// check values are computed always, and pCode is never changed.
Integer BarCODE93(const DrawArgs& a)
{
    Drawing d(a);
    return trapped([&] {
        d.setUp();
        d.x = CInt(a.pX);

        const std::vector<Integer> values = symbolValues(a.pCode);
        const CheckValues check = checkValues(values);

        const Single bottom = d.bottom();
        const auto paintSymbol = [&](Integer value) {
            d.paintModules(code93::symbolModules[static_cast<std::size_t>(value.value())], bottom);
        };
        paintSymbol(code93::start);
        for (Integer value : values) paintSymbol(value);
        if (a.pChk) {
            paintSymbol(check.c1);
            paintSymbol(check.c2);
        }
        d.paintModules(code93::stopModules, bottom);

        if (printsText(Code_93, a.pText)) {
            const Number width = d.textWidth(a.pCode);
            d.printAt(d.textLineX(width), d.textRow(), a.pCode);
        }
    });
}

} // namespace tallux::draw
