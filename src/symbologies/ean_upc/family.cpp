#include "symbologies/ean_upc/family.h"

#include "runtime/text.h"

namespace tallux::ean {

void normaliseCode(String& code, int n)
{
    // Each step changes the caller's variable only where it changes the
    // text, so a code that is already in shape costs no copy.
    if (!code.empty() && (code.front() == u' ' || code.back() == u' ')) code = trimBlanks(code);
    code.resize(static_cast<std::size_t>(n), u'0'); // padded with "0" or cut
}

Integer strictPositionValue(std::u16string_view position)
{
    if (position.size() != 1) throw RuntimeError(err::TypeMismatch);
    return strictDigitValue(position[0]);
}

Rows rows(const Drawing& d)
{
    const Single shortBottom = d.bottom();
    return {.top = d.a.pY,
            .shortBottom = shortBottom,
            .longBottom = checkedSingle(shortBottom + intDivBy<6>(d.a.pHeight).value()),
            .text = d.textRow()};
}

Rows rowsBelow(const DrawArgs& a, Integer offset)
{
    const Single top = checkedSingle(offset.value() + a.pY);
    const Single shortBottom = checkedSingle(top + a.pHeight.value());
    return {.top = top,
            .shortBottom = shortBottom,
            .longBottom = checkedSingle(shortBottom + intDivBy<6>(a.pHeight).value()),
            .text = checkedSingle(shortBottom + intDivBy<20>(a.pHeight).value())};
}

void printDigit(Drawing& d, const Rows& rows, char16_t c)
{
    d.printAt(Number(d.x), rows.text, String(1, c));
}

} // namespace tallux::ean
