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
    // out (or not yet, for a page sized by its drawing).
    void startDrawing()
    {
        cr = cairo_create(surface);
        if (!isRaster(format) && format != FileFormat::Svg) { // the others paint their own
            cairo_set_source_rgb(cr, 1, 1, 1);
            cairo_paint(cr);
        }
        cairo_scale(cr, perUnit, perUnit);
        if (layout) cairo_translate(cr, layout->x.origin, layout->y.origin);
        target.emplace(cr, options.scale.unitsPerInch(), isRaster(format));
        if (format == FileFormat::Svg) svg.emplace();
        target->drawForPage(svg ? &*svg : nullptr);
    }
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
        const int stride = cairo_format_stride_for_width(CAIRO_FORMAT_RGB24, w);
        p.pixels = std::make_unique_for_overwrite<unsigned char[]>(
            static_cast<std::size_t>(stride) * static_cast<std::size_t>(h));
        p.surface =
            cairo_image_surface_create_for_data(p.pixels.get(), CAIRO_FORMAT_RGB24, w, h, stride);
    } else {
        switch (format) {
        case FileFormat::Svg: {
            // Written element by element; the surface only bounds and measures.
            const cairo_rectangle_t page{0, 0, l.width, l.height};
            p.surface = cairo_recording_surface_create(CAIRO_CONTENT_COLOR, &page);
            break;
        }
        case FileFormat::Pdf:
            p.surface = cairo_pdf_surface_create_for_stream(append, &p.bytes, l.width, l.height);
            setReproducibleDate(p.surface);
            break;
        default:
            p.surface = cairo_ps_surface_create_for_stream(append, &p.bytes, l.width, l.height);
            if (format == FileFormat::Eps) cairo_ps_surface_set_eps(p.surface, true);
        }
    }
    p.checkSurface();

    if (isRaster(format)) {
        // White in every byte: the pixel white as the page writes it, set
        // faster than a paint.
        cairo_surface_flush(p.surface);
        std::memset(p.pixels.get(), 0xFF,
                    static_cast<std::size_t>(cairo_image_surface_get_stride(p.surface)) *
                        static_cast<std::size_t>(cairo_image_surface_get_height(p.surface)));
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
    return impl_->layout ? impl_->layout->width : 0;
}
double FilePage::height() const noexcept
{
    return impl_->layout ? impl_->layout->height : 0;
}

std::string FilePage::finish()
{
    Impl& p = *impl_;
    const cairo_status_t drawn = cairo_status(p.cr);
    if (drawn != CAIRO_STATUS_SUCCESS)
        throw PageError(std::string("drawing failed: ") + cairo_status_to_string(drawn));
    if (isRaster(p.format)) {
        p.target->flushPage();
        return encodePng(p.surface, p.options.scale.resolution());
    }
    if (p.svg) {
        if (!p.layout) p.layout = layOutPage(p.format, p.options, p.target->drawn(), p.perUnit);
        return p.svg->finish(p.layout->width, p.layout->height,
                             unitsToDevice(p.perUnit, *p.layout));
    }
    cairo_surface_finish(p.surface);
    const cairo_status_t finished = cairo_surface_status(p.surface);
    if (finished != CAIRO_STATUS_SUCCESS)
        throw PageError(std::string("cannot write the page: ") + cairo_status_to_string(finished));
    if (p.format != FileFormat::Pdf) setReproducibleDate(p.bytes);
    return std::move(p.bytes);
}

} // namespace tallux
