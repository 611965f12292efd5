#include "automation/windows/control.h"

#include <algorithm>
#include <array>
#include <atomic>

#include "automation/object.h"
#include "automation/server.h"
#include "automation/windows/about_dialog.h"
#include "automation/windows/connection_points.h"
#include "automation/windows/counted.h"
#include "automation/windows/ole_control.h"
#include "automation/windows/persistence.h"
#include "automation/windows/variants.h"

namespace tallux::win {

namespace {

// What the vtable passes, by pointer, for each automation type.
template <VARTYPE vt>
auto vtableValue()
{
    if constexpr (vt == VT_DISPATCH)
        return static_cast<IDispatch*>(nullptr);
    else if constexpr (vt == VT_R4)
        return float{};
    else if constexpr (vt == VT_BSTR)
        return BSTR{};
    else if constexpr (vt == VT_I2)
        return short{};
    else if constexpr (vt == VT_BOOL)
        return VARIANT_BOOL{};
    else if constexpr (vt == VT_I4)
        return LONG{};
}
template <VARTYPE vt>
using ByRef = decltype(vtableValue<vt>())*;

// The dual interface _Tallux over the portable control object: Invoke turns
// the caller's arguments into portable variants, lets the portable dispatch
// coerce, call, raise and write back, then returns results, written-back
// values, the failing argument and the error in the caller's terms. The
// vtable members pack their arguments as by-reference VARIANTs and go the
// same way, so both bindings follow one set of rules. The control's
// container interfaces (OLE object, view, persistence, connection points)
// are parts that share this object's identity.
class Control final : public _Tallux, public ISupportErrorInfo, public IProvideClassInfo2 {
public:
    Control()
    {
        installAboutBox();
        server::objectCreated();
    }

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        if (object == nullptr) return com::status::badPointer;
        *object = nullptr;
        if (isNull(iid)) return com::status::invalidArg;
        const com::GUID id = guid(iid);
        if (id == com::IID_IUnknown || id == com::IID_IDispatch || id == typelib::IID__Tallux)
            *object = static_cast<_Tallux*>(this);
        else if (IsEqualIID(iid, IID_ISupportErrorInfo))
            *object = static_cast<ISupportErrorInfo*>(this);
        else if (IsEqualIID(iid, IID_IProvideClassInfo) || IsEqualIID(iid, IID_IProvideClassInfo2))
            *object = static_cast<IProvideClassInfo2*>(this);
        else if (!ole_.offer(iid, object) && !persistence_.offer(iid, object) &&
                 !points_.offer(iid, object))
            return com::status::noInterface;
        AddRef();
        return com::status::ok;
    }
    TALLUX_COUNTED_REFERENCES(refs_)

    // IDispatch
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override
    {
        if (count == nullptr) return com::status::badPointer;
        *count = 1;
        return com::status::ok;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID, ITypeInfo** info) override
    {
        if (info == nullptr) return com::status::badPointer;
        *info = nullptr;
        if (index != 0) return DISP_E_BADINDEX;
        return loadTypeInfo(typelib::IID__Tallux, info);
    }
    // Members by name, ignoring case. The members take no named arguments,
    // so names after the first are unknown.
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID,
                                            DISPID* ids) override
    {
        if (isNull(iid)) return com::status::invalidArg;
        if (!IsEqualIID(iid, IID_NULL)) return com::status::unknownInterface;
        if (names == nullptr || ids == nullptr) return com::status::badPointer;
        if (count == 0) return com::status::invalidArg;
        for (UINT i = 0; i < count; ++i) ids[i] = com::dispidUnknown;
        if (names[0] == nullptr) return com::status::badPointer;
        com::DISPID id = com::dispidUnknown;
        const com::HRESULT hr =
            portable_->GetIDsOfNames(reinterpret_cast<const char16_t*>(names[0]), &id);
        ids[0] = id;
        return com::failed(hr) || count > 1 ? com::status::unknownName : com::status::ok;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID, WORD flags, DISPPARAMS* params,
                                     VARIANT* result, EXCEPINFO* excep, UINT* argErr) override;

    // ISupportErrorInfo: the vtable members describe their errors.
    HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID iid) override
    {
        return !isNull(iid) && guid(iid) == typelib::IID__Tallux ? com::status::ok
                                                                 : com::status::okFalse;
    }

    // IProvideClassInfo
    HRESULT STDMETHODCALLTYPE GetClassInfo(ITypeInfo** info) override
    {
        if (info == nullptr) return com::status::badPointer;
        *info = nullptr;
        return loadTypeInfo(typelib::CLSID_Tallux, info);
    }
    // IProvideClassInfo2: the outgoing interface is __Tallux.
    HRESULT STDMETHODCALLTYPE GetGUID(DWORD kind, ::GUID* id) override
    {
        if (id == nullptr) return com::status::badPointer;
        *id = GUID_NULL;
        if (kind != GUIDKIND_DEFAULT_SOURCE_DISP_IID) return com::status::invalidArg;
        *id = guid(typelib::DIID___Tallux);
        return com::status::ok;
    }

    // _Tallux, the vtable side.
    HRESULT STDMETHODCALLTYPE put_SupBarType(::tBarcodeType value) override
    {
        VARIANT v;
        V_VT(&v) = VT_I4;
        V_I4(&v) = value;
        return early(typelib::dispidSupBarType, com::dispatchPropertyPut, {&v, 1}, nullptr);
    }
    HRESULT STDMETHODCALLTYPE get_SupBarType(::tBarcodeType* value) override
    {
        if (value == nullptr) return com::status::badPointer;
        VARIANT r;
        ::VariantInit(&r);
        const HRESULT hr = early(typelib::dispidSupBarType, com::dispatchPropertyGet, {}, &r);
        if (hr >= 0) *value = static_cast<::tBarcodeType>(V_I4(&r));
        return hr;
    }
    HRESULT STDMETHODCALLTYPE ShowAboutBox() override
    {
        return early(com::dispidAboutBox, com::dispatchMethod, {}, nullptr);
    }

#define TALLUX_DRAWING_METHOD(Name)                                                                \
    HRESULT STDMETHODCALLTYPE Name(TALLUX_DRAW_PARAMETERS(TALLUX_VTABLE_PARAMETER, TALLUX_COMMA),  \
                                   short* result) override                                         \
    {                                                                                              \
        return draw(u"" #Name, {TALLUX_DRAW_PARAMETERS(TALLUX_DRAW_ARGUMENT, TALLUX_COMMA)},       \
                    result);                                                                       \
    }
#define TALLUX_VTABLE_PARAMETER(name, type, value, vt) ByRef<vt> name
    TALLUX_DRAWING_METHODS(TALLUX_DRAWING_METHOD)
#undef TALLUX_VTABLE_PARAMETER
#undef TALLUX_DRAWING_METHOD

private:
    ~Control()
    {
        server::objectDestroyed();
    }

    // The thirteen parameters of a drawing method, as the vtable passes them.
    using DrawingParams = std::array<void*, 13>;

    HRESULT draw(std::u16string_view name, const DrawingParams& p, short* result);
    HRESULT early(com::DISPID id, WORD flags, std::span<VARIANT> args, VARIANT* result);

    IUnknown& identity() noexcept
    {
        return *static_cast<_Tallux*>(this);
    }

    std::atomic<ULONG> refs_{1};
    Tallux control_; // sited by ole_, driven by portable_
    com::ComPtr<com::IDispatch> portable_ = makeTalluxObject(control_);
    ConnectionPoints points_{identity()};
    OleControl ole_{identity(), control_, points_};
    Persistence persistence_{identity()};
};

HRESULT Control::Invoke(DISPID id, REFIID iid, LCID, WORD flags, DISPPARAMS* params,
                        VARIANT* result, EXCEPINFO* excep, UINT* argErr)
{
    if (isNull(iid)) return com::status::invalidArg;
    if (!IsEqualIID(iid, IID_NULL)) return com::status::unknownInterface;
    DISPPARAMS none{};
    const DISPPARAMS& dp = params != nullptr ? *params : none;
    if ((dp.cArgs > 0 && dp.rgvarg == nullptr) ||
        (dp.cNamedArgs > 0 && dp.rgdispidNamedArgs == nullptr))
        return com::status::invalidArg;
    // A property put names its value DISPID_PROPERTYPUT; nothing else is named.
    const bool put = (flags & (com::dispatchPropertyPut | com::dispatchPropertyPutRef)) != 0;
    if (dp.cNamedArgs > 1 ||
        (dp.cNamedArgs == 1 && !(put && dp.rgdispidNamedArgs[0] == DISPID_PROPERTYPUT)))
        return DISP_E_NONAMEDARGS;
    // The member and the count first, as the portable dispatch checks them,
    // so that no argument is read for a call that cannot be made.
    const typelib::FuncDesc* f = typelib::findFunction(id, flags);
    if (f == nullptr) return com::status::memberNotFound;
    if (dp.cArgs != f->params.size()) return com::status::badParamCount;

    return com::guarded([&]() -> com::HRESULT {
        InvokeArgs args;
        if (const com::HRESULT hr = args.load(dp, argErr); com::failed(hr)) return hr;
        com::DispParams portableParams{args.args()};
        com::Variant answer;
        com::ExcepInfo info;
        std::uint32_t bad = 0;
        com::HRESULT hr = portable_->Invoke(id, flags, portableParams, &answer, &info, &bad);
        if (com::failed(hr) && hr != com::status::exception) {
            if (argErr != nullptr && bad < dp.cArgs) *argErr = dp.cArgs - 1 - bad;
            return hr;
        }
        // What the member changed reaches the caller also when it raised.
        if (const com::HRESULT stored = args.storeBack(); com::failed(stored)) return stored;
        if (hr == com::status::exception) {
            if (excep != nullptr) {
                *excep = EXCEPINFO{};
                excep->scode = info.scode;
                excep->bstrSource = toBstr(info.source);
                excep->bstrDescription = toBstr(info.description);
            }
            return hr;
        }
        if (result != nullptr) return toVariant(answer, *result);
        return com::status::ok;
    });
}

// A call through the vtable: the same Invoke, and an error it raises becomes
// the member's HRESULT with its description set for the caller.
HRESULT Control::early(com::DISPID id, WORD flags, std::span<VARIANT> args, VARIANT* result)
{
    DISPID put = DISPID_PROPERTYPUT;
    const bool named = (flags & com::dispatchPropertyPut) != 0;
    DISPPARAMS dp{args.data(), named ? &put : nullptr, static_cast<UINT>(args.size()),
                  named ? 1u : 0u};
    EXCEPINFO excep{};
    HRESULT hr = Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &dp, result, &excep, nullptr);
    if (hr != com::status::exception) return hr;
    hr = excep.scode;
    ICreateErrorInfo* create = nullptr;
    if (::CreateErrorInfo(&create) >= 0) {
        const ::GUID iid = guid(typelib::IID__Tallux);
        create->SetGUID(iid);
        create->SetSource(excep.bstrSource);
        create->SetDescription(excep.bstrDescription);
        IErrorInfo* info = nullptr;
        if (create->QueryInterface(IID_IErrorInfo, reinterpret_cast<void**>(&info)) >= 0) {
            ::SetErrorInfo(0, info);
            info->Release();
        }
        create->Release();
    }
    ::SysFreeString(excep.bstrSource);
    ::SysFreeString(excep.bstrDescription);
    ::SysFreeString(excep.bstrHelpFile);
    return hr;
}

HRESULT Control::draw(std::u16string_view name, const DrawingParams& p, short* result)
{
    if (result == nullptr || std::ranges::find(p, nullptr) != p.end())
        return com::status::badPointer;
    const std::optional<com::DISPID> id = typelib::findId(name);
    const typelib::FuncDesc* f = id ? typelib::findFunction(*id, com::dispatchMethod) : nullptr;
    if (f == nullptr || f->params.size() != p.size()) return com::status::memberNotFound;
    // Last parameter first, as DISPPARAMS holds them.
    VARIANT args[std::tuple_size_v<DrawingParams>];
    for (std::size_t i = 0; i < p.size(); ++i) {
        VARIANT& v = args[p.size() - 1 - i];
        V_VT(&v) = static_cast<VARTYPE>(VT_BYREF | static_cast<VARTYPE>(f->params[i].vt));
        V_BYREF(&v) = p[i];
    }
    VARIANT r;
    ::VariantInit(&r);
    const HRESULT hr = early(*id, com::dispatchMethod, args, &r);
    if (hr >= 0) *result = V_I2(&r);
    return hr;
}

} // namespace

_Tallux* makeControl() noexcept
{
    try {
        return new Control;
    } catch (...) {
        return nullptr;
    }
}

com::HRESULT loadTypeInfo(const com::GUID& id, ITypeInfo** info) noexcept
{
    ITypeLib* library = nullptr;
    const std::wstring path = thisModulePath();
    com::HRESULT hr = ::LoadTypeLibEx(path.c_str(), REGKIND_NONE, &library);
    if (com::failed(hr)) return hr;
    hr = library->GetTypeInfoOfGuid(guid(id), info);
    library->Release();
    return hr;
}

} // namespace tallux::win
