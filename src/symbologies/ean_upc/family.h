#pragma once

#include <string_view>

#include "render/drawing.h"
#include "symbologies/ean_upc/tables.h"

// What the EAN/UPC symbologies share: the normalised code, the check digit,
// the vertical layout and the steps that draw and print a symbol character.
namespace tallux::ean {

// Trims the caller's code, then pads it on the right with "0" or cuts it to
// n characters; each step is written back into the caller's variable.
void normaliseCode(String& code, int n);

// The value of a character as the tables and the check digit read it:
// "0".."9" their digit, any other character 0.
Integer digitValue(std::u16string_view character);
inline Integer digitValue(char16_t c) {
    return digitValue(std::u16string_view(&c, 1));
}

// The strict reading that UPC-E applies: a character that is not a decimal
// digit, or a missing one, is a type mismatch (13).
Integer strictDigitValue(std::u16string_view character);

using DigitValue = Integer (*)(std::u16string_view);

// The modulo-10 check digit of n data positions: weight 3 on the rightmost
// and every second one before it, weight 1 on the others; the digit that
// brings the sum to a multiple of 10.
char16_t checkDigit(std::u16string_view data, int n, DigitValue value = digitValue);

// The entry of a table for the digit value of c.
inline std::string_view byDigit(const DigitTable& table, char16_t c) {
    return table[static_cast<std::size_t>(digitValue(c).value())];
}

// The vertical layout of a symbol: data bars end at the short bottom, guard
// bars reach pHeight \ 6 further down, and the digits have their top on the
// text row, pHeight \ 20 below the data bars.
struct Rows {
    Single top;
    Single shortBottom;
    Single longBottom;
    Single text;
};

// The layout hanging from pY.
Rows rows(const Drawing& d);
// The layout moved down by offset (below the ISBN top line), every row summed
// from the left: offset + pY + pHeight ...
Rows rowsBelow(const DrawArgs& a, Integer offset);

// Modules from the running x, one pWidth each, down to bottom.
void drawModules(Drawing& d, const Rows& rows, std::string_view modules, Single bottom);
// The seven modules of c's entry in table.
inline void drawDigit(Drawing& d, const Rows& rows, const DigitTable& table, char16_t c,
                      Single bottom) {
    drawModules(d, rows, byDigit(table, c), bottom);
}
// A guard, with the long bottom.
inline void drawGuard(Drawing& d, const Rows& rows, std::string_view guard) {
    drawModules(d, rows, guard, rows.longBottom);
}
// One character on the text row with its left edge at the running x, which
// lines it up with the symbol character drawn next.
void printDigit(Drawing& d, const Rows& rows, char16_t c);

// The EAN-13 symbol of thirteen digits (the check digit last) from the running
// x: the leading digit printed at leadingX and carried by the parity of the
// left half, then guards and digits with each digit printed under its modules.
void drawEan13Symbol(Drawing& d, const Rows& rows, std::u16string_view digits, Number leadingX);

} // namespace tallux::ean
