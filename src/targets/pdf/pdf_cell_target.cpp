#include "targets/pdf/pdf_cell_target.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include <cairo.h>

#include "tallux/types.h"
#include "targets/pdf/pdf_fonts.h"
#include "targets/pdf/pdf_writer.h"
#include "text/text_layouts.h"

namespace tallux {

namespace {

// The three components of a colour operator, each followed by a space.
void appendColour(std::string& out, Rgb c)
{
    for (const double v : {c.red, c.green, c.blue}) {
        appendNumber(out, v, 4);
        out += ' ';
    }
}

void appendPoint(std::string& out, double x, double y)
{
    appendNumber(out, x);
    out += ' ';
    appendNumber(out, y);
    out += ' ';
}

// The text of the cluster that glyph `i` of a run belongs to.
std::u16string_view clusterText(const std::string& text, const ShapedRun& run, std::size_t i,
                                std::u16string& scratch)
{
    const int start = run.glyphs[i].cluster;
    int end = run.length;
    for (const ShapedGlyph& g : run.glyphs)
        if (g.cluster > start) end = std::min(end, g.cluster);
    scratch = fromUtf8(std::string_view(text).substr(static_cast<std::size_t>(run.offset + start),
                                                     static_cast<std::size_t>(end - start)));
    return scratch;
}

} // namespace

void PdfPageContent::setFill(Rgb colour)
{
    if (fill && fill->red == colour.red && fill->green == colour.green && fill->blue == colour.blue)
        return;
    endPath();
    appendColour(ops, colour);
    ops += "rg\n";
    fill = colour;
}

void PdfPageContent::endPath()
{
    if (!pathOpen) return;
    ops += "f\n";
    pathOpen = false;
}

struct PdfCellTarget::State {
    PdfPageContent& page;
    PdfFonts& fonts;
    double unitsPerInch;
    // Shapes text as the cairo target does, and gives outlines where needed.
    cairo_surface_t* surface;
    cairo_t* cr;
    TextFont font;
    // The text being shown: where its top-left corner is, and in what colour.
    Rgb fore{0, 0, 0};
    double x = 0, y = 0;
    UnitBox clip;
    std::string run;
    std::u16string cluster;

    State(PdfPageContent& content, PdfFonts& f, double upi)
        : page(content)
        , fonts(f)
        , unitsPerInch(upi)
        , surface(cairo_recording_surface_create(CAIRO_CONTENT_COLOR_ALPHA, nullptr))
        , cr(cairo_create(surface))
    {
    }
    ~State()
    {
        cairo_destroy(cr);
        cairo_surface_destroy(surface);
    }
    State(const State&) = delete;
    State& operator=(const State&) = delete;

    // The text's glyphs in the fonts of the file, each where Pango put it;
    // false when they cannot all be shown that way. `invisible` sets them as
    // text alone, over the outlines of a font whose file cannot show them.
    bool showGlyphs(const ShapedText& text, bool invisible)
    {
        run = "BT\n";
        bool shown = true;
        char mode = '0';
        for (const ShapedRun& r : text.runs) {
            const PdfFontUse use = fonts.find(text.fonts[static_cast<std::size_t>(r.font)]);
            if (use.font == nullptr || (use.show == GlyphShow::Outlines && !invisible)) {
                shown = false;
                break;
            }
            PdfFont& f = *use.font;
            const char runMode = invisible ? '3' : use.show == GlyphShow::Emboldened ? '2' : '0';
            if (runMode != mode) {
                mode = runMode;
                run += mode;
                run += " Tr\n";
            }
            if (use.show == GlyphShow::Emboldened && !invisible) {
                // FreeType thickens each glyph by a 24th of an em.
                appendColour(run, fore);
                run += "RG ";
                appendNumber(run, font.size() / 24, 4);
                run += " w\n";
            }
            double pen = x + fromTextUnits(r.x);
            const double baseline = y + fromTextUnits(r.baseline);
            // The glyphs' own widths move the text position; a number in
            // the array moves it to where Pango put the next glyph.
            double at = pen;
            double rise = 0;
            run += '/' + f.resource() + " 1 Tf ";
            const double size = font.size();
            appendNumber(run, size, 4);
            run += " 0 0 ";
            appendNumber(run, -size, 4);
            run += ' ';
            appendPoint(run, pen, baseline);
            run += "Tm\n[<";
            for (std::size_t i = 0; i < r.glyphs.size(); ++i) {
                const ShapedGlyph& info = r.glyphs[i];
                const double advance = fromTextUnits(info.width);
                if (info.id == emptyGlyph) {
                    pen += advance;
                    continue;
                }
                if ((info.id & unknownGlyphFlag) != 0) {
                    shown = false;
                    break;
                }
                // The first glyph of a cluster stands for its text, the others
                // for none, so that the text is found once.
                const bool first = i == 0 || info.cluster != r.glyphs[i - 1].cluster;
                const PdfFont::Glyph& glyph = f.use(
                    info.id, first ? clusterText(text.text, r, i, cluster) : std::u16string_view());
                if (glyph.code > 0xFFFF || (!glyph.readable && !invisible)) {
                    shown = false;
                    break;
                }
                // A glyph Pango moved off the baseline rises in text space,
                // where the font size scales it and up is down.
                if (const double wanted = -fromTextUnits(info.yOffset) / size; wanted != rise) {
                    rise = wanted;
                    run += ">] TJ ";
                    appendNumber(run, rise, 4);
                    run += " Ts [<";
                }
                const double where = pen + fromTextUnits(info.xOffset);
                const double shift = (at - where) * 1000.0 / size;
                if (std::abs(shift) >= 0.005) {
                    run += '>';
                    appendNumber(run, shift, 2);
                    run += '<';
                }
                static constexpr char hex[] = "0123456789ABCDEF";
                for (int shiftBits = 12; shiftBits >= 0; shiftBits -= 4)
                    run += hex[(glyph.code >> shiftBits) & 0xF];
                at = where + glyph.width * size / 1000.0;
                pen += advance;
            }
            run += ">] TJ\n";
            if (rise != 0) run += "0 Ts\n";
            if (!shown) break;
        }
        if (!shown) return false;
        page.ops += run;
        if (mode != '0') page.ops += "0 Tr\n"; // the rendering mode outlives the text object
        page.ops += "ET\n";
        return true;
    }

    // The text as filled glyph outlines.
    void showOutlines(const ShapedText& text)
    {
        cairo_new_path(cr);
        cairo_move_to(cr, 0, 0);
        showShapedText(cr, text, true);
        cairo_path_t* path = cairo_copy_path(cr);
        cairo_new_path(cr);
        std::string& ops = page.ops;
        ops += "q 1 0 0 1 ";
        appendPoint(ops, x, y);
        ops += "cm\n";
        for (int i = 0; i < path->num_data; i += path->data[i].header.length) {
            const cairo_path_data_t* d = &path->data[i];
            switch (d->header.type) {
            case CAIRO_PATH_MOVE_TO:
                appendPoint(ops, d[1].point.x, d[1].point.y);
                ops += "m\n";
                break;
            case CAIRO_PATH_LINE_TO:
                appendPoint(ops, d[1].point.x, d[1].point.y);
                ops += "l\n";
                break;
            case CAIRO_PATH_CURVE_TO:
                for (int k = 1; k <= 3; ++k) appendPoint(ops, d[k].point.x, d[k].point.y);
                ops += "c\n";
                break;
            case CAIRO_PATH_CLOSE_PATH: ops += "h\n"; break;
            }
        }
        cairo_path_destroy(path);
        ops += "f\nQ\n";
    }
};

PdfCellTarget::PdfCellTarget(PdfPageContent& page, PdfFonts& fonts, double unitsPerInch)
    : state_(std::make_unique<State>(page, fonts, unitsPerInch))
{
}

PdfCellTarget::~PdfCellTarget() = default;

void PdfCellTarget::frame(double pointsPerUnit, const UnitBox& clip)
{
    // Text is shaped in the same transformation as on cairo's page.
    const cairo_matrix_t m{pointsPerUnit, 0, 0, pointsPerUnit, 0, 0};
    cairo_set_matrix(state_->cr, &m);
    state_->clip = clip;
}

void PdfCellTarget::fontChanged(const HostFont& font)
{
    state_->font.set(font, state_->unitsPerInch);
}

void PdfCellTarget::fillBox(const UnitBox& b, Rgb colour)
{
    const UnitBox box = b.clippedTo(state_->clip);
    if (box.empty()) return;

    PdfPageContent& page = state_->page;
    page.setFill(colour);
    appendPoint(page.ops, box.x0, box.y0);
    appendPoint(page.ops, box.x1 - box.x0, box.y1 - box.y0);
    // One fill a box, as viewers snap the edges of a lone rectangle to
    // whole pixels: bars keep sharp edges at any zoom.
    page.ops += "re f\n";
}

TextMetrics PdfCellTarget::drawText(const String& s, double x, double y, Rgb colour)
{
    State& st = *state_;
    const ShapedText& text = st.font.layOut(st.cr, s);
    if (!logicalBox(text, x, y).clippedTo(st.clip).empty()) {
        st.fore = colour, st.x = x, st.y = y;
        st.page.setFill(colour);
        st.page.endPath();
        if (!st.showGlyphs(text, false)) {
            st.showOutlines(text);
            st.showGlyphs(text, true); // the text stays findable over its outlines
        }
    }
    return metricsOf(text);
}

TextMetrics PdfCellTarget::measureText(const String& s)
{
    return metricsOf(state_->font.layOut(state_->cr, s));
}

} // namespace tallux
