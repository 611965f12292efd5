#include <algorithm>
#include <cmath>
#include <cstring>

#include <cairo-pdf.h>
#include <cairo-ps.h>
#include <cairo.h>

#include "tallux/cairo_target.h"
#include "targets/cairo/pixel_page.h"
#include "targets/cairo/png_writer.h"
#include "targets/cairo/row_knowledge.h"
#include "targets/cairo/stable_output.h"
#include "targets/cairo/svg_writer.h"

namespace tallux {

double Scale::unitsPerInch() const noexcept
{
    switch (units) {
    case ScaleUnits::Twips: return 1440;
    case ScaleUnits::Points: return 72;
    case ScaleUnits::Millimetres: return 25.4;
    case ScaleUnits::Pixels: break;
    }
    return resolution();
}

double Scale::resolution() const noexcept
{
    if (dpi > 0) return dpi;
    switch (units) {
    case ScaleUnits::Twips: return 1440;
    case ScaleUnits::Points: return 360;
    case ScaleUnits::Millimetres: return 304.8;
    case ScaleUnits::Pixels: break;
    }
    return 96;
}

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

} // namespace

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

struct FilePage::Impl {
    FileFormat format;
    double dpi;
    std::string bytes;
    cairo_surface_t* surface = nullptr;
    cairo_t* cr = nullptr;
    std::optional<PixelMemory> pixels; // outlives the surface on it
    RowKnowledge rows;                 // of the raster page, attached to its surface
    std::optional<SvgWriter> svg;
    std::optional<CairoTarget> target;
    double width = 0, height = 0;

    ~Impl()
    {
        target.reset();
        if (cr) cairo_destroy(cr);
        if (surface) cairo_surface_destroy(surface);
    }
};

FilePage::FilePage(FileFormat format, const PageOptions& options, const DrawnRegion& measured)
    : impl_(std::make_unique<Impl>())
{
    Impl& p = *impl_;
    p.format = format;
    p.dpi = options.scale.resolution();
    const double upi = options.scale.unitsPerInch();
    // Device units per scale unit: pixels for a raster, points for a vector page.
    const double perUnit = isRaster(format) ? options.scale.pixelsPerUnit() : 72.0 / upi;

    for (const auto side : {options.width, options.height, options.margin})
        if (side && !(std::isfinite(*side) && *side >= 0))
            throw PageError("page sizes and margins must be finite and not negative");
    if (!(std::isfinite(perUnit) && perUnit > 0))
        throw PageError("the resolution must be positive");

    // The quiet zone: ten of the narrowest element, unless a margin is given.
    const double quiet = options.margin.value_or(10 * measured.narrowest);
    Axis x = layOutAxis(options.width, measured.left, measured.right, measured.empty, quiet);
    Axis y = layOutAxis(options.height, measured.top, measured.bottom, measured.empty, quiet);
    if (isRaster(format)) {
        // A whole number of pixels of offset keeps every box edge on the same
        // pixel grid as without it.
        x.origin = std::ceil(x.origin * perUnit) / perUnit;
        y.origin = std::ceil(y.origin * perUnit) / perUnit;
        p.width = std::max(1.0, std::ceil(x.length * perUnit - 1e-9));
        p.height = std::max(1.0, std::ceil(y.length * perUnit - 1e-9));
        if (!(p.width <= largestSide && p.height <= largestSide &&
              p.width * p.height <= largestArea))
            throw PageError("the page would be " +
                            std::to_string(std::lround(std::min(p.width, 1e9))) + " by " +
                            std::to_string(std::lround(std::min(p.height, 1e9))) +
                            " pixels, too large for an image (use a lower --dpi or --size)");
        const int w = static_cast<int>(p.width), h = static_cast<int>(p.height);
        const int stride = cairo_format_stride_for_width(CAIRO_FORMAT_RGB24, w);
        p.pixels.emplace(static_cast<std::size_t>(stride) * static_cast<std::size_t>(h));
        p.surface =
            cairo_image_surface_create_for_data(p.pixels->data(), CAIRO_FORMAT_RGB24, w, h, stride);
    } else {
        p.width = std::max(1.0, x.length * perUnit);
        p.height = std::max(1.0, y.length * perUnit);
        if (!(p.width <= largestPoints && p.height <= largestPoints))
            throw PageError("the page would be larger than 200 inches a side");
        switch (format) {
        case FileFormat::Svg: {
            // Written element by element; the surface only bounds and measures.
            const cairo_rectangle_t page{0, 0, p.width, p.height};
            p.surface = cairo_recording_surface_create(CAIRO_CONTENT_COLOR, &page);
            break;
        }
        case FileFormat::Pdf:
            p.surface = cairo_pdf_surface_create_for_stream(append, &p.bytes, p.width, p.height);
            setReproducibleDate(p.surface);
            break;
        default:
            p.surface = cairo_ps_surface_create_for_stream(append, &p.bytes, p.width, p.height);
        }
    }
    if (cairo_surface_status(p.surface) != CAIRO_STATUS_SUCCESS)
        throw PageError(std::string("cannot make the page: ") +
                        cairo_status_to_string(cairo_surface_status(p.surface)));

    p.cr = cairo_create(p.surface);
    if (isRaster(format)) {
        // White in every byte: the pixel white as the page writes it, set
        // faster than a paint.
        cairo_surface_flush(p.surface);
        std::memset(p.pixels->data(), 0xFF,
                    static_cast<std::size_t>(cairo_image_surface_get_stride(p.surface)) *
                        static_cast<std::size_t>(cairo_image_surface_get_height(p.surface)));
        cairo_surface_mark_dirty(p.surface);
        p.rows.blank = true;
        attachRowKnowledge(p.surface, &p.rows);
    } else if (format != FileFormat::Svg) { // the SVG writer paints its own page
        cairo_set_source_rgb(p.cr, 1, 1, 1);
        cairo_paint(p.cr);
    }
    cairo_scale(p.cr, perUnit, perUnit);
    cairo_translate(p.cr, x.origin, y.origin);
    p.target.emplace(p.cr, upi, isRaster(format));
    if (format == FileFormat::Svg) {
        cairo_matrix_t unitsToPoints;
        cairo_get_matrix(p.cr, &unitsToPoints);
        p.svg.emplace(p.width, p.height, unitsToPoints);
    }
    p.target->drawForPage(p.svg ? &*p.svg : nullptr);
}

FilePage::~FilePage() = default;

CairoTarget& FilePage::target()
{
    return *impl_->target;
}
double FilePage::width() const noexcept
{
    return impl_->width;
}
double FilePage::height() const noexcept
{
    return impl_->height;
}

std::string FilePage::finish()
{
    Impl& p = *impl_;
    const cairo_status_t drawn = cairo_status(p.cr);
    if (drawn != CAIRO_STATUS_SUCCESS)
        throw PageError(std::string("drawing failed: ") + cairo_status_to_string(drawn));
    if (isRaster(p.format)) {
        p.target->flushPage();
        std::string fast = encodePng(p.surface, p.dpi);
        if (!fast.empty()) return fast;
        cairo_surface_flush(p.surface);
        std::string png;
        const cairo_status_t written = cairo_surface_write_to_png_stream(p.surface, append, &png);
        if (written != CAIRO_STATUS_SUCCESS)
            throw PageError(std::string("cannot encode the PNG: ") +
                            cairo_status_to_string(written));
        return withResolution(std::move(png), p.dpi);
    }
    if (p.svg) return p.svg->finish();
    cairo_surface_finish(p.surface);
    const cairo_status_t finished = cairo_surface_status(p.surface);
    if (finished != CAIRO_STATUS_SUCCESS)
        throw PageError(std::string("cannot write the page: ") + cairo_status_to_string(finished));
    return std::move(p.bytes);
}

} // namespace tallux
