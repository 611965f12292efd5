#include "draw/drawing.h"
#include "runtime/text.h"
#include "symbologies/digits.h"
#include "symbologies/numeric_postal/check_digit.h"
#include "symbologies/numeric_postal/postnet_table.h"
#include "tallux/symbologies.h"

namespace tallux::draw {

namespace {

// ZIP (5), ZIP with delivery point (6) or ZIP+4 (9) digits: shorter codes are
// padded with zeros on the right, longer ones cut.
String normalised(std::u16string_view code)
{
    if (code.size() <= 5) return Left(String(code) + u"00000", 5);
    if (code.size() == 6) return String(code);
    return Left(String(code) + u"000000000", 9);
}

// The digit that makes the digit sum a multiple of ten.
char16_t checkDigit(std::u16string_view code)
{
    Integer sum = 0;
    for (char16_t c : code) sum += digitValue(c);
    return numeric_postal::tensComplement(sum);
}

} // namespace

// POSTNET: full and half bars of one width and pitch between two full frame
// bars; the check digit is always added.
Integer BarPOSTNET(const DrawArgs& a)
{
    Drawing d(a);
    return trapped([&] {
        d.setUp();
        d.x = CInt(a.pX);

        a.pCode = normalised(a.pCode);
        a.pCode += checkDigit(a.pCode);

        // A half bar stands on the bottom line; its top is worked out in double precision.
        const Single bottom = d.bottom();
        const Single halfTop = checkedSingle(double{a.pY} + a.pHeight.value() / 2.0);
        const auto bar = [&](bool full) { d.paint(true, a.pWidth, full ? a.pY : halfTop, bottom); };
        const auto gap = [&] { d.paint(false, a.pWidth, bottom); };

        bar(true);
        gap();
        for (char16_t c : a.pCode) {
            const auto pattern = postnet::digitPatterns[digitRow(c)];
            for (char bit : pattern) {
                bar(bit != '0');
                gap();
            }
        }
        bar(true);

        if (printsText(PostNet, a.pText)) {
            a.pCode.pop_back(); // the check digit is drawn, not printed
            // Measured for the fit, and again for the centring.
            const Number left = d.textLineXMeasuringTwice(a.pCode, a.pCode);
            d.printAt(left, d.textRow(), a.pCode);
        }
    });
}

} // namespace tallux::draw
