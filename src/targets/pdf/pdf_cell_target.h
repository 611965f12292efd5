#pragma once

#include <memory>
#include <optional>
#include <string>

#include "tallux/host_target.h"

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

// A target drawing into one cell of a PDF page, with the behaviour of the
// cairo target: boxes fill both corners inclusive, text is shaped by Pango
// with its top-left corner at the print position. Each box is a rectangle
// of the content stream; text shows the glyphs Pango chose in a subset of
// their font file, or where that file cannot show them as drawn, their
// outlines under the same text set invisibly, so that it can still be found.
class PdfCellTarget : public HostTargetOf<PdfCellTarget> {
public:
    PdfCellTarget(PdfPageContent& page, PdfFonts& fonts, double unitsPerInch);
    ~PdfCellTarget() override;
    PdfCellTarget(const PdfCellTarget&) = delete;
    PdfCellTarget& operator=(const PdfCellTarget&) = delete;

    // The cell to draw in: points per unit of the page's transformation, and
    // the cell's clip in units. Nothing outside the clip is drawn.
    void frame(double pointsPerUnit, const UnitBox& clip);

protected:
    void fontChanged(const HostFont& font) override;
    TextMetrics measureText(const String& s) override;
    TextMetrics drawText(const String& s, double x, double y, Rgb colour) override;

private:
    friend class HostTargetOf<PdfCellTarget>;
    void fillBox(const UnitBox& box, Rgb colour);

    struct State;
    std::unique_ptr<State> state_;
};

} // namespace tallux
