#pragma once

#include <cstdint>

#include "pages/display_list.h"
#include "pages/pdf_document.h"

namespace tallux {

// The grid of a sheet of labels, in points.
struct SheetLayout {
    double pageWidth = 595.28, pageHeight = 841.89; // A4
    int columns = 3, rows = 8;
    double margin = 18; // around the grid
    double padding = 6; // inside each cell
    int captionPoints = 7;
};

// A PDF of labels, handed to a sink page by page as the pages fill. Each cell
// holds a caption above one drawing, which is centred and scaled down where it
// is larger than the cell. Cells fill left to right, then top to bottom.
class PdfSheet {
public:
    using Sink = PdfWriter::Sink;

    // Raises PageError for a grid that leaves no room.
    PdfSheet(Sink sink, const SheetLayout& layout);

    // Fills the next cell with a drawing kept for a PDF page (a PageTarget
    // of FileFormat::Pdf). Raises PageError when the file can no longer be
    // written.
    void place(const String& caption, const DisplayList& drawing);
    std::uint64_t pages() const noexcept
    {
        return placed_ == 0 ? 1 : (placed_ - 1) / perPage() + 1;
    }
    // Ends the last page and the file. Raises PageError.
    void finish() { pdf_.finish(); }

private:
    std::uint64_t perPage() const noexcept
    {
        return static_cast<std::uint64_t>(layout_.columns) *
               static_cast<std::uint64_t>(layout_.rows);
    }

    SheetLayout layout_;
    PdfDocument pdf_;
    PageTarget caption_{FileFormat::Pdf, Scale{ScaleUnits::Points, 0}};
    double captionHeight_ = 0;
    double cellWidth_ = 0, cellHeight_ = 0;
    std::uint64_t placed_ = 0;
};

} // namespace tallux
