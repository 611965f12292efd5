#include "runtime/text.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace tallux {

namespace {

constexpr bool ignoredByVal(char16_t c) noexcept
{
    return c == u' ' || c == u'\t' || c == u'\n';
}

// Digits of a &H or &O number, read until the first character that is not one.
double radixValue(std::u16string_view s, std::size_t i, int radix)
{
    double value = 0;
    for (; i < s.size(); ++i) {
        const char16_t c = s[i];
        int d = -1;
        if (c >= u'0' && c <= u'9')
            d = c - u'0';
        else if (c >= u'a' && c <= u'f')
            d = c - u'a' + 10;
        else if (c >= u'A' && c <= u'F')
            d = c - u'A' + 10;
        if (d < 0 || d >= radix) break;
        value = value * radix + d;
    }
    return value;
}

bool isDigit(char16_t c) noexcept
{
    return c >= u'0' && c <= u'9';
}

} // namespace

double Val(std::u16string_view text)
{
    // The everyday cases read without copying: one character, which is its
    // digit or no number at all, and a short run of decimal digits, exact
    // below 10^15.
    if (text.size() == 1) return isDigit(text[0]) ? text[0] - u'0' : 0;
    if (!text.empty() && text.size() <= 15 && std::all_of(text.begin(), text.end(), isDigit)) {
        std::int64_t whole = 0;
        for (char16_t c : text) whole = whole * 10 + (c - u'0');
        return static_cast<double>(whole);
    }

    std::u16string s;
    s.reserve(text.size());
    for (char16_t c : text)
        if (!ignoredByVal(c)) s += c;

    if (s.size() >= 2 && s[0] == u'&') {
        if (s[1] == u'H' || s[1] == u'h') return radixValue(s, 2, 16);
        if (s[1] == u'O' || s[1] == u'o') return radixValue(s, 2, 8);
        return 0;
    }

    // The longest prefix of the form [sign] digits [. digits] [E|D [sign] digits].
    std::string number;
    std::size_t i = 0;
    if (i < s.size() && (s[i] == u'+' || s[i] == u'-')) number += static_cast<char>(s[i++]);
    bool mantissa = false;
    for (; i < s.size() && isDigit(s[i]); ++i, mantissa = true) number += static_cast<char>(s[i]);
    if (i < s.size() && s[i] == u'.') {
        number += '.';
        for (++i; i < s.size() && isDigit(s[i]); ++i, mantissa = true)
            number += static_cast<char>(s[i]);
    }
    if (!mantissa) return 0;
    if (i < s.size() && (s[i] == u'E' || s[i] == u'e' || s[i] == u'D' || s[i] == u'd')) {
        std::size_t j = i + 1;
        std::string exponent = "e";
        if (j < s.size() && (s[j] == u'+' || s[j] == u'-')) exponent += static_cast<char>(s[j++]);
        const std::size_t firstDigit = j;
        for (; j < s.size() && isDigit(s[j]); ++j) exponent += static_cast<char>(s[j]);
        if (j > firstDigit) number += exponent;
    }

    const char* first = number.data();
    if (*first == '+') ++first;
    double value = 0;
#if defined(__cpp_lib_to_chars)
    const auto [end, ec] = std::from_chars(first, number.data() + number.size(), value);
    const bool outOfRange = ec == std::errc::result_out_of_range;
    (void)end;
#else
    // Standard libraries without floating-point from_chars (libc++ before
    // 17): strtod, in the C locale that these libraries run in.
    errno = 0;
    value = std::strtod(first, nullptr);
    const bool outOfRange = errno == ERANGE;
#endif
    if (outOfRange) {
        // Underflow reads as 0; overflow is an error.
        if (number.find("e-") != std::string::npos) return 0;
        throw RuntimeError(err::Overflow);
    }
    return value;
}

String decimalText(double value)
{
    // Whole values below 10^15 are their plain digits ("-0" is "0").
    if (std::abs(value) < 1e15 && value == std::trunc(value)) {
        std::array<char, 20> digits{};
        const auto end = std::to_chars(digits.data(), digits.data() + digits.size(),
                                       static_cast<std::int64_t>(value))
                             .ptr;
        return String(digits.data(), end);
    }
    // 15 significant digits, exponent form from 10^15 on and below 10^-4,
    // exactly as %G writes them; "0.5" is written ".5".
    std::array<char, 32> buf{};
    std::snprintf(buf.data(), buf.size(), "%.15G", value);
    std::string s = buf.data();
    if (s == "-0") s = "0";
    if (s.starts_with("0."))
        s.erase(0, 1);
    else if (s.starts_with("-0."))
        s.erase(1, 1);
    return String(s.begin(), s.end());
}

String trimBlanks(std::u16string_view text)
{
    const auto first = text.find_first_not_of(u' ');
    if (first == std::u16string_view::npos) return {};
    const auto last = text.find_last_not_of(u' ');
    return String(text.substr(first, last - first + 1));
}

int Asc(std::u16string_view text)
{
    if (text.empty()) throw RuntimeError(err::InvalidCall);
    return ansiCode(text.front());
}

String Left(std::u16string_view text, int length)
{
    if (length < 0) throw RuntimeError(err::InvalidCall);
    return String(text.substr(0, static_cast<std::size_t>(length)));
}

String Mid(std::u16string_view text, int start)
{
    if (start < 1) throw RuntimeError(err::InvalidCall);
    const auto from = static_cast<std::size_t>(start - 1);
    return from >= text.size() ? String() : String(text.substr(from));
}

String Mid(std::u16string_view text, int start, int length)
{
    if (length < 0) throw RuntimeError(err::InvalidCall);
    return Left(Mid(text, start), length);
}

int InStr(std::u16string_view text, char16_t what) noexcept
{
    const auto p = text.find(what);
    return p == std::u16string_view::npos ? 0 : static_cast<int>(p) + 1;
}

String fromUtf8(std::string_view utf8)
{
    String out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        const auto b = static_cast<unsigned char>(utf8[i]);
        char32_t cp = 0xFFFD;
        std::size_t n = 1;
        if (b < 0x80)
            cp = b;
        else if ((b >> 5) == 0x6)
            n = 2, cp = b & 0x1Fu;
        else if ((b >> 4) == 0xE)
            n = 3, cp = b & 0x0Fu;
        else if ((b >> 3) == 0x1E)
            n = 4, cp = b & 0x07u;
        if (n > 1) {
            bool ok = i + n <= utf8.size();
            for (std::size_t k = 1; ok && k < n; ++k) {
                const auto c = static_cast<unsigned char>(utf8[i + k]);
                ok = (c & 0xC0) == 0x80;
                cp = (cp << 6) | (c & 0x3Fu);
            }
            if (!ok) cp = 0xFFFD, n = 1;
        }
        i += n;
        if (cp >= 0x10000 && cp <= 0x10FFFF) {
            cp -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (cp >> 10));
            out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
        } else {
            out += static_cast<char16_t>(cp > 0x10FFFF ? 0xFFFD : cp);
        }
    }
    return out;
}

std::string toUtf8(std::u16string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t cp = text[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (text[++i] - 0xDC00u);
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = 0xFFFD; // a lone surrogate
        }
        if (cp < 0x80) {
            out += static_cast<char>(cp);
        } else if (cp < 0x800) {
            out += static_cast<char>(0xC0 | (cp >> 6));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            out += static_cast<char>(0xE0 | (cp >> 12));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (cp >> 18));
            out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        }
    }
    return out;
}

} // namespace tallux
