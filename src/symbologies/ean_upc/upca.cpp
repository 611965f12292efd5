#include "symbologies/ean_upc/family.h"
#include "tallux/symbologies.h"

namespace tallux::draw {

namespace {

// The first and last digit of UPC-A reach as deep as the guards, through a
// bar height pHeight + pHeight \ 6 that must itself fit 16 bits.
Single outerDigitBottom(const DrawArgs& a)
{
    const Integer h = a.pHeight + intDivBy<6>(a.pHeight);
    return checkedSingle(h.value() + a.pY);
}

} // namespace

// UPC-A: eleven data digits and the check digit, the left half all from the
// L table. The first and last digit have long bars and are printed outside
// the symbol; the ten others under their modules.
Integer BarUPCA(const DrawArgs& a)
{
    ean::normaliseCode(a.pCode, 11);
    Drawing d(a);
    d.x = CInt(a.pX);

    return trapped([&] {
        d.setUp();
        const ean::SymbolDigits digits(a.pCode, ean::checkDigit(a.pCode, 11));
        const ean::Rows rows = ean::rows(d);
        const bool text = printsText(UPC_A, a.pText);

        if (text) {
            // The number-system digit at the unrounded pX, 10 units before the start guard.
            const String first(1, digits[0]);
            d.printAt(Number(a.pX), rows.text, first);
            d.x = CInt(Number(d.x) + d.textWidth(first) + Number(Integer(10)));
        }
        ean::drawGuard(d, rows, ean::startGuard);

        for (std::size_t i = 0; i <= 5; ++i) {
            Single bottom = rows.shortBottom;
            if (i == 0)
                bottom = outerDigitBottom(a);
            else if (text)
                ean::printDigit(d, rows, digits[i]);
            ean::drawDigit(d, rows, ean::L, digits[i], bottom);
        }
        ean::drawGuard(d, rows, ean::centreGuard);

        for (std::size_t i = 6; i <= 11; ++i) {
            Single bottom = rows.shortBottom;
            if (i == 11)
                bottom = outerDigitBottom(a);
            else if (text)
                ean::printDigit(d, rows, digits[i]);
            ean::drawDigit(d, rows, ean::R, digits[i], bottom);
        }
        ean::drawGuard(d, rows, ean::endGuard);

        // The check digit right after the end guard, with no gap.
        if (text) ean::printDigit(d, rows, digits[11]);
    });
}

} // namespace tallux::draw
