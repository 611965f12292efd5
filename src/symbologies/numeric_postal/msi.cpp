#include <algorithm>
#include <optional>

#include "draw/drawing.h"
#include "runtime/text.h"
#include "symbologies/digits.h"
#include "symbologies/numeric_postal/check_digit.h"
#include "symbologies/numeric_postal/msi_table.h"
#include "tallux/symbologies.h"

namespace tallux::draw {

namespace {

// The text without the blanks that Val skips, when everything else is a digit.
std::optional<String> digitsOnly(std::u16string_view text)
{
    String digits;
    for (char16_t c : text) {
        if (c == u' ' || c == u'\t' || c == u'\n') continue;
        if (!isDigit(c)) return std::nullopt;
        digits += c;
    }
    return digits;
}

// Twice a number written in digits, as digits, exact at any length (leading
// zeros are kept; they add nothing to a digit sum).
String twice(std::u16string_view digits)
{
    String out;
    int carry = 0;
    for (auto it = digits.rbegin(); it != digits.rend(); ++it) {
        const int v = 2 * digitValue(*it).value() + carry;
        out += static_cast<char16_t>(u'0' + v % 10);
        carry = v / 10;
    }
    if (carry != 0 || out.empty()) out += static_cast<char16_t>(u'0' + carry);
    std::reverse(out.begin(), out.end());
    return out;
}

// Twice the number that a text reads as: exact for digits, so that long codes
// keep every digit; any other text as Val reads it, in floating point.
String doubled(std::u16string_view text)
{
    if (const auto digits = digitsOnly(text)) return twice(*digits);
    return decimalText(Val(text) * 2);
}

// The modulo-10 digit: the characters at odd positions from the right, read
// together as one number and doubled, give their digit sum; the characters at
// even positions add their own values.
char16_t checkDigit(std::u16string_view code)
{
    const auto oddFromRight = [&](std::size_t k) { return (code.size() - k) % 2 == 1; };
    String odd;
    for (std::size_t k = 0; k < code.size(); ++k)
        if (oddFromRight(k)) odd += code[k];

    Integer sum = 0;
    for (char16_t c : doubled(odd)) sum += digitValue(c);
    for (std::size_t k = 0; k < code.size(); ++k)
        if (!oddFromRight(k)) sum += digitValue(code[k]);
    return numeric_postal::tensComplement(sum);
}

} // namespace

// MSI: each digit as its four bits, between a start of one 1-bit and a stop
// of narrow bar, wide space, narrow bar; no gaps.
Integer BarMSI(const DrawArgs& a)
{
    const Ratio ratio = Ratio::read(a.pRatio, a.pWidth, Code_MSI);

    Drawing d(a);
    return trapped([&] {
        d.setUp();
        d.x = CInt(a.pX);

        if (a.pChk) a.pCode += checkDigit(a.pCode);

        const Single bottom = d.bottom();
        d.paintElements(msi::startPattern, ratio, bottom);
        for (char16_t c : a.pCode) d.paintElements(msi::digitPatterns[digitRow(c)], ratio, bottom);
        d.paintElements(msi::stopPattern, ratio, bottom);

        if (printsText(Code_MSI, a.pText)) {
            const Number width = d.textWidth(a.pCode);
            d.printAt(d.textLineX(width), d.textRow(), a.pCode);
        }
    });
}

} // namespace tallux::draw
