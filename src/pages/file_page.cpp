#include <cmath>
#include <optional>

#include "pages/page_writers.h"

namespace tallux {

namespace {

// Raster pages: at most this many pixels a side and in all.
constexpr double largestSide = 32767;
constexpr double largestArea = 64.0 * 1024 * 1024;
// Vector pages: at most 200 inches a side, the limit of common PDF viewers.
constexpr double largestPoints = 14400;

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

} // namespace

cairo_matrix_t PageLayout::unitsToPage() const noexcept
{
    cairo_matrix_t units, turn, m;
    cairo_matrix_init_scale(&units, perUnit, perUnit);
    cairo_matrix_translate(&units, originX, originY);
    // Where each point of the page laid out goes on the page turned clockwise.
    switch (quarterTurns) {
    case 1: turn = {0, 1, -1, 0, height, 0}; break;
    case 2: turn = {-1, 0, 0, -1, width, height}; break;
    case 3: turn = {0, -1, 1, 0, 0, width}; break;
    default: cairo_matrix_init_identity(&turn);
    }
    cairo_matrix_multiply(&m, &units, &turn);
    return m;
}

PageLayout layOutPage(FileFormat format, const PageOptions& options, const DrawnRegion& drawn)
{
    for (const auto side : {options.width, options.height, options.margin})
        if (side && !(std::isfinite(*side) && *side >= 0))
            throw PageError("page sizes and margins must be finite and not negative");
    if (options.quarterTurns < 0 || options.quarterTurns > 3)
        throw PageError("a page turns by 0 to 3 quarter turns");
    const bool raster = format == FileFormat::Png;
    PageLayout l;
    l.perUnit = raster ? options.scale.pixelsPerUnit() : 72.0 / options.scale.unitsPerInch();
    l.quarterTurns = options.quarterTurns;
    if (!(std::isfinite(l.perUnit) && l.perUnit > 0))
        throw PageError("the resolution must be positive");

    const double quiet = options.margin.value_or(10 * drawn.narrowest);
    const Axis x = layOutAxis(options.width, drawn.left, drawn.right, drawn.empty, quiet);
    const Axis y = layOutAxis(options.height, drawn.top, drawn.bottom, drawn.empty, quiet);
    l.originX = x.origin, l.originY = y.origin;
    if (raster) {
        // A whole number of pixels of offset keeps every box edge on the same
        // pixel grid as without it.
        l.originX = std::ceil(x.origin * l.perUnit) / l.perUnit;
        l.originY = std::ceil(y.origin * l.perUnit) / l.perUnit;
        l.width = std::max(1.0, std::ceil(x.length * l.perUnit - 1e-9));
        l.height = std::max(1.0, std::ceil(y.length * l.perUnit - 1e-9));
        if (!(l.width <= largestSide && l.height <= largestSide &&
              l.width * l.height <= largestArea))
            throw PageError("the page would be " +
                            std::to_string(std::lround(std::min(l.width, 1e9))) + " by " +
                            std::to_string(std::lround(std::min(l.height, 1e9))) +
                            " pixels, too large for an image (use a lower --dpi or --size)");
    } else {
        l.width = std::max(1.0, x.length * l.perUnit);
        l.height = std::max(1.0, y.length * l.perUnit);
        if (!(l.width <= largestPoints && l.height <= largestPoints))
            throw PageError("the page would be larger than 200 inches a side");
    }
    return l;
}

struct FilePage::Impl {
    FileFormat format;
    PageOptions options;
    PageTarget target;
    std::optional<PageLayout> layout;
};

FilePage::FilePage(FileFormat format, const PageOptions& options)
    : impl_(std::make_unique<Impl>(Impl{format, options, PageTarget(format, options.scale), {}}))
{
    layOutPage(format, options, {}); // options no page can have are refused now
}

FilePage::~FilePage() = default;

HostTarget& FilePage::target()
{
    return impl_->target;
}

const DrawnRegion& FilePage::drawn() const noexcept
{
    return impl_->target.list().drawn;
}

double FilePage::width() const noexcept
{
    const auto& l = impl_->layout;
    return !l ? 0 : l->across() ? l->height : l->width;
}

double FilePage::height() const noexcept
{
    const auto& l = impl_->layout;
    return !l ? 0 : l->across() ? l->width : l->height;
}

std::string FilePage::finish()
{
    Impl& p = *impl_;
    const DisplayList& list = p.target.list();
    const PageLayout& l = p.layout.emplace(layOutPage(p.format, p.options, list.drawn));
    switch (p.format) {
    case FileFormat::Png: return writePng(list, l, p.options);
    case FileFormat::Svg: return writeSvg(list, l, p.options);
    case FileFormat::Pdf: return writePdf(list, l, p.options);
    case FileFormat::Ps: return writePostScript(list, l, p.options, false);
    case FileFormat::Eps: return writePostScript(list, l, p.options, true);
    }
    throw PageError("no such file format");
}

} // namespace tallux
