#include "pages/pdf_sheet.h"

#include <algorithm>
#include <cmath>
#include <ctime>
#include <optional>
#include <string>
#include <vector>

#include "targets/cairo/stable_output.h"
#include "targets/pdf/pdf_cell_target.h"
#include "targets/pdf/pdf_fonts.h"
#include "targets/pdf/pdf_writer.h"

namespace tallux {

namespace {

// The creation date as a PDF date: SOURCE_DATE_EPOCH where it is set, so
// that the same lines make the same file byte for byte; else now.
std::string creationDate()
{
    return utcText(sourceDateEpoch().value_or(std::time(nullptr)), "D:%Y%m%d%H%M%SZ");
}

std::string ref(int number)
{
    return std::to_string(number) + " 0 R";
}

} // namespace

struct PdfSheet::Impl {
    SheetLayout layout;
    double pointsPerUnit = 1;
    PdfWriter pdf;
    PdfFonts fonts;
    PdfPageContent content;
    std::optional<PdfCellTarget> caption, drawing;
    int catalog = 0, pageTree = 0, resources = 0;
    std::vector<int> pages; // the page objects written
    double captionHeight = 0;
    double cellWidth = 0, cellHeight = 0;
    std::uint64_t placed = 0;

    std::uint64_t perPage() const
    {
        return static_cast<std::uint64_t>(layout.columns) * static_cast<std::uint64_t>(layout.rows);
    }

    explicit Impl(Sink sink)
        : pdf(std::move(sink))
    {
    }

    // Writes the page drawn so far and starts the next one.
    void writePage()
    {
        content.endPath();
        const int stream = pdf.reserve();
        pdf.stream(stream, "", content.ops);
        const int page = pdf.reserve();
        std::string mediaBox;
        appendNumbers(mediaBox, {layout.pageWidth, layout.pageHeight});
        pdf.object(page, "<< /Type /Page /Parent " + ref(pageTree) + " /MediaBox [0 0" + mediaBox +
                             "] /Resources " + ref(resources) + " /Contents " + ref(stream) +
                             " >>");
        pages.push_back(page);
        startPage();
    }

    // Each page measures from its top-left corner downwards, as cells do.
    void startPage()
    {
        content.ops = "1 0 0 -1 0 ";
        appendNumber(content.ops, layout.pageHeight);
        content.ops += " cm\n";
        content.fill.reset();
        content.pathOpen = false;
    }
};

PdfSheet::PdfSheet(Sink sink, const SheetLayout& layout, const Scale& scale)
    : impl_(std::make_unique<Impl>(std::move(sink)))
{
    Impl& s = *impl_;
    s.layout = layout;
    s.pointsPerUnit = 72.0 / scale.unitsPerInch();
    if (layout.columns < 1 || layout.rows < 1)
        throw PageError("a sheet needs at least one column and one row");
    s.cellWidth = (layout.pageWidth - 2 * layout.margin) / layout.columns;
    s.cellHeight = (layout.pageHeight - 2 * layout.margin) / layout.rows;
    if (!(s.cellWidth > 2 * layout.padding && s.cellHeight > 2 * layout.padding))
        throw PageError("the cells of the sheet would be too small to hold anything");

    s.catalog = s.pdf.reserve();
    s.pageTree = s.pdf.reserve();
    s.resources = s.pdf.reserve();
    s.startPage();
    s.caption.emplace(s.content, s.fonts, 72.0);
    s.drawing.emplace(s.content, s.fonts, scale.unitsPerInch());

    PdfCellTarget& c = *s.caption;
    c.frame(1, {});
    c.FontName(u"Sans");
    c.ForeColor(0);
    c.FontBold(false);
    c.FontSize(layout.captionPoints);
    s.captionHeight = c.TextHeight(u"Ag").value();
}

PdfSheet::~PdfSheet() = default;

void PdfSheet::place(const String& caption, const DrawnRegion& region,
                     const std::function<void(Target&)>& draw)
{
    Impl& s = *impl_;
    const SheetLayout& l = s.layout;
    const std::uint64_t index = s.placed % s.perPage();
    if (s.placed > 0 && index == 0) s.writePage(); // the page is full: it goes to the sink now
    const auto columns = static_cast<std::uint64_t>(l.columns);
    const double x0 = l.margin + static_cast<double>(index % columns) * s.cellWidth;
    const double y0 = l.margin + static_cast<double>(index / columns) * s.cellHeight;
    const double x1 = x0 + s.cellWidth, y1 = y0 + s.cellHeight;

    // Nothing drawn for a cell shows outside it.
    std::string& ops = s.content.ops;
    ops += 'q';
    appendNumbers(ops, {x0, y0, s.cellWidth, s.cellHeight});
    ops += " re W n\n";

    PdfCellTarget& c = *s.caption;
    c.frame(1, {x0, y0, x1, y1});
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
        const double k = s.pointsPerUnit * fit;
        // Units to points: scaled by k, the region's top-left corner at the
        // top of the area, centred across it.
        const double ox = areaX + (areaWidth - width * fit) / 2 - k * region.left;
        const double oy = areaY - k * region.top;
        s.content.endPath();
        appendNumber(ops, k, 9);
        ops += " 0 0 ";
        appendNumber(ops, k, 9);
        appendNumbers(ops, {ox, oy}, 6);
        ops += " cm\n";
        s.drawing->frame(k, {(x0 - ox) / k, (y0 - oy) / k, (x1 - ox) / k, (y1 - oy) / k});
        draw(*s.drawing);
    }
    s.content.endPath();
    ops += "Q\n";
    s.content.fill.reset();
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
    Impl& s = *impl_;
    s.writePage();
    PdfWriter& pdf = s.pdf;
    const std::string fonts = s.fonts.write(pdf);
    pdf.object(s.resources, "<< /Font " + fonts + " >>");
    std::string kids;
    for (const int page : s.pages) kids += ref(page) + ' ';
    pdf.object(s.pageTree, "<< /Type /Pages /Kids [ " + kids + "] /Count " +
                               std::to_string(s.pages.size()) + " >>");
    pdf.object(s.catalog, "<< /Type /Catalog /Pages " + ref(s.pageTree) + " >>");
    const int info = pdf.reserve();
    pdf.object(info, "<< /Producer (tallux) /CreationDate (" + creationDate() + ") >>");
    pdf.finish(s.catalog, info);
}

} // namespace tallux
