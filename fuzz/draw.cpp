// Every drawing method with fuzzed parameters onto the recording target,
// which sometimes lacks a member or fails its nth call of one.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <optional>
#include <set>

#include "check.h"
#include "render/ratio.h"
#include "render/text.h"
#include "tallux/recording_target.h"
#include "tallux/tallux.h"

using namespace tallux;

namespace {

String consumeText(FuzzedDataProvider& in, std::size_t maxUnits) {
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
T consumeNumber(FuzzedDataProvider& in, T small) {
    return in.ConsumeBool() ? in.ConsumeIntegralInRange<T>(-small, small) : in.ConsumeIntegral<T>();
}

Single consumeSingle(FuzzedDataProvider& in) {
    return in.ConsumeBool() ? static_cast<Single>(in.ConsumeIntegralInRange<int>(-100, 2000)) / 2
                            : in.ConsumeFloatingPoint<Single>();
}

// The widths an element may have: pWidth, and pWidth plus a ratio extra.
std::set<int> elementWidths(const DrawParams& p) {
    std::set<int> widths{p.pWidth.value()};
    try {
        const Ratio r = Ratio::read(p.pRatio);
        widths.insert(int{p.pWidth.value()} + r.narrow.value());
        widths.insert(int{p.pWidth.value()} + r.wide.value());
    } catch (const RuntimeError&) {
    }
    return widths;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    const MethodInfo& method = drawingMethods[in.ConsumeIntegralInRange<std::size_t>(0, 14)];

    RecordingTarget target;
    std::optional<std::int32_t> injected;
    if (in.ConsumeProbability<float>() < 0.2f) {
        const auto member = static_cast<Member>(in.ConsumeIntegralInRange<int>(0, 9));
        if (in.ConsumeBool()) {
            target.lack(member);
            injected = err::NotSupported;
        } else {
            injected = in.ConsumeIntegralInRange<std::int32_t>(1, 100000);
            target.failOn(member, in.ConsumeIntegralInRange<int>(1, 40), *injected);
        }
    }
    target.charWidth = in.ConsumeFloatingPointInRange<double>(0, 40);

    DrawParams p;
    p.pObject = in.ConsumeProbability<float>() < 0.02f ? nullptr : &target;
    p.pX = consumeSingle(in);
    p.pY = consumeSingle(in);
    p.pWidth = consumeNumber<std::int16_t>(in, 20);
    p.pHeight = consumeNumber<std::int16_t>(in, 300);
    p.pText = consumeNumber<std::int16_t>(in, 2);
    p.pBold = Boolean(Integer(consumeNumber<std::int16_t>(in, 1)));
    p.pForeColor = in.ConsumeIntegral<Long>();
    p.pLineColor = in.ConsumeIntegralInRange<Long>(0, 0xFFFFFE);
    p.pChk = Boolean(Integer(consumeNumber<std::int16_t>(in, 1)));
    p.pFont = consumeText(in, 8);
    p.pRatio = in.ConsumeBool() ? String(u"3:1") : consumeText(in, 8);
    p.pCode = consumeText(in, 64);
    const String codeBefore = p.pCode;

    std::optional<Integer> result;
    std::optional<std::int32_t> raised;
    try {
        result = Tallux().draw(method.type, p);
    } catch (const RuntimeError& e) {
        raised = e.number();
    }

    const std::string name(method.name);
    // The outcome is 0, or a documented number returned or raised.
    static const std::set<int> documented = {5, 6, 9, 13, 91, 94, 438};
    if (result && result->value() != 0) {
        const int n = result->value();
        FUZZ_CHECK(documented.contains(n) || (injected && n == *injected), "%s returned %d",
                   name.c_str(), n);
    }
    if (raised) {
        FUZZ_CHECK(*raised == 5 || *raised == 6 || *raised == 13, "%s raised %d", name.c_str(),
                   *raised);
    }

    // The set-up comes first, in its order.
    static constexpr Member setUp[] = {Member::FontName, Member::ForeColor, Member::FontBold,
                                       Member::FontSize};
    for (std::size_t i = 0; i < std::min<std::size_t>(4, target.calls.size()); ++i)
        FUZZ_CHECK(target.calls[i].member == setUp[i], "%s: call %zu is %s", name.c_str(), i,
                   target.calls[i].str().c_str());

    // Nothing follows a failed call; every box is one element of a width the
    // method draws, in the bar colour or white.
    const std::set<int> widths = elementWidths(p);
    for (std::size_t i = 0; i < target.calls.size(); ++i) {
        const Call& c = target.calls[i];
        if (c.failed)
            FUZZ_CHECK(i + 1 == target.calls.size(), "%s: call after a failure", name.c_str());
        if (c.member != Member::Line) continue;
        FUZZ_CHECK(c.flags.value() == 38, "%s: flags %d", name.c_str(), c.flags.value());
        FUZZ_CHECK(c.color == p.pLineColor || c.color == white, "%s: colour %d", name.c_str(),
                   c.color);
        const int w = c.x2.value() - c.x1.value() + 1;
        FUZZ_CHECK(widths.contains(w), "%s: element %s of width %d", name.c_str(), c.str().c_str(),
                   w);
    }

    // pCode: Code 93 never changes it; Code 39 only appends its check character.
    if (method.type == Code_93) FUZZ_CHECK(p.pCode == codeBefore, "BarCODE93 changed pCode");
    if (method.type == Code_39)
        FUZZ_CHECK(p.pCode == codeBefore ||
                       (p.pCode.size() == codeBefore.size() + 1 && p.pCode.starts_with(codeBefore)),
                   "BarCODE39 wrote back %s", toUtf8(p.pCode).c_str());
    return 0;
}
