// Caller errors against tallux.dll: null pointers, malformed DISPPARAMS,
// VARIANTs that no member takes and objects that break QueryInterface's
// rules. Each gets its HRESULT (and the index of the argument at fault), and
// the control works on afterwards.
//   bad_calls CLSID
// Prints "FAIL ..." for each call that answers otherwise, "ok N" at the end;
// a crash ends the process, which the caller sees as a missing "ok".
#include <windows.h> // with ole2.h: COM and OLE Automation

#include <olectl.h> // connection points

#include <cstdio>
#include <functional>
#include <string>

namespace {

constexpr DISPID dispidSupBarType = 0x68030000;
constexpr DISPID dispidBarEAN13 = 0x6003000f;
constexpr UINT anyArg = 0xFFFFFFFFu;

struct Call {
    IDispatch* control;
    IClassFactory* factory;
    HMODULE dll;
};

// The thirteen arguments of a drawing call by value, last first; `bad` is
// placed at parameter `at` (0 = pObject).
HRESULT drawWith(IDispatch* control, const VARIANT& bad, int at, UINT& argErr)
{
    VARIANT args[13];
    for (VARIANT& a : args) {
        VariantInit(&a);
        V_VT(&a) = VT_I2;
        V_I2(&a) = 1;
    }
    V_VT(&args[12]) = VT_DISPATCH;
    V_DISPATCH(&args[12]) = nullptr;
    args[12 - at] = bad;
    DISPPARAMS dp{args, nullptr, 13, 0};
    VARIANT result;
    VariantInit(&result);
    EXCEPINFO excep{};
    const HRESULT hr = control->Invoke(dispidBarEAN13, IID_NULL, 0, DISPATCH_METHOD, &dp, &result,
                                       &excep, &argErr);
    SysFreeString(excep.bstrSource);
    SysFreeString(excep.bstrDescription);
    SysFreeString(excep.bstrHelpFile);
    return hr;
}

HRESULT putWith(IDispatch* control, VARIANT value, DISPID* named, UINT namedCount, UINT& argErr)
{
    DISPPARAMS dp{&value, named, 1, namedCount};
    return control->Invoke(dispidSupBarType, IID_NULL, 0, DISPATCH_PROPERTYPUT, &dp, nullptr,
                           nullptr, &argErr);
}

VARIANT typed(VARTYPE vt, void* pointer = nullptr)
{
    VARIANT v;
    VariantInit(&v);
    V_VT(&v) = vt;
    V_BYREF(&v) = pointer;
    return v;
}

DISPID putId = DISPID_PROPERTYPUT;
// A null GUID reference, as a C caller passes one.
const GUID* volatile noGuid = nullptr;
const GUID& nowhere()
{
    return *noGuid;
}
VARIANT nestedRef = typed(VT_BYREF | VT_VARIANT, nullptr);
VARIANT innerNullRef = typed(VT_BYREF | VT_I4, nullptr);
VARIANT innerBadType = typed(0x7F);
SAFEARRAY* noArray = nullptr;

// An object whose QueryInterface answers success without giving a pointer.
struct Lying : IUnknown {
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** out) override
    {
        *out = nullptr;
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
} lying;

struct Row {
    const char* what;
    HRESULT expected;
    UINT argErr; // the index in rgvarg, or anyArg
    std::function<HRESULT(const Call&, UINT&)> call;
};

const Row rows[] = {
    // By-reference arguments whose pointer is null, or leads nowhere taken.
    {"put VT_BYREF|VT_I4 null", E_POINTER, 0,
     [](const Call& c, UINT& e) {
         return putWith(c.control, typed(VT_BYREF | VT_I4), &putId, 1, e);
     }},
    {"put VT_BYREF|VT_VARIANT null", E_POINTER, 0,
     [](const Call& c, UINT& e) {
         return putWith(c.control, typed(VT_BYREF | VT_VARIANT), &putId, 1, e);
     }},
    {"pCode VT_BYREF|VT_BSTR null", E_POINTER, 9,
     [](const Call& c, UINT& e) { return drawWith(c.control, typed(VT_BYREF | VT_BSTR), 3, e); }},
    {"pObject VT_BYREF|VT_DISPATCH null", E_POINTER, 12,
     [](const Call& c, UINT& e) {
         return drawWith(c.control, typed(VT_BYREF | VT_DISPATCH), 0, e);
     }},
    {"pX VT_BYREF|VT_DECIMAL null", E_POINTER, 11,
     [](const Call& c, UINT& e) {
         return drawWith(c.control, typed(VT_BYREF | VT_DECIMAL), 1, e);
     }},
    {"a reference to a reference to a Variant", DISP_E_TYPEMISMATCH, 0,
     [](const Call& c, UINT& e) {
         return putWith(c.control, typed(VT_BYREF | VT_VARIANT, &nestedRef), &putId, 1, e);
     }},
    {"a reference to a null VT_BYREF|VT_I4", DISP_E_TYPEMISMATCH, 0,
     [](const Call& c, UINT& e) {
         return putWith(c.control, typed(VT_BYREF | VT_VARIANT, &innerNullRef), &putId, 1, e);
     }},
    {"a reference to a Variant of no type", DISP_E_BADVARTYPE, 0,
     [](const Call& c, UINT& e) {
         return putWith(c.control, typed(VT_BYREF | VT_VARIANT, &innerBadType), &putId, 1, e);
     }},
    {"VT_BYREF|VT_ARRAY to a null array", DISP_E_TYPEMISMATCH, 5,
     [](const Call& c, UINT& e) {
         return drawWith(c.control, typed(VT_BYREF | VT_ARRAY | VT_I4, &noArray), 7, e);
     }},
    {"VT_BYREF|VT_RECORD", DISP_E_TYPEMISMATCH, 0,
     [](const Call& c, UINT& e) {
         return putWith(c.control, typed(VT_BYREF | VT_RECORD, &noArray), &putId, 1, e);
     }},
    // Values of no valid type, or of a type that no member takes.
    {"type 0x7F", DISP_E_BADVARTYPE, 0,
     [](const Call& c, UINT& e) { return putWith(c.control, typed(0x7F), &putId, 1, e); }},
    {"VT_VECTOR|VT_I4", DISP_E_BADVARTYPE, 3,
     [](const Call& c, UINT& e) { return drawWith(c.control, typed(VT_VECTOR | VT_I4), 9, e); }},
    {"VT_BYREF|VT_EMPTY", DISP_E_BADVARTYPE, 0,
     [](const Call& c, UINT& e) {
         return putWith(c.control, typed(VT_BYREF | VT_EMPTY, &noArray), &putId, 1, e);
     }},
    {"VT_ARRAY|VT_I4 null", DISP_E_TYPEMISMATCH, 0,
     [](const Call& c, UINT& e) {
         return putWith(c.control, typed(VT_ARRAY | VT_I4), &putId, 1, e);
     }},
    {"VT_ERROR", DISP_E_TYPEMISMATCH, 0,
     [](const Call& c, UINT& e) { return putWith(c.control, typed(VT_ERROR), &putId, 1, e); }},
    // Malformed DISPPARAMS.
    {"rgvarg null with an argument", E_INVALIDARG, anyArg,
     [](const Call& c, UINT& e) {
         DISPPARAMS dp{nullptr, &putId, 1, 1};
         return c.control->Invoke(dispidSupBarType, IID_NULL, 0, DISPATCH_PROPERTYPUT, &dp, nullptr,
                                  nullptr, &e);
     }},
    {"named arguments null", E_INVALIDARG, anyArg,
     [](const Call& c, UINT& e) {
         VARIANT v = typed(VT_I2);
         return putWith(c.control, v, nullptr, 1, e);
     }},
    {"Invoke with a null interface id", E_INVALIDARG, anyArg,
     [](const Call& c, UINT& e) {
         DISPPARAMS dp{};
         return c.control->Invoke(dispidSupBarType, nowhere(), 0, DISPATCH_PROPERTYGET, &dp,
                                  nullptr, nullptr, &e);
     }},
    {"a get without result, error or argument pointers", S_OK, anyArg,
     [](const Call& c, UINT&) {
         return c.control->Invoke(dispidSupBarType, IID_NULL, 0, DISPATCH_PROPERTYGET, nullptr,
                                  nullptr, nullptr, nullptr);
     }},
    // Names.
    {"GetIDsOfNames without names", E_POINTER, anyArg,
     [](const Call& c, UINT&) {
         DISPID id = 0;
         return c.control->GetIDsOfNames(IID_NULL, nullptr, 1, 0, &id);
     }},
    {"GetIDsOfNames with a null name", E_POINTER, anyArg,
     [](const Call& c, UINT&) {
         LPOLESTR names[] = {nullptr};
         DISPID id = 0;
         const HRESULT hr = c.control->GetIDsOfNames(IID_NULL, names, 1, 0, &id);
         return id == DISPID_UNKNOWN ? hr : E_UNEXPECTED;
     }},
    {"GetIDsOfNames without ids", E_POINTER, anyArg,
     [](const Call& c, UINT&) {
         wchar_t name[] = L"SupBarType";
         LPOLESTR names[] = {name};
         return c.control->GetIDsOfNames(IID_NULL, names, 1, 0, nullptr);
     }},
    {"GetIDsOfNames with a null interface id", E_INVALIDARG, anyArg,
     [](const Call& c, UINT&) {
         wchar_t name[] = L"SupBarType";
         LPOLESTR names[] = {name};
         DISPID id = 0;
         return c.control->GetIDsOfNames(nowhere(), names, 1, 0, &id);
     }},
    // Out-parameters and interface ids of the other entry points.
    {"GetTypeInfoCount null", E_POINTER, anyArg,
     [](const Call& c, UINT&) { return c.control->GetTypeInfoCount(nullptr); }},
    {"GetTypeInfo null", E_POINTER, anyArg,
     [](const Call& c, UINT&) { return c.control->GetTypeInfo(0, 0, nullptr); }},
    {"QueryInterface null", E_POINTER, anyArg,
     [](const Call& c, UINT&) { return c.control->QueryInterface(IID_IDispatch, nullptr); }},
    {"QueryInterface with a null interface id", E_INVALIDARG, anyArg,
     [](const Call& c, UINT&) {
         void* out = &out;
         const HRESULT hr = c.control->QueryInterface(nowhere(), &out);
         return out == nullptr ? hr : E_UNEXPECTED;
     }},
    // Objects of a caller that break QueryInterface's rules.
    {"pObject answering QueryInterface without a pointer", DISP_E_TYPEMISMATCH, 12,
     [](const Call& c, UINT& e) {
         VARIANT v = typed(VT_UNKNOWN);
         V_UNKNOWN(&v) = &lying;
         return drawWith(c.control, v, 0, e);
     }},
    {"a notification sink answering QueryInterface without a pointer", CONNECT_E_CANNOTCONNECT,
     anyArg,
     [](const Call& c, UINT&) {
         IConnectionPointContainer* container = nullptr;
         IConnectionPoint* point = nullptr;
         DWORD cookie = 0;
         HRESULT hr = c.control->QueryInterface(IID_IConnectionPointContainer,
                                                reinterpret_cast<void**>(&container));
         if (SUCCEEDED(hr)) hr = container->FindConnectionPoint(IID_IPropertyNotifySink, &point);
         if (SUCCEEDED(hr)) hr = point->Advise(&lying, &cookie);
         if (point != nullptr) point->Release();
         if (container != nullptr) container->Release();
         return hr;
     }},
    {"CreateInstance null", E_POINTER, anyArg,
     [](const Call& c, UINT&) {
         return c.factory->CreateInstance(nullptr, IID_IDispatch, nullptr);
     }},
    {"CreateInstance with a null interface id", E_INVALIDARG, anyArg,
     [](const Call& c, UINT&) {
         void* out = nullptr;
         return c.factory->CreateInstance(nullptr, nowhere(), &out);
     }},
    {"DllGetClassObject with a null class id", E_INVALIDARG, anyArg,
     [](const Call& c, UINT&) {
         using Get = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
         auto get = reinterpret_cast<Get>(
             reinterpret_cast<void*>(GetProcAddress(c.dll, "DllGetClassObject")));
         void* out = nullptr;
         return get(nowhere(), IID_IClassFactory, &out);
     }},
};

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::printf("FAIL usage: bad_calls CLSID\n");
        return 64;
    }
    CoInitialize(nullptr);
    std::wstring text;
    for (const char* s = argv[1]; *s; ++s) text += static_cast<wchar_t>(*s);
    CLSID clsid;
    Call c{};
    if (FAILED(CLSIDFromString(text.c_str(), &clsid)) ||
        FAILED(CoGetClassObject(clsid, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory,
                                reinterpret_cast<void**>(&c.factory))) ||
        FAILED(c.factory->CreateInstance(nullptr, IID_IDispatch,
                                         reinterpret_cast<void**>(&c.control))) ||
        (c.dll = GetModuleHandleW(L"tallux.dll")) == nullptr) {
        std::printf("FAIL the control cannot be created\n");
        return 1;
    }
    int failed = 0;
    for (const Row& row : rows) {
        UINT argErr = anyArg;
        const HRESULT hr = row.call(c, argErr);
        if (hr != row.expected || (row.argErr != anyArg && argErr != row.argErr)) {
            std::printf("FAIL %s: 0x%08lx argument %d, expected 0x%08lx argument %d\n", row.what,
                        static_cast<unsigned long>(hr), static_cast<int>(argErr),
                        static_cast<unsigned long>(row.expected), static_cast<int>(row.argErr));
            ++failed;
        }
    }
    // The control still answers.
    VARIANT v;
    VariantInit(&v);
    V_VT(&v) = VT_I4;
    V_I4(&v) = 14;
    UINT argErr = 0;
    VARIANT back;
    VariantInit(&back);
    DISPPARAMS none{};
    if (FAILED(putWith(c.control, v, &putId, 1, argErr)) ||
        FAILED(c.control->Invoke(dispidSupBarType, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, &back,
                                 nullptr, nullptr)) ||
        V_VT(&back) != VT_I4 || V_I4(&back) != 14) {
        std::printf("FAIL SupBarType after the bad calls\n");
        ++failed;
    }
    c.control->Release();
    c.factory->Release();
    CoUninitialize();
    if (failed != 0) return 1;
    std::printf("ok %d\n", static_cast<int>(std::size(rows)));
    return 0;
}
