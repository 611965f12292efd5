#include <cairo.h>

#include "tallux/cairo_target.h"

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

MeasuringTarget::MeasuringTarget(const Scale& scale)
    : MeasuringTarget(cairo_create(cairo_image_surface_create(CAIRO_FORMAT_A8, 1, 1)), scale)
{
}

// Draws on a one-pixel surface whose clip hides everything: only the extent
// and the text measures are kept.
MeasuringTarget::MeasuringTarget(cairo_t* cr, const Scale& scale)
    : CairoTarget(cr, scale.unitsPerInch())
    , cr_(cr)
{
    cairo_new_path(cr_);
    cairo_rectangle(cr_, 0, 0, 0, 0);
    cairo_clip(cr_);
    drawForPage(nullptr);
}

MeasuringTarget::~MeasuringTarget()
{
    // The surface's own reference; the target's reference to the context
    // keeps both alive until the base class lets go of them.
    cairo_surface_t* surface = cairo_get_target(cr_);
    cairo_destroy(cr_);
    cairo_surface_destroy(surface);
}

} // namespace tallux
