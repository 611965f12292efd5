#include "tallux/recording_target.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "runtime/text.h"

namespace tallux {

#if defined(__cpp_lib_to_chars)
std::string numberText(Number n)
{
    std::array<char, 64> buf{};
    const auto [end, ec] =
        n.type() == Number::Type::Float32
            ? std::to_chars(buf.data(), buf.data() + buf.size(), static_cast<Single>(n.value()))
            : std::to_chars(buf.data(), buf.data() + buf.size(), n.value());
    (void)ec;
    return std::string(buf.data(), end);
}
#else
// For standard libraries without floating-point to_chars (libc++ before 17):
// the same text, the shortest digits that read back, in the shorter of fixed
// and scientific notation, fixed on a tie.
std::string numberText(Number n)
{
    const bool single = n.type() == Number::Type::Float32;
    const double v = n.value();
    if (!std::isfinite(v)) return std::isnan(v) ? "nan" : v < 0 ? "-inf" : "inf";
    std::array<char, 64> buf{};
    for (int digits = 1; digits <= 17; ++digits) {
        std::snprintf(buf.data(), buf.size(), "%.*e", digits - 1, v);
        const double back = std::strtod(buf.data(), nullptr);
        if (single ? static_cast<Single>(back) == static_cast<Single>(v) : back == v) break;
    }
    const std::string text(buf.data());
    const std::size_t e = text.find('e');
    const bool negative = text[0] == '-';
    std::string mantissa = text.substr(negative ? 1 : 0, e - (negative ? 1 : 0));
    std::erase(mantissa, '.');
    const int exponent = std::atoi(text.c_str() + e + 1);
    const auto count = static_cast<int>(mantissa.size());

    std::string scientific = mantissa.substr(0, 1);
    if (count > 1) scientific += "." + mantissa.substr(1);
    const int shown = exponent < 0 ? -exponent : exponent;
    scientific +=
        std::string(exponent < 0 ? "e-" : "e+") + (shown < 10 ? "0" : "") + std::to_string(shown);
    std::string fixed;
    if (exponent < 0)
        fixed = "0." + std::string(static_cast<std::size_t>(-exponent - 1), '0') + mantissa;
    else if (exponent + 1 >= count) // a whole number: all its digits, as they are
        fixed = (std::snprintf(buf.data(), buf.size(), "%.0f", std::fabs(v)), buf.data());
    else
        fixed = mantissa.substr(0, static_cast<std::size_t>(exponent + 1)) + "." +
                mantissa.substr(static_cast<std::size_t>(exponent + 1));
    return (negative ? "-" : "") + (fixed.size() <= scientific.size() ? fixed : scientific);
}
#endif

std::string Call::str() const
{
    const std::string name(memberName(member));
    std::string s;
    switch (member) {
    case Member::FontName:
    case Member::Print: s = name + "(" + toUtf8(text) + ")"; break;
    case Member::CurrentX:
        s = name + "(" + std::string(typeName(value.type())) + " " + numberText(value) + ")";
        break;
    case Member::Line:
        s = name + "(" + std::to_string(flags.value()) + "," + std::to_string(x1.value()) + "," +
            numberText(y1) + "," + std::to_string(x2.value()) + "," + numberText(y2) + "," +
            std::to_string(color) + ")";
        break;
    case Member::TextWidth:
    case Member::TextHeight:
        s = name + "(" + toUtf8(text) + ")";
        if (!failed) s += "=" + numberText(value);
        break;
    default: s = name + "(" + numberText(value) + ")"; break;
    }
    return failed ? s + "!" : s;
}

} // namespace tallux
