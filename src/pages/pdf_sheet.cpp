#include "pages/pdf_sheet.h"

#include <algorithm>

#include "pages/pdf_document.h"

namespace tallux {

struct PdfSheet::Impl {
    SheetLayout layout;
    PdfDocument pdf;
    PageTarget caption{FileFormat::Pdf, Scale{ScaleUnits::Points, 0}};
    double captionHeight = 0;
    double cellWidth = 0, cellHeight = 0;
    std::uint64_t placed = 0;

    Impl(Sink sink, const SheetLayout& l)
        : layout(l)
        , pdf(std::move(sink))
    {
    }
    std::uint64_t perPage() const
    {
        return static_cast<std::uint64_t>(layout.columns) * static_cast<std::uint64_t>(layout.rows);
    }
};

PdfSheet::PdfSheet(Sink sink, const SheetLayout& layout)
    : impl_(std::make_unique<Impl>(std::move(sink), layout))
{
    Impl& s = *impl_;
    if (layout.columns < 1 || layout.rows < 1)
        throw PageError("a sheet needs at least one column and one row");
    s.cellWidth = (layout.pageWidth - 2 * layout.margin) / layout.columns;
    s.cellHeight = (layout.pageHeight - 2 * layout.margin) / layout.rows;
    if (!(s.cellWidth > 2 * layout.padding && s.cellHeight > 2 * layout.padding))
        throw PageError("the cells of the sheet would be too small to hold anything");
    s.pdf.startPage(layout.pageWidth, layout.pageHeight);
    PageTarget& c = s.caption;
    c.FontName(u"Sans");
    c.ForeColor(0);
    c.FontBold(false);
    c.FontSize(layout.captionPoints);
    s.captionHeight = c.TextHeight(u"Ag").value();
}

PdfSheet::~PdfSheet() = default;

void PdfSheet::place(const String& caption, const DisplayList& drawing)
{
    Impl& s = *impl_;
    const SheetLayout& l = s.layout;
    const std::uint64_t index = s.placed % s.perPage();
    if (s.placed > 0 && index == 0) { // the page is full: it goes to the sink now
        s.pdf.endPage();
        s.pdf.startPage(l.pageWidth, l.pageHeight);
    }
    const auto columns = static_cast<std::uint64_t>(l.columns);
    const double x0 = l.margin + static_cast<double>(index % columns) * s.cellWidth;
    const double y0 = l.margin + static_cast<double>(index / columns) * s.cellHeight;
    const UnitBox cell{x0, y0, x0 + s.cellWidth, y0 + s.cellHeight};

    // Nothing drawn for a cell shows outside it.
    s.pdf.clip(cell);
    s.caption.clear();
    s.caption.CurrentX(Double{x0 + l.padding});
    s.caption.CurrentY(static_cast<Single>(y0 + l.padding));
    s.caption.Print(caption);
    s.pdf.draw(s.caption.list(), {1, 0, 0, 1, 0, 0}, cell);

    // The drawing goes below the caption, in what is left of the cell.
    const DrawnRegion& region = drawing.drawn;
    const double pointsPerUnit = drawing.surface.xx;
    const double areaX = x0 + l.padding, areaY = y0 + 1.5 * l.padding + s.captionHeight;
    const double areaWidth = s.cellWidth - 2 * l.padding;
    const double areaHeight = y0 + s.cellHeight - l.padding - areaY;
    const double width = (region.right - region.left) * pointsPerUnit;
    const double height = (region.bottom - region.top) * pointsPerUnit;
    if (!region.empty && width > 0 && height > 0 && areaWidth > 0 && areaHeight > 0) {
        const double fit = std::min({1.0, areaWidth / width, areaHeight / height});
        const double k = pointsPerUnit * fit;
        // Units to points: scaled by k, the region's top-left corner at the
        // top of the area, centred across it.
        const double ox = areaX + (areaWidth - width * fit) / 2 - k * region.left;
        const double oy = areaY - k * region.top;
        s.pdf.draw(
            drawing, {k, 0, 0, k, ox, oy},
            {(cell.x0 - ox) / k, (cell.y0 - oy) / k, (cell.x1 - ox) / k, (cell.y1 - oy) / k});
    }
    s.pdf.unclip();
    ++s.placed;
}

std::uint64_t PdfSheet::cells() const noexcept
{
    return impl_->placed;
}

std::uint64_t PdfSheet::pages() const noexcept
{
    const Impl& s = *impl_;
    return s.placed == 0 ? 1 : (s.placed - 1) / s.perPage() + 1;
}

void PdfSheet::finish()
{
    impl_->pdf.finish();
}

} // namespace tallux
