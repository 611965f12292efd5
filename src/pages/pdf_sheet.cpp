#include "pages/pdf_sheet.h"

#include <algorithm>

namespace tallux {

PdfSheet::PdfSheet(Sink sink, const SheetLayout& layout)
    : layout_(layout)
    , pdf_(std::move(sink))
{
    if (layout.columns < 1 || layout.rows < 1)
        throw PageError("a sheet needs at least one column and one row");
    cellWidth_ = (layout.pageWidth - 2 * layout.margin) / layout.columns;
    cellHeight_ = (layout.pageHeight - 2 * layout.margin) / layout.rows;
    if (!(cellWidth_ > 2 * layout.padding && cellHeight_ > 2 * layout.padding))
        throw PageError("the cells of the sheet would be too small to hold anything");
    pdf_.startPage(layout.pageWidth, layout.pageHeight);
    caption_.FontName(u"Sans");
    caption_.ForeColor(0);
    caption_.FontBold(false);
    caption_.FontSize(layout.captionPoints);
    captionHeight_ = caption_.TextHeight(u"Ag").value();
}

void PdfSheet::place(const String& caption, const DisplayList& drawing)
{
    const SheetLayout& l = layout_;
    const std::uint64_t index = placed_ % perPage();
    if (placed_ > 0 && index == 0) { // the page is full: it goes to the sink now
        pdf_.endPage();
        pdf_.startPage(l.pageWidth, l.pageHeight);
    }
    const auto columns = static_cast<std::uint64_t>(l.columns);
    const double x0 = l.margin + static_cast<double>(index % columns) * cellWidth_;
    const double y0 = l.margin + static_cast<double>(index / columns) * cellHeight_;
    const UnitBox cell{x0, y0, x0 + cellWidth_, y0 + cellHeight_};

    // Nothing drawn for a cell shows outside it.
    pdf_.clip(cell);
    caption_.clear();
    caption_.CurrentX(Double{x0 + l.padding});
    caption_.CurrentY(static_cast<Single>(y0 + l.padding));
    caption_.Print(caption);
    pdf_.draw(caption_.list(), {1, 0, 0, 1, 0, 0}, cell);

    // The drawing goes below the caption, in what is left of the cell.
    const DrawnRegion& region = drawing.drawn;
    const double pointsPerUnit = drawing.surface.xx;
    const double areaX = x0 + l.padding, areaY = y0 + 1.5 * l.padding + captionHeight_;
    const double areaWidth = cellWidth_ - 2 * l.padding;
    const double areaHeight = y0 + cellHeight_ - l.padding - areaY;
    const double width = (region.right - region.left) * pointsPerUnit;
    const double height = (region.bottom - region.top) * pointsPerUnit;
    if (!region.empty && width > 0 && height > 0 && areaWidth > 0 && areaHeight > 0) {
        const double fit = std::min({1.0, areaWidth / width, areaHeight / height});
        const double k = pointsPerUnit * fit;
        // Units to points: scaled by k, the region's top-left corner at the
        // top of the area, centred across it.
        const double ox = areaX + (areaWidth - width * fit) / 2 - k * region.left;
        const double oy = areaY - k * region.top;
        pdf_.draw(drawing, {k, 0, 0, k, ox, oy},
                  {(cell.x0 - ox) / k, (cell.y0 - oy) / k, (cell.x1 - ox) / k, (cell.y1 - oy) / k});
    }
    pdf_.unclip();
    ++placed_;
}

} // namespace tallux
