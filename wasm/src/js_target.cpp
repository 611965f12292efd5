// The drawing target that a JavaScript object is: each of the ten members is
// called late-bound by name on the object that the wrapper holds for this
// call. The JavaScript side catches whatever the object throws and answers
// with a status, so no JavaScript exception ever unwinds through the
// component; a failed member becomes a RuntimeError with its number here.
#include "js_target.h"

#include <emscripten.h>

namespace tallux::wasm {

// Each import returns 0 when the member succeeded, else 1, and the member's
// error number is then fetched with talluxFailure.
// clang-format off
EM_JS(int, talluxPut, (int member, double value), {
    return Module["talluxCalls"].put(member, value);
});
EM_JS(int, talluxPutText, (int member, const char16_t* text, int length), {
    var s = "";
    for (var i = 0; i < length; i += 4096)
        s += String.fromCharCode.apply(null, HEAPU16.subarray((text >> 1) + i, (text >> 1) + Math.min(length, i + 4096)));
    return Module["talluxCalls"].putText(member, s);
});
EM_JS(int, talluxLine, (int flags, int x1, float y1, int x2, float y2, int color), {
    return Module["talluxCalls"].line(flags, x1, y1, x2, y2, color);
});
EM_JS(int, talluxMeasure, (int member, const char16_t* text, int length, double* value, int* type), {
    var s = "";
    for (var i = 0; i < length; i += 4096)
        s += String.fromCharCode.apply(null, HEAPU16.subarray((text >> 1) + i, (text >> 1) + Math.min(length, i + 4096)));
    var calls = Module["talluxCalls"];
    var status = calls.measure(member, s);
    if (status === 0) {
        HEAPF64[value >> 3] = calls.measured;
        HEAP32[type >> 2] = calls.measuredType;
    }
    return status;
});
EM_JS(int, talluxFailure, (), { return Module["talluxCalls"].failure(); });
// clang-format on

namespace {

void check(int status)
{
    if (status != 0) throw RuntimeError(talluxFailure());
}

int memberIndex(Member m)
{
    return static_cast<int>(m);
}

int length(const String& s)
{
    return static_cast<int>(s.size());
}

} // namespace

void JsTarget::FontName(const String& value)
{
    check(talluxPutText(memberIndex(Member::FontName), value.data(), length(value)));
}
void JsTarget::ForeColor(Long value)
{
    check(talluxPut(memberIndex(Member::ForeColor), value));
}
void JsTarget::FontBold(Boolean value)
{
    check(talluxPut(memberIndex(Member::FontBold), value.value()));
}
void JsTarget::FontSize(Integer value)
{
    check(talluxPut(memberIndex(Member::FontSize), value.value()));
}
void JsTarget::CurrentX(Number value)
{
    check(talluxPut(memberIndex(Member::CurrentX), value.value()));
}
void JsTarget::CurrentY(Single value)
{
    check(talluxPut(memberIndex(Member::CurrentY), value));
}
void JsTarget::Line(Integer flags, Integer x1, Single y1, Integer x2, Single y2, Long color)
{
    check(talluxLine(flags.value(), x1.value(), y1, x2.value(), y2, color));
}
void JsTarget::Print(const String& s)
{
    check(talluxPutText(memberIndex(Member::Print), s.data(), length(s)));
}

namespace {

// What a measuring member returned, typed as the JavaScript side says: a
// number that a Single holds exactly is a Single, as the hosts' own
// TextWidth and TextHeight return; undefined and booleans are Integers;
// any other number is a Double.
Number measured(Member m, const String& s)
{
    double value = 0;
    int type = 0;
    check(talluxMeasure(memberIndex(m), s.data(), length(s), &value, &type));
    switch (type) {
    case 0: return Integer(static_cast<int>(value));
    case 2: return static_cast<Single>(value);
    default: return value;
    }
}

} // namespace

Number JsTarget::TextWidth(const String& s)
{
    return measured(Member::TextWidth, s);
}
Number JsTarget::TextHeight(const String& s)
{
    return measured(Member::TextHeight, s);
}

} // namespace tallux::wasm
