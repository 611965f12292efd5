#include "tallux/cairo_target.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>
#include <string>

#include <cairo.h>

#include "tallux/types.h"
#include "targets/png/pixel_page.h"
#include "targets/svg/svg_writer.h"
#include "text/text_layouts.h"

namespace tallux {

void DrawnRegion::add(double x0, double y0, double x1, double y1) noexcept
{
    if (empty) {
        left = x0, top = y0, right = x1, bottom = y1;
        empty = false;
        return;
    }
    left = std::min(left, x0), top = std::min(top, y0);
    right = std::max(right, x1), bottom = std::max(bottom, y1);
}

struct CairoTarget::State {
    cairo_t* cr;
    double unitsPerInch;
    bool crisp;
    TextFont font;
    // Set for a file page: the pixels of its RGB24 image, or its element page.
    std::optional<PixelPage> pixels;
    ElementPage* svg = nullptr;
    DrawnRegion drawn;

    State(cairo_t* context, double upi, bool sharp)
        : cr(cairo_reference(context))
        , unitsPerInch(upi)
        , crisp(sharp)
    {
    }
    ~State() { cairo_destroy(cr); }
    State(const State&) = delete;
    State& operator=(const State&) = delete;

    // The part of the surface that can show anything, in units; read once
    // where the clip is known to stay as it is.
    std::optional<UnitBox> fixedClip;
    UnitBox visible()
    {
        if (fixedClip) return *fixedClip;
        UnitBox b{};
        cairo_clip_extents(cr, &b.x0, &b.y0, &b.x1, &b.y1);
        return b;
    }

    void fill(UnitBox box, Rgb color)
    {
        box = box.clippedTo(visible());
        if (box.empty()) return;
        if (svg != nullptr) {
            svg->box(box.x0, box.y0, box.x1, box.y1, color);
            return;
        }
        if (!crisp) {
            cairo_save(cr);
            cairo_set_source_rgb(cr, color.red, color.green, color.blue);
            cairo_rectangle(cr, box.x0, box.y0, box.x1 - box.x0, box.y1 - box.y0);
            cairo_fill(cr);
            cairo_restore(cr);
            return;
        }
        // Edges on whole device pixels: equal widths in units give equal
        // widths in pixels wherever a unit is a whole number of pixels.
        cairo_user_to_device(cr, &box.x0, &box.y0);
        cairo_user_to_device(cr, &box.x1, &box.y1);
        const auto snap = [](double v) { return std::floor(v + 0.5); };
        const double x0 = snap(std::min(box.x0, box.x1)), x1 = snap(std::max(box.x0, box.x1));
        const double y0 = snap(std::min(box.y0, box.y1)), y1 = snap(std::max(box.y0, box.y1));
        if (pixels) {
            pixels->box(static_cast<int>(x0), static_cast<int>(y0), static_cast<int>(x1),
                        static_cast<int>(y1), packedRgb(color));
            return;
        }
        cairo_save(cr);
        cairo_set_source_rgb(cr, color.red, color.green, color.blue);
        cairo_identity_matrix(cr);
        cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
        cairo_rectangle(cr, x0, y0, x1 - x0, y1 - y0);
        cairo_fill(cr);
        cairo_restore(cr);
    }

    // Text on a raster page through its glyph mask for where its origin
    // falls within a pixel, rendered once; false where the page is turned
    // or sheared and cairo draws the text itself.
    bool blendText(ShapedText& text, double x, double y, Rgb fore)
    {
        cairo_matrix_t m;
        cairo_get_matrix(cr, &m);
        if (m.xy != 0 || m.yx != 0) return false;
        double dx = x, dy = y;
        cairo_user_to_device(cr, &dx, &dy);
        if (!(std::abs(dx) < 1e9 && std::abs(dy) < 1e9)) return false;
        const double px = std::floor(dx), py = std::floor(dy);
        const GlyphMask& mask = glyphMask(text, m, dx - px, dy - py);
        pixels->blend(mask, static_cast<int>(px), static_cast<int>(py), packedRgb(fore));
        return true;
    }

    const GlyphMask& glyphMask(ShapedText& text, const cairo_matrix_t& m, double fx, double fy)
    {
        for (const GlyphMask& k : text.masks)
            if (k.fractionX == fx && k.fractionY == fy) return k;
        const TextBox& ink = text.ink;
        // The ink in device pixels from the origin's pixel, with a pixel to spare.
        const double x0 = fx + fromTextUnits(ink.x) * m.xx;
        const double x1 = fx + fromTextUnits(ink.x + ink.width) * m.xx;
        const double y0 = fy + fromTextUnits(ink.y) * m.yy;
        const double y1 = fy + fromTextUnits(ink.y + ink.height) * m.yy;
        GlyphMask mask;
        mask.fractionX = fx, mask.fractionY = fy;
        mask.left = static_cast<int>(std::floor(std::min(x0, x1))) - 1;
        mask.top = static_cast<int>(std::floor(std::min(y0, y1))) - 1;
        mask.width = static_cast<int>(std::ceil(std::max(x0, x1))) + 1 - mask.left;
        mask.height = static_cast<int>(std::ceil(std::max(y0, y1))) + 1 - mask.top;
        cairo_surface_t* a8 = cairo_image_surface_create(CAIRO_FORMAT_A8, mask.width, mask.height);
        cairo_t* c = cairo_create(a8);
        cairo_translate(c, fx - mask.left, fy - mask.top);
        cairo_scale(c, m.xx, m.yy);
        cairo_move_to(c, 0, 0);
        showShapedText(c, text, false);
        cairo_destroy(c);
        cairo_surface_flush(a8);
        const unsigned char* data = cairo_image_surface_get_data(a8);
        const int stride = cairo_image_surface_get_stride(a8);
        mask.coverage.resize(static_cast<std::size_t>(mask.width) *
                             static_cast<std::size_t>(mask.height));
        for (int row = 0; row < mask.height; ++row)
            std::copy_n(data + static_cast<std::ptrdiff_t>(row) * stride, mask.width,
                        mask.coverage.begin() + static_cast<std::ptrdiff_t>(row) * mask.width);
        cairo_surface_destroy(a8);
        // A handful of positions a text takes; beyond that the oldest goes.
        if (text.masks.size() >= 16) text.masks.erase(text.masks.begin());
        text.masks.push_back(std::move(mask));
        keepMasks(text);
        return text.masks.back();
    }

    // A shaped text as an SVG element, made once and kept with it: a text
    // element in the font asked for, or its glyph outlines where the text
    // holds what a text element cannot show as Pango shaped it.
    void writeSvg(ShapedText& text, double x, double y, Rgb fore)
    {
        if (text.svgForm == ShapedText::SvgForm::None) {
            // What the glyphs and their cell cover: no white box under it is left out.
            text.svgInk = united(text.ink, text.logical);
            if (svgTextCarries(text.text) && text.lines == 1) {
                SvgFont f;
                f.asked = text.askedFamily;
                f.size = text.askedSize;
                f.bold = text.askedBold;
                // The face fontconfig found for the first run of the text.
                if (!text.runs.empty())
                    f.chosen = text.fonts[static_cast<std::size_t>(text.runs[0].font)].family;
                text.svg = svgTextTail(f, fromTextUnits(text.logical.width), text.text);
                text.svgForm = ShapedText::SvgForm::Text;
            } else {
                text.svg = outline(text);
                text.svgForm = ShapedText::SvgForm::Outline;
            }
        }
        const TextBox& r = text.svgInk;
        const UnitBox ink{x + fromTextUnits(r.x), y + fromTextUnits(r.y),
                          x + fromTextUnits(r.x + r.width), y + fromTextUnits(r.y + r.height)};
        if (text.svgForm == ShapedText::SvgForm::Text)
            svg->text(x, y + fromTextUnits(text.baseline), text.svg, fore, ink);
        else
            svg->outline(x, y, text.svg, fore, ink);
    }

    static TextBox united(const TextBox& a, const TextBox& b)
    {
        if (a.width <= 0 || a.height <= 0) return b;
        if (b.width <= 0 || b.height <= 0) return a;
        const int x0 = std::min(a.x, b.x), y0 = std::min(a.y, b.y);
        const int x1 = std::max(a.x + a.width, b.x + b.width);
        const int y1 = std::max(a.y + a.height, b.y + b.height);
        return {x0, y0, x1 - x0, y1 - y0};
    }

    // The glyph outlines as path data relative to the text's top-left corner.
    std::string outline(const ShapedText& text)
    {
        cairo_save(cr);
        cairo_new_path(cr);
        cairo_move_to(cr, 0, 0);
        showShapedText(cr, text, true);
        cairo_path_t* path = cairo_copy_path(cr);
        std::string d = svgPathData(path);
        cairo_path_destroy(path);
        cairo_new_path(cr);
        cairo_restore(cr);
        return d;
    }
};

void CairoTarget::drawForPage(ElementPage* svg) noexcept
{
    State& st = *state_;
    st.fixedClip.reset();
    st.fixedClip = st.visible();
    st.svg = svg;
    cairo_surface_t* surface = cairo_get_target(st.cr);
    if (svg == nullptr && st.crisp && cairo_surface_get_type(surface) == CAIRO_SURFACE_TYPE_IMAGE &&
        (cairo_image_surface_get_format(surface) == CAIRO_FORMAT_RGB24 ||
         cairo_image_surface_get_format(surface) == CAIRO_FORMAT_ARGB32))
        st.pixels.emplace(surface);
}

void CairoTarget::flushPage()
{
    if (state_->pixels) state_->pixels->flush();
}

CairoTarget::CairoTarget(cairo_t* cr, double unitsPerInch, bool crisp)
    : state_(std::make_unique<State>(cr, unitsPerInch, crisp))
{
}

CairoTarget::~CairoTarget() = default;

void CairoTarget::fontChanged(const HostFont& font)
{
    state_->font.set(font, state_->unitsPerInch);
}

void CairoTarget::fillBox(const UnitBox& box, Rgb colour)
{
    DrawnRegion& e = state_->drawn;
    const double width = box.x1 - box.x0;
    e.narrowest = e.narrowest == 0 ? width : std::min(e.narrowest, width);
    e.add(box.x0, box.y0, box.x1, box.y1);
    state_->fill(box, colour);
}

TextMetrics CairoTarget::drawText(const String& s, double x, double y, Rgb colour)
{
    State& st = *state_;
    ShapedText& text = st.font.layOut(st.cr, s);
    const UnitBox where = logicalBox(text, x, y);
    if (where.x1 > where.x0) st.drawn.add(where.x0, where.y0, where.x1, where.y1);

    if (where.clippedTo(st.visible()).empty()) return metricsOf(text);
    if (st.svg != nullptr) {
        st.writeSvg(text, x, y, colour);
    } else if (!(st.pixels && st.blendText(text, x, y, colour))) {
        if (st.pixels) {
            st.pixels->flush();
            st.pixels->forgetRows();
        }
        cairo_save(st.cr);
        cairo_set_source_rgb(st.cr, colour.red, colour.green, colour.blue);
        cairo_move_to(st.cr, x, y);
        showShapedText(st.cr, text, false);
        cairo_restore(st.cr);
    }
    return metricsOf(text);
}

TextMetrics CairoTarget::measureText(const String& s)
{
    return metricsOf(state_->font.layOut(state_->cr, s));
}

const DrawnRegion& CairoTarget::drawn() const noexcept
{
    return state_->drawn;
}

} // namespace tallux
