#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include <cairo.h>

#include "tallux/host_target.h"

namespace tallux {

// An SVG page of width by height points written directly into one buffer, on
// a ground of one colour (0xRRGGBB) or none, the drawing in scale units mapped
// onto it by unitsToPoints. Boxes of one colour that follow each other become
// one path of rectangles (a box that continues the one before it along x
// widens it); on a white ground, a white box where the page is still
// untouched is left out, as it changes nothing. Each text piece is a text
// element, or for text XML cannot carry, a path of its glyph outlines.
class ElementPage {
public:
    ElementPage(double width, double height, const cairo_matrix_t& unitsToPoints,
                std::optional<std::uint32_t> ground = 0xFFFFFF);

    // A filled box with corners (x0, y0) and (x1, y1), x0 < x1 and y0 < y1,
    // in scale units.
    void box(double x0, double y0, double x1, double y1, Rgb colour);
    // A text element starting at x on the baseline y; `tail` is what
    // svgTextTail made of its font and content. `ink` bounds what it covers.
    void text(double x, double baseline, std::string_view tail, Rgb colour, const UnitBox& ink);
    // Glyph outlines (path data relative to the text's top-left corner)
    // with that corner at (x, y).
    void outline(double x, double y, std::string_view pathData, Rgb colour, const UnitBox& ink);
    // The whole file.
    std::string finish();

private:
    // Room for n more characters: where they go; wrote() takes their end.
    char* room(std::size_t n);
    void wrote(const char* end);
    bool untouched(const UnitBox& b) const;
    void touch(const UnitBox& b);
    // Writes the rectangle waiting to be widened; ends the open path.
    void flushRect();
    void endPath();

    std::optional<std::uint32_t> ground_;
    std::string out_;
    std::size_t used_ = 0;
    // The path being written: its colour (0x00RRGGBB), and its last
    // rectangle, not yet written while the next box may continue it.
    std::uint32_t pathColour_ = 0;
    bool pathOpen_ = false;
    UnitBox rect_{};
    // What was drawn so far, for leaving out white boxes: every box ends at
    // or left of inkRight_, and the text pieces lie in texts_.
    double inkRight_ = -1e300;
    std::array<UnitBox, 32> texts_{};
    std::size_t textCount_ = 0; // beyond the room in texts_, nothing is left out
    UnitBox textsAround_{};     // around all of them
};

// The font of a text element: the families asked for (a comma-separated
// list, as a font name may be), the family fontconfig chose for them, the
// size in scale units and the weight.
struct SvgFont {
    std::string_view asked, chosen;
    double size = 0;
    bool bold = false;
};

// What a text element says after its position and colour: font, the width
// the text was measured at (so that a viewer with another face keeps the
// layout), whitespace kept where it would collapse, and the UTF-8 content
// escaped, through the closing tag.
std::string svgTextTail(const SvgFont& font, double width, std::string_view utf8);

// Whether a text element shows `utf8` as one line the way it was shaped:
// false for control characters, line separators and what XML cannot hold.
bool svgTextCarries(std::string_view utf8);

// The path data of cairo's current path: M, L, C and Z with coordinates
// rounded to hundredths.
std::string svgPathData(const cairo_path_t* path);

} // namespace tallux
