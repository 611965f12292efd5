#pragma once

#include <string>
#include <string_view>
#include <vector>

#include <cairo.h>

#include "text/text_layouts.h"

namespace tallux {

// The text shaper lives in a module of its own, loaded on the first text
// that the store of shaped text does not hold: a process that finds all its
// text there never loads Pango, GObject or fribidi, nor reads fontconfig's
// configuration.
struct TextShaper {
    void (*shape)(cairo_t* cr, const ShapingKey& key, std::string_view utf8, ShapedText& out);
    void (*draw)(cairo_t* cr, const ShapingKey& key, std::string_view utf8, bool path);
    std::vector<std::string> (*inputs)();
};
inline constexpr const char* textShaperEntry = "tallux_text_shaper";

// The shaper, loaded once; nullptr (said once on standard error) where the
// module cannot be loaded.
const TextShaper* textShaper();

// In the module: shapes utf8 through Pango on the kind of surface of cr, in the font of
// `key`, into `out` (whose derived parts are left empty). The one place
// that asks Pango and fontconfig.
void shapeWithPango(cairo_t* cr, const ShapingKey& key, std::string_view utf8, ShapedText& out);

// Draws utf8 through Pango at cr's current point, or adds its outlines to
// the path: for text with characters no font has, which Pango shows as boxes
// of their hexadecimal codes.
void drawWithPango(cairo_t* cr, const ShapingKey& key, std::string_view utf8, bool path);

// The files and folders whose change may change a shaping: fontconfig's
// configuration files and their folders, the font folders, its caches,
// where a user's configuration or fonts would appear, and the libraries
// that shape and draw.
std::vector<std::string> shapingInputs();

} // namespace tallux
