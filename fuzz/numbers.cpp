// The number and text services against simple reference readings.
#include <fuzzer/FuzzedDataProvider.h>

#include <cmath>
#include <optional>
#include <string>

#include "check.h"
#include "runtime/ratio.h"
#include "runtime/text.h"

using namespace tallux;

namespace {

// Rounding half to even, written the long way.
std::optional<int> referenceCInt(double v)
{
    if (!std::isfinite(v)) return std::nullopt;
    double r = std::floor(v);
    const double frac = v - r;
    if (frac > 0.5 || (frac == 0.5 && std::fmod(r, 2) != 0)) r += 1;
    if (r < -32768 || r > 32767) return std::nullopt;
    return static_cast<int>(r);
}

std::optional<int> errorOf(auto&& f)
{
    try {
        f();
    } catch (const RuntimeError& e) {
        return e.number();
    }
    return std::nullopt;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider in(data, size);

    // CInt against the long way round.
    const double v = in.ConsumeBool() ? in.ConsumeIntegralInRange<int>(-70000, 70000) / 2.0
                                      : in.ConsumeFloatingPoint<double>();
    const auto expected = referenceCInt(v);
    try {
        const int got = CInt(v).value();
        FUZZ_CHECK(expected && *expected == got, "CInt(%.17g) = %d", v, got);
    } catch (const RuntimeError& e) {
        FUZZ_CHECK(!expected && e.number() == err::Overflow, "CInt(%.17g) raised %d", v,
                   e.number());
    }

    // Val of plain digits, with blanks anywhere, is the number they spell.
    std::string digits;
    std::u16string spaced;
    for (int i = in.ConsumeIntegralInRange<int>(0, 12); i > 0; --i) {
        const char d = static_cast<char>('0' + in.ConsumeIntegralInRange<int>(0, 9));
        digits += d;
        spaced += static_cast<char16_t>(d);
        if (in.ConsumeBool()) spaced += in.PickValueInArray({u' ', u'\t', u'\n'});
    }
    const double val = Val(spaced);
    FUZZ_CHECK(val == (digits.empty() ? 0.0 : std::stod(digits)), "Val of %s", digits.c_str());
    // The decimal text of a whole number below 10^15 reads back through Val.
    FUZZ_CHECK(Val(decimalText(val)) == val, "decimal text of %.17g", val);

    // Val of any text never crashes and never yields NaN; only overflow raises.
    String text;
    for (int i = in.ConsumeIntegralInRange<int>(0, 24); i > 0; --i) {
        text += in.ConsumeBool()
                    ? in.PickValueInArray({u'0', u'1', u'9', u'.', u'-', u'+', u'e', u'E', u'd',
                                           u'&', u'H', u'O', u'f', u' ', u':', u'7'})
                    : in.ConsumeIntegral<char16_t>();
    }
    try {
        FUZZ_CHECK(!std::isnan(Val(text)), "Val gave NaN");
    } catch (const RuntimeError& e) {
        FUZZ_CHECK(e.number() == err::Overflow, "Val raised %d", e.number());
    }

    // The ratio: 5 without a colon; otherwise the two rounded readings.
    const int colon = InStr(text, u':');
    const auto error = errorOf([&] { Ratio::read(text); });
    if (colon == 0) {
        FUZZ_CHECK(error == err::InvalidCall, "ratio without a colon");
    } else if (!error) {
        const Ratio r = Ratio::read(text);
        FUZZ_CHECK(r.wide == CInt(Val(text.substr(0, static_cast<std::size_t>(colon - 1))) * 7),
                   "wide extra");
        FUZZ_CHECK(r.narrow == CInt(Val(text.substr(static_cast<std::size_t>(colon)))),
                   "narrow extra");
    } else {
        FUZZ_CHECK(error == err::Overflow, "ratio raised %d", *error);
    }
    return 0;
}
