#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include <cairo.h>
#include <pango/pangocairo.h>

#include "tallux/host_target.h"

namespace tallux {

// The coverage of a text's glyphs on whole device pixels, for one position
// of the text's origin within a pixel: `left` and `top` from the pixel that
// holds the origin.
struct GlyphMask {
    double fractionX = 0, fractionY = 0;
    int left = 0, top = 0, width = 0, height = 0;
    std::vector<std::uint8_t> coverage; // width * height, row by row
};

// Shaped text with its logical box in Pango units, and room for what a
// target derives from it once: its SVG element (a text element's font and
// content, or glyph outlines as path data), and its glyph masks on a raster
// page.
struct ShapedText {
    PangoLayout* layout = nullptr;
    PangoRectangle logical{};
    enum class SvgForm : std::uint8_t { None, Text, Outline } svgForm = SvgForm::None;
    std::string svg;
    double baseline = 0;  // below the top, in units
    PangoRectangle ink{}; // with the SVG element, in Pango units
    std::vector<GlyphMask> masks;
};

// Text shaped once and kept, per thread, for each kind of surface,
// transformation, font and text: drawing the same digits again needs no
// font lookup and no shaping. The entry stays owned by the cache and is
// valid until the next call on the same thread.
// `fontHash` is pango_font_description_hash of `font`, which the caller
// keeps from one change of the font to the next.
ShapedText& shapedText(cairo_t* cr, const PangoFontDescription* font, unsigned fontHash,
                       std::string_view utf8);

// A host font as Pango describes it, and the text shaped in it.
class PangoFontState {
public:
    PangoFontState();
    ~PangoFontState();
    PangoFontState(const PangoFontState&) = delete;
    PangoFontState& operator=(const PangoFontState&) = delete;

    // The font in points at this many scale units to the inch.
    void set(const HostFont& font, double unitsPerInch);
    // s shaped in the font on the kind of surface of cr.
    ShapedText& layOut(cairo_t* cr, const String& s);
    PangoFontDescription* description() const noexcept { return font_; }
    double size() const noexcept { return size_; } // in units

private:
    PangoFontDescription* font_;
    unsigned hash_ = 0;
    double size_ = 0;
};

TextMetrics metricsOf(const ShapedText& text);
// The logical box of the text with its top-left corner at (x, y), in units.
UnitBox logicalBox(const ShapedText& text, double x, double y);
// Whether two boxes share some area.
bool overlaps(const UnitBox& a, const UnitBox& b);

} // namespace tallux
