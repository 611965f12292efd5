#pragma once

#include <optional>
#include <string>
#include <vector>

#include <cairo.h>

#include "pages/display_list.h"
#include "targets/pdf/pdf_fonts.h"
#include "targets/pdf/pdf_writer.h"

namespace tallux {

// A PDF file of pages drawn from display lists, with one set of fonts for
// the whole file: the page of one drawing and a sheet of labels are written
// the same way. Boxes are rectangles of the content stream; text shows the
// glyphs Pango chose in a subset of their font file, or where that file
// cannot show them as drawn, their outlines under the same text set
// invisibly, so that it can still be found.
class PdfDocument {
public:
    // Raises PageError when the sink refuses bytes, now or later.
    explicit PdfDocument(PdfWriter::Sink sink);

    // Starts a page of width by height points, measured from its top-left
    // corner downwards.
    void startPage(double width, double height);
    // Fills a box of the page, in points.
    void fill(const UnitBox& box, Rgb colour);
    // Shows nothing of what follows outside the box, in points, until unclip().
    void clip(const UnitBox& box);
    void unclip();
    // Draws the list, its units mapped onto the page by m; nothing outside
    // `visible` (in units) is drawn.
    void draw(const DisplayList& list, const cairo_matrix_t& m, const UnitBox& visible);
    // Writes the page drawn so far.
    void endPage();
    // Writes the fonts, the page tree and the catalog.
    void finish();

private:
    void setFill(Rgb colour);
    void endPath();
    void box(const UnitBox& box);
    bool showGlyphs(const ShapedText& text, double x, double y, Rgb colour, bool invisible);
    void showOutlines(const ShapedText& text, double x, double y);

    PdfWriter pdf_;
    PdfFonts fonts_;
    int catalog_, pageTree_, resources_;
    std::vector<int> pages_; // the page objects written
    double width_ = 0, height_ = 0;
    bool open_ = false;
    // The page's content stream, the fill colour it has set, whether boxes
    // wait for their fill.
    std::string ops_;
    std::optional<Rgb> fill_; // unknown after a restored graphics state
    bool pathOpen_ = false;
    std::string run_;
    std::u16string cluster_;
};

} // namespace tallux
