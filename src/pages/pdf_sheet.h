#pragma once

#include <cstdint>
#include <memory>

#include "pages/display_list.h"
#include "targets/pdf/pdf_writer.h"

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
    ~PdfSheet();
    PdfSheet(const PdfSheet&) = delete;
    PdfSheet& operator=(const PdfSheet&) = delete;

    // Fills the next cell with a drawing kept for a PDF page (a PageTarget
    // of FileFormat::Pdf). Raises PageError when the file can no longer be
    // written.
    void place(const String& caption, const DisplayList& drawing);
    std::uint64_t cells() const noexcept;
    std::uint64_t pages() const noexcept;
    // Ends the last page and the file. Raises PageError.
    void finish();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace tallux
