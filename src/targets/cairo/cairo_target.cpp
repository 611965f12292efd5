#include "tallux/cairo_target.h"

#include <algorithm>
#include <cmath>

#include <cairo.h>
#include <pango/pangocairo.h>

#include "render/text.h"
#include "targets/cairo/host_color.h"

namespace tallux {

void DrawnRegion::add(double x0, double y0, double x1, double y1) noexcept {
    if (empty) {
        left = x0, top = y0, right = x1, bottom = y1;
        empty = false;
        return;
    }
    left = std::min(left, x0), top = std::min(top, y0);
    right = std::max(right, x1), bottom = std::max(bottom, y1);
}

namespace {

// Font sizes the hosts accept, in points; smaller and larger sizes are drawn
// at the nearest of these, so that FontSize never fails (pWidth 1 asks for 0).
constexpr int smallestPoints = 1;
constexpr int largestPoints = 2160;

// The target refuses a value with its own number, as the hosts' objects do.
[[noreturn]] void reject(std::int32_t number, const char* what) {
    throw RuntimeError(number, what);
}

struct Box {
    double x0, y0, x1, y1;
    bool empty() const { return !(x0 < x1 && y0 < y1); }
};

Box intersect(Box a, Box b) {
    return {std::max(a.x0, b.x0), std::max(a.y0, b.y0), std::min(a.x1, b.x1), std::min(a.y1, b.y1)};
}

} // namespace

struct CairoTarget::State {
    cairo_t* cr;
    double unitsPerInch;
    bool crisp;
    PangoLayout* layout = nullptr;
    PangoFontDescription* font = nullptr;
    Rgb fore{0, 0, 0};
    double x = 0, y = 0;
    DrawnRegion drawn;

    State(cairo_t* context, double upi, bool sharp)
        : cr(cairo_reference(context))
        , unitsPerInch(upi)
        , crisp(sharp) {
        layout = pango_cairo_create_layout(cr);
        // Unhinted metrics and unrounded glyph positions: text measures the
        // same in every scale and on every surface. Glyphs stay anti-aliased.
        cairo_font_options_t* options = cairo_font_options_create();
        cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
        cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
        cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
        PangoContext* context_ = pango_layout_get_context(layout);
        pango_cairo_context_set_font_options(context_, options);
        pango_context_set_round_glyph_positions(context_, FALSE);
        pango_layout_context_changed(layout);
        cairo_font_options_destroy(options);

        font = pango_font_description_from_string("Sans");
        setPoints(8);
    }
    ~State() {
        pango_font_description_free(font);
        g_object_unref(layout);
        cairo_destroy(cr);
    }
    State(const State&) = delete;
    State& operator=(const State&) = delete;

    void setPoints(int points) {
        const double size = std::clamp(points, smallestPoints, largestPoints) * unitsPerInch / 72.0;
        pango_font_description_set_absolute_size(font, size * PANGO_SCALE);
    }

    // The layout of s in the current font, and its logical box in units.
    PangoRectangle layOut(const String& s) {
        const std::string utf8 = toUtf8(s);
        pango_cairo_update_layout(cr, layout);
        pango_layout_set_font_description(layout, font);
        pango_layout_set_text(layout, utf8.data(), static_cast<int>(utf8.size()));
        PangoRectangle logical{};
        pango_layout_get_extents(layout, nullptr, &logical);
        return logical;
    }

    // The part of the surface that can show anything, in units.
    Box visible() {
        Box b{};
        cairo_clip_extents(cr, &b.x0, &b.y0, &b.x1, &b.y1);
        return b;
    }

    void fill(Box box, Rgb color) {
        box = intersect(box, visible());
        if (box.empty()) return;
        cairo_save(cr);
        cairo_set_source_rgb(cr, color.red, color.green, color.blue);
        if (crisp) {
            // Edges on whole device pixels: equal widths in units give equal
            // widths in pixels wherever a unit is a whole number of pixels.
            cairo_user_to_device(cr, &box.x0, &box.y0);
            cairo_user_to_device(cr, &box.x1, &box.y1);
            const auto snap = [](double v) { return std::floor(v + 0.5); };
            const double x0 = snap(std::min(box.x0, box.x1)), x1 = snap(std::max(box.x0, box.x1));
            const double y0 = snap(std::min(box.y0, box.y1)), y1 = snap(std::max(box.y0, box.y1));
            cairo_identity_matrix(cr);
            cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
            cairo_rectangle(cr, x0, y0, x1 - x0, y1 - y0);
        } else {
            cairo_rectangle(cr, box.x0, box.y0, box.x1 - box.x0, box.y1 - box.y0);
        }
        cairo_fill(cr);
        cairo_restore(cr);
    }
};

CairoTarget::CairoTarget(cairo_t* cr, double unitsPerInch, bool crisp)
    : state_(std::make_unique<State>(cr, unitsPerInch, crisp)) {}

CairoTarget::~CairoTarget() = default;

void CairoTarget::FontName(const String& value) {
    // Pango asks fontconfig, which substitutes a similar face for a family
    // that is not installed: a name is never refused.
    pango_font_description_set_family(state_->font, toUtf8(value).c_str());
}

void CairoTarget::ForeColor(Long value) {
    const auto color = hostColor(value);
    if (!color) reject(err::InvalidPropertyValue, "Invalid property value: not a colour");
    state_->fore = *color;
}

void CairoTarget::FontBold(Boolean value) {
    pango_font_description_set_weight(state_->font,
                                      value ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
}

void CairoTarget::FontSize(Integer value) {
    state_->setPoints(value.value());
}

void CairoTarget::CurrentX(Number value) {
    if (!std::isfinite(value.value())) reject(err::InvalidPropertyValue, "Invalid property value");
    state_->x = value.value();
}

void CairoTarget::CurrentY(Single value) {
    if (!std::isfinite(value)) reject(err::InvalidPropertyValue, "Invalid property value");
    state_->y = value;
}

void CairoTarget::Line(Integer flags, Integer x1, Single y1, Integer x2, Single y2, Long color) {
    if (flags != filledBox) reject(err::InvalidCall, "Line draws filled boxes only (flags 38)");
    const auto rgb = hostColor(color);
    if (!rgb) reject(err::InvalidCall, "Invalid procedure call or argument: not a colour");
    if (!std::isfinite(y1) || !std::isfinite(y2))
        reject(err::InvalidCall, "Invalid procedure call or argument");

    // Both corners inclusive: the box runs from x1 to x2 + 1 units, so an
    // element of width w covers exactly w units.
    const double ax = int{x1.value()}, bx = int{x2.value()} + 1.0;
    const double ay = y1, by = double{y2} + 1.0;
    const Box box{std::min(ax, bx), std::min(ay, by), std::max(ax, bx), std::max(ay, by)};
    if (box.empty()) return; // a zero-width element covers nothing

    DrawnRegion& e = state_->drawn;
    const double width = box.x1 - box.x0;
    e.narrowest = e.narrowest == 0 ? width : std::min(e.narrowest, width);
    e.add(box.x0, box.y0, box.x1, box.y1);
    state_->fill(box, *rgb);
}

void CairoTarget::Print(const String& s) {
    State& st = *state_;
    const PangoRectangle r = st.layOut(s);
    const double left = st.x + pango_units_to_double(r.x), top = st.y + pango_units_to_double(r.y);
    const double width = pango_units_to_double(r.width), height = pango_units_to_double(r.height);
    if (width > 0) st.drawn.add(left, top, left + width, top + height);

    const Box where{left, top, left + width, top + height};
    if (!intersect(where, st.visible()).empty()) {
        cairo_save(st.cr);
        cairo_set_source_rgb(st.cr, st.fore.red, st.fore.green, st.fore.blue);
        cairo_move_to(st.cr, st.x, st.y);
        pango_cairo_show_layout(st.cr, st.layout);
        cairo_restore(st.cr);
    }
    // The print position moves to the start of the next line.
    st.x = 0;
    st.y += height;
}

Number CairoTarget::TextWidth(const String& s) {
    const PangoRectangle r = state_->layOut(s);
    return static_cast<Single>(pango_units_to_double(r.width));
}

Number CairoTarget::TextHeight(const String& s) {
    const PangoRectangle r = state_->layOut(s);
    return static_cast<Single>(pango_units_to_double(r.height));
}

double CairoTarget::currentX() const noexcept {
    return state_->x;
}
double CairoTarget::currentY() const noexcept {
    return state_->y;
}
const DrawnRegion& CairoTarget::drawn() const noexcept {
    return state_->drawn;
}

} // namespace tallux
