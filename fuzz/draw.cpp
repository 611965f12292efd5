// Every drawing method with fuzzed parameters onto the recording target,
// which sometimes lacks a member or fails its nth call of one.
#include <fuzzer/FuzzedDataProvider.h>

#include <cmath>
#include <optional>
#include <set>

#include "check.h"
#include "expect.h"
#include "runtime/ratio.h"
#include "tallux/recording_target.h"
#include "tallux/tallux.h"

using namespace tallux;
using fuzz::Elements;

namespace {

String consumeText(FuzzedDataProvider& in, std::size_t maxUnits)
{
    String s;
    const std::size_t n = in.ConsumeIntegralInRange<std::size_t>(0, maxUnits);
    for (std::size_t i = 0; i < n && in.remaining_bytes() > 0; ++i) {
        // Mostly the characters symbologies read, sometimes any UTF-16 unit.
        s += in.ConsumeBool() ? static_cast<char16_t>(in.ConsumeIntegralInRange<int>(32, 127))
                              : in.ConsumeIntegral<char16_t>();
    }
    return s;
}

template <class T>
T consumeNumber(FuzzedDataProvider& in, T small)
{
    return in.ConsumeBool() ? in.ConsumeIntegralInRange<T>(-small, small) : in.ConsumeIntegral<T>();
}

Single consumeSingle(FuzzedDataProvider& in)
{
    return in.ConsumeBool() ? static_cast<Single>(in.ConsumeIntegralInRange<int>(-100, 2000)) / 2
                            : in.ConsumeFloatingPoint<Single>();
}

bool same(Single a, Single b)
{
    return a == b || (std::isnan(a) && std::isnan(b));
}

// The widths an element may have: pWidth for module patterns; the narrow
// and wide widths for wide/narrow patterns.
std::set<int> elementWidths(tBarcodeType type, const DrawParams& p)
{
    const int w = p.pWidth.value();
    if (fuzz::expectFor(type).elements == Elements::Modules) return {w};
    try {
        const Ratio r = Ratio::read(p.pRatio);
        return {w + r.narrow.value(), w + r.wide.value()};
    } catch (const RuntimeError&) {
        return {};
    }
}

bool isText(Member m)
{
    return m == Member::CurrentX || m == Member::CurrentY || m == Member::Print ||
           m == Member::TextWidth || m == Member::TextHeight;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider in(data, size);
    const MethodInfo& method = drawingMethods[in.ConsumeIntegralInRange<std::size_t>(0, 14)];
    const tBarcodeType type = method.type;

    RecordingTarget target;
    std::int32_t injected = 0; // the number of a lacking member or a failing call
    if (in.ConsumeProbability<float>() < 0.2f) {
        const auto member = static_cast<Member>(in.ConsumeIntegralInRange<int>(0, 9));
        if (in.ConsumeBool()) {
            target.lack(member);
            injected = err::NotSupported;
        } else {
            injected = in.ConsumeIntegralInRange<std::int32_t>(1, 100000);
            target.failOn(member, in.ConsumeIntegralInRange<int>(1, 40), injected);
        }
    }
    target.charWidth = in.ConsumeFloatingPointInRange<double>(0, 40);
    target.charHeight = in.ConsumeBool() ? in.ConsumeFloatingPointInRange<double>(0, 40)
                                         : in.ConsumeFloatingPoint<double>();

    DrawParams p;
    p.pObject = in.ConsumeProbability<float>() < 0.02f ? nullptr : &target;
    p.pX = consumeSingle(in);
    p.pY = consumeSingle(in);
    p.pWidth = consumeNumber<std::int16_t>(in, 20);
    p.pHeight = consumeNumber<std::int16_t>(in, 300);
    p.pText = consumeNumber<std::int16_t>(in, 2);
    p.pBold = Boolean(Integer(consumeNumber<std::int16_t>(in, 1)));
    p.pForeColor = in.ConsumeIntegral<Long>();
    p.pLineColor = in.ConsumeIntegralInRange<Long>(0, 0xFFFFFE); // never white
    p.pChk = Boolean(Integer(consumeNumber<std::int16_t>(in, 1)));
    p.pFont = consumeText(in, 8);
    p.pRatio = in.ConsumeBool() ? String(u"3:1") : consumeText(in, 8);
    p.pCode = consumeText(in, 64);
    const DrawParams passed = p;

    std::optional<int> result;
    std::optional<int> raised;
    try {
        result = Tallux().draw(type, p).value();
    } catch (const RuntimeError& e) {
        raised = e.number();
    }

    const char* name = method.name.data();
    const fuzz::Expect& expect = fuzz::expectFor(type);
    const auto& calls = target.calls;

    // The outcome: a failed target call ends the method with its number (6
    // raised when the number does not fit 16 bits); otherwise 0 or one of the
    // method's own numbers, returned or raised.
    const bool targetFailed = !calls.empty() && calls.back().failed;
    if (targetFailed) {
        FUZZ_CHECK(injected <= Integer::max ? result == injected : raised == err::Overflow,
                   "%s: a call failed with %d, the outcome is %d/%d", name, injected,
                   result.value_or(-1), raised.value_or(-1));
    } else if (raised) {
        // Only the preparation raises, before any call.
        FUZZ_CHECK(expect.raised.contains(*raised) && calls.empty(), "%s raised %d", name, *raised);
    } else if (*result != 0) {
        FUZZ_CHECK(expect.returned.contains(*result) ||
                       (p.pObject == nullptr && *result == err::ObjectNotSet),
                   "%s returned %d", name, *result);
    }
    if (p.pObject == nullptr)
        FUZZ_CHECK(raised || *result == err::ObjectNotSet, "%s without a target: %d", name,
                   result.value_or(-1));

    // The set-up comes first, in its order, and only ISBN's top line sets the
    // font again.
    static constexpr Member setUp[] = {Member::FontName, Member::ForeColor, Member::FontBold,
                                       Member::FontSize};
    for (std::size_t i = 0; i < calls.size(); ++i) {
        const Member m = calls[i].member;
        if (i < 4)
            FUZZ_CHECK(m == setUp[i], "%s: call %zu is %s", name, i, calls[i].str().c_str());
        else
            FUZZ_CHECK(m != Member::ForeColor && m != Member::FontBold && m != Member::FontSize &&
                           (m != Member::FontName || type == ISBN),
                       "%s: set-up call %s at %zu", name, calls[i].str().c_str(), i);
    }
    if (calls.size() >= 4 && !calls[3].failed)
        FUZZ_CHECK(calls[3].value.value() == p.pWidth.value() / 2, "%s: %s", name,
                   calls[3].str().c_str());

    // Nothing follows a failed call.
    for (std::size_t i = 0; i < calls.size(); ++i)
        if (calls[i].failed) FUZZ_CHECK(i + 1 == calls.size(), "%s: call after a failure", name);

    // Text calls only when the text is on; every Print follows CurrentX, CurrentY.
    const bool text = fuzz::textOn(type, passed.pText);
    for (std::size_t i = 4; i < calls.size(); ++i) {
        const Member m = calls[i].member;
        if (!text)
            FUZZ_CHECK(!isText(m), "%s: text call %s without text", name, calls[i].str().c_str());
        if (m == Member::Print)
            FUZZ_CHECK(calls[i - 1].member == Member::CurrentY &&
                           calls[i - 2].member == Member::CurrentX,
                       "%s: Print at %zu not after CurrentX, CurrentY", name, i);
    }

    // Every box: flags 38, one element of a width the method draws, in the
    // bar colour or white, its top at pY but for POSTNET's half bars and
    // ISBN's top-line offset.
    const std::set<int> widths = elementWidths(type, passed);
    const Single halfTop = static_cast<Single>(double{p.pY} + p.pHeight.value() / 2.0);
    std::optional<Single> isbnTop;
    for (const Call& c : calls) {
        if (c.member == Member::TextHeight && !c.failed) {
            try {
                // The height comes back as a Single, and Single + 4 stays a Single.
                isbnTop = static_cast<Single>(CInt(c.value + Number(Integer(4))).value()) + p.pY;
            } catch (const RuntimeError&) {
            }
        }
        if (c.member != Member::Line) continue;
        const std::string s = c.str();
        FUZZ_CHECK(c.flags.value() == 38, "%s: %s", name, s.c_str());
        const bool bar = c.color == p.pLineColor;
        FUZZ_CHECK(bar || c.color == white, "%s: colour of %s", name, s.c_str());
        const int w = c.x2.value() - c.x1.value() + 1;
        FUZZ_CHECK(widths.contains(w), "%s: element %s of width %d", name, s.c_str(), w);
        if (type == PostNet)
            FUZZ_CHECK(same(c.y1, p.pY) || (bar && same(c.y1, halfTop)), "%s: top of %s", name,
                       s.c_str());
        else if (type == ISBN && text)
            FUZZ_CHECK(isbnTop && same(c.y1, *isbnTop), "%s: top of %s", name, s.c_str());
        else
            FUZZ_CHECK(same(c.y1, p.pY), "%s: top of %s", name, s.c_str());
    }

    // pCode holds only what the method's description lets it write back.
    const bool drawn = result == 0;
    FUZZ_CHECK(fuzz::writeBackAllowed(type, passed, passed.pCode, p.pCode, drawn),
               "%s wrote back \"%s\" for \"%s\" (%s)", name, toUtf8(p.pCode).c_str(),
               toUtf8(passed.pCode).c_str(), drawn ? "drawn" : "not drawn");
    // The other twelve are never written.
    FUZZ_CHECK(p.pRatio == passed.pRatio && p.pFont == passed.pFont && p.pWidth == passed.pWidth &&
                   p.pHeight == passed.pHeight && p.pText == passed.pText &&
                   same(p.pX, passed.pX) && same(p.pY, passed.pY),
               "%s changed a parameter other than pCode", name);
    return 0;
}
