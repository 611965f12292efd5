#include <algorithm>
#include <memory>

#include "pages/page_writers.h"
#include "targets/svg/svg_writer.h"

namespace tallux {

namespace {

TextBox united(const TextBox& a, const TextBox& b)
{
    if (a.width <= 0 || a.height <= 0) return b;
    if (b.width <= 0 || b.height <= 0) return a;
    const int x0 = std::min(a.x, b.x), y0 = std::min(a.y, b.y);
    const int x1 = std::max(a.x + a.width, b.x + b.width);
    const int y1 = std::max(a.y + a.height, b.y + b.height);
    return {x0, y0, x1 - x0, y1 - y0};
}

// A shaped text as an SVG element, made once and kept with it: a text
// element in the font asked for, or its glyph outlines where the text holds
// what a text element cannot show as Pango shaped it.
void writeText(ElementPage& svg, ShapedText& text, const DisplayList::Item& item)
{
    if (text.svgForm == ShapedText::SvgForm::None) {
        // What the glyphs and their cell cover: no white box under it is left out.
        text.svgInk = united(text.ink, text.logical);
        if (svgTextCarries(text.text) && text.lines == 1) {
            SvgFont f;
            f.asked = text.askedFamily;
            f.size = text.askedSize;
            f.bold = text.askedBold;
            // The face fontconfig found for the first run of the text.
            if (!text.runs.empty())
                f.chosen = text.fonts[static_cast<std::size_t>(text.runs[0].font)].family;
            text.svg = svgTextTail(f, fromTextUnits(text.logical.width), text.text);
            text.svgForm = ShapedText::SvgForm::Text;
        } else {
            cairo_path_t* path = shapedTextPath(text);
            text.svg = svgPathData(path);
            cairo_path_destroy(path);
            text.svgForm = ShapedText::SvgForm::Outline;
        }
    }
    const TextBox& r = text.svgInk;
    const double x = item.x, y = item.y;
    const UnitBox ink{x + fromTextUnits(r.x), y + fromTextUnits(r.y),
                      x + fromTextUnits(r.x + r.width), y + fromTextUnits(r.y + r.height)};
    if (text.svgForm == ShapedText::SvgForm::Text)
        svg.text(x, y + fromTextUnits(text.baseline), text.svg, item.colour, ink);
    else
        svg.outline(x, y, text.svg, item.colour, ink);
}

} // namespace

std::string writeSvg(const DisplayList& list, const PageLayout& l, const PageOptions& options)
{
    ElementPage svg(l.across() ? l.height : l.width, l.across() ? l.width : l.height,
                    l.unitsToPage(), options.background);
    const UnitBox visible = l.inUnits();
    for (const DisplayList::Item& item : list.items) {
        const UnitBox box = item.box.clippedTo(visible);
        if (box.empty()) continue;
        if (item.text)
            writeText(svg, *item.text, item);
        else
            svg.box(box.x0, box.y0, box.x1, box.y1, item.colour);
    }
    return svg.finish();
}

} // namespace tallux
