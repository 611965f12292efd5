#pragma once

#include <array>
#include <string>
#include <string_view>

#include <cairo.h>

#include "targets/cairo/host_color.h"

namespace tallux {

// An SVG page written directly, one element a call: each box a path, each
// text piece one path of its glyph outlines. The page is in points; the
// drawing inside it in scale units, mapped by the page's transformation.
class SvgWriter {
public:
    SvgWriter(double width, double height, const cairo_matrix_t& unitsToPoints);

    // A filled box with corners (x0, y0) and (x1, y1), in scale units.
    void box(double x0, double y0, double x1, double y1, Rgb colour);
    // Glyph outlines (path data relative to the text's top-left corner)
    // with that corner at (x, y).
    void text(double x, double y, std::string_view outline, Rgb colour);
    // The whole file.
    std::string finish();

private:
    std::string_view colour(Rgb c);

    std::string out_;
    Rgb colourOf_{0, 0, 0};
    bool colourSet_ = false;
    std::array<char, 7> colourText_{};
};

// The path data of cairo's current path: M, L, C and Z with coordinates
// rounded to hundredths.
std::string svgPathData(const cairo_path_t* path);

} // namespace tallux
