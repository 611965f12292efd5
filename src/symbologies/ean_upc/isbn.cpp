#include "runtime/text.h"
#include "symbologies/ean_upc/family.h"
#include "tallux/symbologies.h"

namespace tallux::draw {

namespace {

// The modulo-11 check character of a nine-character book number, the
// characters weighted 10 down to 2 from the left; "X" stands for 10.
char16_t bookNumberCheck(std::u16string_view code)
{
    Integer sum = 0;
    for (int k = 1; k <= 9; ++k)
        sum = Integer(k + 1) * digitValue(code[static_cast<std::size_t>(9 - k)]) + sum;
    const Integer v = mod(Integer(11) - mod(sum, 11), 11);
    return v == 10 ? u'X' : static_cast<char16_t>(u'0' + v.value());
}

// The book number above the symbol, always grouped 1, 6, 2 and 1.
String topLine(std::u16string_view code, char16_t check)
{
    return u"ISBN " + Mid(code, 1, 1) + u"-" + Mid(code, 2, 6) + u"-" + Mid(code, 8, 2) + u"-" +
           check;
}

} // namespace

// ISBN: the EAN-13 symbol of "978" and the first nine characters of a book
// number, below a line that shows the book number with its own check
// character.
Integer BarISBN(const DrawArgs& a)
{
    ean::normaliseCode(a.pCode, 9);
    Drawing d(a);
    d.x = CInt(a.pX);

    return trapped([&] {
        d.setUp();
        const char16_t bookCheck = bookNumberCheck(a.pCode);

        const bool text = printsText(ISBN, a.pText);
        Integer offset = 0; // the symbol hangs below the top line
        if (text) {
            d.target().FontName(a.pFont);
            d.printAt(Number(d.x), a.pY, topLine(a.pCode, bookCheck));
            offset = CInt(d.textHeight(u"I") + Number(Integer(4)));
            d.target().FontName(a.pFont);
        }

        a.pCode = u"978" + a.pCode;
        const ean::SymbolDigits digits(a.pCode, ean::checkDigit(a.pCode, 12));
        // Here the leading digit stands at the rounded pX, under the top line's start.
        ean::drawEan13Symbol(d, ean::rowsBelow(a, offset), digits, text, Number(d.x));
    });
}

} // namespace tallux::draw
