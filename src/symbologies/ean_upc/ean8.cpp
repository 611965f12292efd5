#include "symbologies/ean_upc/family.h"
#include "tallux/symbologies.h"

namespace tallux::draw {

// EAN-8: seven data digits and the check digit, four in each half, every
// digit printed under its own modules, so the symbol starts at pX.
Integer BarEAN8(const DrawArgs& a)
{
    ean::normaliseCode(a.pCode, 7);
    Drawing d(a);
    d.x = CInt(a.pX);

    return trapped([&] {
        d.setUp();
        const ean::SymbolDigits digits(a.pCode, ean::checkDigit(a.pCode, 7));
        const ean::Rows rows = ean::rows(d);
        const bool text = printsText(EAN_8, a.pText);

        ean::drawGuard(d, rows, ean::startGuard);
        for (std::size_t i = 0; i <= 3; ++i) {
            if (text) ean::printDigit(d, rows, digits[i]);
            ean::drawDigit(d, rows, ean::L, digits[i], rows.shortBottom);
        }
        ean::drawGuard(d, rows, ean::centreGuard);
        for (std::size_t i = 4; i <= 7; ++i) { // the check digit last
            if (text) ean::printDigit(d, rows, digits[i]);
            ean::drawDigit(d, rows, ean::R, digits[i], rows.shortBottom);
        }
        ean::drawGuard(d, rows, ean::endGuard);
    });
}

} // namespace tallux::draw
