#include "automation/windows/about_dialog.h"

#include <atomic>
#include <cmath>
#include <vector>

#include "automation/windows/resources.h"
#include "automation/windows/win32.h"
#include "tallux/about.h"
#include "tallux/tallux.h"

namespace tallux::win {

namespace {

using about::frmAbout;

constexpr int twipsPerInch = 1440;
constexpr DWORD dialogStyle = DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU;

// Child control identifiers.
enum : int { idLang = 100, idTitle = 200, idVersion, idDesk, idImage };

const wchar_t* text(const String& s) noexcept
{
    return reinterpret_cast<const wchar_t*>(s.c_str());
}

// The English and Chinese logo titles.
constexpr const wchar_t* logoTitles[] = {L"Tallux Barcodes",
                                         L"\u689D\u78BC\u7E6A\u5716\u5143\u4EF6"};

// Whether the dialog is showing, and its window once it has loaded.
std::atomic<bool> showing{false};
std::atomic<HWND> openDialog{nullptr};

// One showing of the dialog: the model and the windows and fonts presenting it.
class AboutWindow {
public:
    ~AboutWindow()
    {
        for (HFONT font : fonts_) ::DeleteObject(font);
        if (icon_ != nullptr) ::DestroyIcon(icon_);
    }

    static INT_PTR CALLBACK procedure(HWND dialog, UINT message, WPARAM w, LPARAM l) noexcept
    {
        if (message == WM_INITDIALOG) {
            ::SetWindowLongPtrW(dialog, DWLP_USER, l);
            openDialog = dialog;
        }
        auto* self = reinterpret_cast<AboutWindow*>(::GetWindowLongPtrW(dialog, DWLP_USER));
        if (self == nullptr) return FALSE;
        try {
            return self->handle(dialog, message, w, l);
        } catch (...) {
            ::EndDialog(dialog, -1);
            return TRUE;
        }
    }

private:
    INT_PTR handle(HWND dialog, UINT message, WPARAM w, LPARAM l)
    {
        switch (message) {
        case WM_INITDIALOG: load(dialog); return TRUE;
        case WM_ACTIVATE:
            if (LOWORD(w) != WA_INACTIVE) {
                model_.Form_Activate();
                ::SetWindowTextW(version_, text(model_.lblVersion.Caption));
            }
            return FALSE;
        case WM_COMMAND:
            if (HIWORD(w) != BN_CLICKED) return FALSE;
            if (LOWORD(w) == IDOK || LOWORD(w) == IDCANCEL) {
                model_.cmdOK_Click(); // the close box and Escape unload it as well
                ::EndDialog(dialog, IDOK);
            } else if (LOWORD(w) >= idLang && LOWORD(w) < idLang + 2) {
                model_.cmdLang_Click(LOWORD(w) - idLang);
                refresh();
            }
            return TRUE;
        case WM_CTLCOLORSTATIC: {
            const auto dc = reinterpret_cast<HDC>(w);
            const auto control = reinterpret_cast<HWND>(l);
            ::SetBkMode(dc, TRANSPARENT);
            if (control == title_)
                ::SetTextColor(dc, static_cast<COLORREF>(model_.lblTitle.ForeColor));
            if (control == version_)
                ::SetTextColor(dc, static_cast<COLORREF>(model_.lblVersion.ForeColor));
            return reinterpret_cast<INT_PTR>(::GetSysColorBrush(COLOR_BTNFACE));
        }
        case WM_DRAWITEM: paintDesk(*reinterpret_cast<const DRAWITEMSTRUCT*>(l)); return TRUE;
        case WM_PAINT: paintLines(dialog); return TRUE;
        default: return FALSE;
        }
    }

    int px(Long twips) const noexcept { return ::MulDiv(twips, dpi_, twipsPerInch); }

    HWND child(const wchar_t* kind, const String& caption, DWORD style, const about::Bounds& b,
               int id, POINT origin = {})
    {
        return ::CreateWindowExW(
            0, kind, text(caption), WS_CHILD | WS_VISIBLE | style, origin.x + px(b.Left),
            origin.y + px(b.Top), px(b.Width), px(b.Height), dialog_,
            reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), thisModule(), nullptr);
    }

    // The font of a control; `chinese` takes a Traditional Chinese face of the
    // same size, as the named faces lack its glyphs.
    HFONT makeFont(const about::Font& f, bool chinese = false)
    {
        const int height = -static_cast<int>(std::lround(f.Size * static_cast<float>(dpi_) / 72));
        const String name(f.Name);
        HFONT font = ::CreateFontW(height, 0, 0, 0, f.Bold ? FW_BOLD : FW_NORMAL, f.Italic, FALSE,
                                   FALSE, chinese ? CHINESEBIG5_CHARSET : DEFAULT_CHARSET,
                                   OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                   DEFAULT_PITCH, chinese ? L"PMingLiU" : text(name));
        if (font != nullptr) fonts_.push_back(font);
        return font;
    }
    void setFont(HWND window, const about::Font& f)
    {
        if (HFONT font = makeFont(f))
            ::SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    }

    // Form_Load, then the controls at their design-time places.
    void load(HWND dialog)
    {
        dialog_ = dialog;
        const HDC screen = ::GetDC(nullptr);
        dpi_ = ::GetDeviceCaps(screen, LOGPIXELSX);
        ::ReleaseDC(nullptr, screen);

        RECT outer{0, 0, px(frmAbout::ScaleWidth), px(frmAbout::ScaleHeight)};
        ::AdjustWindowRectEx(&outer, dialogStyle, FALSE, 0);
        const auto twips = [&](int pixels) {
            return static_cast<Long>(::MulDiv(pixels, twipsPerInch, dpi_));
        };
        model_.Width = twips(outer.right - outer.left);
        model_.Height = twips(outer.bottom - outer.top);
        model_.Form_Load(static_cast<Single>(twips(::GetSystemMetrics(SM_CXSCREEN))),
                         static_cast<Single>(twips(::GetSystemMetrics(SM_CYSCREEN))));
        ::SetWindowPos(dialog, nullptr, px(static_cast<Long>(model_.Left)),
                       px(static_cast<Long>(model_.Top)), outer.right - outer.left,
                       outer.bottom - outer.top, SWP_NOZORDER);

        title_ =
            child(L"STATIC", model_.lblTitle.Caption, SS_LEFT, model_.lblTitle.bounds, idTitle);
        setFont(title_, model_.lblTitle.font);
        version_ = child(L"STATIC", model_.lblVersion.Caption, SS_LEFT, model_.lblVersion.bounds,
                         idVersion);
        setFont(version_, model_.lblVersion.font);
        for (int i = 0; i < 2; ++i) {
            const about::CommandButton& b = model_.cmdLang[static_cast<std::size_t>(i)];
            setFont(child(L"BUTTON", b.Caption, WS_TABSTOP | BS_PUSHBUTTON, b.bounds, idLang + i),
                    b.font);
        }
        desk_ = child(L"STATIC", u"", SS_OWNERDRAW, model_.picDesk.bounds, idDesk);
        const POINT strip{px(model_.Picture1.bounds.Left), px(model_.Picture1.bounds.Top)};
        ok_ = child(L"BUTTON", model_.cmdOK.Caption, WS_TABSTOP | BS_DEFPUSHBUTTON,
                    model_.cmdOK.bounds, IDOK, strip);
        okFonts_[about::english] = makeFont(model_.cmdOK.font);
        okFonts_[about::chinese] = makeFont(model_.cmdOK.font, true);
        const HWND image =
            child(L"STATIC", u"", SS_ICON | SS_REALSIZECONTROL, model_.Image1.bounds, idImage);
        icon_ = static_cast<HICON>(::LoadImageW(thisModule(), MAKEINTRESOURCEW(controlIconId),
                                                IMAGE_ICON, 32, 32, LR_DEFAULTCOLOR));
        ::SendMessageW(image, STM_SETICON, reinterpret_cast<WPARAM>(icon_), 0);
        ::SendMessageW(dialog, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
        ::SetFocus(ok_);
        refresh();
    }

    void refresh()
    {
        ::SetWindowTextW(dialog_, text(model_.Caption));
        // The language shown is the one whose logo is visible.
        const std::size_t language =
            model_.picLogos[about::chinese].Visible ? about::chinese : about::english;
        ::SendMessageW(ok_, WM_SETFONT, reinterpret_cast<WPARAM>(okFonts_[language]), TRUE);
        ::SetWindowTextW(ok_, text(model_.cmdOK.Caption));
        ::InvalidateRect(desk_, nullptr, TRUE);
    }

    // picDesk: white, with the visible logo drawn in the logo's own pixels,
    // scaled to its place: a few bars and the title.
    void paintDesk(const DRAWITEMSTRUCT& item) const
    {
        const HDC dc = item.hDC;
        ::FillRect(dc, &item.rcItem, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
        for (std::size_t i = 0; i < model_.picLogos.size(); ++i) {
            const about::PictureBox& logo = model_.picLogos[i];
            if (!logo.Visible) continue;
            const int saved = ::SaveDC(dc);
            ::SetMapMode(dc, MM_ANISOTROPIC);
            ::SetWindowExtEx(dc, about::logoPixelWidth, about::logoPixelHeight, nullptr);
            ::SetViewportExtEx(dc, px(logo.bounds.Width), px(logo.bounds.Height), nullptr);
            ::SetViewportOrgEx(dc, px(logo.bounds.Left), px(logo.bounds.Top), nullptr);
            const HBRUSH navy = ::CreateSolidBrush(RGB(0, 0, 128));
            constexpr int widths[] = {1, 3, 1, 1, 3, 1, 3, 1, 1, 3, 1, 1, 1, 3, 3, 1, 1, 1, 3, 1};
            int x = 8;
            for (std::size_t k = 0; k < std::size(widths); ++k) {
                const RECT bar{x, 8, x + 2 * widths[k], 61};
                if (k % 2 == 0) ::FillRect(dc, &bar, navy);
                x += 2 * widths[k] + 2;
            }
            ::DeleteObject(navy);
            // The Chinese title asks for the Big5 character set, so that the
            // system picks a face that has its characters, as for the buttons.
            const bool chinese = i == about::chinese;
            HFONT font = ::CreateFontW(-30, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE,
                                       chinese ? CHINESEBIG5_CHARSET : DEFAULT_CHARSET,
                                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                       DEFAULT_PITCH, chinese ? L"PMingLiU" : L"Arial");
            const HGDIOBJ old = ::SelectObject(dc, font);
            ::SetBkMode(dc, TRANSPARENT);
            ::SetTextColor(dc, RGB(0, 0, 128));
            RECT line{170, 0, about::logoPixelWidth - 10, about::logoPixelHeight};
            ::DrawTextW(dc, logoTitles[i], -1, &line, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
            ::SelectObject(dc, old);
            ::DeleteObject(font);
            ::RestoreDC(dc, saved);
        }
    }

    // The separators of Line1. The bottom strip Picture1, which only holds
    // the OK button, is the dialog's own face, as in the Qt dialog.
    void paintLines(HWND dialog) const
    {
        PAINTSTRUCT paint;
        const HDC dc = ::BeginPaint(dialog, &paint);
        for (const about::LineShape& line : model_.Line1) {
            const HPEN pen = ::CreatePen(PS_SOLID, 1, static_cast<COLORREF>(line.BorderColor));
            const HGDIOBJ old = ::SelectObject(dc, pen);
            ::MoveToEx(dc, px(line.X1), px(line.Y1), nullptr);
            ::LineTo(dc, px(line.X2), px(line.Y2));
            ::SelectObject(dc, old);
            ::DeleteObject(pen);
        }
        ::EndPaint(dialog, &paint);
    }

    frmAbout model_;
    HWND dialog_ = nullptr, title_ = nullptr, version_ = nullptr, desk_ = nullptr, ok_ = nullptr;
    HICON icon_ = nullptr;
    int dpi_ = 96;
    HFONT okFonts_[2] = {};
    std::vector<HFONT> fonts_;
};

// The dialog's template: no controls (they are placed in twips when it
// loads), its size set then too.
struct alignas(4) DialogTemplate {
    DLGTEMPLATE header{dialogStyle, 0, 0, 0, 0, 0, 0};
    WORD menu = 0, windowClass = 0, title = 0;
};

bool interactiveDesktop() noexcept
{
    USEROBJECTFLAGS flags{};
    return ::GetUserObjectInformationW(::GetProcessWindowStation(), UOI_FLAGS, &flags, sizeof flags,
                                       nullptr) == FALSE ||
           (flags.dwFlags & WSF_VISIBLE) != 0;
}

[[noreturn]] void unavailable(const char* why)
{
    throw RuntimeError(aboutBoxUnavailable, std::string("The about box cannot be shown: ") + why);
}

} // namespace

void installAboutBox()
{
    static const bool installed = (setAboutBoxPresenter([](void*) { showAboutBox(); }), true);
    (void)installed;
}

void showAboutBox()
{
    if (showing.exchange(true)) {
        // Already showing: to the front, not a second one.
        if (const HWND open = openDialog.load()) ::SetForegroundWindow(open);
        return;
    }
    struct Done {
        ~Done()
        {
            openDialog = nullptr;
            showing = false;
        }
    } done;
    if (!interactiveDesktop()) unavailable("the process has no interactive desktop");
    static const DialogTemplate dialogTemplate;
    AboutWindow window;
    const INT_PTR result =
        ::DialogBoxIndirectParamW(thisModule(), &dialogTemplate.header, nullptr,
                                  AboutWindow::procedure, reinterpret_cast<LPARAM>(&window));
    if (result <= 0) unavailable("no window could be created (is there a display?)");
}

} // namespace tallux::win
