#include "draw/drawing.h"
#include "runtime/text.h"
#include "symbologies/digits.h"
#include "symbologies/numeric_postal/check_digit.h"
#include "symbologies/numeric_postal/code25_table.h"
#include "tallux/symbologies.h"

namespace tallux::draw {

namespace {

// Weights 3 and 1 from the left; the drawn string has odd length here, so the
// rightmost data digit carries weight 3.
char16_t checkDigit(std::u16string_view digits)
{
    Integer sum = 0;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        const Integer weight = i % 2 == 0 ? 3 : 1;
        sum += weight * digitValue(digits[i]);
    }
    return numeric_postal::tensComplement(sum);
}

// The pattern of one digit of a pair; anything but "0" to "9" is a type
// mismatch (13).
std::string_view digitPattern(char16_t c)
{
    return code25::digitPatterns[static_cast<std::size_t>(strictDigitValue(c).value())];
}

// The ten elements of a digit pair: bars from the first digit, spaces from
// the second, taken in turn.
std::string interleave(std::string_view bars, std::string_view spaces)
{
    std::string pair;
    for (std::size_t k = 0; k < bars.size(); ++k) {
        pair += bars[k];
        pair += spaces[k];
    }
    return pair;
}

} // namespace

// Interleaved 2 of 5: digit pairs between a start of four narrow elements and
// a stop of wide bar, narrow space, narrow bar; no gaps.
Integer BarCODE25(const DrawArgs& a)
{
    const Ratio ratio = Ratio::read(a.pRatio, a.pWidth, Code_25);
    a.pCode = trimBlanks(a.pCode);
    // Digits go in pairs: a fill digit "0" at the end makes their number, check
    // digit included, even.
    String drawn = a.pCode;
    const std::size_t encoded = drawn.size() + (a.pChk ? 1 : 0);
    if (encoded % 2 == 1) drawn += u'0';

    Drawing d(a);
    d.x = CInt(a.pX);
    return trapped([&] {
        d.setUp();

        if (a.pChk) drawn += checkDigit(drawn);

        const Single bottom = d.bottom();
        d.paintElements(code25::startPattern, ratio, bottom);
        for (std::size_t i = 0; i + 1 < drawn.size(); i += 2) {
            const auto first = digitPattern(drawn[i]);
            const auto second = digitPattern(drawn[i + 1]);
            d.paintElements(interleave(first, second), ratio, bottom);
        }
        d.paintElements(code25::stopPattern, ratio, bottom);

        if (printsText(Code_25, a.pText)) {
            const Number width = d.textWidth(a.pCode);
            d.printAt(d.textLineX(width), d.textRow(), a.pCode);
        }
    });
}

} // namespace tallux::draw
