#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <cairo.h>

#include "tallux/surface.h"
#include "tallux/types.h"

namespace tallux {

// Lengths of shaped text are whole 1024ths of a unit, as Pango gives them.
inline constexpr int textUnitsPerUnit = 1024;
inline double fromTextUnits(int v)
{
    return static_cast<double>(v) / textUnitsPerUnit;
}

// A glyph that stands for nothing drawn, and the flag of a character that
// no font shows (the glyph is the character then).
inline constexpr std::uint32_t emptyGlyph = 0x0FFFFFFF;
inline constexpr std::uint32_t unknownGlyphFlag = 0x10000000;

// The coverage of a text's glyphs on whole device pixels, for one position
// of the text's origin within a pixel: `left` and `top` from the pixel that
// holds the origin.
struct GlyphMask {
    double fractionX = 0, fractionY = 0;
    int left = 0, top = 0, width = 0, height = 0;
    std::vector<std::uint8_t> coverage; // width * height, row by row
};

struct TextBox {
    int x = 0, y = 0, width = 0, height = 0; // in text units
};

// A face the shaper chose, with what cairo draws it by: fontconfig's pattern
// of the face as text, the font matrix and the font options of its scaled
// font. `file` and `index` name the font file for a PDF's fonts.
struct ShapedFont {
    std::string pattern;
    std::string file;
    int index = 0;
    std::string family; // the chosen face's family
    std::array<double, 6> matrix{};
    int antialias = 0, subpixelOrder = 0, hintStyle = 0, hintMetrics = 0;
    std::string variations;
    bool emboldened = false;  // fontconfig thickens a face without bold
    bool transformed = false; // slanted, or at variations other than the default
};

struct ShapedGlyph {
    std::uint32_t id = 0;
    int xOffset = 0, yOffset = 0, width = 0;
    int cluster = 0; // byte offset of its cluster's text within the run
};

// What cairo's text clusters of a run say: bytes of text and glyphs shown.
struct ShapedCluster {
    int bytes = 0, glyphs = 0;
};

// Glyphs of one face in a line: `x` is where the first glyph's pen starts
// and `baseline` the line's baseline, from the text's top-left corner.
struct ShapedRun {
    int font = 0; // index into ShapedText::fonts; -1: no font could be found
    int x = 0, baseline = 0;
    int offset = 0, length = 0; // of its text, in bytes
    bool backward = false;
    std::vector<ShapedGlyph> glyphs;
    std::vector<ShapedCluster> clusters;
};

// What decides a shaping: the kind of surface and the linear part of the
// transformation, the font asked for and the text.
struct ShapingKey {
    cairo_surface_type_t surface{};
    double xx = 1, yx = 0, xy = 0, yy = 1;
    std::string family; // UTF-8
    bool bold = false;
    double size = 0; // units
    bool operator==(const ShapingKey&) const = default;
};

// Text shaped: its glyphs run by run in the faces chosen, its logical and
// ink boxes and baseline in text units, with room for what a target derives
// from it once: its SVG element (a text element's font and content, or
// glyph outlines as path data) and its glyph masks on a raster page.
struct ShapedText {
    std::string text; // UTF-8
    std::string askedFamily;
    double askedSize = 0; // units, as the shaper took it
    bool askedBold = false;
    TextBox logical, ink;
    int baseline = 0; // of the first line, below the top
    int lines = 0;
    std::vector<ShapedFont> fonts;
    std::vector<ShapedRun> runs;

    // The key and text it was shaped for; whether the store holds it, and
    // whether Pango draws it (characters no font has are shown as boxes).
    ShapingKey key;
    std::string asked;
    bool kept = false;
    bool drawnByPango = false;
    bool ownFonts = false; // shaped with a program's own font configuration, never kept

    enum class SvgForm : std::uint8_t { None, Text, Outline } svgForm = SvgForm::None;
    std::string svg;
    TextBox svgInk; // what the SVG element covers
    std::vector<GlyphMask> masks;
};

// What text is shaped for on cr: its kind of surface and the linear part
// of its transformation.
ShapingKey shapingKey(cairo_t* cr);

// The font asked for and the text shaped in it.
class TextFont {
public:
    // The font in points at this many scale units to the inch.
    void set(const HostFont& font, double unitsPerInch);
    // The kind of surface and transformation of `surface` (its font is not read).
    void onSurface(const ShapingKey& surface);
    // s shaped in the font for the surface.
    const std::shared_ptr<ShapedText>& layOut(const String& s);

private:
    ShapingKey key_;
};

// Keeps the text's glyph masks with it on disk, where it is kept, so that
// the next process draws it on a raster page without its font.
void keepMasks(const ShapedText& text);

// Draws the text with its top-left corner at cr's current point as Pango
// would: in cairo's text clusters where the surface keeps text, or as
// outlines added to the path. The current point stays as it was.
void showShapedText(cairo_t* cr, const ShapedText& text, bool path);
// The text's glyph outlines from its top-left corner, in the transformation
// it was shaped for; the caller destroys the path.
cairo_path_t* shapedTextPath(const ShapedText& text);

TextMetrics metricsOf(const ShapedText& text);
// The logical box of the text with its top-left corner at (x, y), in units.
UnitBox logicalBox(const ShapedText& text, double x, double y);

} // namespace tallux
