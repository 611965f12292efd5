#pragma once

#include <string>
#include <string_view>
#include <vector>

#include <cairo.h>

#include "tallux/surface.h"
#include "text/text_layouts.h"

namespace tallux {

// The text shaper lives in a module of its own, loaded on the first text
// that the store of shaped text does not hold: a process that finds all its
// text there never loads Pango, GObject or fribidi, nor reads fontconfig's
// configuration. Only plain data crosses: the command has its own copy of
// cairo and fontconfig, and Pango brings the shared ones.
struct TextShaper {
    void (*shape)(const ShapingKey& key, std::string_view utf8, ShapedText& out);
    std::vector<cairo_path_data_t> (*outline)(const ShapingKey& key, std::string_view utf8);
    std::vector<std::string> (*inputs)();
};
inline constexpr const char* textShaperEntry = "tallux_text_shaper_2";

// The shaper, loaded once from the folder of the code that asks; raises
// TextError where the module cannot be loaded.
const TextShaper& textShaper();

// In the module: shapes utf8 through Pango on a surface of the kind and in
// the transformation of `key`, in its font, into `out` (whose derived parts
// are left empty). The one place that asks Pango and fontconfig.
void shapeWithPango(const ShapingKey& key, std::string_view utf8, ShapedText& out);

// The outlines of utf8 as Pango draws it, from the origin in the units of
// `key`: for text with characters no font has, which Pango shows as boxes
// of their hexadecimal codes.
std::vector<cairo_path_data_t> outlineWithPango(const ShapingKey& key, std::string_view utf8);

// The files and folders whose change may change a shaping: fontconfig's
// configuration files and their folders, the font folders, its caches,
// where a user's configuration or fonts would appear, and the libraries
// that shape and draw.
std::vector<std::string> shapingInputs();

} // namespace tallux
