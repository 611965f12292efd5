#pragma once

#include <memory>
#include <optional>
#include <string>

#include "tallux/target.h"
#include "targets/cairo/host_color.h"

namespace tallux {

class PdfFonts;

// The content stream of a page as it is drawn: operators, the fill colour
// they have set, and boxes still waiting for their fill.
struct PdfPageContent {
    std::string ops;
    std::optional<Rgb> fill; // unknown after a restored graphics state
    bool pathOpen = false;

    void setFill(Rgb colour);
    void endPath();
};

// A box in the units of a target: left, top, right, bottom.
struct UnitBox {
    double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
};

// A target drawing into one cell of a PDF page, with the behaviour of the
// cairo target: boxes fill both corners inclusive, text is shaped by Pango
// with its top-left corner at the print position. Each box is a rectangle
// of the content stream; text shows the glyphs Pango chose in a subset of
// their font file, or where that file cannot show them as drawn, their
// outlines under the same text set invisibly, so that it can still be found.
class PdfCellTarget : public Target {
public:
    PdfCellTarget(PdfPageContent& page, PdfFonts& fonts, double unitsPerInch);
    ~PdfCellTarget() override;
    PdfCellTarget(const PdfCellTarget&) = delete;
    PdfCellTarget& operator=(const PdfCellTarget&) = delete;

    // The cell to draw in: points per unit of the page's transformation, and
    // the cell's clip in units. Nothing outside the clip is drawn.
    void frame(double pointsPerUnit, const UnitBox& clip);

    void FontName(const String& value) override;
    void ForeColor(Long value) override;
    void FontBold(Boolean value) override;
    void FontSize(Integer value) override;
    void CurrentX(Number value) override;
    void CurrentY(Single value) override;
    void Line(Integer flags, Integer x1, Single y1, Integer x2, Single y2, Long color) override;
    void Print(const String& s) override;
    Number TextWidth(const String& s) override;
    Number TextHeight(const String& s) override;

private:
    struct State;
    std::unique_ptr<State> state_;
};

} // namespace tallux
