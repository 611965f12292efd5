#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>

#include <cairo-pdf.h>
#include <cairo-ps.h>
#include <cairo.h>

#include "tallux/cairo_target.h"
#include "targets/cairo/stable_output.h"
#include "targets/png/png_writer.h"
#include "targets/png/row_knowledge.h"
#include "targets/svg/svg_writer.h"

namespace tallux {

namespace {

// Raster pages: at most this many pixels a side and in all.
constexpr double largestSide = 32767;
constexpr double largestArea = 64.0 * 1024 * 1024;
// Vector pages: at most 200 inches a side, the limit of common PDF viewers.
constexpr double largestPoints = 14400;

bool isRaster(FileFormat f)
{
    return f == FileFormat::Png;
}

// One axis of the page in units: where the drawing's origin goes, and the length.
struct Axis {
    double origin = 0, length = 0;
};

Axis layOutAxis(std::optional<double> fixed, double low, double high, bool empty, double quiet)
{
    if (fixed) return {0, *fixed};
    if (empty) return {0, 2 * quiet};
    const double origin = std::max(0.0, quiet - low);
    return {origin, origin + high + quiet};
}

cairo_status_t append(void* closure, const unsigned char* data, unsigned int length)
{
    static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
    return CAIRO_STATUS_SUCCESS;
}

// Where a page puts the drawing and how large it is.
struct PageLayout {
    Axis x, y;                    // in scale units
    double width = 0, height = 0; // in pixels (raster) or points (vector)
};

// The page around a drawing: a quiet zone of ten of the narrowest element,
// unless a margin is given, on each side not fixed by the options. Raises
// PageError for a page too large to make.
PageLayout layOutPage(FileFormat format, const PageOptions& options, const DrawnRegion& drawn,
                      double perUnit)
{
    PageLayout l;
    const double quiet = options.margin.value_or(10 * drawn.narrowest);
    l.x = layOutAxis(options.width, drawn.left, drawn.right, drawn.empty, quiet);
    l.y = layOutAxis(options.height, drawn.top, drawn.bottom, drawn.empty, quiet);
    if (isRaster(format)) {
        // A whole number of pixels of offset keeps every box edge on the same
        // pixel grid as without it.
        l.x.origin = std::ceil(l.x.origin * perUnit) / perUnit;
        l.y.origin = std::ceil(l.y.origin * perUnit) / perUnit;
        l.width = std::max(1.0, std::ceil(l.x.length * perUnit - 1e-9));
        l.height = std::max(1.0, std::ceil(l.y.length * perUnit - 1e-9));
        if (!(l.width <= largestSide && l.height <= largestSide &&
              l.width * l.height <= largestArea))
            throw PageError("the page would be " +
                            std::to_string(std::lround(std::min(l.width, 1e9))) + " by " +
                            std::to_string(std::lround(std::min(l.height, 1e9))) +
                            " pixels, too large for an image (use a lower --dpi or --size)");
    } else {
        l.width = std::max(1.0, l.x.length * perUnit);
        l.height = std::max(1.0, l.y.length * perUnit);
        if (!(l.width <= largestPoints && l.height <= largestPoints))
            throw PageError("the page would be larger than 200 inches a side");
    }
    return l;
}

// Scale units to device units, the drawing's origin moved as laid out: what
// the page's context is set to.
cairo_matrix_t unitsToDevice(double perUnit, const PageLayout& l)
{
    cairo_matrix_t m;
    cairo_matrix_init_scale(&m, perUnit, perUnit);
    cairo_matrix_translate(&m, l.x.origin, l.y.origin);
    return m;
}

// The finished page of w by h device units turned clockwise by quarter
// turns: where each of its points goes on the turned page.
cairo_matrix_t turned(int quarterTurns, double w, double h)
{
    switch (quarterTurns) {
    case 1: return {0, 1, -1, 0, h, 0};
    case 2: return {-1, 0, 0, -1, w, h};
    case 3: return {0, -1, 1, 0, 0, w};
    default: return {1, 0, 0, 1, 0, 0};
    }
}

// The pixels of `image` turned clockwise by quarter turns, on a new surface.
cairo_surface_t* turnedImage(cairo_surface_t* image, int quarterTurns)
{
    const int w = cairo_image_surface_get_width(image), h = cairo_image_surface_get_height(image);
    const bool across = quarterTurns % 2 == 1;
    cairo_surface_t* out = cairo_image_surface_create(cairo_image_surface_get_format(image),
                                                      across ? h : w, across ? w : h);
    if (cairo_surface_status(out) != CAIRO_STATUS_SUCCESS) return out;
    cairo_surface_flush(image);
    const int from = cairo_image_surface_get_stride(image) / 4;
    const int to = cairo_image_surface_get_stride(out) / 4;
    const auto* src = reinterpret_cast<const std::uint32_t*>(cairo_image_surface_get_data(image));
    auto* dst = reinterpret_cast<std::uint32_t*>(cairo_image_surface_get_data(out));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const std::uint32_t px = src[y * from + x];
            switch (quarterTurns) {
            case 1: dst[x * to + (h - 1 - y)] = px; break;
            case 2: dst[(h - 1 - y) * to + (w - 1 - x)] = px; break;
            default: dst[(w - 1 - x) * to + y] = px; break;
            }
        }
    cairo_surface_mark_dirty(out);
    return out;
}

} // namespace

struct FilePage::Impl {
    FileFormat format;
    PageOptions options;
    double perUnit = 0; // device units per scale unit
    std::string bytes;
    cairo_surface_t* surface = nullptr;
    cairo_t* cr = nullptr;
    std::unique_ptr<unsigned char[]> pixels; // outlives the surface on it
    RowKnowledge rows;                       // of the raster page, attached to its surface
    std::optional<ElementPage> svg;
    std::optional<CairoTarget> target;
    // Laid out when made, or for a page sized by its drawing when finished.
    std::optional<PageLayout> layout;

    Impl(FileFormat f, const PageOptions& o)
        : format(f)
        , options(o)
    {
        const double upi = o.scale.unitsPerInch();
        perUnit = isRaster(f) ? o.scale.pixelsPerUnit() : 72.0 / upi;
        for (const auto side : {o.width, o.height, o.margin})
            if (side && !(std::isfinite(*side) && *side >= 0))
                throw PageError("page sizes and margins must be finite and not negative");
        if (o.quarterTurns < 0 || o.quarterTurns > 3)
            throw PageError("a page turns by 0 to 3 quarter turns");
        if (!(std::isfinite(perUnit) && perUnit > 0))
            throw PageError("the resolution must be positive");
    }
    ~Impl()
    {
        target.reset();
        if (cr) cairo_destroy(cr);
        if (surface) cairo_surface_destroy(surface);
    }
    Impl(const Impl&) = delete;
    Impl& operator=(const Impl&) = delete;

    void checkSurface() const
    {
        if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS)
            throw PageError(std::string("cannot make the page: ") +
                            cairo_status_to_string(cairo_surface_status(surface)));
    }

    // The target on the surface, in scale units, their origin moved as laid
    // out (or not yet, for a page sized by its drawing). A PDF or PostScript
    // page is turned here; a raster or SVG page when finished.
    void startDrawing()
    {
        cr = cairo_create(surface);
        if (!isRaster(format) && format != FileFormat::Svg) { // the others paint their own
            if (const auto ground = options.background) {
                cairo_set_source_rgb(cr, (*ground >> 16 & 0xFF) / 255.0,
                                     (*ground >> 8 & 0xFF) / 255.0, (*ground & 0xFF) / 255.0);
                cairo_paint(cr);
            }
            const cairo_matrix_t turn = turned(options.quarterTurns, layout->width, layout->height);
            cairo_transform(cr, &turn);
        }
        cairo_scale(cr, perUnit, perUnit);
        if (layout) cairo_translate(cr, layout->x.origin, layout->y.origin);
        target.emplace(cr, options.scale.unitsPerInch(), isRaster(format));
        if (format == FileFormat::Svg) svg.emplace(options.background);
        target->drawForPage(svg ? &*svg : nullptr);
    }

    bool across() const noexcept { return options.quarterTurns % 2 == 1; }
};

bool FilePage::needsMeasuring(FileFormat format, const PageOptions& options) noexcept
{
    return format != FileFormat::Svg || options.width || options.height;
}

// The SVG writer takes the drawing in scale units whatever the page, so the
// page is laid out only when finished, around what was drawn. Nothing is
// clipped meanwhile: the page covers all of it.
FilePage::FilePage(FileFormat format, const PageOptions& options)
    : impl_(std::make_unique<Impl>(format, options))
{
    Impl& p = *impl_;
    if (needsMeasuring(format, options))
        throw PageError("this page needs the drawing measured before it is made");
    p.surface = cairo_recording_surface_create(CAIRO_CONTENT_COLOR, nullptr);
    p.checkSurface();
    p.startDrawing();
}

FilePage::FilePage(FileFormat format, const PageOptions& options, const DrawnRegion& measured)
    : impl_(std::make_unique<Impl>(format, options))
{
    Impl& p = *impl_;
    const PageLayout& l = p.layout.emplace(layOutPage(format, options, measured, p.perUnit));
    if (isRaster(format)) {
        const int w = static_cast<int>(l.width), h = static_cast<int>(l.height);
        const cairo_format_t pixelFormat =
            options.background ? CAIRO_FORMAT_RGB24 : CAIRO_FORMAT_ARGB32;
        const int stride = cairo_format_stride_for_width(pixelFormat, w);
        p.pixels = std::make_unique_for_overwrite<unsigned char[]>(
            static_cast<std::size_t>(stride) * static_cast<std::size_t>(h));
        p.surface = cairo_image_surface_create_for_data(p.pixels.get(), pixelFormat, w, h, stride);
    } else {
        // A turned page is as wide as the page laid out is high.
        const double width = p.across() ? l.height : l.width;
        const double height = p.across() ? l.width : l.height;
        switch (format) {
        case FileFormat::Svg: {
            // Written element by element; the surface only bounds and measures.
            const cairo_rectangle_t page{0, 0, l.width, l.height}; // turned when finished
            p.surface = cairo_recording_surface_create(CAIRO_CONTENT_COLOR, &page);
            break;
        }
        case FileFormat::Pdf:
            p.surface = cairo_pdf_surface_create_for_stream(append, &p.bytes, width, height);
            setReproducibleDate(p.surface);
            break;
        default:
            p.surface = cairo_ps_surface_create_for_stream(append, &p.bytes, width, height);
            if (format == FileFormat::Eps) cairo_ps_surface_set_eps(p.surface, true);
        }
    }
    p.checkSurface();

    if (isRaster(format)) {
        // The ground in every pixel, set faster than a paint: white in every
        // byte, the usual case; nothing where the page is transparent.
        cairo_surface_flush(p.surface);
        const auto bytes = static_cast<std::size_t>(cairo_image_surface_get_stride(p.surface)) *
                           static_cast<std::size_t>(cairo_image_surface_get_height(p.surface));
        const std::uint32_t ground = options.background.value_or(0);
        if (ground == 0xFFFFFF || !options.background) {
            std::memset(p.pixels.get(), options.background ? 0xFF : 0, bytes);
        } else {
            auto* px = reinterpret_cast<std::uint32_t*>(p.pixels.get());
            std::fill(px, px + bytes / 4, 0xFF000000u | ground);
        }
        cairo_surface_mark_dirty(p.surface);
        p.rows.blank = true;
        attachRowKnowledge(p.surface, &p.rows);
    }
    p.startDrawing();
}

FilePage::~FilePage() = default;

CairoTarget& FilePage::target()
{
    return *impl_->target;
}
double FilePage::width() const noexcept
{
    if (!impl_->layout) return 0;
    return impl_->across() ? impl_->layout->height : impl_->layout->width;
}
double FilePage::height() const noexcept
{
    if (!impl_->layout) return 0;
    return impl_->across() ? impl_->layout->width : impl_->layout->height;
}

std::string FilePage::finish()
{
    Impl& p = *impl_;
    const cairo_status_t drawn = cairo_status(p.cr);
    if (drawn != CAIRO_STATUS_SUCCESS)
        throw PageError(std::string("drawing failed: ") + cairo_status_to_string(drawn));
    if (isRaster(p.format)) {
        p.target->flushPage();
        if (p.options.quarterTurns == 0) return encodePng(p.surface, p.options.scale.resolution());
        cairo_surface_t* turnedPage = turnedImage(p.surface, p.options.quarterTurns);
        std::string png = encodePng(turnedPage, p.options.scale.resolution());
        cairo_surface_destroy(turnedPage);
        if (png.empty()) throw PageError("cannot turn the page");
        return png;
    }
    if (p.svg) {
        if (!p.layout) p.layout = layOutPage(p.format, p.options, p.target->drawn(), p.perUnit);
        const PageLayout& l = *p.layout;
        const cairo_matrix_t units = unitsToDevice(p.perUnit, l);
        const cairo_matrix_t turn = turned(p.options.quarterTurns, l.width, l.height);
        cairo_matrix_t m;
        cairo_matrix_multiply(&m, &units, &turn);
        return p.across() ? p.svg->finish(l.height, l.width, m)
                          : p.svg->finish(l.width, l.height, m);
    }
    cairo_surface_finish(p.surface);
    const cairo_status_t finished = cairo_surface_status(p.surface);
    if (finished != CAIRO_STATUS_SUCCESS)
        throw PageError(std::string("cannot write the page: ") + cairo_status_to_string(finished));
    if (p.format != FileFormat::Pdf) setReproducibleDate(p.bytes);
    return std::move(p.bytes);
}

} // namespace tallux
