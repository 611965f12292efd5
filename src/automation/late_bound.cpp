#include <algorithm>

#include "automation/object.h"
#include "runtime/text.h"
#include "tallux/automation.h"

namespace tallux {

using namespace com;

namespace {

bool sameName(std::string_view a, std::u16string_view b) noexcept
{
    const auto lower = [](char16_t c) { return c >= u'A' && c <= u'Z' ? c + 32 : c; };
    return std::ranges::equal(a, b, [&](char x, char16_t y) {
        return lower(static_cast<char16_t>(static_cast<unsigned char>(x))) == lower(y);
    });
}

} // namespace

Variant LateBoundTarget::invoke(Member member, std::uint16_t flags, std::span<Variant> args)
{
    DISPID id = dispidUnknown;
    HRESULT hr = object_->GetIDsOfNames(fromUtf8(memberName(member)), &id);
    if (failed(hr)) throw RuntimeError(errorNumber(hr));

    Variant result;
    ExcepInfo excep;
    std::uint32_t argErr = 0;
    DispParams params{args};
    hr = object_->Invoke(id, flags, params, &result, &excep, &argErr);
    if (failed(hr)) {
        // Which member failed and with what: the target's own number and
        // description, which a script user sees when the number is raised.
        const std::int32_t number = errorNumber(hr, &excep);
        const std::string description = hr == status::exception && !excep.description.empty()
                                            ? toUtf8(excep.description)
                                            : std::string(standardMessage(number));
        throw RuntimeError(number, "the target's " + std::string(memberName(member)) + " raised " +
                                       std::to_string(number) + " (" + description + ")");
    }
    return result;
}

namespace {

// What a measuring member returned, as a number of its own type.
Number measured(const Variant& v)
{
    if (auto n = numberOf(v)) return *n;
    Variant d;
    if (const HRESULT hr =
            changeType(d, v, v.vt() == VT_EMPTY || v.vt() == VT_BOOL ? VT_I2 : VT_R8);
        failed(hr))
        throw RuntimeError(errorNumber(hr));
    return *numberOf(d);
}

} // namespace

void LateBoundTarget::FontName(const String& value)
{
    invoke(Member::FontName, dispatchPropertyPut, value);
}
void LateBoundTarget::ForeColor(Long value)
{
    invoke(Member::ForeColor, dispatchPropertyPut, value);
}
void LateBoundTarget::FontBold(Boolean value)
{
    invoke(Member::FontBold, dispatchPropertyPut, value);
}
void LateBoundTarget::FontSize(Integer value)
{
    invoke(Member::FontSize, dispatchPropertyPut, value);
}
void LateBoundTarget::CurrentX(Number value)
{
    invoke(Member::CurrentX, dispatchPropertyPut, value);
}
void LateBoundTarget::CurrentY(Single value)
{
    invoke(Member::CurrentY, dispatchPropertyPut, value);
}
void LateBoundTarget::Line(Integer flags, Integer x1, Single y1, Integer x2, Single y2, Long color)
{
    Variant args[] = {flags, x1, y1, x2, y2, color};
    invoke(Member::Line, dispatchMethod, std::span(args));
}
void LateBoundTarget::Print(const String& s)
{
    invoke(Member::Print, dispatchMethod, s);
}
Number LateBoundTarget::TextWidth(const String& s)
{
    return measured(invoke(Member::TextWidth, dispatchMethod | dispatchPropertyGet, s));
}
Number LateBoundTarget::TextHeight(const String& s)
{
    return measured(invoke(Member::TextHeight, dispatchMethod | dispatchPropertyGet, s));
}

namespace {

// An argument that could not be coerced to its member's type.
struct BadArgument {
    HRESULT hr;
    std::uint32_t index;
};

class TargetObject final : public Object<IDispatch> {
public:
    TargetObject(Target& target, std::bitset<memberNames.size()> offered)
        : target_(target)
        , offered_(offered)
    {
    }

    HRESULT QueryInterface(const GUID& iid, void** object) override
    {
        if (object == nullptr) return status::badPointer;
        *object = nullptr;
        if (iid == IID_IUnknown || iid == IID_IDispatch) return offer(object);
        return status::noInterface;
    }

    HRESULT GetIDsOfNames(std::u16string_view name, DISPID* id) override
    {
        if (id == nullptr) return status::badPointer;
        for (std::size_t i = 0; i < memberNames.size(); ++i)
            if (offered_[i] && sameName(memberNames[i], name)) {
                *id = static_cast<DISPID>(i + 1);
                return status::ok;
            }
        *id = dispidUnknown;
        return status::unknownName;
    }

    HRESULT Invoke(DISPID id, std::uint16_t flags, DispParams& params, Variant* result,
                   ExcepInfo* excep, std::uint32_t* argErr) override
    {
        if (id < 1 || id > static_cast<DISPID>(memberNames.size()) ||
            !offered_[static_cast<std::size_t>(id - 1)])
            return status::memberNotFound;
        const auto member = static_cast<Member>(id - 1);
        const bool property = member <= Member::CurrentY;
        if (property ? !(flags & dispatchPropertyPut)
                     : !(flags & (dispatchMethod | dispatchPropertyGet)))
            return status::memberNotFound;
        if (params.args.size() != (member == Member::Line ? 6u : 1u)) return status::badParamCount;
        return guarded([&] {
            try {
                const Variant answer = call(member, params.args);
                if (result != nullptr) *result = answer;
                return status::ok;
            } catch (const BadArgument& bad) {
                if (argErr != nullptr) *argErr = bad.index;
                return bad.hr;
            } catch (const RuntimeError& e) {
                fillExcepInfo(excep, e.number(), e.what(), u"Target");
                return status::exception;
            }
        });
    }

private:
    static Variant coerced(std::span<Variant> args, std::uint32_t i, VarType vt)
    {
        Variant v;
        if (const HRESULT hr = changeType(v, args[i], vt); failed(hr)) throw BadArgument{hr, i};
        return v;
    }
    static String text(std::span<Variant> a, std::uint32_t i)
    {
        return *coerced(a, i, VT_BSTR).get<String>();
    }
    static Integer integer(std::span<Variant> a, std::uint32_t i)
    {
        return *coerced(a, i, VT_I2).get<Integer>();
    }
    static Long long32(std::span<Variant> a, std::uint32_t i)
    {
        return *coerced(a, i, VT_I4).get<Long>();
    }
    static Single single(std::span<Variant> a, std::uint32_t i)
    {
        return *coerced(a, i, VT_R4).get<Single>();
    }
    // CurrentX takes any number as it comes; other values as a Double.
    static Number number(std::span<Variant> a, std::uint32_t i)
    {
        if (auto n = numberOf(a[i].deref())) return *n;
        return Number(*coerced(a, i, VT_R8).get<Double>());
    }

    Variant call(Member m, std::span<Variant> a)
    {
        switch (m) {
        case Member::FontName: target_.FontName(text(a, 0)); break;
        case Member::ForeColor: target_.ForeColor(long32(a, 0)); break;
        case Member::FontBold: target_.FontBold(*coerced(a, 0, VT_BOOL).get<Boolean>()); break;
        case Member::FontSize: target_.FontSize(integer(a, 0)); break;
        case Member::CurrentX: target_.CurrentX(number(a, 0)); break;
        case Member::CurrentY: target_.CurrentY(single(a, 0)); break;
        case Member::Line:
            target_.Line(integer(a, 0), integer(a, 1), single(a, 2), integer(a, 3), single(a, 4),
                         long32(a, 5));
            break;
        case Member::Print: target_.Print(text(a, 0)); break;
        case Member::TextWidth: return Variant(target_.TextWidth(text(a, 0)));
        case Member::TextHeight: return Variant(target_.TextHeight(text(a, 0)));
        }
        return Variant();
    }

    Target& target_;
    std::bitset<memberNames.size()> offered_;
};

} // namespace

ComPtr<IDispatch> makeTargetObject(Target& target, std::bitset<memberNames.size()> offered)
{
    return ComPtr<IDispatch>::adopt(new TargetObject(target, offered));
}

} // namespace tallux
