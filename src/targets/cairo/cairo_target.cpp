#include "tallux/cairo_target.h"

#include <algorithm>
#include <cmath>

#include <cairo.h>

#include "text/text_layouts.h"

namespace tallux {

struct CairoTarget::State {
    cairo_t* cr;
    double unitsPerInch;
    TextFont font;

    State(cairo_t* context, double upi)
        : cr(cairo_reference(context))
        , unitsPerInch(upi)
    {
    }
    ~State() { cairo_destroy(cr); }
    State(const State&) = delete;
    State& operator=(const State&) = delete;

    // The text shaped for the context as it is now set.
    const ShapedText& layOut(const String& s)
    {
        font.onSurface(shapingKey(cr));
        return *font.layOut(s);
    }
};

CairoTarget::CairoTarget(cairo_t* cr, double unitsPerInch)
    : state_(std::make_unique<State>(cr, unitsPerInch))
{
}

CairoTarget::~CairoTarget() = default;

void CairoTarget::fontChanged(const HostFont& font)
{
    state_->font.set(font, state_->unitsPerInch);
}

void CairoTarget::fillBox(const UnitBox& box, Rgb colour)
{
    cairo_t* cr = state_->cr;
    cairo_save(cr);
    cairo_set_source_rgb(cr, colour.red, colour.green, colour.blue);
    if (cairo_surface_get_type(cairo_get_target(cr)) == CAIRO_SURFACE_TYPE_IMAGE) {
        // Edges on whole device pixels: equal widths in units give equal
        // widths in pixels wherever a unit is a whole number of pixels.
        double x0 = box.x0, y0 = box.y0, x1 = box.x1, y1 = box.y1;
        cairo_user_to_device(cr, &x0, &y0);
        cairo_user_to_device(cr, &x1, &y1);
        const auto snap = [](double v) { return std::floor(v + 0.5); };
        x0 = snap(x0), y0 = snap(y0), x1 = snap(x1), y1 = snap(y1);
        cairo_identity_matrix(cr);
        cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
        cairo_rectangle(cr, std::min(x0, x1), std::min(y0, y1), std::abs(x1 - x0),
                        std::abs(y1 - y0));
    } else {
        cairo_rectangle(cr, box.x0, box.y0, box.x1 - box.x0, box.y1 - box.y0);
    }
    cairo_fill(cr);
    cairo_restore(cr);
}

TextMetrics CairoTarget::drawText(const String& s, double x, double y, Rgb colour)
{
    cairo_t* cr = state_->cr;
    const ShapedText& text = state_->layOut(s);
    cairo_save(cr);
    cairo_set_source_rgb(cr, colour.red, colour.green, colour.blue);
    cairo_move_to(cr, x, y);
    showShapedText(cr, text, false);
    cairo_restore(cr);
    return metricsOf(text);
}

TextMetrics CairoTarget::measureText(const String& s)
{
    return metricsOf(state_->layOut(s));
}

} // namespace tallux
