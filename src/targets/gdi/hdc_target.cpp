#include "tallux/hdc_target.h"

#include <algorithm>
#include <cmath>

#include "targets/gdi/gdi_surface.h"

namespace tallux {

namespace {

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

std::wstring wide(const String& s)
{
    return {s.begin(), s.end()};
}

} // namespace

HdcTarget::HdcTarget(HDC dc)
    : surface_(std::make_unique<gdi::Surface>(dc))
    , font_(std::make_unique<gdi::FontRequest>(gdi::FontRequest{L"Arial", 8, false}))
{
}

HdcTarget::~HdcTarget() = default;

void HdcTarget::fontChanged(const HostFont& font)
{
    // GDI's font mapper substitutes a similar face for a name it lacks; a
    // face name ends at its first NUL and holds LF_FACESIZE - 1 characters.
    std::wstring face = wide(font.name);
    face.resize(std::min({face.find(L'\0'), face.size(), std::size_t{LF_FACESIZE - 1}}));
    *font_ = {std::move(face), font.points, font.bold};
}

void HdcTarget::fillBox(const UnitBox& box, Rgb colour)
{
    const RECT r{nearestUnit(box.x0), nearestUnit(box.y0), nearestUnit(box.x1),
                 nearestUnit(box.y1)};
    surface_->check();
    if (r.left == r.right || r.top == r.bottom) return; // covers no whole unit
    surface_->fill(r, colorRef(colour));
}

TextMetrics HdcTarget::measureText(const String& s)
{
    const gdi::TextExtent e = surface_->measure(*font_, wide(s));
    return {e.width, e.height};
}

TextMetrics HdcTarget::drawText(const String& s, double x, double y, Rgb colour)
{
    const double step =
        surface_->text(nearestUnit(x), nearestUnit(y), *font_, colorRef(colour), wide(s));
    return {0, step};
}

} // namespace tallux
