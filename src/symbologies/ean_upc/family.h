#pragma once

#include <algorithm>
#include <array>
#include <string_view>

#include "draw/drawing.h"
#include "runtime/text.h"
#include "symbologies/digits.h"
#include "symbologies/ean_upc/tables.h"

// What the EAN/UPC symbologies share: the normalised code, the check digit,
// the vertical layout and the steps that draw and print a symbol character.
namespace tallux::ean {

// Trims the caller's code, then pads it on the right with "0" or cuts it to
// n characters; each step is written back into the caller's variable.
void normaliseCode(String& code, int n);

// A position of the data as the check digit reads it, one character or the
// empty text past the end: the digit reading of the character, and Val of
// any other text.
inline Integer positionValue(std::u16string_view position)
{
    return position.size() == 1 ? digitValue(position[0]) : CInt(Val(position));
}

// The strict reading that UPC-E applies: a character that is not a decimal
// digit, or a missing one, is a type mismatch (13).
Integer strictPositionValue(std::u16string_view position);

// The modulo-10 check digit of n data positions, each read by `value` (a
// position past the end reads as the empty text): weight 3 on the rightmost
// and every second one before it, weight 1 on the others; the digit that
// brings the sum to a multiple of 10.
template <class DigitValue>
char16_t checkDigit(std::u16string_view data, int n, DigitValue value)
{
    const auto at = [&](int i) {
        const auto pos = static_cast<std::size_t>(i);
        return pos < data.size() ? data.substr(pos, 1) : std::u16string_view();
    };
    Integer odd = 0;
    for (int i = n - 1; i >= 0; i -= 2) odd += value(at(i));
    Integer sum = Integer(3) * odd;
    for (int i = n - 2; i >= 0; i -= 2) sum += value(at(i));
    // The last character of the decimal text of 1000 - sum: its units digit.
    const int rest = (Integer(1000) - sum).value();
    return static_cast<char16_t>(u'0' + (rest < 0 ? -rest : rest) % 10);
}
inline char16_t checkDigit(std::u16string_view data, int n)
{
    return checkDigit(data, n, [](std::u16string_view p) { return positionValue(p); });
}

// The digits a symbol reads, the code followed by its check digit, held in
// place rather than in a heap copy; a symbol reads thirteen at most.
class SymbolDigits {
public:
    static constexpr std::size_t capacity = 13;

    SymbolDigits(std::u16string_view code, char16_t check) noexcept
    {
        size_ = std::min(code.size(), capacity);
        std::copy_n(code.begin(), size_, chars_.begin());
        if (size_ < capacity) chars_[size_++] = check;
    }
    char16_t operator[](std::size_t i) const noexcept { return chars_[i]; }
    operator std::u16string_view() const noexcept { return {chars_.data(), size_}; }

private:
    std::array<char16_t, capacity> chars_{};
    std::size_t size_ = 0;
};

// The entry of a table for the digit value of c.
template <class Entry>
Entry byDigit(const std::array<Entry, 10>& table, char16_t c)
{
    return table[digitRow(c)];
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
template <int N>
void drawModules(Drawing& d, const Rows& rows, Modules<N> modules, Single bottom)
{
    d.paintModules(modules, rows.top, bottom);
}
// The seven modules of c's entry in table.
inline void drawDigit(Drawing& d, const Rows& rows, const DigitModules& table, char16_t c,
                      Single bottom)
{
    drawModules(d, rows, byDigit(table, c), bottom);
}
// A guard, with the long bottom.
template <int N>
void drawGuard(Drawing& d, const Rows& rows, Modules<N> guard)
{
    drawModules(d, rows, guard, rows.longBottom);
}
// One character on the text row with its left edge at the running x, which
// lines it up with the symbol character drawn next.
void printDigit(Drawing& d, const Rows& rows, char16_t c);

// The EAN-13 symbol of thirteen digits (the check digit last) from the running
// x: the leading digit carried by the parity of the left half, then guards and
// digits. With text, the leading digit is printed at leadingX and each other
// digit under its modules.
void drawEan13Symbol(Drawing& d, const Rows& rows, std::u16string_view digits, bool text,
                     Number leadingX);

} // namespace tallux::ean
