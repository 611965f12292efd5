#include "automation/windows/variants.h"

#include "automation/object.h"

namespace tallux::win {

namespace {

// Answered by a wrapped real object with the real object itself, so that it
// goes back to the system unwrapped.
constexpr com::GUID IID_RealDispatch{
    0x7A1C3E52, 0x90D4, 0x4B8E, {0x9F, 0x27, 0x5C, 0x81, 0x3D, 0x60, 0xA4, 0x1B}};

// Not in mingw-w64's libuuid.
constexpr ::GUID iidDispatchEx{
    0xA6EF9860, 0xC720, 0x11D0, {0x93, 0x37, 0x00, 0xA0, 0xC9, 0x0D, 0xCA, 0xA9}};

class RealDispatch final : public com::Object<com::IDispatch> {
public:
    explicit RealDispatch(::IDispatch* object) noexcept
        : object_(object)
    {
        object_->AddRef();
        void* ex = nullptr;
        if (query(object_, iidDispatchEx, &ex) >= 0) ex_ = static_cast<IDispatchEx*>(ex);
    }

    com::HRESULT QueryInterface(const com::GUID& iid, void** object) override
    {
        if (object == nullptr) return com::status::badPointer;
        *object = nullptr;
        if (iid == com::IID_IUnknown || iid == com::IID_IDispatch) return offer(object);
        if (iid != IID_RealDispatch) return com::status::noInterface;
        object_->AddRef();
        *object = object_;
        return com::status::ok;
    }

    // Script objects answer GetIDsOfNames with E_NOTIMPL: they are asked
    // through IDispatchEx first, ignoring case as the language does.
    com::HRESULT GetIDsOfNames(std::u16string_view name, com::DISPID* id) override
    {
        if (id == nullptr) return com::status::badPointer;
        *id = com::dispidUnknown;
        BSTR text = toBstr(String(name));
        if (text == nullptr) return com::status::outOfMemory;
        DISPID found = com::dispidUnknown;
        HRESULT hr = ex_ ? ex_->GetDispID(text, fdexNameCaseInsensitive, &found) : E_NOTIMPL;
        if (hr < 0) hr = object_->GetIDsOfNames(IID_NULL, &text, 1, LOCALE_USER_DEFAULT, &found);
        ::SysFreeString(text);
        if (hr < 0) return com::status::unknownName;
        *id = found;
        return com::status::ok;
    }

    com::HRESULT Invoke(com::DISPID id, std::uint16_t flags, com::DispParams& params,
                        com::Variant* result, com::ExcepInfo* excep, std::uint32_t* argErr) override
    {
        const std::size_t n = params.args.size();
        std::vector<VARIANT> args(n);
        for (VARIANT& a : args) ::VariantInit(&a);
        const auto clear = [&] {
            for (VARIANT& a : args) ::VariantClear(&a);
        };
        for (std::size_t i = 0; i < n; ++i)
            if (const com::HRESULT hr = toVariant(params.args[i].deref(), args[n - 1 - i]);
                com::failed(hr)) {
                clear();
                return hr;
            }
        DISPID put = DISPID_PROPERTYPUT;
        const bool named = (flags & (com::dispatchPropertyPut | com::dispatchPropertyPutRef)) != 0;
        DISPPARAMS dp{args.data(), named ? &put : nullptr, static_cast<UINT>(n), named ? 1u : 0u};
        VARIANT answer;
        ::VariantInit(&answer);
        EXCEPINFO info{};
        UINT bad = 0;
        com::HRESULT hr =
            object_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &dp, &answer, &info, &bad);
        clear();
        // Wine's VBScript returns an error that its object raised as the
        // status itself rather than as DISP_E_EXCEPTION: it is that error.
        if ((static_cast<std::uint32_t>(hr) & 0xFFFF0000u) == com::FACILITY_CONTROL_ERROR) {
            info.scode = hr;
            hr = com::status::exception;
        }
        if (hr == com::status::exception) {
            if (info.pfnDeferredFillIn != nullptr) info.pfnDeferredFillIn(&info);
            if (excep != nullptr) {
                *excep = com::ExcepInfo{};
                excep->wCode = info.wCode;
                excep->scode = info.scode;
                excep->source = fromBstr(info.bstrSource);
                excep->description = fromBstr(info.bstrDescription);
            }
            ::SysFreeString(info.bstrSource);
            ::SysFreeString(info.bstrDescription);
            ::SysFreeString(info.bstrHelpFile);
        }
        if (com::failed(hr) && argErr != nullptr && bad < n)
            *argErr = static_cast<UINT>(n - 1 - bad);
        if (com::succeeded(hr) && result != nullptr) hr = fromVariant(answer, *result);
        ::VariantClear(&answer);
        return hr;
    }

private:
    ~RealDispatch() override
    {
        if (ex_ != nullptr) ex_->Release();
        object_->Release();
    }

    ::IDispatch* object_;
    IDispatchEx* ex_ = nullptr;
};

// Whether a VARIANT may hold this type: a base type, alone, by reference or
// as an array; a Variant only by reference or in an array.
bool validType(VARTYPE vt) noexcept
{
    if ((vt & ~(VT_TYPEMASK | VT_BYREF | VT_ARRAY)) != 0) return false;
    const VARTYPE base = vt & VT_TYPEMASK;
    const bool plain = (vt & (VT_BYREF | VT_ARRAY)) == 0;
    switch (base) {
    case VT_EMPTY:
    case VT_NULL: return plain;
    case VT_VARIANT: return !plain;
    case VT_RECORD: return true;
    default: return base <= VT_UINT && base != 15;
    }
}

// The portable value of an argument that the caller passes by value.
com::HRESULT byValue(const VARIANT& arg, com::Variant& out)
{
    if (!validType(V_VT(&arg))) return com::status::badVarType;
    return fromVariant(arg, out);
}

// A copy of the value of a by-reference argument. The caller's pointer is
// checked before it is read; a reference to a reference, an array or a
// record is no value that a member takes, and is not followed.
com::HRESULT referred(VARIANT& arg, com::Variant& out)
{
    const VARTYPE vt = V_VT(&arg);
    if (!validType(vt)) return com::status::badVarType;
    if (V_BYREF(&arg) == nullptr) return com::status::badPointer;
    const VARTYPE base = vt & VT_TYPEMASK;
    if ((vt & VT_ARRAY) != 0 || base == VT_RECORD) return com::status::typeMismatch;
    if (base == VT_VARIANT) {
        const VARIANT& inner = *V_VARIANTREF(&arg);
        if (!validType(V_VT(&inner))) return com::status::badVarType;
        if ((V_VT(&inner) & VT_BYREF) != 0) return com::status::typeMismatch;
        return fromVariant(inner, out);
    }
    VARIANT value;
    ::VariantInit(&value);
    com::HRESULT hr = ::VariantCopyInd(&value, &arg);
    if (com::succeeded(hr)) hr = fromVariant(value, out);
    ::VariantClear(&value);
    return hr;
}

// Stores a value through a typed reference; a value that the caller's type
// cannot hold leaves the caller's variable as it was.
void storeThrough(VARIANT& ref, VARIANT& value)
{
    const auto vt = static_cast<VARTYPE>(V_VT(&ref) & ~VT_BYREF);
    if (::VariantChangeType(&value, &value, 0, vt) < 0) return;
    switch (vt) {
    case VT_I2: *V_I2REF(&ref) = V_I2(&value); break;
    case VT_I4: *V_I4REF(&ref) = V_I4(&value); break;
    case VT_R4: *V_R4REF(&ref) = V_R4(&value); break;
    case VT_R8: *V_R8REF(&ref) = V_R8(&value); break;
    case VT_BOOL: *V_BOOLREF(&ref) = V_BOOL(&value); break;
    case VT_UI1: *V_UI1REF(&ref) = V_UI1(&value); break;
    case VT_BSTR:
        ::SysFreeString(*V_BSTRREF(&ref));
        *V_BSTRREF(&ref) = V_BSTR(&value);
        V_VT(&value) = VT_EMPTY; // the caller owns it now
        break;
    default: break;
    }
}

} // namespace

String fromBstr(BSTR b)
{
    if (b == nullptr) return {};
    return String(reinterpret_cast<const char16_t*>(b), ::SysStringLen(b));
}

BSTR toBstr(const String& s) noexcept
{
    return ::SysAllocStringLen(reinterpret_cast<const OLECHAR*>(s.data()),
                               static_cast<UINT>(s.size()));
}

com::HRESULT fromVariant(const VARIANT& v, com::Variant& out)
{
    switch (V_VT(&v)) {
    case VT_EMPTY: out = com::Variant(); return com::status::ok;
    case VT_I2: out = com::Variant(Integer(V_I2(&v))); return com::status::ok;
    case VT_I4: out = com::Variant(static_cast<Long>(V_I4(&v))); return com::status::ok;
    case VT_R4: out = com::Variant(V_R4(&v)); return com::status::ok;
    case VT_R8: out = com::Variant(V_R8(&v)); return com::status::ok;
    case VT_BSTR: out = com::Variant(fromBstr(V_BSTR(&v))); return com::status::ok;
    case VT_BOOL: out = com::Variant(Boolean(Integer(V_BOOL(&v)))); return com::status::ok;
    case VT_NULL: // JScript's null: no object, and no value of any other type
        out = com::Variant(com::ComPtr<com::IDispatch>());
        return com::status::ok;
    case VT_DISPATCH:
        out = V_DISPATCH(&v) ? com::Variant(wrapDispatch(V_DISPATCH(&v)))
                             : com::Variant(com::ComPtr<com::IDispatch>());
        return com::status::ok;
    case VT_UNKNOWN: {
        if (V_UNKNOWN(&v) == nullptr) {
            out = com::Variant(com::ComPtr<com::IDispatch>());
            return com::status::ok;
        }
        ::IDispatch* object = nullptr;
        if (query(V_UNKNOWN(&v), IID_IDispatch, reinterpret_cast<void**>(&object)) < 0)
            return com::status::typeMismatch;
        out = com::Variant(wrapDispatch(object));
        object->Release();
        return com::status::ok;
    }
    case VT_ERROR:
        return V_ERROR(&v) == com::status::paramNotFound ? com::status::paramNotOptional
                                                         : com::status::typeMismatch;
    case VT_I1:
    case VT_UI1:
    case VT_UI2:
    case VT_UI4:
    case VT_INT:
    case VT_UINT:
    case VT_I8:
    case VT_UI8:
    case VT_CY:
    case VT_DATE:
    case VT_DECIMAL: {
        // The other numbers are read as a Double, then coerced as one.
        VARIANT d;
        ::VariantInit(&d);
        if (const com::HRESULT hr = ::VariantChangeType(&d, const_cast<VARIANT*>(&v), 0, VT_R8);
            com::failed(hr))
            return hr;
        out = com::Variant(V_R8(&d));
        return com::status::ok;
    }
    default: return com::status::typeMismatch;
    }
}

com::HRESULT toVariant(const com::Variant& v, VARIANT& out) noexcept
{
    ::VariantInit(&out);
    if (const Integer* i = v.get<Integer>()) {
        V_VT(&out) = VT_I2;
        V_I2(&out) = i->value();
    } else if (const Long* l = v.get<Long>()) {
        V_VT(&out) = VT_I4;
        V_I4(&out) = *l;
    } else if (const Single* f = v.get<Single>()) {
        V_VT(&out) = VT_R4;
        V_R4(&out) = *f;
    } else if (const Double* d = v.get<Double>()) {
        V_VT(&out) = VT_R8;
        V_R8(&out) = *d;
    } else if (const Boolean* b = v.get<Boolean>()) {
        V_VT(&out) = VT_BOOL;
        V_BOOL(&out) = b->value();
    } else if (const String* s = v.get<String>()) {
        BSTR text = toBstr(*s);
        if (text == nullptr) return com::status::outOfMemory;
        V_VT(&out) = VT_BSTR;
        V_BSTR(&out) = text;
    } else if (const auto* object = v.get<com::ComPtr<com::IDispatch>>()) {
        void* real = nullptr;
        if (*object && (*object)->QueryInterface(IID_RealDispatch, &real) < 0)
            return com::status::invalidArg; // only objects that came from a caller go back
        V_VT(&out) = VT_DISPATCH;
        V_DISPATCH(&out) = static_cast<::IDispatch*>(real);
    } else if (v.vt() != com::VT_EMPTY) {
        return com::status::invalidArg;
    }
    return com::status::ok;
}

com::ComPtr<com::IDispatch> wrapDispatch(::IDispatch* object)
{
    return com::ComPtr<com::IDispatch>::adopt(new RealDispatch(object));
}

com::HRESULT InvokeArgs::load(const DISPPARAMS& params, UINT* argErr)
{
    const std::size_t n = params.cArgs;
    args_.assign(n, com::Variant());
    copies_.assign(n, com::Variant());
    byRef_.clear();
    for (std::size_t k = 0; k < n; ++k) {
        VARIANT& arg = params.rgvarg[k];
        const std::size_t i = n - 1 - k;
        const bool byRef = (V_VT(&arg) & VT_BYREF) != 0;
        const com::HRESULT hr = byRef ? referred(arg, copies_[i]) : byValue(arg, args_[i]);
        if (com::failed(hr)) {
            if (argErr != nullptr) *argErr = static_cast<UINT>(k);
            return hr;
        }
        if (byRef) {
            args_[i] = com::Variant::byRef(copies_[i]);
            byRef_.push_back({&arg, i});
        }
    }
    before_ = copies_;
    return com::status::ok;
}

com::HRESULT InvokeArgs::storeBack()
{
    for (const ByRef& r : byRef_) {
        if (copies_[r.index] == before_[r.index]) continue;
        VARIANT value;
        if (const com::HRESULT hr = toVariant(copies_[r.index], value); com::failed(hr)) return hr;
        if (V_VT(r.caller) == (VT_BYREF | VT_VARIANT)) {
            // The caller's variant takes the value in the member's type.
            ::VariantClear(V_VARIANTREF(r.caller));
            *V_VARIANTREF(r.caller) = value;
            continue;
        }
        storeThrough(*r.caller, value);
        ::VariantClear(&value);
    }
    return com::status::ok;
}

} // namespace tallux::win
