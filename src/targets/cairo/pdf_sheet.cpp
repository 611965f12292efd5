#include "targets/cairo/pdf_sheet.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <string>

#include <cairo-pdf.h>
#include <cairo.h>

#include "targets/cairo/stable_output.h"

namespace tallux {

namespace {

cairo_status_t toSink(void* closure, const unsigned char* data, unsigned int length) {
    return (*static_cast<PdfSheet::Sink*>(closure))(data, length) ? CAIRO_STATUS_SUCCESS
                                                                  : CAIRO_STATUS_WRITE_ERROR;
}

void check(cairo_surface_t* surface, const char* what) {
    const cairo_status_t status = cairo_surface_status(surface);
    if (status != CAIRO_STATUS_SUCCESS)
        throw PageError(std::string(what) + ": " + cairo_status_to_string(status));
}

} // namespace

struct PdfSheet::Impl {
    Sink sink;
    SheetLayout layout;
    double pointsPerUnit;
    cairo_surface_t* surface = nullptr;
    cairo_t* cr = nullptr;
    std::optional<CairoTarget> caption, drawing;
    double captionHeight = 0;
    double cellWidth = 0, cellHeight = 0;
    std::uint64_t placed = 0;

    ~Impl() {
        caption.reset();
        drawing.reset();
        if (cr) cairo_destroy(cr);
        if (surface) cairo_surface_destroy(surface);
    }
};

PdfSheet::PdfSheet(Sink sink, const SheetLayout& layout, const Scale& scale)
    : impl_(std::make_unique<Impl>()) {
    Impl& s = *impl_;
    s.sink = std::move(sink);
    s.layout = layout;
    s.pointsPerUnit = 72.0 / scale.unitsPerInch();
    if (layout.columns < 1 || layout.rows < 1)
        throw PageError("a sheet needs at least one column and one row");
    s.cellWidth = (layout.pageWidth - 2 * layout.margin) / layout.columns;
    s.cellHeight = (layout.pageHeight - 2 * layout.margin) / layout.rows;
    if (!(s.cellWidth > 2 * layout.padding && s.cellHeight > 2 * layout.padding))
        throw PageError("the cells of the sheet would be too small to hold anything");

    s.surface =
        cairo_pdf_surface_create_for_stream(toSink, &s.sink, layout.pageWidth, layout.pageHeight);
    check(s.surface, "cannot make the sheet");
    setReproducibleDate(s.surface);
    s.cr = cairo_create(s.surface);
    s.caption.emplace(s.cr, 72.0);
    s.drawing.emplace(s.cr, scale.unitsPerInch());

    CairoTarget& c = *s.caption;
    c.FontName(u"Sans");
    c.ForeColor(0);
    c.FontBold(false);
    c.FontSize(layout.captionPoints);
    s.captionHeight = c.TextHeight(u"Ag").value();
}

PdfSheet::~PdfSheet() = default;

void PdfSheet::place(const String& caption, const DrawnRegion& region,
                     const std::function<void(Target&)>& draw) {
    Impl& s = *impl_;
    const SheetLayout& l = s.layout;
    const auto perPage = static_cast<std::uint64_t>(l.columns) * static_cast<std::uint64_t>(l.rows);
    const std::uint64_t index = s.placed % perPage;
    if (s.placed > 0 && index == 0) {
        cairo_show_page(s.cr); // the page is full: it goes to the sink now
        check(s.surface, "cannot write the sheet");
    }
    const auto columns = static_cast<std::uint64_t>(l.columns);
    const double x0 = l.margin + static_cast<double>(index % columns) * s.cellWidth;
    const double y0 = l.margin + static_cast<double>(index / columns) * s.cellHeight;

    cairo_save(s.cr);
    cairo_rectangle(s.cr, x0, y0, s.cellWidth, s.cellHeight);
    cairo_clip(s.cr);

    CairoTarget& c = *s.caption;
    c.CurrentX(Double{x0 + l.padding});
    c.CurrentY(static_cast<Single>(y0 + l.padding));
    c.Print(caption);

    // The drawing goes below the caption, in what is left of the cell.
    const double areaX = x0 + l.padding, areaY = y0 + 1.5 * l.padding + s.captionHeight;
    const double areaWidth = s.cellWidth - 2 * l.padding;
    const double areaHeight = y0 + s.cellHeight - l.padding - areaY;
    const double width = (region.right - region.left) * s.pointsPerUnit;
    const double height = (region.bottom - region.top) * s.pointsPerUnit;
    if (!region.empty && width > 0 && height > 0 && areaWidth > 0 && areaHeight > 0) {
        const double fit = std::min({1.0, areaWidth / width, areaHeight / height});
        cairo_translate(s.cr, areaX + (areaWidth - width * fit) / 2, areaY);
        cairo_scale(s.cr, s.pointsPerUnit * fit, s.pointsPerUnit * fit);
        cairo_translate(s.cr, -region.left, -region.top);
        draw(*s.drawing);
    }
    cairo_restore(s.cr);
    ++s.placed;
}

std::uint64_t PdfSheet::cells() const noexcept {
    return impl_->placed;
}

std::uint64_t PdfSheet::pages() const noexcept {
    const Impl& s = *impl_;
    const auto perPage =
        static_cast<std::uint64_t>(s.layout.columns) * static_cast<std::uint64_t>(s.layout.rows);
    return s.placed == 0 ? 1 : (s.placed - 1) / perPage + 1;
}

void PdfSheet::finish() {
    Impl& s = *impl_;
    const cairo_status_t drawn = cairo_status(s.cr);
    if (drawn != CAIRO_STATUS_SUCCESS)
        throw PageError(std::string("drawing the sheet failed: ") + cairo_status_to_string(drawn));
    cairo_surface_finish(s.surface);
    check(s.surface, "cannot write the sheet");
}

} // namespace tallux
