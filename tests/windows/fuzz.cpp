// A fuzzer for tallux.dll's COM surface, run under Wine: random Invoke,
// GetIDsOfNames, QueryInterface and class-factory calls with random DISPIDs,
// flags, argument counts and VARIANTs (by-reference ones with null pointers,
// arrays, VT_ERROR, DECIMAL, references to references), and drawing targets
// that fail in every way a caller's object can.
//   fuzz CLSID SECONDS SEED
// Prints "calls N, resident KB at warm-up W, at the end E" then "ok"; a crash
// prints "FAIL crash" and exits 3, a call that does not return within 20 s
// "FAIL hang" (exit 4), resident memory that grows by more than 8 MB after
// the first fifth of the run "FAIL growth" (exit 5).
#include <windows.h> // with ole2.h: COM and OLE Automation

#include <ocidl.h>
#include <olectl.h>
#include <psapi.h>

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

std::mt19937 rng;
std::atomic<unsigned long> progress{0};
unsigned long drawn = 0; // drawing calls that returned a result

std::uint32_t pick(std::uint32_t n)
{
    return n == 0 ? 0 : static_cast<std::uint32_t>(rng() % n);
}
bool chance(unsigned percent)
{
    return pick(100) < percent;
}

const DISPID knownIds[] = {0x68030000, DISPID_ABOUTBOX, 0x60030005, 0x60030006, 0x60030007,
                           0x60030008, 0x60030009,      0x6003000a, 0x6003000b, 0x6003000c,
                           0x6003000d, 0x6003000e,      0x6003000f, 0x60030010, 0x60030011,
                           0x60030012, 0x60030013,      0,          -1,         DISPID_VALUE};
const wchar_t* const knownNames[] = {L"SupBarType",   L"BarEAN13",   L"bareaN8",    L"BarCODE39",
                                     L"BarCODE128",   L"BarPOSTNET", L"BarUPCE",    L"BarCODABAR",
                                     L"BarCODE11",    L"BarCODE25",  L"BarMSI",     L"BarISBN",
                                     L"BarCODE93",    L"BarUPCA",    L"BarCODE39F", L"BarUPCAPlus",
                                     L"ShowAboutBox", L"",           L"Nothing",    L"BarEAN1300"};

std::wstring randomText()
{
    static const wchar_t alphabet[] = L"0123456789ABCDEFXYZ abc-./:$+%*\t\x00e9\x4e2d\xd800";
    std::wstring s;
    const std::uint32_t n = chance(5) ? pick(400) : pick(20);
    for (std::uint32_t i = 0; i < n; ++i) s += alphabet[pick(std::size(alphabet) - 1)];
    if (chance(10)) s = std::to_wstring(static_cast<int>(rng())) + L":" + std::to_wstring(pick(9));
    return s;
}

// ---- drawing targets that misbehave ----

const wchar_t* const memberNames[] = {L"FontName",  L"ForeColor", L"FontBold", L"FontSize",
                                      L"CurrentX",  L"CurrentY",  L"Line",     L"Print",
                                      L"TextWidth", L"TextHeight"};

HRESULT STDAPICALLTYPE fillIn(EXCEPINFO* info)
{
    info->bstrDescription = SysAllocString(L"filled in later");
    info->scode = static_cast<SCODE>(0x800A0000u | 482u);
    return S_OK;
}

// Knows some of the ten members; each call may succeed, fail with a status,
// raise an exception with its descriptions, or return a value of any type.
class Target final : public IDispatch {
public:
    Target()
        : known_(pick(1024))
        , failPercent_(pick(3) == 0 ? 0 : pick(40))
    {
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const ULONG left = --refs_;
        if (left == 0) delete this;
        return left;
    }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override
    {
        *out = nullptr;
        if (iid == IID_IUnknown || iid == IID_IDispatch) {
            *out = static_cast<IDispatch*>(this);
            AddRef();
            return S_OK;
        }
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
        for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
        if (chance(2)) return E_FAIL;
        for (int i = 0; i < 10; ++i)
            if ((known_ >> i & 1) && lstrcmpiW(names[0], memberNames[i]) == 0) {
                ids[0] = i + 1;
                return S_OK;
            }
        return DISP_E_UNKNOWNNAME;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT* result,
                                     EXCEPINFO* excep, UINT* argErr) override
    {
        if (chance(failPercent_)) {
            switch (pick(5)) {
            case 0: return static_cast<HRESULT>(0x80000000u | static_cast<std::uint32_t>(rng()));
            case 1:
                if (argErr != nullptr) *argErr = pick(8);
                return DISP_E_TYPEMISMATCH;
            case 2: return static_cast<HRESULT>(0x800A0000u | pick(0x10000));
            default:
                if (excep == nullptr) return E_FAIL;
                *excep = EXCEPINFO{};
                excep->wCode = static_cast<WORD>(chance(30) ? pick(0x10000) : 0);
                excep->scode = excep->wCode != 0 ? 0 : static_cast<SCODE>(0x80000000u | rng());
                if (chance(50)) excep->bstrDescription = SysAllocString(randomText().c_str());
                if (chance(50)) excep->bstrSource = SysAllocString(L"Target");
                if (chance(20)) excep->bstrHelpFile = SysAllocString(L"help.chm");
                if (chance(20)) excep->pfnDeferredFillIn = fillIn;
                return DISP_E_EXCEPTION;
            }
        }
        if (result != nullptr) {
            VariantInit(result);
            switch (pick(6)) {
            case 0: V_VT(result) = VT_R4, V_R4(result) = static_cast<float>(pick(100)); break;
            case 1: V_VT(result) = VT_R8, V_R8(result) = chance(20) ? 1e300 : -7.5; break;
            case 2:
                V_VT(result) = VT_BSTR;
                V_BSTR(result) = SysAllocString(randomText().c_str());
                break;
            case 3:
                V_VT(result) = VT_DISPATCH;
                V_DISPATCH(result) = this;
                AddRef();
                break;
            case 4: V_VT(result) = VT_NULL; break;
            default: break; // Empty
            }
        }
        return S_OK;
    }

private:
    ULONG refs_ = 1;
    std::uint32_t known_;
    unsigned failPercent_;
};

// ---- arguments ----

// What the arguments of one call own, freed after it.
struct Arguments {
    std::vector<VARIANT> args;
    std::vector<VARIANT*> referred; // values that by-reference arguments point to
    std::vector<SAFEARRAY*> arrays;

    ~Arguments()
    {
        for (VARIANT& v : args)
            if (!(V_VT(&v) & VT_BYREF)) VariantClear(&v);
        for (VARIANT* v : referred) {
            VariantClear(v);
            delete v;
        }
        for (SAFEARRAY* a : arrays) SafeArrayDestroy(a);
    }

    // A value that a drawing method takes for its parameter `param`.
    static void sound(VARIANT& v, int param)
    {
        static const wchar_t* const codes[] = {L"400638133393", L"CODE39",     L"12345",
                                               L"A40156B",      L"0123456789", L"Hello!",
                                               L"978014300723", L"1"};
        static const wchar_t* const ratios[] = {L"3:1", L"2.5:0", L":", L"1:", L"-3:2", L"99999:1"};
        VariantInit(&v);
        switch (param) {
        case 0:
            V_VT(&v) = VT_DISPATCH;
            V_DISPATCH(&v) = new Target;
            break;
        case 1:
        case 2:
            V_VT(&v) = VT_R4;
            V_R4(&v) = static_cast<float>(chance(5) ? 40000 : pick(300));
            break;
        case 3:
        case 8:
        case 11:
            V_VT(&v) = VT_BSTR;
            V_BSTR(&v) = SysAllocString(param == 3   ? codes[pick(std::size(codes))]
                                        : param == 8 ? L"Arial"
                                                     : ratios[pick(std::size(ratios))]);
            break;
        case 4:
        case 5:
        case 6:
            V_VT(&v) = VT_I2;
            V_I2(&v) = static_cast<SHORT>(chance(5) ? 30000 : pick(6) - 1);
            break;
        case 7:
        case 12:
            V_VT(&v) = VT_BOOL;
            V_BOOL(&v) = chance(50) ? VARIANT_TRUE : VARIANT_FALSE;
            break;
        default: V_VT(&v) = VT_I4, V_I4(&v) = static_cast<LONG>(pick(0x1000000)); break;
        }
    }

    // A value of a type that a member takes or not; for a drawing method's
    // parameter mostly a sound one.
    void value(VARIANT& v, int param)
    {
        if (param >= 0 && chance(92)) return sound(v, param);
        VariantInit(&v);
        switch (pick(16)) {
        case 0: break;
        case 1: V_VT(&v) = VT_NULL; break;
        case 2: V_VT(&v) = VT_I2, V_I2(&v) = static_cast<SHORT>(rng()); break;
        case 3:
            V_VT(&v) = VT_I4, V_I4(&v) = static_cast<LONG>(chance(50) ? pick(200) : rng());
            break;
        case 4: V_VT(&v) = VT_R4, V_R4(&v) = static_cast<float>(pick(5000)) / 7.0f; break;
        case 5: V_VT(&v) = VT_R8, V_R8(&v) = chance(10) ? 1e40 : pick(3000) / 3.0; break;
        case 6:
            V_VT(&v) = VT_BSTR;
            V_BSTR(&v) = chance(5) ? nullptr : SysAllocString(randomText().c_str());
            break;
        case 7: V_VT(&v) = VT_BOOL, V_BOOL(&v) = chance(50) ? VARIANT_TRUE : VARIANT_FALSE; break;
        case 8:
            V_VT(&v) = VT_DISPATCH;
            V_DISPATCH(&v) = chance(10) ? nullptr : new Target;
            break;
        case 9:
            V_VT(&v) = VT_UNKNOWN;
            V_UNKNOWN(&v) = chance(30) ? nullptr : new Target;
            break;
        case 10:
            V_VT(&v) = VT_ERROR;
            V_ERROR(&v) = chance(50) ? DISP_E_PARAMNOTFOUND : static_cast<SCODE>(rng());
            break;
        case 11: {
            DECIMAL d{};
            d.Lo64 = rng();
            d.scale = static_cast<BYTE>(pick(30));
            d.sign = static_cast<BYTE>(chance(50) ? DECIMAL_NEG : 0);
            V_DECIMAL(&v) = d;
            V_VT(&v) = VT_DECIMAL;
            break;
        }
        case 12: {
            SAFEARRAY* a = SafeArrayCreateVector(VT_I4, 0, pick(4));
            V_VT(&v) = VT_ARRAY | VT_I4;
            V_ARRAY(&v) = chance(20) ? nullptr : a;
            if (V_ARRAY(&v) == nullptr) arrays.push_back(a);
            break;
        }
        case 13: V_VT(&v) = VT_CY, V_CY(&v).int64 = static_cast<LONGLONG>(rng()) * 1000; break;
        case 14: V_VT(&v) = VT_DATE, V_DATE(&v) = pick(80000); break;
        default: {
            // Any type bits at all, over a zeroed value, so that freeing it is sound.
            std::memset(&v, 0, sizeof v);
            V_VT(&v) = static_cast<VARTYPE>(pick(0x2000));
            if ((V_VT(&v) & VT_TYPEMASK) == VT_RECORD) V_VT(&v) = 0x7F;
            break;
        }
        }
    }

    // By value, by reference to a typed value or a Variant (possibly null, or
    // a reference to a reference).
    void add(int param)
    {
        VARIANT v;
        VariantInit(&v);
        if (chance(50)) {
            value(v, param);
            args.push_back(v);
            return;
        }
        auto* held = new VARIANT;
        value(*held, param);
        referred.push_back(held);
        if (chance(40)) {
            V_VT(&v) = VT_BYREF | VT_VARIANT;
            V_VARIANTREF(&v) = chance(10) ? nullptr : held;
            if (chance(10)) { // a reference to a reference
                auto* outer = new VARIANT;
                VariantInit(outer);
                V_VT(outer) = VT_BYREF | VT_VARIANT;
                V_VARIANTREF(outer) = held;
                V_VARIANTREF(&v) = outer;
                referred.push_back(outer);
            }
        } else {
            // A typed reference points into the held value's own storage.
            const VARTYPE vt = V_VT(held) == VT_EMPTY || V_VT(held) == VT_NULL ||
                                       V_VT(held) == 0x7F || V_VT(held) >= 0x100
                                   ? static_cast<VARTYPE>(VT_I4)
                                   : V_VT(held);
            V_VT(&v) = static_cast<VARTYPE>(VT_BYREF | vt);
            V_BYREF(&v) = chance(15)         ? nullptr
                          : vt == VT_DECIMAL ? static_cast<void*>(&V_DECIMAL(held))
                                             : static_cast<void*>(&V_I4(held));
            if (vt == VT_I4 && V_VT(held) != VT_I4) {
                VariantClear(held);
                V_VT(held) = VT_I4;
            }
        }
        args.push_back(v);
    }
};

// ---- one call ----

void invoke(IDispatch* control)
{
    const DISPID id = chance(85) ? knownIds[pick(std::size(knownIds))] : static_cast<DISPID>(rng());
    WORD flags = static_cast<WORD>(chance(80) ? 1u << pick(4) : pick(32));
    if (chance(30)) flags = DISPATCH_METHOD | DISPATCH_PROPERTYGET;
    const UINT count = chance(70) ? 13 : chance(50) ? pick(3) : pick(20);
    // A drawing method's arguments mostly sound, so that drawing goes far;
    // DISPPARAMS holds the last first.
    const bool drawing = count == 13 && chance(60);
    Arguments a;
    for (UINT i = 0; i < count; ++i) a.add(drawing ? static_cast<int>(count - 1 - i) : -1);
    DISPID named[3] = {chance(90) ? DISPID_PROPERTYPUT : static_cast<DISPID>(rng()), 0, 1};
    DISPPARAMS dp{a.args.empty() || chance(3) ? nullptr : a.args.data(),
                  chance(3) ? nullptr : named, count,
                  static_cast<UINT>((flags & DISPATCH_PROPERTYPUT) && chance(90) ? 1 : pick(3))};
    VARIANT result;
    VariantInit(&result);
    EXCEPINFO excep{};
    UINT argErr = 0;
    const IID& iid = chance(97) ? IID_NULL : IID_IDispatch;
    if (control->Invoke(id, iid, 0, flags, chance(3) ? nullptr : &dp,
                        chance(10) ? nullptr : &result, chance(10) ? nullptr : &excep,
                        chance(10) ? nullptr : &argErr) == S_OK &&
        count == 13)
        ++drawn;
    VariantClear(&result);
    SysFreeString(excep.bstrSource);
    SysFreeString(excep.bstrDescription);
    SysFreeString(excep.bstrHelpFile);
}

void names(IDispatch* control)
{
    std::wstring texts[3];
    LPOLESTR list[3];
    const UINT count = pick(4);
    for (UINT i = 0; i < 3; ++i) {
        texts[i] = chance(70) ? knownNames[pick(std::size(knownNames))] : randomText();
        list[i] = chance(5) ? nullptr : texts[i].data();
    }
    DISPID ids[3];
    control->GetIDsOfNames(chance(95) ? IID_NULL : IID_IUnknown, chance(3) ? nullptr : list, count,
                           0, chance(3) ? nullptr : ids);
}

const IID* const knownIids[] = {&IID_IUnknown,
                                &IID_IDispatch,
                                &IID_IOleObject,
                                &IID_IViewObject,
                                &IID_IViewObject2,
                                &IID_IPersistStreamInit,
                                &IID_IPersistStorage,
                                &IID_IPersistPropertyBag,
                                &IID_IConnectionPointContainer,
                                &IID_IProvideClassInfo,
                                &IID_IProvideClassInfo2,
                                &IID_ISupportErrorInfo,
                                &IID_IOleControl,
                                &IID_IQuickActivate,
                                &IID_IOleInPlaceObject,
                                &IID_IClassFactory,
                                &IID_IMarshal,
                                &IID_IEnumVARIANT};

void query(IUnknown* object)
{
    IID random;
    for (auto* p = reinterpret_cast<unsigned char*>(&random);
         p < reinterpret_cast<unsigned char*>(&random + 1); ++p)
        *p = static_cast<unsigned char>(rng());
    const IID& iid = chance(80) ? *knownIids[pick(std::size(knownIids))] : random;
    void* out = nullptr;
    if (object->QueryInterface(iid, chance(5) ? nullptr : &out) >= 0 && out != nullptr)
        static_cast<IUnknown*>(out)->Release();
}

void factory(IClassFactory* f)
{
    void* out = nullptr;
    Target* outer = chance(10) ? new Target : nullptr;
    const IID& iid = chance(70) ? IID_IDispatch : *knownIids[pick(std::size(knownIids))];
    if (f->CreateInstance(outer, iid, chance(5) ? nullptr : &out) >= 0 && out != nullptr)
        static_cast<IUnknown*>(out)->Release();
    if (outer != nullptr) outer->Release();
    if (chance(20)) {
        f->LockServer(TRUE);
        f->LockServer(FALSE);
    }
}

SIZE_T resident()
{
    PROCESS_MEMORY_COUNTERS pmc{};
    pmc.cb = sizeof pmc;
    GetProcessMemoryInfo(GetCurrentProcess(), &pmc, sizeof pmc);
    return pmc.WorkingSetSize;
}

LONG WINAPI crashed(EXCEPTION_POINTERS* e)
{
    std::printf("FAIL crash: exception 0x%08lx at %p after %lu calls\n",
                static_cast<unsigned long>(e->ExceptionRecord->ExceptionCode),
                e->ExceptionRecord->ExceptionAddress, progress.load());
    std::fflush(stdout);
    ExitProcess(3);
}

DWORD WINAPI watchdog(void*)
{
    unsigned long last = progress.load();
    for (;;) {
        Sleep(20000);
        const unsigned long now = progress.load();
        if (now == last) {
            std::printf("FAIL hang: no call returned in 20 s, after %lu calls\n", now);
            std::fflush(stdout);
            ExitProcess(4);
        }
        last = now;
    }
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::printf("FAIL usage: fuzz CLSID SECONDS SEED\n");
        return 64;
    }
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    SetUnhandledExceptionFilter(crashed);
    rng.seed(static_cast<std::uint32_t>(std::strtoul(argv[3], nullptr, 10)));
    const DWORD seconds = static_cast<DWORD>(std::strtoul(argv[2], nullptr, 10));
    CoInitialize(nullptr);
    std::wstring text;
    for (const char* s = argv[1]; *s; ++s) text += static_cast<wchar_t>(*s);
    CLSID clsid;
    IClassFactory* f = nullptr;
    if (FAILED(CLSIDFromString(text.c_str(), &clsid)) ||
        FAILED(CoGetClassObject(clsid, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory,
                                reinterpret_cast<void**>(&f)))) {
        std::printf("FAIL the class factory cannot be had\n");
        return 1;
    }
    CreateThread(nullptr, 0, watchdog, nullptr, 0, nullptr);

    const DWORD start = GetTickCount();
    SIZE_T warm = 0;
    IDispatch* control = nullptr;
    for (;;) {
        const DWORD elapsed = GetTickCount() - start;
        if (elapsed >= seconds * 1000) break;
        if (warm == 0 && elapsed >= seconds * 200) warm = resident();
        // A fresh control now and then, so that its creation is fuzzed too.
        if (control == nullptr || chance(1)) {
            if (control != nullptr) control->Release();
            control = nullptr;
            f->CreateInstance(nullptr, IID_IDispatch, reinterpret_cast<void**>(&control));
            if (control == nullptr) {
                std::printf("FAIL CreateInstance\n");
                return 1;
            }
        }
        switch (pick(10)) {
        case 0: names(control); break;
        case 1: query(control); break;
        case 2: factory(f); break;
        default: invoke(control); break;
        }
        ++progress;
    }
    control->Release();
    f->Release();
    const SIZE_T end = resident();
    std::printf("calls %lu, drawing results %lu, resident KB at warm-up %lu, at the end %lu\n",
                progress.load(), drawn, static_cast<unsigned long>(warm / 1024),
                static_cast<unsigned long>(end / 1024));
    if (end > warm + 8 * 1024 * 1024) {
        std::printf("FAIL growth: resident memory grew by %lu KB\n",
                    static_cast<unsigned long>((end - warm) / 1024));
        return 5;
    }
    CoUninitialize();
    std::printf("ok\n");
    return 0;
}
