// The control's dispatch interface called with random variants: members by
// name and by id, any dispatch flags, any number of arguments of any type,
// by value or by reference, onto a late-bound recording target that may lack
// members or fail a call.
#include <fuzzer/FuzzedDataProvider.h>

#include <array>
#include <bitset>
#include <cmath>
#include <limits>
#include <optional>
#include <vector>

#include "check.h"
#include "expect.h"
#include "tallux/automation.h"
#include "tallux/recording_target.h"
#include "tallux/tallux.h"

using namespace tallux;
using namespace tallux::com;

namespace {

String consumeText(FuzzedDataProvider& in)
{
    static const char16_t* const known[] = {
        u"3:1",  u"12345",  u"400638133393", u"BCode128", u"C12345", u"1e39",     u"-1",
        u"&H10", u" True ", u"false",        u"nan",      u"inf",    u"1e400",    u"32767.5",
        u"",     u"70000",  u"2:",           u":",        u"0.5",    u"-32768.5", u"Arial"};
    if (in.ConsumeBool()) return in.PickValueInArray(known);
    String s;
    for (int n = in.ConsumeIntegralInRange<int>(0, 16); n > 0 && in.remaining_bytes() > 0; --n)
        s += in.ConsumeBool() ? static_cast<char16_t>(in.ConsumeIntegralInRange<int>(32, 127))
                              : in.ConsumeIntegral<char16_t>();
    return s;
}

double consumeDouble(FuzzedDataProvider& in)
{
    static constexpr double special[] = {std::numeric_limits<double>::quiet_NaN(),
                                         std::numeric_limits<double>::infinity(),
                                         -std::numeric_limits<double>::infinity(),
                                         32767.5,
                                         -32768.5,
                                         2147483647.5,
                                         3.4e38,
                                         1e39,
                                         -0.0,
                                         0.5,
                                         2.5,
                                         100};
    return in.ConsumeBool() ? in.PickValueInArray(special) : in.ConsumeFloatingPoint<double>();
}

// A value of one of the interface's variant types; objects are picked from
// the ones given (the target, Nothing, the control itself).
Variant consumeValue(FuzzedDataProvider& in, std::span<const ComPtr<IDispatch>> objects)
{
    switch (in.ConsumeIntegralInRange<int>(0, 7)) {
    case 0: return Variant();
    case 1: return Variant(Integer(in.ConsumeIntegral<std::int16_t>()));
    case 2: return Variant(in.ConsumeIntegral<Long>());
    case 3: return Variant(static_cast<Single>(consumeDouble(in)));
    case 4: return Variant(consumeDouble(in));
    case 5: return Variant(consumeText(in));
    case 6: return Variant(in.ConsumeBool());
    default: return Variant(objects[in.ConsumeIntegralInRange<std::size_t>(0, objects.size() - 1)]);
    }
}

// Equal values; a NaN equals a NaN of the same type.
bool same(const Variant& a, const Variant& b)
{
    if (const auto* x = a.get<Single>(); x && std::isnan(*x)) {
        const auto* y = b.get<Single>();
        return y && std::isnan(*y);
    }
    if (const auto* x = a.get<Double>(); x && std::isnan(*x)) {
        const auto* y = b.get<Double>();
        return y && std::isnan(*y);
    }
    return a == b;
}

// The members of _Tallux by name, as a client may spell them.
constexpr std::u16string_view memberNameList[] = {
    u"SupBarType", u"ShowAboutBox", u"BarUPCAPlus", u"BarCODABAR", u"BarCODE11",  u"barcode25",
    u"BarCODE39",  u"BarCODE39F",   u"BARISBN",     u"BarMSI",     u"BarPOSTNET", u"BarCODE93",
    u"BarEAN13",   u"BarCODE128",   u"BarEAN8",     u"BarUPCA",    u"BarUPCE",    u"Bar"};

// Every result a successful drawing call may carry.
bool documentedResult(const typelib::FuncDesc& f, int n, std::int32_t injected)
{
    return n == 0 || n == err::ObjectNotSet || n == err::NotSupported || n == injected ||
           fuzz::expectFor(f.method->type).returned.contains(n);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider in(data, size);
    {
        RecordingTarget recorder;
        std::int32_t injected = 0;
        if (in.ConsumeProbability<float>() < 0.2f) {
            injected = in.ConsumeIntegralInRange<std::int32_t>(1, 100000);
            recorder.failOn(static_cast<Member>(in.ConsumeIntegralInRange<int>(0, 9)),
                            in.ConsumeIntegralInRange<int>(1, 30), injected);
        }
        std::bitset<memberNames.size()> offered;
        offered.set();
        if (in.ConsumeProbability<float>() < 0.1f)
            offered.reset(in.ConsumeIntegralInRange<std::size_t>(0, offered.size() - 1));

        const ComPtr<IDispatch> control = makeTalluxObject();
        const ComPtr<IDispatch> objects[] = {makeTargetObject(recorder, offered), nullptr, control};
        std::optional<std::int32_t> supBarType = 0; // what the control must hold

        for (int round = 0; round < 4 && in.remaining_bytes() > 0; ++round) {
            recorder.clear();
            // The member: by name (a known one or any text), or by any id.
            DISPID id = dispidUnknown;
            if (in.ConsumeBool()) {
                const String name = in.ConsumeBool() ? String(in.PickValueInArray(memberNameList))
                                                     : consumeText(in);
                const HRESULT hr = control->GetIDsOfNames(name, &id);
                FUZZ_CHECK(hr == status::ok || (hr == status::unknownName && id == dispidUnknown),
                           "GetIDsOfNames: %s", statusText(hr).c_str());
            } else {
                id = in.ConsumeBool()
                         ? in.PickValueInArray({typelib::dispidSupBarType, dispidAboutBox,
                                                0x60030005, 0x6003000f, 0x60030010, 0x60030013})
                         : in.ConsumeIntegral<DISPID>();
            }
            const std::uint16_t flags = in.ConsumeBool()
                                            ? in.PickValueInArray<std::uint16_t>({1, 2, 3, 4, 8})
                                            : in.ConsumeIntegral<std::uint16_t>();

            // The caller's variables, passed by value or by reference.
            std::array<Variant, 13> variables;
            for (Variant& v : variables) v = consumeValue(in, objects);
            const std::size_t count =
                in.ConsumeBool() ? 13u : in.ConsumeIntegralInRange<std::size_t>(0, 15);
            std::vector<Variant> args(count);
            for (std::size_t i = 0; i < count; ++i)
                args[i] = in.ConsumeBool()
                              ? Variant::byRef(variables[in.ConsumeIntegralInRange<std::size_t>(
                                    0, variables.size() - 1)])
                              : consumeValue(in, objects);
            if (count > 0 && in.ConsumeBool()) args[0] = Variant(objects[0]);
            const std::vector<Variant> argsBefore = args;
            const std::array<Variant, 13> variablesBefore = variables;

            const Variant unset(u"unset");
            Variant result = unset;
            ExcepInfo excep;
            std::uint32_t argErr = 0xFFFFFFFF;
            DispParams params{args};
            const HRESULT hr = control->Invoke(
                id, flags, params, in.ConsumeBool() ? &result : nullptr, &excep, &argErr);

            const typelib::FuncDesc* f = typelib::findFunction(id, flags);
            // Only the documented failures: never an exception that escaped.
            FUZZ_CHECK(hr == status::ok || hr == status::memberNotFound ||
                           hr == status::badParamCount || hr == status::typeMismatch ||
                           hr == status::overflow || hr == status::exception,
                       "Invoke(%d, %d) gave %s", id, flags, statusText(hr).c_str());
            FUZZ_CHECK((hr == status::memberNotFound) == (f == nullptr), "member %d/%d: %s", id,
                       flags, statusText(hr).c_str());
            if (hr == status::typeMismatch || hr == status::overflow)
                FUZZ_CHECK(argErr < count, "argErr %u of %zu", argErr, count);
            if (hr != status::ok && hr != status::exception) {
                // Refused before the call: nothing drawn, nothing written.
                FUZZ_CHECK(result == unset && recorder.calls.empty(), "refused call had effects");
                for (std::size_t k = 0; k < variables.size(); ++k)
                    FUZZ_CHECK(same(variables[k], variablesBefore[k]), "refused call wrote %zu", k);
                continue;
            }

            // Arguments passed by value never change; by reference, only a
            // drawing method's pCode may, and only to a String.
            for (std::size_t i = 0; i < count; ++i)
                FUZZ_CHECK(args[i].isByRef() || same(args[i], argsBefore[i]),
                           "argument %zu changed", i);
            for (std::size_t k = 0; k < variables.size(); ++k) {
                if (same(variables[k], variablesBefore[k])) continue;
                const bool isCode =
                    f->method != nullptr && args[3].isByRef() && &args[3].deref() == &variables[k];
                FUZZ_CHECK(isCode && variables[k].vt() == VT_BSTR,
                           "variable %zu became %s, was %s (member %s)", k,
                           describe(variables[k]).c_str(), describe(variablesBefore[k]).c_str(),
                           f->name.data());
            }

            const std::int32_t number = errorNumber(hr, &excep);
            if (f->method != nullptr) {
                if (hr == status::exception) {
                    FUZZ_CHECK(number == err::Overflow ||
                                   fuzz::expectFor(f->method->type).raised.contains(number),
                               "%s raised %d", f->method->name.data(), number);
                } else if (result != unset) {
                    const Integer* n = result.get<Integer>();
                    FUZZ_CHECK(n && documentedResult(*f, n->value(), injected), "%s returned %s",
                               f->method->name.data(), describe(result).c_str());
                }
            } else if (f->memid == dispidAboutBox) {
                // No dialog toolkit here: the about box is refused with its number.
                FUZZ_CHECK(hr == status::exception && number == aboutBoxUnavailable,
                           "ShowAboutBox: %s", statusText(hr).c_str());
            } else if (f->invkind == typelib::InvokeKind::PropertyPut) {
                Variant value;
                FUZZ_CHECK(changeType(value, args[0], VT_I4) == status::ok, "SupBarType put");
                const Long v = *value.get<Long>();
                const bool fits = v >= Integer::min && v <= Integer::max;
                FUZZ_CHECK(fits ? hr == status::ok : number == err::Overflow, "SupBarType = %d: %s",
                           v, statusText(hr).c_str());
                if (fits) supBarType = v;
            } else {
                FUZZ_CHECK(hr == status::ok, "SupBarType get");
                if (result != unset)
                    FUZZ_CHECK(result == Variant(static_cast<Long>(*supBarType)),
                               "SupBarType reads %s, not %d", describe(result).c_str(),
                               *supBarType);
            }
        }
    }
    // Every object released: the library may be unloaded.
    FUZZ_CHECK(DllCanUnloadNow() == status::ok, "objects left alive");
    return 0;
}
