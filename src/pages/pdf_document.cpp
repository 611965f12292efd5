#include "pages/pdf_document.h"

#include <algorithm>
#include <cmath>
#include <ctime>

#include "pages/page_writers.h"
#include "tallux/types.h"
#include "targets/cairo/stable_output.h"

namespace tallux {

namespace {

// The operands of an operator: each number followed by a space.
void appendOperands(std::string& out, std::initializer_list<double> values, int decimals = 3)
{
    for (const double v : values) {
        appendNumber(out, v, decimals);
        out += ' ';
    }
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

std::string ref(int number)
{
    return std::to_string(number) + " 0 R";
}

// The creation date as a PDF date: SOURCE_DATE_EPOCH where it is set, so
// that the same drawing makes the same file byte for byte; else now.
std::string creationDate()
{
    return utcText(sourceDateEpoch().value_or(std::time(nullptr)), "D:%Y%m%d%H%M%SZ");
}

} // namespace

PdfDocument::PdfDocument(PdfWriter::Sink sink)
    : pdf_(std::move(sink))
    , catalog_(pdf_.reserve())
    , pageTree_(pdf_.reserve())
    , resources_(pdf_.reserve())
{
}

void PdfDocument::startPage(double width, double height)
{
    width_ = width, height_ = height;
    open_ = true;
    ops_ = "1 0 0 -1 0 ";
    appendNumber(ops_, height);
    ops_ += " cm\n";
    fill_.reset();
    pathOpen_ = false;
}

void PdfDocument::endPage()
{
    endPath();
    const int stream = pdf_.reserve();
    pdf_.stream(stream, "", ops_);
    const int page = pdf_.reserve();
    std::string mediaBox;
    appendNumbers(mediaBox, {width_, height_});
    pdf_.object(page, "<< /Type /Page /Parent " + ref(pageTree_) + " /MediaBox [0 0" + mediaBox +
                          "] /Resources " + ref(resources_) + " /Contents " + ref(stream) + " >>");
    pages_.push_back(page);
    open_ = false;
}

void PdfDocument::finish()
{
    if (open_) endPage();
    pdf_.object(resources_, "<< /Font " + fonts_.write(pdf_) + " >>");
    std::string kids;
    for (const int page : pages_) kids += ref(page) + ' ';
    pdf_.object(pageTree_, "<< /Type /Pages /Kids [ " + kids + "] /Count " +
                               std::to_string(pages_.size()) + " >>");
    pdf_.object(catalog_, "<< /Type /Catalog /Pages " + ref(pageTree_) + " >>");
    const int info = pdf_.reserve();
    pdf_.object(info, "<< /Producer (tallux) /CreationDate (" + creationDate() + ") >>");
    pdf_.finish(catalog_, info);
}

void PdfDocument::setFill(Rgb colour)
{
    if (fill_ == colour) return;
    endPath();
    appendOperands(ops_, {colour.red, colour.green, colour.blue}, 4);
    ops_ += "rg\n";
    fill_ = colour;
}

void PdfDocument::endPath()
{
    if (!pathOpen_) return;
    ops_ += "f\n";
    pathOpen_ = false;
}

void PdfDocument::box(const UnitBox& b)
{
    appendOperands(ops_, {b.x0, b.y0, b.x1 - b.x0, b.y1 - b.y0});
}

void PdfDocument::fill(const UnitBox& b, Rgb colour)
{
    setFill(colour);
    box(b);
    // One fill a box, as viewers snap the edges of a lone rectangle to
    // whole pixels: bars keep sharp edges at any zoom.
    ops_ += "re f\n";
}

void PdfDocument::clip(const UnitBox& b)
{
    endPath();
    ops_ += "q ";
    box(b);
    ops_ += "re W n\n";
}

void PdfDocument::unclip()
{
    endPath();
    ops_ += "Q\n";
    fill_.reset();
}

void PdfDocument::draw(const DisplayList& list, const cairo_matrix_t& m, const UnitBox& visible)
{
    endPath();
    ops_ += 'q';
    appendNumbers(ops_, {m.xx, m.yx, m.xy, m.yy}, 9);
    appendNumbers(ops_, {m.x0, m.y0}, 6);
    ops_ += " cm\n";
    for (const DisplayList::Item& item : list.items) {
        const UnitBox b = item.box.clippedTo(visible);
        if (b.empty()) continue;
        if (!item.text) {
            fill(b, item.colour);
            continue;
        }
        setFill(item.colour);
        endPath();
        if (!showGlyphs(*item.text, item.x, item.y, item.colour, false)) {
            showOutlines(*item.text, item.x, item.y);
            // The text stays findable over its outlines.
            showGlyphs(*item.text, item.x, item.y, item.colour, true);
        }
    }
    unclip();
}

// The text's glyphs in the fonts of the file, each where Pango put it; false
// when they cannot all be shown that way. `invisible` sets them as text
// alone, over the outlines of a font whose file cannot show them.
bool PdfDocument::showGlyphs(const ShapedText& text, double x, double y, Rgb colour, bool invisible)
{
    std::string& run = run_;
    run = "BT\n";
    char mode = '0';
    const double size = text.askedSize;
    for (const ShapedRun& r : text.runs) {
        const PdfFontUse use = fonts_.find(text.fonts[static_cast<std::size_t>(r.font)]);
        if (use.font == nullptr || (use.show == GlyphShow::Outlines && !invisible)) return false;
        PdfFont& f = *use.font;
        const char runMode = invisible ? '3' : use.show == GlyphShow::Emboldened ? '2' : '0';
        if (runMode != mode) {
            mode = runMode;
            run += mode;
            run += " Tr\n";
        }
        if (use.show == GlyphShow::Emboldened && !invisible) {
            // FreeType thickens each glyph by a 24th of an em.
            appendOperands(run, {colour.red, colour.green, colour.blue}, 4);
            run += "RG ";
            appendNumber(run, size / 24, 4);
            run += " w\n";
        }
        double pen = x + fromTextUnits(r.x);
        const double baseline = y + fromTextUnits(r.baseline);
        // The glyphs' own widths move the text position; a number in the
        // array moves it to where Pango put the next glyph.
        double at = pen;
        double rise = 0;
        run += '/' + f.resource() + " 1 Tf ";
        appendNumber(run, size, 4);
        run += " 0 0 ";
        appendNumber(run, -size, 4);
        run += ' ';
        appendOperands(run, {pen, baseline});
        run += "Tm\n[<";
        for (std::size_t i = 0; i < r.glyphs.size(); ++i) {
            const ShapedGlyph& info = r.glyphs[i];
            const double advance = fromTextUnits(info.width);
            if (info.id == emptyGlyph) {
                pen += advance;
                continue;
            }
            if ((info.id & unknownGlyphFlag) != 0) return false;
            // The first glyph of a cluster stands for its text, the others
            // for none, so that the text is found once.
            const bool first = i == 0 || info.cluster != r.glyphs[i - 1].cluster;
            const PdfFont::Glyph& glyph = f.use(
                info.id, first ? clusterText(text.text, r, i, cluster_) : std::u16string_view());
            if (glyph.code > 0xFFFF || (!glyph.readable && !invisible)) return false;
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
    }
    ops_ += run;
    if (mode != '0') ops_ += "0 Tr\n"; // the rendering mode outlives the text object
    ops_ += "ET\n";
    return true;
}

// The text as filled glyph outlines.
void PdfDocument::showOutlines(const ShapedText& text, double x, double y)
{
    cairo_path_t* path = shapedTextPath(text);
    ops_ += "q 1 0 0 1 ";
    appendOperands(ops_, {x, y});
    ops_ += "cm\n";
    for (int i = 0; i < path->num_data; i += path->data[i].header.length) {
        // The points of a move, line, curve or close, then its operator.
        const cairo_path_data_t* d = &path->data[i];
        for (int k = 1; k < d->header.length; ++k)
            appendOperands(ops_, {d[k].point.x, d[k].point.y});
        ops_ += "mlch"[d->header.type];
        ops_ += '\n';
    }
    cairo_path_destroy(path);
    ops_ += "f\nQ\n";
}

// A page of one drawing.
std::string writePdf(const DisplayList& list, const PageLayout& l, const PageOptions& options)
{
    std::string bytes;
    PdfDocument pdf([&bytes](const unsigned char* data, std::size_t size) {
        bytes.append(reinterpret_cast<const char*>(data), size);
        return true;
    });
    const double width = l.across() ? l.height : l.width;
    const double height = l.across() ? l.width : l.height;
    pdf.startPage(width, height);
    if (options.background) pdf.fill({0, 0, width, height}, rgbOf(*options.background));
    pdf.draw(list, l.unitsToPage(), l.inUnits());
    pdf.finish();
    return bytes;
}

} // namespace tallux
