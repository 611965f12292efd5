// A small OLE container for tallux.dll, cross-compiled with mingw-w64 and run
// under Wine.
//   container ole CLSID DIID DLL  headless: OleCreate in a storage with a site
//                                 that answers ambient properties; misc status,
//                                 forced extent, interfaces, connection points,
//                                 persistence, OleDraw at design and run time,
//                                 no site, the about box without a display
//   container host PROGID         (display) Wine's AtlAxWin hosts the control;
//                                 a drawing method through AtlAxGetControl;
//                                 a site that wants the control in a window
//   container about CLSID         (display) ShowAboutBox twice while a second
//                                 thread reads and clicks the dialog
// Prints "PASS what" or "FAIL what: detail" for each check; exits 1 on a failure.
#include <windows.h>

#include <ocidl.h>
#include <olectl.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {

int failures = 0;

void verdict(bool ok, const char* what, const std::string& detail = {})
{
    if (ok)
        std::printf("PASS %s\n", what);
    else
        std::printf("FAIL %s%s%s\n", what, detail.empty() ? "" : ": ", detail.c_str());
    if (!ok) ++failures;
    std::fflush(stdout);
}

std::string hex(HRESULT hr)
{
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%08lx", static_cast<unsigned long>(hr));
    return buf;
}

std::wstring wide(const char* s)
{
    std::wstring w;
    for (; *s; ++s) w += static_cast<wchar_t>(static_cast<unsigned char>(*s));
    return w;
}

GUID guid(const char* text)
{
    GUID g{};
    CLSIDFromString(wide(text).c_str(), &g);
    return g;
}

std::string narrow(const std::wstring& w)
{
    std::string n;
    for (wchar_t c : w) n += c < 128 ? static_cast<char>(c) : '?';
    return n;
}

template <class T>
T* query(IUnknown* object, REFIID iid)
{
    T* out = nullptr;
    if (object == nullptr || FAILED(object->QueryInterface(iid, reinterpret_cast<void**>(&out))))
        return nullptr;
    return out;
}

constexpr DISPID dispidSupBarType = 0x68030000;

HRESULT putSupBarType(IUnknown* object, short value)
{
    IDispatch* d = query<IDispatch>(object, IID_IDispatch);
    if (d == nullptr) return E_NOINTERFACE;
    VARIANT v;
    V_VT(&v) = VT_I2;
    V_I2(&v) = value;
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS p{&v, &named, 1, 1};
    const HRESULT hr = d->Invoke(dispidSupBarType, IID_NULL, 0, DISPATCH_PROPERTYPUT, &p, nullptr,
                                 nullptr, nullptr);
    d->Release();
    return hr;
}

long getSupBarType(IUnknown* object)
{
    IDispatch* d = query<IDispatch>(object, IID_IDispatch);
    if (d == nullptr) return -99999;
    VARIANT r;
    VariantInit(&r);
    DISPPARAMS none{};
    const HRESULT hr =
        d->Invoke(dispidSupBarType, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, &r, nullptr, nullptr);
    d->Release();
    return SUCCEEDED(hr) && SUCCEEDED(VariantChangeType(&r, &r, 0, VT_I4)) ? V_I4(&r) : -99999;
}

// ShowAboutBox through Invoke: S_OK, or the raised error's scode.
HRESULT showAboutBox(IUnknown* object)
{
    IDispatch* d = query<IDispatch>(object, IID_IDispatch);
    if (d == nullptr) return E_NOINTERFACE;
    DISPPARAMS none{};
    EXCEPINFO excep{};
    HRESULT hr =
        d->Invoke(DISPID_ABOUTBOX, IID_NULL, 0, DISPATCH_METHOD, &none, nullptr, &excep, nullptr);
    d->Release();
    if (hr == DISP_E_EXCEPTION) hr = excep.scode;
    SysFreeString(excep.bstrSource);
    SysFreeString(excep.bstrDescription);
    SysFreeString(excep.bstrHelpFile);
    return hr;
}

// The container's site: ambient UserMode through IDispatch, and a sink for
// property-changed notifications. Lives as long as the program.
// What both sites answer as the client site of an object that is never
// saved, named or moved.
class ClientSite : public IOleClientSite {
public:
    HRESULT STDMETHODCALLTYPE SaveObject() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker** m) override
    {
        *m = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetContainer(IOleContainer** c) override
    {
        *c = nullptr;
        return E_NOINTERFACE;
    }
    HRESULT STDMETHODCALLTYPE ShowObject() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnShowWindow(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE RequestNewObjectLayout() override { return E_NOTIMPL; }
};

class Site final : public ClientSite, public IDispatch, public IPropertyNotifySink {
public:
    bool userMode = false;
    std::vector<DISPID> changed;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override
    {
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IOleClientSite))
            *out = static_cast<IOleClientSite*>(this);
        else if (IsEqualIID(iid, IID_IDispatch))
            *out = static_cast<IDispatch*>(this);
        else if (IsEqualIID(iid, IID_IPropertyNotifySink))
            *out = static_cast<IPropertyNotifySink*>(this);
        else {
            *out = nullptr;
            return E_NOINTERFACE;
        }
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* n) override
    {
        *n = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override
    {
        return DISP_E_UNKNOWNNAME;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT* result,
                                     EXCEPINFO*, UINT*) override
    {
        if (id != DISPID_AMBIENT_USERMODE || result == nullptr) return DISP_E_MEMBERNOTFOUND;
        V_VT(result) = VT_BOOL;
        V_BOOL(result) = userMode ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE OnChanged(DISPID id) override
    {
        changed.push_back(id);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnRequestEdit(DISPID) override { return S_OK; }
};

// A 48 x 48 white DIB section with its DC.
struct Canvas {
    HDC dc = CreateCompatibleDC(nullptr);
    DWORD* bits = nullptr;
    HBITMAP bitmap;
    HGDIOBJ old;
    static constexpr int size = 48;

    Canvas()
    {
        BITMAPINFO info{};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), size, -size, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits),
                                  nullptr, 0);
        old = SelectObject(dc, bitmap);
        for (int i = 0; i < size * size; ++i) bits[i] = 0xFFFFFF;
    }
    ~Canvas()
    {
        SelectObject(dc, old);
        DeleteObject(bitmap);
        DeleteDC(dc);
    }
    int marked() const
    {
        int n = 0;
        for (int i = 0; i < size * size; ++i) n += (bits[i] & 0xFFFFFF) != 0xFFFFFF;
        return n;
    }
    bool operator==(const Canvas& o) const
    {
        for (int i = 0; i < size * size; ++i)
            if ((bits[i] & 0xFFFFFF) != (o.bits[i] & 0xFFFFFF)) return false;
        return true;
    }
};

constexpr RECT iconPlace{8, 8, 40, 40};

// ---- headless: OleCreate and the OLE interfaces ----

int ole(const GUID& clsid, const GUID& diid, const char* dll)
{
    if (FAILED(OleInitialize(nullptr))) return 1;
    Site site;
    IStorage* storage = nullptr;
    HRESULT hr = StgCreateDocfile(
        nullptr, STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE | STGM_DELETEONRELEASE, 0,
        &storage);
    IOleObject* object = nullptr;
    if (SUCCEEDED(hr))
        hr = OleCreate(clsid, IID_IOleObject, OLERENDER_DRAW, nullptr, &site, storage,
                       reinterpret_cast<void**>(&object));
    verdict(SUCCEEDED(hr) && object != nullptr, "OleCreate in a storage, with a site", hex(hr));
    if (object == nullptr) return 1;

    // The interfaces a form host looks for.
    struct Wanted {
        IID iid;
        const char* name;
    };
    const Wanted wanted[] = {
        {IID_IOleObject, "IOleObject"},
        {IID_IOleControl, "IOleControl"},
        {IID_IOleWindow, "IOleWindow"},
        {IID_IOleInPlaceObject, "IOleInPlaceObject"},
        {IID_IOleInPlaceObjectWindowless, "IOleInPlaceObjectWindowless"},
        {IID_IViewObject, "IViewObject"},
        {IID_IViewObject2, "IViewObject2"},
        {IID_IViewObjectEx, "IViewObjectEx"},
        {IID_IPersistStreamInit, "IPersistStreamInit"},
        {IID_IPersistPropertyBag, "IPersistPropertyBag"},
        {IID_IPersistStorage, "IPersistStorage"},
        {IID_IProvideClassInfo2, "IProvideClassInfo2"},
        {IID_IConnectionPointContainer, "IConnectionPointContainer"},
        {IID_IQuickActivate, "IQuickActivate"},
        {IID_IDispatch, "IDispatch"},
    };
    std::string missing;
    for (const Wanted& w : wanted)
        if (IUnknown* i = query<IUnknown>(object, w.iid))
            i->Release();
        else
            missing += std::string(" ") + w.name;
    verdict(missing.empty(), "every control interface answers QueryInterface", "missing" + missing);

    DWORD misc = 0;
    object->GetMiscStatus(DVASPECT_CONTENT, &misc);
    verdict(misc == 0x24591, "GetMiscStatus is 0x24591", hex(static_cast<HRESULT>(misc)));

    // Whatever size is asked for, the extent stays 400 twips (706 HIMETRIC).
    const SIZEL asked[] = {
        /* 0 */ {100, 100},
        /* 1 */ {5000, 3000},
        /* 2 */ {706, 706},
        /* 3 */ {0, 0},
    };
    std::string wrong;
    for (SIZEL size : asked) {
        SIZEL got{};
        if (FAILED(object->SetExtent(DVASPECT_CONTENT, &size)) ||
            FAILED(object->GetExtent(DVASPECT_CONTENT, &got)) || got.cx != 706 || got.cy != 706)
            wrong += " " + std::to_string(size.cx) + "x" + std::to_string(size.cy) + "->" +
                     std::to_string(got.cx) + "x" + std::to_string(got.cy);
    }
    verdict(wrong.empty(), "SetExtent of any size leaves 706 x 706 HIMETRIC", wrong);

    IEnumOLEVERB* verbs = nullptr;
    bool primary = false;
    if (SUCCEEDED(object->EnumVerbs(&verbs))) {
        OLEVERB v;
        while (verbs->Next(1, &v, nullptr) == S_OK) {
            primary |= v.lVerb == OLEIVERB_PRIMARY;
            CoTaskMemFree(v.lpszVerbName);
        }
        verbs->Release();
    }
    verdict(primary, "EnumVerbs lists the primary verb");

    IProvideClassInfo2* info = query<IProvideClassInfo2>(object, IID_IProvideClassInfo2);
    GUID source{};
    if (info != nullptr) {
        info->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &source);
        info->Release();
    }
    verdict(IsEqualGUID(source, diid), "IProvideClassInfo2 names __Tallux as the source");

    // Connection points: __Tallux, and the property-changed notification.
    IConnectionPointContainer* points =
        query<IConnectionPointContainer>(object, IID_IConnectionPointContainer);
    IConnectionPoint* events = nullptr;
    IConnectionPoint* notify = nullptr;
    ULONG count = 0;
    if (points != nullptr) {
        points->FindConnectionPoint(diid, &events);
        points->FindConnectionPoint(IID_IPropertyNotifySink, &notify);
        IEnumConnectionPoints* all = nullptr;
        if (SUCCEEDED(points->EnumConnectionPoints(&all))) {
            IConnectionPoint* p[4] = {};
            all->Next(4, p, &count);
            for (ULONG i = 0; i < count; ++i) p[i]->Release();
            all->Release();
        }
        points->Release();
    }
    verdict(events != nullptr && notify != nullptr && count == 2,
            "the connection points of __Tallux and IPropertyNotifySink",
            "count " + std::to_string(count));
    DWORD cookie = 0;
    if (notify != nullptr &&
        SUCCEEDED(notify->Advise(static_cast<IPropertyNotifySink*>(&site), &cookie))) {
        putSupBarType(object, 14);
        putSupBarType(object, 14);
        notify->Unadvise(cookie);
        putSupBarType(object, 3);
    }
    verdict(site.changed == std::vector<DISPID>{dispidSupBarType, dispidSupBarType},
            "each SupBarType put notifies an advised sink once, none after Unadvise",
            std::to_string(site.changed.size()) + " notifications");
    if (events != nullptr) events->Release();
    if (notify != nullptr) notify->Release();

    // Persistence saves nothing: a saved and reloaded control starts at 0.
    putSupBarType(object, 14);
    IPersistStorage* persist = query<IPersistStorage>(object, IID_IPersistStorage);
    IOleObject* loaded = nullptr;
    hr = persist != nullptr ? OleSave(persist, storage, TRUE) : E_NOINTERFACE;
    if (persist != nullptr) {
        persist->SaveCompleted(nullptr);
        persist->Release();
    }
    if (SUCCEEDED(hr))
        hr = OleLoad(storage, IID_IOleObject, &site, reinterpret_cast<void**>(&loaded));
    IPersistStreamInit* streamed = query<IPersistStreamInit>(object, IID_IPersistStreamInit);
    IStream* stream = nullptr;
    STATSTG stat{};
    if (streamed != nullptr && SUCCEEDED(CreateStreamOnHGlobal(nullptr, TRUE, &stream))) {
        streamed->Save(stream, TRUE);
        stream->Stat(&stat, STATFLAG_NONAME);
        stream->Release();
    }
    if (streamed != nullptr) streamed->Release();
    verdict(getSupBarType(object) == 14 && loaded != nullptr && getSupBarType(loaded) == 0 &&
                stat.cbSize.QuadPart == 0,
            "saved and loaded (storage, stream): nothing is kept, SupBarType starts at 0",
            hex(hr) + " stream " + std::to_string(stat.cbSize.QuadPart));
    if (loaded != nullptr) {
        loaded->Close(OLECLOSE_NOSAVE);
        loaded->Release();
    }

    // The view: the icon at design time, nothing at run time.
    Canvas reference;
    HMODULE module = LoadLibraryExA(dll, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    HICON icon = static_cast<HICON>(
        LoadImageW(module, MAKEINTRESOURCEW(1), IMAGE_ICON, 32, 32, LR_DEFAULTCOLOR));
    DrawIconEx(reference.dc, iconPlace.left, iconPlace.top, icon, 32, 32, 0, nullptr, DI_NORMAL);
    IOleControl* control = query<IOleControl>(object, IID_IOleControl);
    for (bool userMode : {false, true}) {
        site.userMode = userMode;
        if (control != nullptr) control->OnAmbientPropertyChange(DISPID_AMBIENT_USERMODE);
        Canvas canvas;
        hr = OleDraw(object, DVASPECT_CONTENT, canvas.dc, &iconPlace);
        if (userMode)
            verdict(SUCCEEDED(hr) && canvas.marked() == 0, "OleDraw at run time paints nothing",
                    hex(hr) + ", " + std::to_string(canvas.marked()) + " pixels");
        else
            verdict(SUCCEEDED(hr) && reference.marked() > 100 && canvas == reference,
                    "OleDraw at design time paints the icon resource",
                    hex(hr) + ", " + std::to_string(canvas.marked()) + " pixels");
    }
    if (control != nullptr) control->Release();
    DestroyIcon(icon);
    FreeLibrary(module);

    // A host that never sets a client site.
    IOleObject* bare = nullptr;
    CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject,
                     reinterpret_cast<void**>(&bare));
    const LONG siteVerbs[] = {OLEIVERB_PRIMARY, OLEIVERB_SHOW, OLEIVERB_INPLACEACTIVATE,
                              OLEIVERB_UIACTIVATE, OLEIVERB_HIDE};
    std::string answered;
    for (LONG verb : siteVerbs) {
        RECT r{0, 0, 32, 32};
        hr = bare != nullptr ? bare->DoVerb(verb, nullptr, nullptr, 0, nullptr, &r) : E_FAIL;
        if (hr != E_UNEXPECTED) answered += " " + std::to_string(verb) + ":" + hex(hr);
    }
    Canvas unsited;
    hr = bare != nullptr ? OleDraw(bare, DVASPECT_CONTENT, unsited.dc, &iconPlace) : E_FAIL;
    verdict(answered.empty() && SUCCEEDED(hr) && unsited.marked() == 0,
            "without a client site: DoVerb is E_UNEXPECTED, drawing shows nothing", answered);
    if (bare != nullptr) bare->Release();

    hr = showAboutBox(object);
    verdict(hr == static_cast<HRESULT>(0x800A0000 | 429),
            "ShowAboutBox without a display raises 429", hex(hr));

    object->Close(OLECLOSE_NOSAVE);
    object->SetClientSite(nullptr);
    object->Release();
    storage->Release();
    OleUninitialize();
    return failures == 0 ? 0 : 1;
}

// ---- with a display: the windowed path ----

// A site that activates in place in a window, never windowless; it records
// the activation calls.
class WindowSite final : public ClientSite, public IOleInPlaceSite {
public:
    HWND window = nullptr;
    std::string calls;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override
    {
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IOleClientSite))
            *out = static_cast<IOleClientSite*>(this);
        else if (IsEqualIID(iid, IID_IOleWindow) || IsEqualIID(iid, IID_IOleInPlaceSite))
            *out = static_cast<IOleInPlaceSite*>(this);
        else {
            *out = nullptr;
            return E_NOINTERFACE;
        }
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }

    HRESULT STDMETHODCALLTYPE GetWindow(HWND* w) override
    {
        *w = window;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CanInPlaceActivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnInPlaceActivate() override
    {
        calls += "activate ";
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnUIActivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** doc,
                                               LPRECT position, LPRECT clip,
                                               LPOLEINPLACEFRAMEINFO) override
    {
        *frame = nullptr;
        *doc = nullptr;
        *position = *clip = RECT{10, 20, 37, 47};
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Scroll(SIZE) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnUIDeactivate(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnInPlaceDeactivate() override
    {
        calls += "deactivate ";
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE DiscardUndoState() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE DeactivateAndUndo() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnPosRectChange(LPCRECT) override { return S_OK; }
};

// The control's own child window: at the site's position, moved by
// SetObjectRects, gone after InPlaceDeactivate.
void windowed(const GUID& clsid)
{
    WindowSite site;
    site.window = CreateWindowExW(0, L"STATIC", L"form", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                                  300, 200, nullptr, nullptr, nullptr, nullptr);
    IOleObject* object = nullptr;
    CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject,
                     reinterpret_cast<void**>(&object));
    IOleInPlaceObject* inPlace = query<IOleInPlaceObject>(object, IID_IOleInPlaceObject);
    if (object == nullptr || inPlace == nullptr) {
        verdict(false, "the windowed path: IOleObject and IOleInPlaceObject");
        return;
    }
    object->SetClientSite(&site);
    RECT area{};
    const HRESULT hr =
        object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, &site, 0, site.window, &area);
    HWND own = nullptr;
    inPlace->GetWindow(&own);
    RECT placed{};
    const HWND parent = own != nullptr ? GetParent(own) : nullptr;
    if (own != nullptr) {
        GetWindowRect(own, &placed);
        MapWindowPoints(nullptr, site.window, reinterpret_cast<POINT*>(&placed), 2);
    }
    const RECT moved{50, 60, 77, 87};
    inPlace->SetObjectRects(&moved, &moved);
    RECT after{};
    if (own != nullptr) {
        GetWindowRect(own, &after);
        MapWindowPoints(nullptr, site.window, reinterpret_cast<POINT*>(&after), 2);
    }
    inPlace->InPlaceDeactivate();
    verdict(SUCCEEDED(hr) && parent == site.window && !IsWindow(own) && placed.left == 10 &&
                placed.top == 20 && after.left == 50 && after.top == 60 &&
                site.calls == "activate deactivate ",
            "the windowed path: a child window at the site's position, moved, then destroyed",
            hex(hr) + " at " + std::to_string(placed.left) + "," + std::to_string(placed.top) +
                " then " + std::to_string(after.left) + "," + std::to_string(after.top) + " " +
                site.calls);
    inPlace->Release();
    object->SetClientSite(nullptr);
    object->Release();
    DestroyWindow(site.window);
}

// ---- with a display: Wine's AtlAxWin ----

int host(const char* progid)
{
    CoInitialize(nullptr);
    HMODULE atl = LoadLibraryW(L"atl.dll");
    using Init = BOOL(WINAPI*)();
    using GetControl = HRESULT(WINAPI*)(HWND, IUnknown**);
    auto init =
        reinterpret_cast<Init>(reinterpret_cast<void*>(GetProcAddress(atl, "AtlAxWinInit")));
    auto getControl = reinterpret_cast<GetControl>(
        reinterpret_cast<void*>(GetProcAddress(atl, "AtlAxGetControl")));
    if (init == nullptr || getControl == nullptr || !init()) {
        verdict(false, "atl.dll offers AtlAxWinInit and AtlAxGetControl");
        return 1;
    }
    HWND window =
        CreateWindowExW(0, L"AtlAxWin", wide(progid).c_str(), WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0,
                        0, 300, 200, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    IUnknown* control = nullptr;
    HRESULT hr = window != nullptr ? getControl(window, &control) : E_FAIL;
    verdict(SUCCEEDED(hr) && control != nullptr, "AtlAxWin hosts the control by ProgID", hex(hr));
    if (control == nullptr) return 1;
    for (int i = 0; i < 20; ++i) { // let the host paint and size it
        MSG m;
        while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
        Sleep(10);
    }

    IOleObject* object = query<IOleObject>(control, IID_IOleObject);
    SIZEL extent{};
    if (object != nullptr) object->GetExtent(DVASPECT_CONTENT, &extent);
    verdict(extent.cx == 706 && extent.cy == 706, "the hosted control keeps 706 x 706 HIMETRIC",
            std::to_string(extent.cx) + "x" + std::to_string(extent.cy));

    // BarEAN13 by name, no target: the code is normalised and written back,
    // and the result is 91 (no object).
    IDispatch* d = query<IDispatch>(control, IID_IDispatch);
    DISPID id = 0;
    LPOLESTR name = const_cast<LPOLESTR>(L"BarEAN13");
    short result = 0;
    BSTR code = SysAllocString(L" 4006381333931 ");
    if (d != nullptr && SUCCEEDED(d->GetIDsOfNames(IID_NULL, &name, 1, 0, &id))) {
        VARIANT args[13];
        for (VARIANT& a : args) VariantInit(&a);
        VARIANT* arg = args + 12; // the first parameter is the last in DISPPARAMS
        V_VT(arg) = VT_DISPATCH;
        V_DISPATCH(arg) = nullptr;
        --arg; // pObject
        V_VT(arg) = VT_R4;
        V_R4(arg) = 10;
        --arg; // pX
        V_VT(arg) = VT_R4;
        V_R4(arg) = 10;
        --arg; // pY
        V_VT(arg) = VT_BYREF | VT_BSTR;
        V_BSTRREF(arg) = &code;
        --arg; // pCode
        V_VT(arg) = VT_I2;
        V_I2(arg) = 2;
        --arg; // pWidth
        V_VT(arg) = VT_I2;
        V_I2(arg) = 50;
        --arg; // pHeight
        V_VT(arg) = VT_I2;
        V_I2(arg) = 1;
        --arg; // pText
        V_VT(arg) = VT_BOOL;
        V_BOOL(arg) = VARIANT_FALSE;
        --arg; // pBold
        V_VT(arg) = VT_BSTR;
        V_BSTR(arg) = SysAllocString(L"Arial");
        --arg;
        V_VT(arg) = VT_I4;
        V_I4(arg) = 0;
        --arg; // pForeColor
        V_VT(arg) = VT_I4;
        V_I4(arg) = 0;
        --arg; // pLineColor
        V_VT(arg) = VT_BSTR;
        V_BSTR(arg) = SysAllocString(L"");
        --arg;
        V_VT(arg) = VT_BOOL;
        V_BOOL(arg) = VARIANT_FALSE; // pChk
        DISPPARAMS p{args, nullptr, 13, 0};
        VARIANT r;
        VariantInit(&r);
        hr = d->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, &p, &r, nullptr, nullptr);
        if (SUCCEEDED(hr) && SUCCEEDED(VariantChangeType(&r, &r, 0, VT_I2))) result = V_I2(&r);
        VariantClear(&args[1]);
        VariantClear(&args[4]);
    }
    verdict(SUCCEEDED(hr) && result == 91 && std::wstring(code) == L"400638133393",
            "BarEAN13 through the hosted control: code written back, result 91 without a target",
            hex(hr) + " result " + std::to_string(result) + " code '" + narrow(code) + "'");
    SysFreeString(code);
    if (d != nullptr) d->Release();
    if (object != nullptr) object->Release();
    control->Release();
    DestroyWindow(window);
    CLSID clsid{};
    CLSIDFromProgID(wide(progid).c_str(), &clsid);
    windowed(clsid);
    CoUninitialize();
    return failures == 0 ? 0 : 1;
}

// ---- with a display: the about box ----

std::wstring windowText(HWND w)
{
    wchar_t buf[256] = {};
    GetWindowTextW(w, buf, 256);
    return buf;
}

BOOL CALLBACK collectDialog(HWND w, LPARAM found)
{
    DWORD process = 0;
    GetWindowThreadProcessId(w, &process);
    wchar_t cls[16] = {};
    GetClassNameW(w, cls, 16);
    if (process == GetCurrentProcessId() && std::wstring(cls) == L"#32770" && IsWindowVisible(w))
        reinterpret_cast<std::vector<HWND>*>(found)->push_back(w);
    return TRUE;
}

// This process's dialog windows.
std::vector<HWND> dialogs()
{
    std::vector<HWND> found;
    EnumWindows(collectDialog, reinterpret_cast<LPARAM>(&found));
    return found;
}

HWND waitForDialog()
{
    for (int i = 0; i < 400; ++i) { // up to 20 s, for a slow first window
        if (const std::vector<HWND> d = dialogs(); !d.empty()) return d.front();
        Sleep(50);
    }
    return nullptr;
}

void click(HWND dialog, const wchar_t* caption)
{
    if (HWND button = FindWindowExW(dialog, nullptr, L"Button", caption))
        SendMessageW(button, BM_CLICK, 0, 0);
}

bool hasChild(HWND dialog, const wchar_t* kind, const std::wstring& prefix)
{
    for (HWND c = FindWindowExW(dialog, nullptr, kind, nullptr); c != nullptr;
         c = FindWindowExW(dialog, c, kind, nullptr))
        if (windowText(c).rfind(prefix, 0) == 0) return true;
    return false;
}

// The logo's title as the dialog draws it: its picture printed into a DIB,
// cut into glyphs at blank columns, those shorter than the bars taken. A face
// without the characters draws each as the same empty box: "boxes".
std::string logoTitle(HWND dialog)
{
    constexpr int idDesk = 202; // the logo's picture in the dialog
    const HWND desk = GetDlgItem(dialog, idDesk);
    RECT r{};
    GetClientRect(desk, &r);
    const int w = r.right, h = r.bottom;
    if (desk == nullptr || w <= 0 || h <= 0) return "no logo";
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    const HDC dc = CreateCompatibleDC(nullptr);
    const HBITMAP picture = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    const HGDIOBJ old = SelectObject(dc, picture);
    SendMessageW(desk, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    GdiFlush();
    const auto* pixels = static_cast<const std::uint32_t*>(bits);
    const auto inked = [&](int x, int y) { return (pixels[y * w + x] & 0xFFFFFFu) != 0xFFFFFFu; };
    struct Glyph {
        int left, right, top = 1 << 30, bottom = -1;
    };
    std::vector<Glyph> glyphs;
    for (int x = 0; x < w; ++x) {
        Glyph column{x, x};
        for (int y = 0; y < h; ++y)
            if (inked(x, y)) column.top = std::min(column.top, y), column.bottom = y;
        if (column.bottom < 0) continue;
        if (!glyphs.empty() && glyphs.back().right == x - 1) {
            Glyph& g = glyphs.back();
            g.right = x, g.top = std::min(g.top, column.top),
            g.bottom = std::max(g.bottom, column.bottom);
        } else {
            glyphs.push_back(column);
        }
    }
    int bars = 0;
    for (const Glyph& g : glyphs) bars = std::max(bars, g.bottom - g.top);
    // An empty box: ink only within two pixels of its outline.
    const auto box = [&](const Glyph& g) {
        for (int y = g.top + 3; y <= g.bottom - 3; ++y)
            for (int x = g.left + 3; x <= g.right - 3; ++x)
                if (inked(x, y)) return false;
        return true;
    };
    int letters = 0, boxes = 0;
    for (const Glyph& g : glyphs)
        if (g.bottom - g.top < bars * 4 / 5) ++letters, boxes += box(g);
    SelectObject(dc, old);
    DeleteObject(picture);
    DeleteDC(dc);
    if (letters < 2) return "no title";
    return boxes == letters ? "boxes" : "glyphs";
}

DWORD WINAPI runThread(void* body)
{
    (*static_cast<std::function<void()>*>(body))();
    return 0;
}

int aboutBox(const GUID& clsid)
{
    CoInitialize(nullptr);
    IUnknown* object = nullptr;
    CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                     reinterpret_cast<void**>(&object));
    if (object == nullptr) return 1;

    // The second thread watches each showing, as a user would.
    std::vector<std::string> seen;
    std::atomic<HWND> last = nullptr;
    auto watch = [&] {
        CoInitialize(nullptr);
        for (int showing = 0; showing < 2; ++showing) {
            HWND dialog = waitForDialog();
            if (dialog == nullptr) {
                seen.push_back("no dialog");
                break;
            }
            last = dialog;
            std::string s = narrow(windowText(dialog));
            s += hasChild(dialog, L"Static", L"Version ") ? "|version" : "|no version";
            s += "|" + logoTitle(dialog);
            if (showing == 0) {
                // A second call while it shows returns at once, with no second dialog.
                IUnknown* other = nullptr;
                CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                                 reinterpret_cast<void**>(&other));
                const HRESULT again = showAboutBox(other);
                s += "|again " + hex(again) + " " + std::to_string(dialogs().size());
                if (other != nullptr) other->Release();
                click(dialog, L"Chinese");
                const std::wstring chinese = windowText(dialog);
                s += chinese == L"\u95DC\u65BC..." ? "|chinese" : "|'" + narrow(chinese) + "'";
                s += "|" + logoTitle(dialog);
                s += FindWindowExW(dialog, nullptr, L"Button", L"\u4E86\u89E3(&O)") != nullptr
                         ? "|ok in chinese"
                         : "|no chinese ok";
                click(dialog, L"English");
                s += "|" + narrow(windowText(dialog));
                click(dialog, L"Chinese");
                click(dialog, L"\u4E86\u89E3(&O)");
            } else {
                PostMessageW(dialog, WM_CLOSE, 0, 0);
            }
            seen.push_back(s);
            for (int i = 0; i < 100 && IsWindow(dialog); ++i) Sleep(50);
        }
        CoUninitialize();
    };
    // The toolchain's C++ library has no std::thread: a Win32 thread.
    std::function<void()> body = watch;
    HANDLE user = CreateThread(nullptr, 0, runThread, &body, 0, nullptr);
    const HRESULT first = showAboutBox(object);
    const bool goneAfterFirst = last == nullptr || !IsWindow(last);
    const HRESULT second = showAboutBox(object);
    WaitForSingleObject(user, INFINITE);
    CloseHandle(user);
    object->Release();

    const std::vector<std::string> expected = {
        "About|version|glyphs|again 0x00000000 1|chinese|glyphs|ok in chinese|About",
        "About|version|glyphs",
    };
    std::string got;
    for (const std::string& s : seen) got += "[" + s + "]";
    verdict(seen == expected,
            "ShowAboutBox: English then Chinese captions, no second dialog, fresh each time", got);
    verdict(first == S_OK && second == S_OK && goneAfterFirst && !IsWindow(last),
            "ShowAboutBox returns after the dialog is closed and destroyed",
            hex(first) + " " + hex(second));
    CoUninitialize();
    return failures == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "ole" && argc == 5) return ole(guid(argv[2]), guid(argv[3]), argv[4]);
    if (mode == "host" && argc == 3) return host(argv[2]);
    if (mode == "about" && argc == 3) return aboutBox(guid(argv[2]));
    std::printf("FAIL usage: container ole CLSID DIID DLL | host PROGID | about CLSID\n");
    return 2;
}
