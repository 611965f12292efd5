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

} // namespace tallux
