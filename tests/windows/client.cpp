// A C++ client of tallux.dll, cross-compiled with mingw-w64 and run under Wine.
//   client typeinfo CLSID        the type library as lines (see typeinfo_lines.cpp)
//   client draw CLSID IID FIELDS one drawing call early-bound through the vtable,
//                                traced on a recording target like the scripts'
//   client invoke CLSID FIELDS   the same through IDispatch::Invoke, each argument
//                                VT_BYREF | its type
//   client unload CLSID          DllCanUnloadNow while an object lives and after
//   client mta CLSID IID         _Tallux from a multithreaded apartment, through
//                                the standard marshaler's proxy
// Prints "FAIL ..." and exits 1 on a failed step.
#include <windows.h> // with ole2.h: COM and OLE Automation

#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <string>
#include <utility>

namespace {

[[noreturn]] void fail(const char* what, HRESULT hr)
{
    std::printf("FAIL %s: 0x%08lx\n", what, static_cast<unsigned long>(hr));
    std::exit(1);
}

void check(HRESULT hr, const char* what)
{
    if (FAILED(hr)) fail(what, hr);
}

std::wstring wide(const char* s)
{
    std::wstring w;
    for (; *s; ++s) w += static_cast<wchar_t>(static_cast<unsigned char>(*s));
    return w;
}

std::string narrow(const wchar_t* s)
{
    std::string n;
    for (; s && *s; ++s) n += static_cast<char>(*s);
    return n;
}

GUID guid(const char* text)
{
    GUID g;
    check(CLSIDFromString(wide(text).c_str(), &g), "a GUID argument");
    return g;
}

std::string guidText(const GUID& g)
{
    wchar_t buf[40];
    StringFromGUID2(g, buf, 40);
    return narrow(buf);
}

// ---- type information ----

std::string typeName(ITypeInfo* info, const TYPEDESC& t)
{
    switch (t.vt) {
    case VT_PTR: return typeName(info, *t.lptdesc) + "*";
    case VT_USERDEFINED: {
        ITypeInfo* ref = nullptr;
        check(info->GetRefTypeInfo(t.hreftype, &ref), "GetRefTypeInfo");
        BSTR name = nullptr;
        ref->GetDocumentation(MEMBERID_NIL, &name, nullptr, nullptr, nullptr);
        std::string n = narrow(name);
        SysFreeString(name);
        ref->Release();
        return n;
    }
    case VT_VOID: return "void";
    case VT_HRESULT: return "HRESULT";
    case VT_I2: return "short";
    case VT_I4: return "long";
    case VT_R4: return "float";
    case VT_BSTR: return "BSTR";
    case VT_DISPATCH: return "IDispatch*";
    case VT_BOOL: return "VARIANT_BOOL";
    default: return "vt" + std::to_string(t.vt);
    }
}

// The type's flags as the library stores them. oleaut32 reports the dispatch
// side of a dual interface without TYPEFLAG_FOLEAUTOMATION, which the library
// holds: its interface side (implemented type -1) reports the stored flags.
WORD storedFlags(ITypeInfo* info, const TYPEATTR& attr)
{
    if (attr.typekind != TKIND_DISPATCH || !(attr.wTypeFlags & TYPEFLAG_FDUAL))
        return attr.wTypeFlags;
    HREFTYPE ref = 0;
    ITypeInfo* vtable = nullptr;
    TYPEATTR* vattr = nullptr;
    check(info->GetRefTypeOfImplType(static_cast<UINT>(-1), &ref), "GetRefTypeOfImplType(-1)");
    check(info->GetRefTypeInfo(ref, &vtable), "GetRefTypeInfo(interface side)");
    check(vtable->GetTypeAttr(&vattr), "GetTypeAttr(interface side)");
    const WORD flags = vattr->wTypeFlags;
    vtable->ReleaseTypeAttr(vattr);
    vtable->Release();
    if ((flags | TYPEFLAG_FOLEAUTOMATION) != (attr.wTypeFlags | TYPEFLAG_FOLEAUTOMATION))
        fail("the dual interface's two sides differ in more than FOLEAUTOMATION", flags);
    return flags;
}

void printType(ITypeInfo* info)
{
    TYPEATTR* attr = nullptr;
    check(info->GetTypeAttr(&attr), "GetTypeAttr");
    BSTR name = nullptr;
    info->GetDocumentation(MEMBERID_NIL, &name, nullptr, nullptr, nullptr);
    const std::string typeName_ = narrow(name);
    SysFreeString(name);
    std::printf("type %s %d 0x%x %s\n", typeName_.c_str(), attr->typekind,
                storedFlags(info, *attr) & 0x1F0u, guidText(attr->guid).c_str());
    for (UINT i = 0; i < attr->cFuncs; ++i) {
        FUNCDESC* f = nullptr;
        check(info->GetFuncDesc(i, &f), "GetFuncDesc");
        if (!(f->wFuncFlags & FUNCFLAG_FRESTRICTED)) { // IUnknown and IDispatch
            BSTR names[32] = {};
            UINT count = 0;
            check(info->GetNames(f->memid, names, 32, &count), "GetNames");
            char head[64];
            std::snprintf(head, sizeof head, " 0x%08lx %d 0x%x ",
                          static_cast<unsigned long>(f->memid), f->invkind, f->wFuncFlags);
            std::string line = "func " + typeName_ + " " + narrow(names[0]) + head +
                               typeName(info, f->elemdescFunc.tdesc);
            for (SHORT p = 0; p < f->cParams; ++p) {
                // A property put's value has no name of its own.
                const std::string pname =
                    static_cast<UINT>(p + 1) < count ? narrow(names[p + 1]) : "value";
                line += " " + pname + ":" + typeName(info, f->lprgelemdescParam[p].tdesc) + ":" +
                        std::to_string(f->lprgelemdescParam[p].paramdesc.wParamFlags);
            }
            for (UINT n = 0; n < count; ++n) SysFreeString(names[n]);
            std::printf("%s\n", line.c_str());
        }
        info->ReleaseFuncDesc(f);
    }
    // A co-class's interfaces (a dispatch interface's own base is IDispatch).
    for (UINT i = 0; attr->typekind == TKIND_COCLASS && i < attr->cImplTypes; ++i) {
        HREFTYPE ref = 0;
        ITypeInfo* impl = nullptr;
        INT flags = 0;
        check(info->GetRefTypeOfImplType(i, &ref), "GetRefTypeOfImplType");
        check(info->GetRefTypeInfo(ref, &impl), "GetRefTypeInfo");
        check(info->GetImplTypeFlags(i, &flags), "GetImplTypeFlags");
        BSTR implName = nullptr;
        impl->GetDocumentation(MEMBERID_NIL, &implName, nullptr, nullptr, nullptr);
        std::printf("impl %s %s %d\n", typeName_.c_str(), narrow(implName).c_str(), flags);
        SysFreeString(implName);
        impl->Release();
    }
    for (UINT i = 0; i < attr->cVars; ++i) {
        VARDESC* v = nullptr;
        check(info->GetVarDesc(i, &v), "GetVarDesc");
        BSTR varName = nullptr;
        UINT count = 0;
        info->GetNames(v->memid, &varName, 1, &count);
        VARIANT value;
        VariantInit(&value);
        VariantChangeType(&value, v->lpvarValue, 0, VT_I4);
        std::printf("value %s %s %ld\n", typeName_.c_str(), narrow(varName).c_str(),
                    static_cast<long>(V_I4(&value)));
        SysFreeString(varName);
        info->ReleaseVarDesc(v);
    }
    info->ReleaseTypeAttr(attr);
}

// The library as the control's IDispatch::GetTypeInfo leads to it.
int typeinfo(const GUID& clsid)
{
    IDispatch* control = nullptr;
    check(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                           reinterpret_cast<void**>(&control)),
          "CoCreateInstance");
    UINT count = 0;
    check(control->GetTypeInfoCount(&count), "GetTypeInfoCount");
    if (count != 1) fail("GetTypeInfoCount is not 1", static_cast<HRESULT>(count));
    ITypeInfo* info = nullptr;
    check(control->GetTypeInfo(0, 1033, &info), "GetTypeInfo");
    ITypeLib* lib = nullptr;
    UINT index = 0;
    check(info->GetContainingTypeLib(&lib, &index), "GetContainingTypeLib");
    TLIBATTR* la = nullptr;
    check(lib->GetLibAttr(&la), "GetLibAttr");
    BSTR libName = nullptr;
    lib->GetDocumentation(-1, &libName, nullptr, nullptr, nullptr);
    std::printf("library %s %s %u.%u %lu\n", narrow(libName).c_str(), guidText(la->guid).c_str(),
                la->wMajorVerNum, la->wMinorVerNum, static_cast<unsigned long>(la->lcid));
    SysFreeString(libName);
    lib->ReleaseTLibAttr(la);
    for (UINT i = 0; i < lib->GetTypeInfoCount(); ++i) {
        ITypeInfo* t = nullptr;
        check(lib->GetTypeInfo(i, &t), "ITypeLib::GetTypeInfo");
        // The type's GUID leads back to its own index.
        TYPEATTR* attr = nullptr;
        ITypeInfo* byGuid = nullptr;
        ITypeLib* owner = nullptr;
        UINT found = 0;
        check(t->GetTypeAttr(&attr), "GetTypeAttr");
        check(lib->GetTypeInfoOfGuid(attr->guid, &byGuid), "GetTypeInfoOfGuid");
        t->ReleaseTypeAttr(attr);
        check(byGuid->GetContainingTypeLib(&owner, &found), "GetContainingTypeLib");
        if (found != i) fail("GetTypeInfoOfGuid gives another index", static_cast<HRESULT>(found));
        owner->Release();
        byGuid->Release();
        printType(t);
        t->Release();
    }
    lib->Release();
    info->Release();
    control->Release();
    return 0;
}

// ---- an early-bound call ----

// _Tallux as its vtable lays it out: the dual interface's own members in the
// order of the type library, after IDispatch.
#define TALLUX_DRAW(name)                                                                          \
    virtual HRESULT STDMETHODCALLTYPE name(IDispatch**, float*, float*, BSTR*, short*, short*,     \
                                           short*, VARIANT_BOOL*, BSTR*, long*, long*, BSTR*,      \
                                           VARIANT_BOOL*, short*) = 0;
struct ITallux : IDispatch {
    virtual HRESULT STDMETHODCALLTYPE put_SupBarType(long) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_SupBarType(long*) = 0;
    virtual HRESULT STDMETHODCALLTYPE ShowAboutBox() = 0;
    TALLUX_DRAW(BarUPCAPlus)
    TALLUX_DRAW(BarCODABAR)
    TALLUX_DRAW(BarCODE11)
    TALLUX_DRAW(BarCODE25)
    TALLUX_DRAW(BarCODE39)
    TALLUX_DRAW(BarCODE39F)
    TALLUX_DRAW(BarISBN)
    TALLUX_DRAW(BarMSI)
    TALLUX_DRAW(BarPOSTNET)
    TALLUX_DRAW(BarCODE93)
    TALLUX_DRAW(BarEAN13)
    TALLUX_DRAW(BarCODE128)
    TALLUX_DRAW(BarEAN8)
    TALLUX_DRAW(BarUPCA)
    TALLUX_DRAW(BarUPCE)
};
using DrawMethod = HRESULT (STDMETHODCALLTYPE ITallux::*)(IDispatch**, float*, float*, BSTR*,
                                                          short*, short*, short*, VARIANT_BOOL*,
                                                          BSTR*, long*, long*, BSTR*, VARIANT_BOOL*,
                                                          short*);
struct NamedMethod {
    const char* name;
    DrawMethod method;
};
const NamedMethod drawMethods[] = {
    {"BarUPCAPlus", &ITallux::BarUPCAPlus}, {"BarCODABAR", &ITallux::BarCODABAR},
    {"BarCODE11", &ITallux::BarCODE11},     {"BarCODE25", &ITallux::BarCODE25},
    {"BarCODE39", &ITallux::BarCODE39},     {"BarCODE39F", &ITallux::BarCODE39F},
    {"BarISBN", &ITallux::BarISBN},         {"BarMSI", &ITallux::BarMSI},
    {"BarPOSTNET", &ITallux::BarPOSTNET},   {"BarCODE93", &ITallux::BarCODE93},
    {"BarEAN13", &ITallux::BarEAN13},       {"BarCODE128", &ITallux::BarCODE128},
    {"BarEAN8", &ITallux::BarEAN8},         {"BarUPCA", &ITallux::BarUPCA},
    {"BarUPCE", &ITallux::BarUPCE},
};

// "Type:value", as the recording script classes write a value.
std::string valueText(const VARIANT& v)
{
    char buf[64];
    switch (V_VT(&v)) {
    case VT_I2: std::snprintf(buf, sizeof buf, "Integer:%d", V_I2(&v)); break;
    case VT_I4: std::snprintf(buf, sizeof buf, "Long:%ld", static_cast<long>(V_I4(&v))); break;
    case VT_R4: std::snprintf(buf, sizeof buf, "Single:%.9g", V_R4(&v)); break;
    case VT_R8: std::snprintf(buf, sizeof buf, "Double:%.17g", V_R8(&v)); break;
    case VT_BOOL: std::snprintf(buf, sizeof buf, "Boolean:%d", V_BOOL(&v)); break;
    case VT_BSTR: return "String:" + narrow(V_BSTR(&v));
    default: std::snprintf(buf, sizeof buf, "vt%d:?", V_VT(&v)); break;
    }
    return buf;
}

// A drawing target that prints every call it receives, one line a call.
class Recorder final : public IDispatch {
public:
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
    ULONG STDMETHODCALLTYPE Release() override { return --refs_; }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override
    {
        if (iid == IID_IUnknown || iid == IID_IDispatch) {
            *out = this;
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* n) override
    {
        *n = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID,
                                            DISPID* ids) override
    {
        for (UINT n = 0; n < count; ++n) ids[n] = DISPID_UNKNOWN;
        for (DISPID i = 0; i < static_cast<DISPID>(std::size(members)); ++i)
            if (lstrcmpiW(names[0], wide(members[i]).c_str()) == 0) {
                ids[0] = i + 1;
                return S_OK;
            }
        return DISP_E_UNKNOWNNAME;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params,
                                     VARIANT* result, EXCEPINFO*, UINT*) override
    {
        if (id < 1 || id > static_cast<DISPID>(std::size(members))) return DISP_E_MEMBERNOTFOUND;
        const std::string name = members[id - 1];
        std::string line = name;
        for (UINT i = params->cArgs; i-- > 0;) line += "\t" + valueText(params->rgvarg[i]);
        std::printf("%s\n", line.c_str());
        if (result && (name == "TextWidth" || name == "TextHeight")) {
            VariantInit(result);
            V_VT(result) = VT_R4;
            V_R4(result) =
                name == "TextHeight"
                    ? 12.0f
                    : 7.0f * static_cast<float>(SysStringLen(V_BSTR(&params->rgvarg[0])));
        }
        return S_OK;
    }

private:
    static constexpr const char* members[] = {"FontName",  "ForeColor", "FontBold", "FontSize",
                                              "CurrentX",  "CurrentY",  "Line",     "Print",
                                              "TextWidth", "TextHeight"};
    ULONG refs_ = 1;
};

// The thirteen arguments of a drawing call as typed variables, which the call
// may write back into. FIELDS: method code x y width height text bold font
// forecolor linecolor ratio chk.
struct DrawArgs {
    DrawArgs(IDispatch* target, char** f)
        : object(target)
        , x(std::strtof(f[2], nullptr))
        , y(std::strtof(f[3], nullptr))
        , code(SysAllocString(wide(f[1]).c_str()))
        , width(static_cast<short>(std::atoi(f[4])))
        , height(static_cast<short>(std::atoi(f[5])))
        , text(static_cast<short>(std::atoi(f[6])))
        , bold(std::atoi(f[7]) ? VARIANT_TRUE : VARIANT_FALSE)
        , font(SysAllocString(wide(f[8]).c_str()))
        , fore(std::atol(f[9]))
        , line(std::atol(f[10]))
        , ratio(SysAllocString(wide(f[11]).c_str()))
        , chk(std::atoi(f[12]) ? VARIANT_TRUE : VARIANT_FALSE)
    {
    }
    ~DrawArgs()
    {
        SysFreeString(code);
        SysFreeString(font);
        SysFreeString(ratio);
    }
    IDispatch* object;
    float x, y;
    BSTR code;
    short width, height, text;
    VARIANT_BOOL bold;
    BSTR font;
    long fore, line;
    BSTR ratio;
    VARIANT_BOOL chk;
};

// The outcome line: the result, or the run-time error raised as the HRESULT
// 0x800A0000 | number; then the caller's pCode.
void printOutcome(HRESULT hr, short result, BSTR code)
{
    if (SUCCEEDED(hr))
        std::printf("result\tInteger:%d\tString:%s\n", result, narrow(code).c_str());
    else if ((static_cast<unsigned long>(hr) & 0xFFFF0000u) == 0x800A0000u)
        std::printf("raised\tLong:%ld\tString:%s\n", static_cast<long>(hr & 0xFFFF),
                    narrow(code).c_str());
    else
        fail("the drawing call", hr);
}

// Early-bound: SupBarType and a drawing method through the vtable.
int draw(const GUID& clsid, const GUID& iid, char** f)
{
    ITallux* control = nullptr;
    check(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, iid,
                           reinterpret_cast<void**>(&control)),
          "CoCreateInstance of the dual interface");
    long type = -1;
    check(control->put_SupBarType(14), "put_SupBarType");
    check(control->get_SupBarType(&type), "get_SupBarType");
    if (type != 14) fail("SupBarType read back", type);

    DrawMethod method = nullptr;
    for (const NamedMethod& m : drawMethods)
        if (std::string(m.name) == f[0]) method = m.method;
    if (method == nullptr) fail("unknown method", 0);
    Recorder recorder;
    DrawArgs a(&recorder, f);
    short result = -1;
    const HRESULT hr =
        (control->*method)(&a.object, &a.x, &a.y, &a.code, &a.width, &a.height, &a.text, &a.bold,
                           &a.font, &a.fore, &a.line, &a.ratio, &a.chk, &result);
    printOutcome(hr, result, a.code);
    control->Release();
    return 0;
}

// Late-bound as a compiled client with typed variables calls: by name, each
// argument VT_BYREF | its own type, in reverse order.
int invoke(const GUID& clsid, char** f)
{
    IDispatch* control = nullptr;
    check(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                           reinterpret_cast<void**>(&control)),
          "CoCreateInstance");
    std::wstring name = wide(f[0]);
    LPOLESTR names[] = {name.data()};
    DISPID id = DISPID_UNKNOWN;
    check(control->GetIDsOfNames(IID_NULL, names, 1, 1033, &id), "GetIDsOfNames");

    Recorder recorder;
    DrawArgs a(&recorder, f);
    const std::pair<VARTYPE, void*> byRef[] = {
        {VT_DISPATCH, &a.object}, {VT_R4, &a.x},      {VT_R4, &a.y},    {VT_BSTR, &a.code},
        {VT_I2, &a.width},        {VT_I2, &a.height}, {VT_I2, &a.text}, {VT_BOOL, &a.bold},
        {VT_BSTR, &a.font},       {VT_I4, &a.fore},   {VT_I4, &a.line}, {VT_BSTR, &a.ratio},
        {VT_BOOL, &a.chk}};
    VARIANT args[13];
    for (int i = 0; i < 13; ++i) {
        VARIANT& v = args[12 - i];
        VariantInit(&v);
        V_VT(&v) = VT_BYREF | byRef[i].first;
        V_BYREF(&v) = byRef[i].second;
    }
    DISPPARAMS params{args, nullptr, 13, 0};
    VARIANT result;
    VariantInit(&result);
    EXCEPINFO excep{};
    UINT argErr = 0;
    HRESULT hr = control->Invoke(id, IID_NULL, 1033, DISPATCH_METHOD | DISPATCH_PROPERTYGET,
                                 &params, &result, &excep, &argErr);
    if (hr == DISP_E_EXCEPTION) {
        hr = excep.scode;
        SysFreeString(excep.bstrSource);
        SysFreeString(excep.bstrDescription);
        SysFreeString(excep.bstrHelpFile);
    }
    if (SUCCEEDED(hr) && V_VT(&result) != VT_I2)
        fail("the result is not an Integer", V_VT(&result));
    printOutcome(hr, V_I2(&result), a.code);
    control->Release();
    return 0;
}

// From a multithreaded apartment: the apartment-threaded control lives in a
// host apartment, and _Tallux reaches it through the proxy that the standard
// marshaler builds from the registered type library. The written-back code
// and the target's calls cross apartments too.
int mta(const GUID& clsid, const GUID& iid)
{
    IDispatch* control = nullptr;
    check(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                           reinterpret_cast<void**>(&control)),
          "CoCreateInstance from a multithreaded apartment");
    ITallux* dual = nullptr;
    check(control->QueryInterface(iid, reinterpret_cast<void**>(&dual)),
          "QueryInterface(_Tallux) through the proxy");
    long type = -1;
    check(dual->put_SupBarType(14), "put_SupBarType through the proxy");
    check(dual->get_SupBarType(&type), "get_SupBarType through the proxy");
    if (type != 14) fail("SupBarType read back through the proxy", type);
    char fields[][16] = {"BarCODE39", "CODE39", "10", "20", "2",   "40", "0",
                         "0",         "Arial",  "0",  "0",  "3:1", "1"};
    char* f[13];
    for (int i = 0; i < 13; ++i) f[i] = fields[i];
    Recorder recorder;
    DrawArgs a(&recorder, f);
    short result = -1;
    const HRESULT hr =
        dual->BarCODE39(&a.object, &a.x, &a.y, &a.code, &a.width, &a.height, &a.text, &a.bold,
                        &a.font, &a.fore, &a.line, &a.ratio, &a.chk, &result);
    printOutcome(hr, result, a.code);
    dual->Release();
    control->Release();
    return 0;
}

// ---- unloading ----

int unload(const GUID& clsid)
{
    IUnknown* control = nullptr;
    check(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                           reinterpret_cast<void**>(&control)),
          "CoCreateInstance");
    HMODULE dll = GetModuleHandleW(L"tallux.dll");
    if (dll == nullptr) fail("tallux.dll is not loaded", HRESULT_FROM_WIN32(GetLastError()));
    using CanUnload = HRESULT(STDAPICALLTYPE*)();
    auto canUnload = reinterpret_cast<CanUnload>(
        reinterpret_cast<void*>(GetProcAddress(dll, "DllCanUnloadNow")));
    if (canUnload == nullptr) fail("DllCanUnloadNow is not exported", E_FAIL);
    const HRESULT living = canUnload();
    control->Release();
    const HRESULT released = canUnload();
    std::printf("DllCanUnloadNow living 0x%lx released 0x%lx\n", static_cast<unsigned long>(living),
                static_cast<unsigned long>(released));
    return living == S_FALSE && released == S_OK ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    const std::string mode = argc > 2 ? argv[1] : "";
    check(CoInitializeEx(nullptr, mode == "mta" ? COINIT_MULTITHREADED : COINIT_APARTMENTTHREADED),
          "CoInitializeEx");
    int status = 64;
    if (mode == "typeinfo")
        status = typeinfo(guid(argv[2]));
    else if (mode == "draw" && argc == 17)
        status = draw(guid(argv[2]), guid(argv[3]), argv + 4);
    else if (mode == "invoke" && argc == 16)
        status = invoke(guid(argv[2]), argv + 3);
    else if (mode == "unload")
        status = unload(guid(argv[2]));
    else if (mode == "mta" && argc == 4)
        status = mta(guid(argv[2]), guid(argv[3]));
    else
        std::printf("FAIL usage: client typeinfo|draw|invoke|unload|mta CLSID [IID] [FIELDS]\n");
    CoUninitialize();
    return status;
}
