#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>

#include "pages/page_writers.h"
#include "targets/png/pixel_page.h"
#include "targets/png/png_writer.h"

namespace tallux {

namespace {

using SurfacePtr = std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)>;

// The coverage of the text's glyphs on whole pixels for where its origin
// falls within a pixel, rendered once and kept with the text.
const GlyphMask& glyphMask(ShapedText& text, double perUnit, double fx, double fy)
{
    for (const GlyphMask& k : text.masks)
        if (k.fractionX == fx && k.fractionY == fy) return k;
    const TextBox& ink = text.ink;
    // The ink in device pixels from the origin's pixel, with a pixel to spare.
    const double x0 = fx + fromTextUnits(ink.x) * perUnit;
    const double x1 = fx + fromTextUnits(ink.x + ink.width) * perUnit;
    const double y0 = fy + fromTextUnits(ink.y) * perUnit;
    const double y1 = fy + fromTextUnits(ink.y + ink.height) * perUnit;
    GlyphMask mask;
    mask.fractionX = fx, mask.fractionY = fy;
    mask.left = static_cast<int>(std::floor(x0)) - 1;
    mask.top = static_cast<int>(std::floor(y0)) - 1;
    mask.width = static_cast<int>(std::ceil(x1)) + 1 - mask.left;
    mask.height = static_cast<int>(std::ceil(y1)) + 1 - mask.top;
    cairo_surface_t* a8 = cairo_image_surface_create(CAIRO_FORMAT_A8, mask.width, mask.height);
    cairo_t* c = cairo_create(a8);
    cairo_translate(c, fx - mask.left, fy - mask.top);
    cairo_scale(c, perUnit, perUnit);
    cairo_move_to(c, 0, 0);
    showShapedText(c, text, false);
    cairo_destroy(c);
    cairo_surface_flush(a8);
    const unsigned char* data = cairo_image_surface_get_data(a8);
    const int stride = cairo_image_surface_get_stride(a8);
    mask.coverage.resize(static_cast<std::size_t>(mask.width) *
                         static_cast<std::size_t>(mask.height));
    for (int row = 0; data != nullptr && row < mask.height; ++row)
        std::copy_n(data + static_cast<std::ptrdiff_t>(row) * stride, mask.width,
                    mask.coverage.begin() + static_cast<std::ptrdiff_t>(row) * mask.width);
    cairo_surface_destroy(a8);
    // A handful of positions a text takes; beyond that the oldest goes.
    if (text.masks.size() >= 16) text.masks.erase(text.masks.begin());
    text.masks.push_back(std::move(mask));
    keepMasks(text);
    return text.masks.back();
}

// The pixels of `image` turned clockwise by quarter turns, on a new surface.
SurfacePtr turnedImage(cairo_surface_t* image, int quarterTurns)
{
    const int w = cairo_image_surface_get_width(image), h = cairo_image_surface_get_height(image);
    const bool across = quarterTurns % 2 == 1;
    SurfacePtr out(cairo_image_surface_create(cairo_image_surface_get_format(image), across ? h : w,
                                              across ? w : h),
                   &cairo_surface_destroy);
    if (cairo_surface_status(out.get()) != CAIRO_STATUS_SUCCESS)
        throw PageError("cannot turn the page");
    cairo_surface_flush(image);
    const int from = cairo_image_surface_get_stride(image) / 4;
    const int to = cairo_image_surface_get_stride(out.get()) / 4;
    const auto* src = reinterpret_cast<const std::uint32_t*>(cairo_image_surface_get_data(image));
    auto* dst = reinterpret_cast<std::uint32_t*>(cairo_image_surface_get_data(out.get()));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const std::uint32_t px = src[y * from + x];
            switch (quarterTurns) {
            case 1: dst[x * to + (h - 1 - y)] = px; break;
            case 2: dst[(h - 1 - y) * to + (w - 1 - x)] = px; break;
            default: dst[(w - 1 - x) * to + y] = px; break;
            }
        }
    cairo_surface_mark_dirty(out.get());
    return out;
}

} // namespace

std::string writePng(const DisplayList& list, const PageLayout& l, const PageOptions& options)
{
    const int w = static_cast<int>(l.width), h = static_cast<int>(l.height);
    const cairo_format_t format = options.background ? CAIRO_FORMAT_RGB24 : CAIRO_FORMAT_ARGB32;
    const int stride = cairo_format_stride_for_width(format, w);
    const auto bytes = static_cast<std::size_t>(stride) * static_cast<std::size_t>(h);
    const auto pixels = std::make_unique_for_overwrite<unsigned char[]>(bytes);
    SurfacePtr surface(cairo_image_surface_create_for_data(pixels.get(), format, w, h, stride),
                       &cairo_surface_destroy);
    if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS)
        throw PageError(std::string("cannot make the page: ") +
                        cairo_status_to_string(cairo_surface_status(surface.get())));

    // Units to pixels, the drawing's origin moved as laid out.
    const double dx0 = l.perUnit * l.originX, dy0 = l.perUnit * l.originY;
    const auto toPixelsX = [&](double x) { return l.perUnit * x + dx0; };
    const auto toPixelsY = [&](double y) { return l.perUnit * y + dy0; };
    const UnitBox visible = l.inUnits();
    // White, the usual ground, is white in every byte; none is transparent.
    PixelPage page(surface.get(), options.background ? 0xFF000000u | *options.background : 0u);
    for (const DisplayList::Item& item : list.items) {
        if (item.text) {
            if (item.box.clippedTo(visible).empty()) continue;
            const double dx = toPixelsX(item.x), dy = toPixelsY(item.y);
            if (!(std::abs(dx) < 1e9 && std::abs(dy) < 1e9)) continue;
            const double px = std::floor(dx), py = std::floor(dy);
            page.blend(glyphMask(*item.text, l.perUnit, dx - px, dy - py), static_cast<int>(px),
                       static_cast<int>(py), packedRgb(item.colour));
            continue;
        }
        UnitBox b = item.box.clippedTo(visible);
        if (b.empty()) continue;
        // Edges on whole pixels: equal widths in units give equal widths in
        // pixels wherever a unit is a whole number of pixels.
        const auto snap = [](double v) { return static_cast<int>(std::floor(v + 0.5)); };
        page.box(snap(toPixelsX(b.x0)), snap(toPixelsY(b.y0)), snap(toPixelsX(b.x1)),
                 snap(toPixelsY(b.y1)), packedRgb(item.colour));
    }
    page.flush();

    const double dpi = options.scale.resolution();
    if (l.quarterTurns == 0) return encodePng(surface.get(), dpi, page.sameAsAbove());
    page.writeAllRows();
    return encodePng(turnedImage(surface.get(), l.quarterTurns).get(), dpi);
}

} // namespace tallux
