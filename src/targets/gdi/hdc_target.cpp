#include "tallux/hdc_target.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cwchar>
#include <string>
#include <utility>

#include "tallux/error.h"

namespace tallux {

namespace {

// GDI takes logical coordinates of 27 bits; an edge beyond lies at the limit,
// where it shows as much as the drawing surface can.
constexpr double coordinateLimit = 1 << 27;

// What SelectObject returns for a failure (HGDI_ERROR, without its sign change).
const HGDIOBJ selectFailed = reinterpret_cast<HGDIOBJ>(static_cast<LONG_PTR>(-1));

// The logical unit nearest to a position, halves up, as device pixels are
// chosen for the cairo target's boxes.
int nearestUnit(double v)
{
    return static_cast<int>(std::floor(std::clamp(v, -coordinateLimit, coordinateLimit) + 0.5));
}

COLORREF colorRef(Rgb c)
{
    const std::uint32_t rgb = packedRgb(c);
    return RGB(rgb >> 16, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

std::wstring wide(const String& s)
{
    return {s.begin(), s.end()};
}

// A call that the device context refused, by its name and the Win32 error.
[[noreturn]] void refused(const char* call)
{
    throw RuntimeError(err::InvalidCall, std::string("The device context refused ") + call +
                                             " (Win32 error " + std::to_string(::GetLastError()) +
                                             ")");
}

// Takes a change to the DC back when the call ends.
template <class Undo>
class Undone {
public:
    explicit Undone(Undo undo)
        : undo_(std::move(undo))
    {
    }
    ~Undone() { undo_(); }
    Undone(const Undone&) = delete;
    Undone& operator=(const Undone&) = delete;

private:
    Undo undo_;
};

// An object selected into the DC for one call; the one it replaced goes back.
auto selected(HDC dc, HGDIOBJ object)
{
    const HGDIOBJ old = ::SelectObject(dc, object);
    if (old == nullptr || old == selectFailed) refused("SelectObject");
    return Undone([dc, old] { ::SelectObject(dc, old); });
}

// The DC's settings saved for one call and restored after it.
auto saved(HDC dc)
{
    const int level = ::SaveDC(dc);
    if (level == 0) refused("SaveDC");
    return Undone([dc, level] { ::RestoreDC(dc, level); });
}

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

// Logical units per device pixel along the DC's y axis, negative where the
// logical y runs up the device.
double unitsPerPixel(HDC dc)
{
    constexpr int span = 4096; // device pixels measured, for the precision of a fraction
    POINT p[2] = {{0, 0}, {0, span}};
    if (!::DPtoLP(dc, p, 2)) refused("DPtoLP");
    const double length = std::hypot(p[1].x - p[0].x, p[1].y - p[0].y) / span;
    return p[1].y < p[0].y ? -length : length;
}

// The character height of a size in points, in the DC's logical units: its
// vertical resolution gives device pixels, its mapping turns them into units.
LONG logicalHeight(HDC dc, int points)
{
    const int dpi = ::GetDeviceCaps(dc, LOGPIXELSY);
    if (dpi <= 0) refused("GetDeviceCaps(LOGPIXELSY)");
    const double height = points * dpi / 72.0 * std::abs(unitsPerPixel(dc));
    if (!(height < 1e8)) refused("DPtoLP"); // no font that large in these units
    return std::max(1L, std::lround(height));
}

bool sameFont(const LOGFONTW& a, const LOGFONTW& b)
{
    return a.lfHeight == b.lfHeight && a.lfWeight == b.lfWeight &&
           std::wcscmp(a.lfFaceName, b.lfFaceName) == 0;
}

} // namespace

HdcTarget::HdcTarget(HDC dc)
    : dc_(dc)
{
}

HdcTarget::~HdcTarget()
{
    if (font_ != nullptr) ::DeleteObject(font_);
}

void HdcTarget::check() const
{
    if (dc_ == nullptr) throw RuntimeError(err::ObjectNotSet, "HdcTarget has no device context");
}

HFONT HdcTarget::font()
{
    const HostFont& asked = textFont();
    LOGFONTW f{};
    // Negative: the character height (the em), as a point size means.
    f.lfHeight = -logicalHeight(dc_, asked.points);
    f.lfWeight = asked.bold ? FW_BOLD : FW_NORMAL;
    f.lfCharSet = DEFAULT_CHARSET;
    f.lfOutPrecision = OUT_DEFAULT_PRECIS;
    f.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    f.lfQuality = DEFAULT_QUALITY;
    f.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
    // GDI's font mapper substitutes a similar face for a name it lacks; a
    // face name ends at its first NUL and holds LF_FACESIZE - 1 characters.
    const std::wstring face = wide(asked.name);
    face.copy(f.lfFaceName, std::min(face.find(L'\0'), std::size_t{LF_FACESIZE - 1}));
    if (font_ != nullptr && sameFont(f, made_)) return font_;

    HFONT made = ::CreateFontIndirectW(&f);
    if (made == nullptr) refused("CreateFontIndirectW");
    if (font_ != nullptr) ::DeleteObject(font_);
    font_ = made;
    made_ = f;
    return font_;
}

TextMetrics HdcTarget::extent(const std::wstring& s)
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

void HdcTarget::fillBox(const UnitBox& box, Rgb colour)
{
    const RECT r{nearestUnit(box.x0), nearestUnit(box.y0), nearestUnit(box.x1),
                 nearestUnit(box.y1)};
    check();
    if (r.left == r.right || r.top == r.bottom) return; // covers no whole unit
    // PatBlt, unlike FillRect, reports a refusal.
    const Brush brush(colorRef(colour));
    const auto selection = selected(dc_, brush.get());
    if (!::PatBlt(dc_, r.left, r.top, r.right - r.left, r.bottom - r.top, PATCOPY))
        refused("PatBlt");
}

TextMetrics HdcTarget::measureText(const String& s)
{
    check();
    const auto selection = selected(dc_, font());
    return extent(wide(s));
}

TextMetrics HdcTarget::drawText(const String& s, double x, double y, Rgb colour)
{
    check();
    HFONT f = font();
    const auto settings = saved(dc_); // text colour, background mode and alignment
    const auto selection = selected(dc_, f);
    if (::SetTextAlign(dc_, TA_LEFT | TA_TOP | TA_NOUPDATECP) == ~UINT{0}) refused("SetTextAlign");
    if (::SetTextColor(dc_, colorRef(colour)) == CLR_INVALID) refused("SetTextColor");
    if (::SetBkMode(dc_, TRANSPARENT) == 0) refused("SetBkMode");
    const std::wstring text = wide(s);
    const TextMetrics e = extent(text);
    if (!text.empty() && !::TextOutW(dc_, nearestUnit(x), nearestUnit(y), text.data(),
                                     static_cast<int>(text.size())))
        refused("TextOutW");
    // The step to the next line lies below on the device.
    return {0, unitsPerPixel(dc_) < 0 ? -e.height : e.height};
}

} // namespace tallux
