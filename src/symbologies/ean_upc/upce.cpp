#include "symbologies/ean_upc/family.h"
#include "tallux/symbologies.h"

namespace tallux::draw {

namespace {

// The check digit of UPC-E is not drawn as a character: it chooses, for each
// of the six data digits, "0" the L table or "1" the G table (number system 0).
constexpr ean::DigitTable checkDigitParity = {"111000", "110100", "110010", "110001", "101100",
                                              "100110", "100011", "101010", "101001", "100101"};
static_assert(ean::allOfLength(checkDigitParity, 6));

// The UPC-E end guard: space, bar, space, bar, space, bar.
constexpr Modules<6> upceEndGuard{"010101"};

// The zero-suppressed digits d1..d6 written out as "0" and the UPC-A form,
// twelve characters, as the sixth digit says; empty for any other sixth
// character.
String expanded(std::u16string_view d)
{
    const auto digits = [d](std::size_t from, std::size_t count) {
        return String(d.substr(from, count));
    };
    const char16_t d6 = d[5];
    if (d6 >= u'0' && d6 <= u'2') return u"00" + digits(0, 2) + d6 + u"0000" + digits(2, 3);
    if (d6 == u'3') return u"00" + digits(0, 3) + u"00000" + digits(3, 2);
    if (d6 == u'4') return u"00" + digits(0, 4) + u"00000" + digits(4, 1);
    if (d6 >= u'5' && d6 <= u'9') return u"00" + digits(0, 5) + u"0000" + d6;
    return {};
}

} // namespace

// UPC-E: six data digits in number system 0, the check digit carried by
// their parity; "0" printed before the symbol and the check digit after it.
Integer BarUPCE(const DrawArgs& a)
{
    ean::normaliseCode(a.pCode, 6);
    Drawing d(a);
    d.x = CInt(a.pX);

    return trapped([&] {
        d.setUp();
        const std::u16string_view digits = a.pCode;
        // Computed over the UPC-A form, where only decimal digits are accepted.
        const char16_t check = ean::checkDigit(expanded(digits), 12, ean::strictPositionValue);
        const ean::Rows rows = ean::rows(d);
        const bool text = printsText(UPC_E, a.pText);

        if (text) {
            // The number-system digit at the unrounded pX, the start guard right after it.
            d.printAt(Number(a.pX), rows.text, u"0");
            d.x = CInt(Number(d.x) + d.textWidth(u"0"));
        }
        ean::drawGuard(d, rows, ean::startGuard);

        const std::string_view parity = ean::byDigit(checkDigitParity, check);
        for (std::size_t i = 0; i <= 5; ++i) {
            if (text) ean::printDigit(d, rows, digits[i]);
            ean::drawDigit(d, rows, parity[i] == '0' ? ean::L : ean::G, digits[i],
                           rows.shortBottom);
        }
        ean::drawGuard(d, rows, upceEndGuard);

        // The check digit right after the end guard, with no gap.
        if (text) ean::printDigit(d, rows, check);
    });
}

} // namespace tallux::draw
