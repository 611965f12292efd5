#include "draw/drawing.h"
#include "runtime/text.h"
#include "symbologies/digits.h"
#include "symbologies/numeric_postal/code11_table.h"
#include "tallux/symbologies.h"

namespace tallux::draw {

namespace {

// What a character adds to the check sums: 0 to 9 for the digits, 10 for
// "-", and its own code for anything else.
Integer checkValue(char16_t c)
{
    if (isDigit(c)) return digitValue(c);
    if (c == u'-') return 10;
    return ansiCode(c);
}

// A check value 0 to 10 as its character: the digit, or "-" for 10.
char16_t checkCharacter(Integer value)
{
    return value == 10 ? u'-' : static_cast<char16_t>(u'0' + value.value());
}

// The C-digit (weights 1 to 10 from the right, repeating) and the K-digit
// (weights 1 to 9 from the right over the data and the C-digit). Sums beyond
// 16 bits raise 6.
String checkCharacters(std::u16string_view code)
{
    Integer cSum = 0;
    Integer kSum = 0;
    const std::size_t n = code.size();
    for (std::size_t i = 1; i <= n; ++i) {
        const Integer v = checkValue(code[n - i]);
        cSum += v * Integer((i - 1) % 10 + 1);
        kSum += v * Integer(i % 9 + 1);
    }
    const Integer c = mod(cSum, 11);
    const Integer k = mod(c + kSum, 11);
    return {checkCharacter(c), checkCharacter(k)};
}

// The row of a character: "-" has its own; every other character is drawn
// with the row of its value, so anything but a digit looks like "0".
std::size_t row(char16_t c)
{
    if (c == u'-') return code11::dashRow;
    return digitRow(c);
}

} // namespace

// Code 11: start, the data (and the C- and K-digits), stop, with a narrow
// space after every character, the stop included.
Integer BarCODE11(const DrawArgs& a)
{
    const Ratio ratio = Ratio::read(a.pRatio, a.pWidth, Code_11);

    Drawing d(a);
    return trapped([&] {
        d.setUp();
        d.x = CInt(a.pX);

        if (a.pChk) a.pCode += checkCharacters(a.pCode);

        const Single bottom = d.bottom();
        const auto gap = [&] { d.paintElement(false, false, ratio, bottom); };
        d.paintElements(code11::patterns[code11::startStopRow], ratio, bottom);
        gap();
        for (char16_t c : a.pCode) {
            d.paintElements(code11::patterns[row(c)], ratio, bottom);
            gap();
        }
        d.paintElements(code11::patterns[code11::startStopRow], ratio, bottom);
        gap();

        if (printsText(Code_11, a.pText)) {
            const Number width = d.textWidth(a.pCode);
            d.printAt(d.textLineX(width), d.textRow(), a.pCode);
        }
    });
}

} // namespace tallux::draw
