#include "automation/windows/ole_control.h"

#include <utility>

#include "automation/object.h"
#include "automation/windows/resources.h"

namespace tallux::win {

namespace {

constexpr LONG himetricPerInch = 2540, twipsPerInch = 1440;

SIZEL himetric(Extent twips) noexcept
{
    return {::MulDiv(twips.width, himetricPerInch, twipsPerInch),
            ::MulDiv(twips.height, himetricPerInch, twipsPerInch)};
}

Extent twips(const SIZEL& himetric) noexcept
{
    return {::MulDiv(himetric.cx, twipsPerInch, himetricPerInch),
            ::MulDiv(himetric.cy, twipsPerInch, himetricPerInch)};
}

// The verbs the control answers, as a host lists them.
struct Verb {
    LONG id;
    const wchar_t* name;
    DWORD attributes;
};
constexpr Verb verbs[] = {
    {OLEIVERB_PRIMARY, L"&Activate", OLEVERBATTRIB_ONCONTAINERMENU},
    {OLEIVERB_SHOW, nullptr, 0},
    {OLEIVERB_INPLACEACTIVATE, nullptr, 0},
    {OLEIVERB_HIDE, nullptr, 0},
};

constexpr wchar_t windowClass[] = L"TalluxControl";

} // namespace

OleControl::OleControl(IUnknown& object, Tallux& control, ConnectionPoints& points) noexcept
    : Part(object)
    , control_(control)
    , points_(points)
{
    control_.setSite(this);
}

OleControl::~OleControl()
{
    control_.setSite(nullptr);
    if (window_ != nullptr) ::DestroyWindow(window_);
}

bool OleControl::offer(REFIID iid, void** out) noexcept
{
    if (IsEqualIID(iid, IID_IOleObject))
        *out = static_cast<IOleObject*>(this);
    else if (IsEqualIID(iid, IID_IOleControl))
        *out = static_cast<IOleControl*>(this);
    else if (IsEqualIID(iid, IID_IOleWindow) || IsEqualIID(iid, IID_IOleInPlaceObject) ||
             IsEqualIID(iid, IID_IOleInPlaceObjectWindowless))
        *out = static_cast<IOleInPlaceObjectWindowless*>(this);
    else if (IsEqualIID(iid, IID_IViewObject) || IsEqualIID(iid, IID_IViewObject2) ||
             IsEqualIID(iid, IID_IViewObjectEx))
        *out = static_cast<IViewObjectEx*>(this);
    else if (IsEqualIID(iid, IID_IQuickActivate))
        *out = static_cast<IQuickActivate*>(this);
    else
        return false;
    return true;
}

void OleControl::propertyChanged(std::string_view name)
{
    points_.propertyChanged(std::u16string(name.begin(), name.end()));
}

// ---- IOleObject ----

HRESULT OleControl::SetClientSite(IOleClientSite* site)
{
    if (site_ && site_.get() != site) InPlaceDeactivate();
    site_ = com::ComPtr<IOleClientSite>(site);
    return com::status::ok;
}

HRESULT OleControl::GetClientSite(IOleClientSite** site)
{
    if (site == nullptr) return com::status::badPointer;
    *site = site_.get();
    if (*site != nullptr) (*site)->AddRef();
    return com::status::ok;
}

HRESULT OleControl::Close(DWORD)
{
    InPlaceDeactivate();
    if (adviseHolder_) adviseHolder_->SendOnClose();
    return com::status::ok;
}

HRESULT OleControl::GetMoniker(DWORD, DWORD, IMoniker** out)
{
    if (out != nullptr) *out = nullptr;
    return E_NOTIMPL;
}

HRESULT OleControl::GetClipboardData(DWORD, IDataObject** out)
{
    if (out != nullptr) *out = nullptr;
    return E_NOTIMPL;
}

HRESULT OleControl::DoVerb(LONG verb, LPMSG, IOleClientSite*, LONG, HWND parent, LPCRECT rect)
{
    if (!site_) return com::status::unexpected;
    switch (verb) {
    case OLEIVERB_PRIMARY:
    case OLEIVERB_SHOW:
    case OLEIVERB_INPLACEACTIVATE:
    case OLEIVERB_UIACTIVATE: return activateInPlace(parent, rect);
    case OLEIVERB_HIDE: return InPlaceDeactivate();
    case OLEIVERB_DISCARDUNDOSTATE: return com::status::ok;
    default:
        if (verb < 0) return E_NOTIMPL; // opening, property pages
        const HRESULT hr = activateInPlace(parent, rect);
        return hr < 0 ? hr : OLEOBJ_S_INVALIDVERB;
    }
}

HRESULT OleControl::EnumVerbs(IEnumOLEVERB** out)
{
    if (out == nullptr) return com::status::badPointer;
    *out = nullptr;
    return com::guarded([&] {
        std::vector<OLEVERB> list;
        for (const Verb& v : verbs)
            list.push_back(
                {v.id, const_cast<LPOLESTR>(v.name), MF_STRING | MF_ENABLED, v.attributes});
        *out = new Enumerator<IEnumOLEVERB, OLEVERB>(std::move(list), nullptr);
        return com::status::ok;
    });
}

HRESULT OleControl::GetUserClassID(CLSID* id)
{
    if (id == nullptr) return com::status::badPointer;
    *id = guid(typelib::CLSID_Tallux);
    return com::status::ok;
}

HRESULT OleControl::GetUserType(DWORD form, LPOLESTR* name)
{
    if (name == nullptr) return com::status::badPointer;
    return ::OleRegGetUserType(guid(typelib::CLSID_Tallux), form, name);
}

// Whatever size the host asks for, the control's resize rule decides: it
// keeps itself 400 by 400 twips.
HRESULT OleControl::SetExtent(DWORD aspect, SIZEL* size)
{
    if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    if (size == nullptr) return com::status::badPointer;
    const Extent before = extent_;
    extent_ = twips(*size);
    try {
        control_.UserControl_Resize();
    } catch (const RuntimeError&) {
        extent_ = before;
        return com::status::fail;
    }
    if (extent_ != before) viewChanged();
    return com::status::ok;
}

HRESULT OleControl::GetExtent(DWORD aspect, SIZEL* size)
{
    if (size == nullptr) return com::status::badPointer;
    if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    *size = himetric(extent_);
    return com::status::ok;
}

HRESULT OleControl::Advise(IAdviseSink* sink, DWORD* cookie)
{
    if (sink == nullptr || cookie == nullptr) return com::status::badPointer;
    if (!adviseHolder_) {
        if (const HRESULT hr =
                ::CreateOleAdviseHolder(reinterpret_cast<IOleAdviseHolder**>(adviseHolder_.out()));
            hr < 0)
            return hr;
    }
    return adviseHolder_->Advise(sink, cookie);
}

HRESULT OleControl::Unadvise(DWORD cookie)
{
    return adviseHolder_ ? adviseHolder_->Unadvise(cookie) : OLE_E_NOCONNECTION;
}

HRESULT OleControl::EnumAdvise(IEnumSTATDATA** out)
{
    if (out == nullptr) return com::status::badPointer;
    *out = nullptr;
    return adviseHolder_ ? adviseHolder_->EnumAdvise(out) : com::status::okFalse;
}

HRESULT OleControl::GetMiscStatus(DWORD, DWORD* status)
{
    if (status == nullptr) return com::status::badPointer;
    *status = miscStatus;
    return com::status::ok;
}

// ---- IOleControl ----

HRESULT OleControl::GetControlInfo(CONTROLINFO* info)
{
    if (info == nullptr) return com::status::badPointer;
    info->hAccel = nullptr;
    info->cAccel = 0;
    info->dwFlags = 0;
    return com::status::ok;
}

HRESULT OleControl::OnAmbientPropertyChange(DISPID id)
{
    if (id == DISPID_AMBIENT_USERMODE || id == com::dispidUnknown) viewChanged();
    return com::status::ok;
}

// ---- in place ----

HRESULT OleControl::activateInPlace(HWND parent, LPCRECT rect)
{
    if (inPlaceSite_) return com::status::ok;
    com::ComPtr<IOleInPlaceSite> site;
    if (const HRESULT hr = query(site_.get(), IID_IOleInPlaceSite, site.out()); hr < 0) return hr;
    if (site->CanInPlaceActivate() != com::status::ok) return com::status::fail;

    com::ComPtr<IOleInPlaceSiteWindowless> windowless;
    windowless_ = query(site.get(), IID_IOleInPlaceSiteWindowless, windowless.out()) >= 0 &&
                  windowless->CanWindowlessActivate() == com::status::ok;
    BOOL noRedraw = FALSE;
    const HRESULT activated = windowless_
                                  ? windowless->OnInPlaceActivateEx(&noRedraw, ACTIVATE_WINDOWLESS)
                                  : site->OnInPlaceActivate();
    if (activated < 0) return activated;

    com::ComPtr<IOleInPlaceFrame> frame;
    com::ComPtr<IOleInPlaceUIWindow> document;
    RECT clip{};
    OLEINPLACEFRAMEINFO frameInfo{};
    frameInfo.cb = sizeof frameInfo;
    if (site->GetWindowContext(reinterpret_cast<IOleInPlaceFrame**>(frame.out()),
                               reinterpret_cast<IOleInPlaceUIWindow**>(document.out()), &position_,
                               &clip, &frameInfo) < 0 &&
        rect != nullptr)
        position_ = *rect;
    inPlaceSite_ = site;
    if (windowless_) return com::status::ok;

    // The windowed path: a child window of the container's, painted like the view.
    HWND container = parent;
    site->GetWindow(&container);
    static const ATOM registered = [] {
        WNDCLASSW c{};
        c.lpfnWndProc = windowProc;
        c.hInstance = thisModule();
        c.hCursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
        c.lpszClassName = windowClass;
        return ::RegisterClassW(&c);
    }();
    if (registered == 0) return HRESULT_FROM_WIN32(::GetLastError());
    window_ =
        ::CreateWindowExW(0, windowClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS,
                          position_.left, position_.top, position_.right - position_.left,
                          position_.bottom - position_.top, container, nullptr, thisModule(), this);
    if (window_ == nullptr) {
        const HRESULT hr = HRESULT_FROM_WIN32(::GetLastError());
        InPlaceDeactivate();
        return hr < 0 ? hr : com::status::fail;
    }
    return com::status::ok;
}

HRESULT OleControl::GetWindow(HWND* window)
{
    if (window == nullptr) return com::status::badPointer;
    *window = window_;
    return window_ != nullptr ? com::status::ok : com::status::fail;
}

HRESULT OleControl::InPlaceDeactivate()
{
    if (window_ != nullptr) ::DestroyWindow(std::exchange(window_, nullptr));
    const com::ComPtr<IOleInPlaceSite> site = std::exchange(inPlaceSite_, nullptr);
    if (!site) return com::status::ok;
    com::ComPtr<IOleInPlaceSiteEx> siteEx;
    if (windowless_ && query(site.get(), IID_IOleInPlaceSiteEx, siteEx.out()) >= 0)
        siteEx->OnInPlaceDeactivateEx(TRUE);
    else
        site->OnInPlaceDeactivate();
    windowless_ = false;
    return com::status::ok;
}

HRESULT OleControl::SetObjectRects(LPCRECT position, LPCRECT)
{
    if (position == nullptr) return com::status::badPointer;
    position_ = *position;
    if (window_ != nullptr)
        ::SetWindowPos(window_, nullptr, position_.left, position_.top,
                       position_.right - position_.left, position_.bottom - position_.top,
                       SWP_NOZORDER | SWP_NOACTIVATE);
    return com::status::ok;
}

HRESULT OleControl::OnWindowMessage(UINT, WPARAM, LPARAM, LRESULT* result)
{
    if (result != nullptr) *result = 0;
    return com::status::okFalse; // the control takes no input
}

HRESULT OleControl::GetDropTarget(IDropTarget** out)
{
    if (out != nullptr) *out = nullptr;
    return E_NOTIMPL;
}

LRESULT CALLBACK OleControl::windowProc(HWND window, UINT message, WPARAM w, LPARAM l)
{
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(l);
        ::SetWindowLongPtrW(window, GWLP_USERDATA,
                            reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    const auto* self =
        reinterpret_cast<const OleControl*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message == WM_PAINT && self != nullptr) {
        PAINTSTRUCT paint;
        const HDC dc = ::BeginPaint(window, &paint);
        RECT client;
        ::GetClientRect(window, &client);
        if (!self->userMode()) self->drawView(dc, client);
        ::EndPaint(window, &paint);
        return 0;
    }
    return ::DefWindowProcW(window, message, w, l);
}

// ---- the view ----

bool OleControl::userMode() const
{
    com::ComPtr<IDispatch> ambient;
    if (!site_ || query(site_.get(), IID_IDispatch, ambient.out()) < 0) return true;
    VARIANT value;
    ::VariantInit(&value);
    DISPPARAMS none{};
    bool user = true;
    if (ambient->Invoke(DISPID_AMBIENT_USERMODE, IID_NULL, LOCALE_USER_DEFAULT,
                        com::dispatchPropertyGet, &none, &value, nullptr, nullptr) >= 0 &&
        ::VariantChangeType(&value, &value, 0, VT_BOOL) >= 0)
        user = V_BOOL(&value) != VARIANT_FALSE;
    ::VariantClear(&value);
    return user;
}

// The icon, as large as the control (imgIcon fills it).
void OleControl::drawView(HDC dc, const RECT& bounds) const
{
    const HANDLE icon = ::LoadImageW(thisModule(), MAKEINTRESOURCEW(controlIconId), IMAGE_ICON, 32,
                                     32, LR_DEFAULTCOLOR);
    if (icon == nullptr) return;
    ::DrawIconEx(dc, bounds.left, bounds.top, static_cast<HICON>(icon), bounds.right - bounds.left,
                 bounds.bottom - bounds.top, 0, nullptr, DI_NORMAL);
    ::DestroyIcon(static_cast<HICON>(icon));
}

void OleControl::viewChanged()
{
    if (viewSink_ && (viewAspects_ & DVASPECT_CONTENT) != 0)
        viewSink_->OnViewChange(DVASPECT_CONTENT, -1);
    if (window_ != nullptr) ::InvalidateRect(window_, nullptr, TRUE);
}

HRESULT OleControl::Draw(DWORD aspect, LONG, void*, DVTARGETDEVICE*, HDC, HDC dc, LPCRECTL bounds,
                         LPCRECTL, WINBOOL(STDMETHODCALLTYPE*)(ULONG_PTR), ULONG_PTR)
{
    if (aspect != DVASPECT_CONTENT && aspect != DVASPECT_ICON) return DV_E_DVASPECT;
    if (dc == nullptr) return com::status::invalidArg;
    RECT area = position_; // a windowless control in place draws at its position
    if (bounds != nullptr)
        area = {bounds->left, bounds->top, bounds->right, bounds->bottom};
    else if (!inPlaceSite_ || !windowless_)
        return com::status::invalidArg;
    if (!userMode()) drawView(dc, area);
    return com::status::ok;
}

HRESULT OleControl::GetColorSet(DWORD, LONG, void*, DVTARGETDEVICE*, HDC, LOGPALETTE** out)
{
    if (out != nullptr) *out = nullptr;
    return E_NOTIMPL;
}

HRESULT OleControl::SetAdvise(DWORD aspects, DWORD flags, IAdviseSink* sink)
{
    viewSink_ = com::ComPtr<IAdviseSink>(sink);
    viewAspects_ = aspects;
    viewFlags_ = flags;
    return com::status::ok;
}

HRESULT OleControl::GetAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** sink)
{
    if (aspects != nullptr) *aspects = viewAspects_;
    if (flags != nullptr) *flags = viewFlags_;
    if (sink != nullptr) {
        *sink = viewSink_.get();
        if (*sink != nullptr) (*sink)->AddRef();
    }
    return com::status::ok;
}

HRESULT OleControl::GetExtent(DWORD aspect, LONG, DVTARGETDEVICE*, LPSIZEL size)
{
    return GetExtent(aspect, size);
}

HRESULT OleControl::GetViewStatus(DWORD* status)
{
    if (status == nullptr) return com::status::badPointer;
    *status = 0; // transparent: nothing at run time, an icon at design time
    return com::status::ok;
}

HRESULT OleControl::QueryHitPoint(DWORD aspect, LPCRECT bounds, POINT location, LONG, DWORD* hit)
{
    if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    if (bounds == nullptr || hit == nullptr) return com::status::badPointer;
    *hit = ::PtInRect(bounds, location) ? HITRESULT_HIT : HITRESULT_OUTSIDE;
    return com::status::ok;
}

HRESULT OleControl::QueryHitRect(DWORD aspect, LPCRECT bounds, LPCRECT location, LONG, DWORD* hit)
{
    if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    if (bounds == nullptr || location == nullptr || hit == nullptr) return com::status::badPointer;
    RECT common;
    *hit = ::IntersectRect(&common, bounds, location) ? HITRESULT_HIT : HITRESULT_OUTSIDE;
    return com::status::ok;
}

HRESULT OleControl::GetNaturalExtent(DWORD aspect, LONG, DVTARGETDEVICE*, HDC, DVEXTENTINFO*,
                                     LPSIZEL size)
{
    return GetExtent(aspect, size);
}

// ---- IQuickActivate ----

HRESULT OleControl::QuickActivate(QACONTAINER* container, QACONTROL* control)
{
    if (container == nullptr || control == nullptr) return com::status::badPointer;
    if (container->cbSize < sizeof(QACONTAINER) || control->cbSize < sizeof(QACONTROL))
        return com::status::invalidArg;
    SetClientSite(container->pClientSite);
    if (container->pAdviseSink != nullptr) SetAdvise(DVASPECT_CONTENT, 0, container->pAdviseSink);
    control->dwMiscStatus = miscStatus;
    control->dwViewStatus = 0;
    control->dwEventCookie = 0; // __Tallux has no events
    control->dwPropNotifyCookie = 0;
    control->dwPointerActivationPolicy = 0;
    if (container->pPropertyNotifySink != nullptr)
        return points_.advisePropertySink(container->pPropertyNotifySink,
                                          &control->dwPropNotifyCookie);
    return com::status::ok;
}

HRESULT OleControl::SetContentExtent(LPSIZEL size)
{
    return SetExtent(DVASPECT_CONTENT, size);
}

HRESULT OleControl::GetContentExtent(LPSIZEL size)
{
    return GetExtent(DVASPECT_CONTENT, size);
}

} // namespace tallux::win
