#include "symbologies/ean_upc/family.h"
#include "tallux/symbologies.h"

namespace tallux::draw {

// UPC-A Plus: the UPC-A symbol laid out flat. Every module, guards and the
// first and last digit included, ends at the short bottom, so the whole
// human-readable line lies below the bars.
Integer BarUPCAPlus(const DrawArgs& a)
{
    ean::normaliseCode(a.pCode, 11);
    Drawing d(a);
    d.x = CInt(a.pX);

    return trapped([&] {
        d.setUp();
        const ean::SymbolDigits digits(a.pCode, ean::checkDigit(a.pCode, 11));
        const ean::Rows rows = ean::rows(d);
        const bool text = printsText(UPC_A_Plus, a.pText);

        if (text) {
            // The number-system digit at the rounded pX, the start guard right after it.
            ean::printDigit(d, rows, digits[0]);
            d.x = CInt(Number(d.x) + d.textWidth(String(1, digits[0])));
        }
        ean::drawModules(d, rows, ean::startGuard, rows.shortBottom);

        for (std::size_t i = 0; i <= 5; ++i) {
            if (i != 0 && text) ean::printDigit(d, rows, digits[i]);
            ean::drawDigit(d, rows, ean::L, digits[i], rows.shortBottom);
        }
        ean::drawModules(d, rows, ean::centreGuard, rows.shortBottom);

        for (std::size_t i = 6; i <= 11; ++i) {
            if (i != 11 && text) ean::printDigit(d, rows, digits[i]);
            ean::drawDigit(d, rows, ean::R, digits[i], rows.shortBottom);
        }
        ean::drawModules(d, rows, ean::endGuard, rows.shortBottom);

        // The check digit right-aligned with the symbol's right edge.
        if (text) d.printAt(Number(d.x) - d.textWidth(u"0"), rows.text, String(1, digits[11]));
    });
}

} // namespace tallux::draw
