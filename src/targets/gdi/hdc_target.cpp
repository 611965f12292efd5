#include "tallux/hdc_target.h"

#include <algorithm>
#include <cmath>

#include "tallux/host_target.h"
#include "targets/gdi/gdi_surface.h"

namespace tallux {

namespace {

// Font sizes the hosts accept, in points; smaller and larger sizes are drawn
// at the nearest of these, so that FontSize never fails (pWidth 1 asks for 0).
constexpr int smallestPoints = 1;
constexpr int largestPoints = 2160;

// GDI takes logical coordinates of 27 bits; an edge beyond lies at the limit,
// where it shows as much as the drawing surface can.
constexpr double coordinateLimit = 1 << 27;

// The logical unit nearest to a position, halves up, as device pixels are
// chosen for the cairo target's boxes.
int nearestUnit(double v)
{
    return static_cast<int>(std::floor(std::clamp(v, -coordinateLimit, coordinateLimit) + 0.5));
}

COLORREF colorRef(const Rgb& c)
{
    const auto byte = [](double v) { return static_cast<BYTE>(std::lround(v * 255)); };
    return RGB(byte(c.red), byte(c.green), byte(c.blue));
}

// The target refuses a value with its own number, as the hosts' objects do.
[[noreturn]] void reject(std::int32_t number, const char* what)
{
    throw RuntimeError(number, what);
}

std::wstring wide(const String& s)
{
    return {s.begin(), s.end()};
}

} // namespace

struct HdcTarget::State {
    gdi::Surface surface;
    gdi::FontRequest font{L"Arial", 8, false};
    COLORREF fore = RGB(0, 0, 0);
    double x = 0, y = 0;

    explicit State(HDC dc)
        : surface(dc)
    {
    }
};

HdcTarget::HdcTarget(HDC dc)
    : state_(std::make_unique<State>(dc))
{
}

HdcTarget::~HdcTarget() = default;

void HdcTarget::FontName(const String& value)
{
    state_->surface.check();
    // GDI's font mapper substitutes a similar face for a name it lacks: a
    // name is never refused. A face name ends at its first NUL.
    std::wstring face = wide(value);
    face.resize(std::min({face.find(L'\0'), face.size(), std::size_t{LF_FACESIZE - 1}}));
    state_->font.face = std::move(face);
}

void HdcTarget::ForeColor(Long value)
{
    state_->surface.check();
    const auto color = hostColor(value);
    if (!color) reject(err::InvalidPropertyValue, "Invalid property value: not a colour");
    state_->fore = colorRef(*color);
}

void HdcTarget::FontBold(Boolean value)
{
    state_->surface.check();
    state_->font.bold = static_cast<bool>(value);
}

void HdcTarget::FontSize(Integer value)
{
    state_->surface.check();
    state_->font.points = std::clamp(int{value.value()}, smallestPoints, largestPoints);
}

void HdcTarget::CurrentX(Number value)
{
    state_->surface.check();
    if (!std::isfinite(value.value())) reject(err::InvalidPropertyValue, "Invalid property value");
    state_->x = value.value();
}

void HdcTarget::CurrentY(Single value)
{
    state_->surface.check();
    if (!std::isfinite(value)) reject(err::InvalidPropertyValue, "Invalid property value");
    state_->y = value;
}

void HdcTarget::Line(Integer flags, Integer x1, Single y1, Integer x2, Single y2, Long color)
{
    state_->surface.check();
    if (flags != filledBox) reject(err::InvalidCall, "Line draws filled boxes only (flags 38)");
    const auto rgb = hostColor(color);
    if (!rgb) reject(err::InvalidCall, "Invalid procedure call or argument: not a colour");
    if (!std::isfinite(y1) || !std::isfinite(y2))
        reject(err::InvalidCall, "Invalid procedure call or argument");

    // Both corners inclusive: the box runs from x1 to x2 + 1 units, so an
    // element of width w covers exactly w units.
    const int ax = x1.value(), bx = x2.value() + 1;
    const int ay = nearestUnit(y1), by = nearestUnit(double{y2} + 1.0);
    const RECT box{std::min(ax, bx), std::min(ay, by), std::max(ax, bx), std::max(ay, by)};
    if (box.left == box.right || box.top == box.bottom) return; // covers nothing
    state_->surface.fill(box, colorRef(*rgb));
}

void HdcTarget::Print(const String& s)
{
    State& st = *state_;
    const double step =
        st.surface.text(nearestUnit(st.x), nearestUnit(st.y), st.font, st.fore, wide(s));
    // The print position moves to the start of the next line.
    st.x = 0;
    st.y += step;
}

Number HdcTarget::TextWidth(const String& s)
{
    return static_cast<Single>(state_->surface.measure(state_->font, wide(s)).width);
}

Number HdcTarget::TextHeight(const String& s)
{
    return static_cast<Single>(state_->surface.measure(state_->font, wide(s)).height);
}

double HdcTarget::currentX() const noexcept
{
    return state_->x;
}

double HdcTarget::currentY() const noexcept
{
    return state_->y;
}

} // namespace tallux
