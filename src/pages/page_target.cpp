#include <utility>

#include <cairo.h>

#include "pages/display_list.h"

namespace tallux {

namespace {

// Units per inch and the resolution of each kind of unit when none is set,
// by ScaleUnits; a pixel is as large as the resolution makes it.
constexpr double perInch[] = {1440, 72, 0, 25.4};
constexpr double defaultDpi[] = {1440, 360, 96, 304.8};

} // namespace

double Scale::unitsPerInch() const noexcept
{
    const double u = perInch[static_cast<std::size_t>(units)];
    return u > 0 ? u : resolution();
}

double Scale::resolution() const noexcept
{
    return dpi > 0 ? dpi : defaultDpi[static_cast<std::size_t>(units)];
}

ShapingKey pageSurface(FileFormat format, const Scale& scale)
{
    ShapingKey key;
    const bool raster = format == FileFormat::Png;
    key.surface = raster ? CAIRO_SURFACE_TYPE_IMAGE : CAIRO_SURFACE_TYPE_RECORDING;
    key.xx = key.yy = raster ? scale.pixelsPerUnit() : 72.0 / scale.unitsPerInch();
    return key;
}

PageTarget::PageTarget(FileFormat format, const Scale& scale)
    : unitsPerInch_(scale.unitsPerInch())
{
    list_.surface = pageSurface(format, scale);
    font_.onSurface(list_.surface);
    list_.items.reserve(128); // a symbol's elements, mostly
}

void PageTarget::clear() noexcept
{
    list_.items.clear();
    list_.drawn = {};
}

DisplayList PageTarget::take() noexcept
{
    DisplayList taken = std::exchange(list_, DisplayList{list_.surface, {}, {}});
    return taken;
}

void PageTarget::fontChanged(const HostFont& font)
{
    font_.set(font, unitsPerInch_);
}

void PageTarget::fillBox(const UnitBox& box, Rgb colour)
{
    DrawnRegion& d = list_.drawn;
    const double width = box.x1 - box.x0;
    d.narrowest = d.narrowest == 0 ? width : std::min(d.narrowest, width);
    d.add(box);
    list_.items.push_back({box, colour, nullptr});
}

TextMetrics PageTarget::drawText(const String& s, double x, double y, Rgb colour)
{
    const std::shared_ptr<ShapedText>& text = font_.layOut(s);
    const UnitBox where = logicalBox(*text, x, y);
    if (where.x1 > where.x0) list_.drawn.add(where);
    list_.items.push_back({where, colour, text, x, y});
    return metricsOf(*text);
}

TextMetrics PageTarget::measureText(const String& s)
{
    return metricsOf(*font_.layOut(s));
}

} // namespace tallux
