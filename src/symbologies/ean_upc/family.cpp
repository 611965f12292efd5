#include "symbologies/ean_upc/family.h"

#include "render/text.h"

namespace tallux::ean {

void normaliseCode(String& code, int n) {
    code = trimBlanks(code);
    if (code.size() != static_cast<std::size_t>(n))
        code = Left(code + String(static_cast<std::size_t>(n), u'0'), n);
}

Integer digitValue(std::u16string_view character) {
    return CInt(Val(character));
}

Integer strictDigitValue(std::u16string_view character) {
    if (character.size() != 1 || character[0] < u'0' || character[0] > u'9')
        throw RuntimeError(err::TypeMismatch);
    return character[0] - u'0';
}

char16_t checkDigit(std::u16string_view data, int n, DigitValue value) {
    const auto at = [&](int i) {
        const auto pos = static_cast<std::size_t>(i);
        return pos < data.size() ? data.substr(pos, 1) : std::u16string_view();
    };
    Integer odd = 0;
    for (int i = n - 1; i >= 0; i -= 2)
        odd += value(at(i));
    Integer sum = Integer(3) * odd;
    for (int i = n - 2; i >= 0; i -= 2)
        sum += value(at(i));
    return decimalText((Integer(1000) - sum).value()).back();
}

Rows rows(const Drawing& d) {
    const Single shortBottom = d.bottom();
    return {.top = d.a.pY,
            .shortBottom = shortBottom,
            .longBottom = checkedSingle(shortBottom + intDiv(d.a.pHeight, 6).value()),
            .text = d.textRow()};
}

Rows rowsBelow(const DrawArgs& a, Integer offset) {
    const Single top = checkedSingle(offset.value() + a.pY);
    const Single shortBottom = checkedSingle(top + a.pHeight.value());
    return {.top = top,
            .shortBottom = shortBottom,
            .longBottom = checkedSingle(shortBottom + intDiv(a.pHeight, 6).value()),
            .text = checkedSingle(shortBottom + intDiv(a.pHeight, 20).value())};
}

void drawModules(Drawing& d, const Rows& rows, std::string_view modules, Single bottom) {
    for (char m : modules)
        d.paint(m != '0', d.a.pWidth, rows.top, bottom);
}

void printDigit(Drawing& d, const Rows& rows, char16_t c) {
    d.printAt(Number(d.x), rows.text, String(1, c));
}

} // namespace tallux::ean
