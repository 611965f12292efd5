#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "tallux/cairo_target.h"
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

    // `scale` gives the units in which the drawings measure and draw.
    // Raises PageError for a grid that leaves no room.
    PdfSheet(Sink sink, const SheetLayout& layout, const Scale& scale);
    ~PdfSheet();
    PdfSheet(const PdfSheet&) = delete;
    PdfSheet& operator=(const PdfSheet&) = delete;

    // Fills the next cell. `draw` must draw on the target what `region`
    // measured. Raises PageError when the file can no longer be written.
    void place(const String& caption, const DrawnRegion& region,
               const std::function<void(Target&)>& draw);
    std::uint64_t cells() const noexcept;
    std::uint64_t pages() const noexcept;
    // Ends the last page and the file. Raises PageError.
    void finish();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace tallux
