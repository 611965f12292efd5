#include "symbologies/ean_upc/family.h"
#include "tallux/symbologies.h"

namespace tallux::ean {

// The leading digit of EAN-13 is not drawn as a character of its own: it
// chooses, for each of the six left-half digits, "0" the L table or "1" the G
// table.
inline constexpr DigitTable leadingDigitParity = {"000000", "001011", "001101", "001110", "010011",
                                                  "011001", "011100", "010101", "010110", "011010"};
static_assert(allOfLength(leadingDigitParity, 6));

void drawEan13Symbol(Drawing& d, const Rows& rows, std::u16string_view digits, bool text,
                     Number leadingX)
{
    if (text) {
        // The symbol starts right after the printed leading digit.
        const String leading(1, digits[0]);
        d.printAt(leadingX, rows.text, leading);
        d.x = CInt(Number(d.x) + d.textWidth(leading));
    }
    drawGuard(d, rows, startGuard);

    const std::string_view parity = byDigit(leadingDigitParity, digits[0]);
    for (std::size_t i = 1; i <= 6; ++i) {
        if (text) printDigit(d, rows, digits[i]);
        drawDigit(d, rows, parity[i - 1] == '0' ? L : G, digits[i], rows.shortBottom);
    }
    drawGuard(d, rows, centreGuard);

    for (std::size_t i = 7; i <= 12; ++i) { // the check digit last
        if (text) printDigit(d, rows, digits[i]);
        drawDigit(d, rows, R, digits[i], rows.shortBottom);
    }
    drawGuard(d, rows, endGuard);
}

} // namespace tallux::ean

namespace tallux::draw {

// EAN-13: twelve data digits and the check digit.
Integer BarEAN13(const DrawArgs& a)
{
    ean::normaliseCode(a.pCode, 12);
    Drawing d(a);
    d.x = CInt(a.pX);

    return trapped([&] {
        d.setUp();
        const ean::SymbolDigits digits(a.pCode, ean::checkDigit(a.pCode, 12));
        // The leading digit stands at the unrounded pX.
        ean::drawEan13Symbol(d, ean::rows(d), digits, printsText(EAN_13, a.pText), Number(a.pX));
    });
}

} // namespace tallux::draw
