#include "targets/gdi/gdi_surface.h"

#include <algorithm>
#include <cmath>
#include <cwchar>
#include <string>

#include "tallux/error.h"

namespace tallux::gdi {

namespace {

// What SelectObject returns for a failure (HGDI_ERROR, without its sign change).
const HGDIOBJ selectFailed = reinterpret_cast<HGDIOBJ>(static_cast<LONG_PTR>(-1));

// A call that the device context refused, by its name and the Win32 error.
[[noreturn]] void refused(const char* call)
{
    throw RuntimeError(err::InvalidCall, std::string("The device context refused ") + call +
                                             " (Win32 error " + std::to_string(::GetLastError()) +
                                             ")");
}

// An object selected into the DC for one call; the one it replaced goes back.
class Selected {
public:
    Selected(HDC dc, HGDIOBJ object)
        : dc_(dc)
        , old_(::SelectObject(dc, object))
    {
        if (old_ == nullptr || old_ == selectFailed) refused("SelectObject");
    }
    ~Selected() { ::SelectObject(dc_, old_); }
    Selected(const Selected&) = delete;
    Selected& operator=(const Selected&) = delete;

private:
    HDC dc_;
    HGDIOBJ old_;
};

// The DC's settings saved for one call and restored after it.
class Saved {
public:
    explicit Saved(HDC dc)
        : dc_(dc)
        , level_(::SaveDC(dc))
    {
        if (level_ == 0) refused("SaveDC");
    }
    ~Saved() { ::RestoreDC(dc_, level_); }
    Saved(const Saved&) = delete;
    Saved& operator=(const Saved&) = delete;

private:
    HDC dc_;
    int level_;
};

class Brush {
public:
    explicit Brush(COLORREF color)
        : brush_(::CreateSolidBrush(color))
    {
        if (brush_ == nullptr) refused("CreateSolidBrush");
    }
    ~Brush() { ::DeleteObject(brush_); }
    Brush(const Brush&) = delete;
    Brush& operator=(const Brush&) = delete;
    HBRUSH get() const noexcept { return brush_; }

private:
    HBRUSH brush_;
};

// The character height of a size in points, in the DC's logical units: its
// vertical resolution gives device pixels, its mapping turns them into units.
LONG logicalHeight(HDC dc, int points)
{
    const int dpi = ::GetDeviceCaps(dc, LOGPIXELSY);
    if (dpi <= 0) refused("GetDeviceCaps(LOGPIXELSY)");
    constexpr int span = 4096; // device pixels measured, for the precision of a fraction
    POINT p[2] = {{0, 0}, {0, span}};
    if (!::DPtoLP(dc, p, 2)) refused("DPtoLP");
    const double unitsPerPixel = std::hypot(p[1].x - p[0].x, p[1].y - p[0].y) / span;
    const double height = points * dpi / 72.0 * unitsPerPixel;
    if (!(height < 1e8)) refused("DPtoLP"); // no font that large in these units
    return std::max(1L, std::lround(height));
}

bool sameFont(const LOGFONTW& a, const LOGFONTW& b)
{
    return a.lfHeight == b.lfHeight && a.lfWeight == b.lfWeight &&
           std::wcscmp(a.lfFaceName, b.lfFaceName) == 0;
}

} // namespace

Surface::~Surface()
{
    if (font_ != nullptr) ::DeleteObject(font_);
}

void Surface::check() const
{
    if (dc_ == nullptr) throw RuntimeError(err::ObjectNotSet, "HdcTarget has no device context");
}

void Surface::fill(const RECT& box, COLORREF color)
{
    check();
    // PatBlt, unlike FillRect, reports a refusal.
    const Brush brush(color);
    const Selected selected(dc_, brush.get());
    if (!::PatBlt(dc_, box.left, box.top, box.right - box.left, box.bottom - box.top, PATCOPY))
        refused("PatBlt");
}

HFONT Surface::font(const FontRequest& request)
{
    LOGFONTW f{};
    // Negative: the character height (the em), as a point size means.
    f.lfHeight = -logicalHeight(dc_, request.points);
    f.lfWeight = request.bold ? FW_BOLD : FW_NORMAL;
    f.lfCharSet = DEFAULT_CHARSET;
    f.lfOutPrecision = OUT_DEFAULT_PRECIS;
    f.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    f.lfQuality = DEFAULT_QUALITY;
    f.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
    request.face.copy(f.lfFaceName, LF_FACESIZE - 1);
    if (font_ != nullptr && sameFont(f, made_)) return font_;

    HFONT made = ::CreateFontIndirectW(&f);
    if (made == nullptr) refused("CreateFontIndirectW");
    if (font_ != nullptr) ::DeleteObject(font_);
    font_ = made;
    made_ = f;
    return font_;
}

TextExtent Surface::extent(std::wstring_view s)
{
    if (s.empty()) {
        // An empty text is one line high, as a printed empty line is.
        TEXTMETRICW m{};
        if (!::GetTextMetricsW(dc_, &m)) refused("GetTextMetricsW");
        return {0, static_cast<double>(m.tmHeight)};
    }
    SIZE size{};
    if (!::GetTextExtentPoint32W(dc_, s.data(), static_cast<int>(s.size()), &size))
        refused("GetTextExtentPoint32W");
    return {static_cast<double>(size.cx), static_cast<double>(size.cy)};
}

double Surface::downwards()
{
    POINT p[2] = {{0, 0}, {0, 1 << 12}};
    if (!::DPtoLP(dc_, p, 2)) refused("DPtoLP");
    return p[1].y < p[0].y ? -1 : 1;
}

double Surface::text(int x, int y, const FontRequest& request, COLORREF color, std::wstring_view s)
{
    check();
    HFONT f = font(request);
    const Saved saved(dc_); // text colour, background mode and alignment
    const Selected selected(dc_, f);
    if (::SetTextAlign(dc_, TA_LEFT | TA_TOP | TA_NOUPDATECP) == ~UINT{0}) refused("SetTextAlign");
    if (::SetTextColor(dc_, color) == CLR_INVALID) refused("SetTextColor");
    if (::SetBkMode(dc_, TRANSPARENT) == 0) refused("SetBkMode");
    const TextExtent e = extent(s);
    if (!s.empty() && !::TextOutW(dc_, x, y, s.data(), static_cast<int>(s.size())))
        refused("TextOutW");
    return e.height * downwards();
}

TextExtent Surface::measure(const FontRequest& request, std::wstring_view s)
{
    check();
    const Selected selected(dc_, font(request));
    return extent(s);
}

} // namespace tallux::gdi
