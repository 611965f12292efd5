#include <string>

#include <cairo-ps.h>

#include "pages/page_writers.h"
#include "targets/cairo/stable_output.h"

namespace tallux {

namespace {

cairo_status_t append(void* closure, const unsigned char* data, unsigned int length)
{
    static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
    return CAIRO_STATUS_SUCCESS;
}

} // namespace

// cairo writes PostScript: the list is painted on its surface, the page
// turned and the drawing in scale units.
std::string writePostScript(const DisplayList& list, const PageLayout& l,
                            const PageOptions& options, bool eps)
{
    std::string bytes;
    cairo_surface_t* surface = cairo_ps_surface_create_for_stream(
        append, &bytes, l.across() ? l.height : l.width, l.across() ? l.width : l.height);
    if (eps) cairo_ps_surface_set_eps(surface, true);
    cairo_t* cr = cairo_create(surface);
    if (options.background) {
        const Rgb ground = rgbOf(*options.background);
        cairo_set_source_rgb(cr, ground.red, ground.green, ground.blue);
        cairo_paint(cr);
    }
    const cairo_matrix_t m = l.unitsToPage();
    cairo_set_matrix(cr, &m);
    const UnitBox visible = l.inUnits();
    for (const DisplayList::Item& item : list.items) {
        const UnitBox b = item.box.clippedTo(visible);
        if (b.empty()) continue;
        cairo_set_source_rgb(cr, item.colour.red, item.colour.green, item.colour.blue);
        if (item.text) {
            cairo_move_to(cr, item.x, item.y);
            showShapedText(cr, *item.text, false);
        } else {
            cairo_rectangle(cr, b.x0, b.y0, b.x1 - b.x0, b.y1 - b.y0);
            cairo_fill(cr);
        }
    }
    const cairo_status_t drawn = cairo_status(cr);
    cairo_destroy(cr);
    cairo_surface_finish(surface);
    const cairo_status_t written = cairo_surface_status(surface);
    cairo_surface_destroy(surface);
    if (drawn != CAIRO_STATUS_SUCCESS || written != CAIRO_STATUS_SUCCESS)
        throw PageError(std::string("cannot write the page: ") +
                        cairo_status_to_string(drawn != CAIRO_STATUS_SUCCESS ? drawn : written));
    setReproducibleDate(bytes);
    return bytes;
}

} // namespace tallux
