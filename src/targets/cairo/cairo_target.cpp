#include "tallux/cairo_target.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>
#include <string>

#include <cairo.h>
#include <pango/pangocairo.h>

#include "runtime/text.h"
#include "targets/cairo/host_color.h"
#include "targets/png/pixel_page.h"
#include "targets/svg/svg_writer.h"
#include "targets/cairo/text_layouts.h"

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

namespace {

// Font sizes the hosts accept, in points; smaller and larger sizes are drawn
// at the nearest of these, so that FontSize never fails (pWidth 1 asks for 0).
constexpr int smallestPoints = 1;
constexpr int largestPoints = 2160;

// The target refuses a value with its own number, as the hosts' objects do.
[[noreturn]] void reject(std::int32_t number, const char* what)
{
    throw RuntimeError(number, what);
}

struct Box {
    double x0, y0, x1, y1;
    bool empty() const { return !(x0 < x1 && y0 < y1); }
};

Box intersect(Box a, Box b)
{
    return {std::max(a.x0, b.x0), std::max(a.y0, b.y0), std::min(a.x1, b.x1), std::min(a.y1, b.y1)};
}

} // namespace

struct CairoTarget::State {
    cairo_t* cr;
    double unitsPerInch;
    bool crisp;
    PangoFontDescription* font = nullptr;
    // Set for a file page: the pixels of its RGB24 image, or its SVG writer.
    std::optional<PixelPage> pixels;
    SvgWriter* svg = nullptr;
    Rgb fore{0, 0, 0};
    double x = 0, y = 0;
    DrawnRegion drawn;

    State(cairo_t* context, double upi, bool sharp)
        : cr(cairo_reference(context))
        , unitsPerInch(upi)
        , crisp(sharp)
    {
        font = pango_font_description_new();
        pango_font_description_set_family_static(font, "Sans");
        setPoints(8);
    }
    ~State()
    {
        pango_font_description_free(font);
        cairo_destroy(cr);
    }
    State(const State&) = delete;
    State& operator=(const State&) = delete;

    void setPoints(int points)
    {
        const double size = std::clamp(points, smallestPoints, largestPoints) * unitsPerInch / 72.0;
        pango_font_description_set_absolute_size(font, size * PANGO_SCALE);
        fontHash.reset();
    }

    // s shaped in the current font, with its logical box in Pango units.
    ShapedText& layOut(const String& s)
    {
        if (!fontHash) fontHash = pango_font_description_hash(font);
        return shapedText(cr, font, *fontHash, toUtf8(s));
    }
    std::optional<unsigned> fontHash; // of the font as it stands; reset by each change

    // The part of the surface that can show anything, in units; read once
    // where the clip is known to stay as it is.
    std::optional<Box> fixedClip;
    Box visible()
    {
        if (fixedClip) return *fixedClip;
        Box b{};
        cairo_clip_extents(cr, &b.x0, &b.y0, &b.x1, &b.y1);
        return b;
    }

    void fill(Box box, Rgb color)
    {
        box = intersect(box, visible());
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
                        static_cast<int>(y1), packedBox(color));
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

    // The colours of the last two boxes, looked up once: bars and spaces
    // take turns.
    Long lineValues[2]{};
    Rgb lineColours[2]{};
    bool lineSet[2]{};
    std::optional<Rgb> lineColour(Long value)
    {
        for (int k = 0; k < 2; ++k)
            if (lineSet[k] && lineValues[k] == value) return lineColours[k];
        const std::optional<Rgb> c = hostColor(value);
        if (!c) return c;
        lineValues[1] = lineValues[0], lineColours[1] = lineColours[0], lineSet[1] = lineSet[0];
        lineValues[0] = value, lineColours[0] = *c, lineSet[0] = true;
        return c;
    }

    // The colour of the last two boxes, packed once.
    Rgb boxColours[2]{};
    std::uint32_t boxPacked[2]{};
    bool boxSet[2]{};
    std::uint32_t packedBox(Rgb c)
    {
        for (int k = 0; k < 2; ++k)
            if (boxSet[k] && boxColours[k].red == c.red && boxColours[k].green == c.green &&
                boxColours[k].blue == c.blue)
                return boxPacked[k];
        // The older of the two goes.
        boxColours[1] = boxColours[0], boxPacked[1] = boxPacked[0], boxSet[1] = boxSet[0];
        boxColours[0] = c, boxPacked[0] = packed(c), boxSet[0] = true;
        return boxPacked[0];
    }

    static std::uint32_t packed(Rgb c)
    {
        const auto byte = [](double v) { return static_cast<std::uint32_t>(std::lround(v * 255)); };
        return byte(c.red) << 16 | byte(c.green) << 8 | byte(c.blue);
    }

    // Text on a raster page through its glyph mask for where its origin
    // falls within a pixel, rendered once; false where the page is turned
    // or sheared and cairo draws the text itself.
    bool blendText(ShapedText& text)
    {
        cairo_matrix_t m;
        cairo_get_matrix(cr, &m);
        if (m.xy != 0 || m.yx != 0) return false;
        double dx = x, dy = y;
        cairo_user_to_device(cr, &dx, &dy);
        if (!(std::abs(dx) < 1e9 && std::abs(dy) < 1e9)) return false;
        const double px = std::floor(dx), py = std::floor(dy);
        const GlyphMask& mask = glyphMask(text, m, dx - px, dy - py);
        pixels->blend(mask, static_cast<int>(px), static_cast<int>(py), packed(fore));
        return true;
    }

    const GlyphMask& glyphMask(ShapedText& text, const cairo_matrix_t& m, double fx, double fy)
    {
        for (const GlyphMask& k : text.masks)
            if (k.fractionX == fx && k.fractionY == fy) return k;
        PangoRectangle ink{};
        pango_layout_get_extents(text.layout, &ink, nullptr);
        // The ink in device pixels from the origin's pixel, with a pixel to spare.
        const double x0 = fx + pango_units_to_double(ink.x) * m.xx;
        const double x1 = fx + pango_units_to_double(ink.x + ink.width) * m.xx;
        const double y0 = fy + pango_units_to_double(ink.y) * m.yy;
        const double y1 = fy + pango_units_to_double(ink.y + ink.height) * m.yy;
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
        pango_cairo_show_layout(c, text.layout);
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
        return text.masks.back();
    }

    // A shaped text as an SVG element, made once and kept with it: a text
    // element in the font asked for, or its glyph outlines where the text
    // holds what a text element cannot show as Pango shaped it.
    void writeSvg(ShapedText& text)
    {
        if (text.svgForm == ShapedText::SvgForm::None) {
            // What the glyphs and their cell cover: no white box under it is left out.
            PangoRectangle ink{};
            pango_layout_get_extents(text.layout, &ink, nullptr);
            text.ink = united(ink, text.logical);
            const char* utf8 = pango_layout_get_text(text.layout);
            if (svgTextCarries(utf8) && pango_layout_get_line_count(text.layout) == 1) {
                SvgFont f;
                f.asked = nullToEmpty(pango_font_description_get_family(font));
                f.size = pango_units_to_double(pango_font_description_get_size(font));
                f.bold = pango_font_description_get_weight(font) >= PANGO_WEIGHT_BOLD;
                PangoFontDescription* chosen = chosenFont(text.layout);
                if (chosen) f.chosen = nullToEmpty(pango_font_description_get_family(chosen));
                text.svg = svgTextTail(f, pango_units_to_double(text.logical.width), utf8);
                if (chosen) pango_font_description_free(chosen);
                text.baseline = pango_units_to_double(pango_layout_get_baseline(text.layout));
                text.svgForm = ShapedText::SvgForm::Text;
            } else {
                text.svg = outline(text.layout);
                text.svgForm = ShapedText::SvgForm::Outline;
            }
        }
        const PangoRectangle& r = text.ink;
        const SvgBox ink{x + pango_units_to_double(r.x), y + pango_units_to_double(r.y),
                         x + pango_units_to_double(r.x + r.width),
                         y + pango_units_to_double(r.y + r.height)};
        if (text.svgForm == ShapedText::SvgForm::Text)
            svg->text(x, y + text.baseline, text.svg, fore, ink);
        else
            svg->outline(x, y, text.svg, fore, ink);
    }

    static PangoRectangle united(const PangoRectangle& a, const PangoRectangle& b)
    {
        if (a.width <= 0 || a.height <= 0) return b;
        if (b.width <= 0 || b.height <= 0) return a;
        const int x0 = std::min(a.x, b.x), y0 = std::min(a.y, b.y);
        const int x1 = std::max(a.x + a.width, b.x + b.width);
        const int y1 = std::max(a.y + a.height, b.y + b.height);
        return {x0, y0, x1 - x0, y1 - y0};
    }

    static std::string_view nullToEmpty(const char* s) { return s ? s : ""; }

    // The face fontconfig found for the first run of the text.
    static PangoFontDescription* chosenFont(PangoLayout* layout)
    {
        PangoLayoutLine* line = pango_layout_get_line_readonly(layout, 0);
        if (line == nullptr || line->runs == nullptr) return nullptr;
        const auto* run = static_cast<const PangoGlyphItem*>(line->runs->data);
        if (run->item == nullptr || run->item->analysis.font == nullptr) return nullptr;
        return pango_font_describe(run->item->analysis.font);
    }

    // The glyph outlines as path data relative to the text's top-left corner.
    std::string outline(PangoLayout* layout)
    {
        cairo_save(cr);
        cairo_new_path(cr);
        cairo_move_to(cr, 0, 0);
        pango_cairo_layout_path(cr, layout);
        cairo_path_t* path = cairo_copy_path(cr);
        std::string d = svgPathData(path);
        cairo_path_destroy(path);
        cairo_new_path(cr);
        cairo_restore(cr);
        return d;
    }
};

void CairoTarget::drawForPage(SvgWriter* svg) noexcept
{
    State& st = *state_;
    st.fixedClip.reset();
    st.fixedClip = st.visible();
    st.svg = svg;
    cairo_surface_t* surface = cairo_get_target(st.cr);
    if (svg == nullptr && st.crisp && cairo_surface_get_type(surface) == CAIRO_SURFACE_TYPE_IMAGE &&
        cairo_image_surface_get_format(surface) == CAIRO_FORMAT_RGB24)
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

void CairoTarget::FontName(const String& value)
{
    // Pango asks fontconfig, which substitutes a similar face for a family
    // that is not installed: a name is never refused.
    pango_font_description_set_family(state_->font, toUtf8(value).c_str());
    state_->fontHash.reset();
}

void CairoTarget::ForeColor(Long value)
{
    const auto color = hostColor(value);
    if (!color) reject(err::InvalidPropertyValue, "Invalid property value: not a colour");
    state_->fore = *color;
}

void CairoTarget::FontBold(Boolean value)
{
    pango_font_description_set_weight(state_->font,
                                      value ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
    state_->fontHash.reset();
}

void CairoTarget::FontSize(Integer value)
{
    state_->setPoints(value.value());
}

void CairoTarget::CurrentX(Number value)
{
    if (!std::isfinite(value.value())) reject(err::InvalidPropertyValue, "Invalid property value");
    state_->x = value.value();
}

void CairoTarget::CurrentY(Single value)
{
    if (!std::isfinite(value)) reject(err::InvalidPropertyValue, "Invalid property value");
    state_->y = value;
}

void CairoTarget::Line(Integer flags, Integer x1, Single y1, Integer x2, Single y2, Long color)
{
    if (flags != filledBox) reject(err::InvalidCall, "Line draws filled boxes only (flags 38)");
    const auto rgb = state_->lineColour(color);
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

void CairoTarget::Print(const String& s)
{
    State& st = *state_;
    ShapedText& text = st.layOut(s);
    const PangoRectangle& r = text.logical;
    const double left = st.x + pango_units_to_double(r.x), top = st.y + pango_units_to_double(r.y);
    const double width = pango_units_to_double(r.width), height = pango_units_to_double(r.height);
    if (width > 0) st.drawn.add(left, top, left + width, top + height);

    const Box where{left, top, left + width, top + height};
    if (st.svg != nullptr) {
        if (!intersect(where, st.visible()).empty()) st.writeSvg(text);
    } else if (!intersect(where, st.visible()).empty() && !(st.pixels && st.blendText(text))) {
        if (st.pixels) {
            st.pixels->flush();
            st.pixels->forgetRows();
        }
        cairo_save(st.cr);
        cairo_set_source_rgb(st.cr, st.fore.red, st.fore.green, st.fore.blue);
        cairo_move_to(st.cr, st.x, st.y);
        pango_cairo_show_layout(st.cr, text.layout);
        cairo_restore(st.cr);
    }
    // The print position moves to the start of the next line.
    st.x = 0;
    st.y += height;
}

Number CairoTarget::TextWidth(const String& s)
{
    return static_cast<Single>(pango_units_to_double(state_->layOut(s).logical.width));
}

Number CairoTarget::TextHeight(const String& s)
{
    return static_cast<Single>(pango_units_to_double(state_->layOut(s).logical.height));
}

double CairoTarget::currentX() const noexcept
{
    return state_->x;
}
double CairoTarget::currentY() const noexcept
{
    return state_->y;
}
const DrawnRegion& CairoTarget::drawn() const noexcept
{
    return state_->drawn;
}

} // namespace tallux
