#pragma once

#include <cstdint>
#include <vector>

#include <cairo.h>

namespace tallux {

// What the drawing knows of the rows of a raster page: which rows are
// certainly the same as the row above, so that neither the drawing nor the
// encoder has to compare them. The page's owner attaches it to a surface it
// has painted in one colour; the pixel writer that draws on the surface
// takes it up and keeps it true; the encoder reads it.
struct RowKnowledge {
    bool blank = false;                    // painted in one colour, nothing drawn yet
    std::vector<std::uint8_t> sameAsAbove; // per row; empty when nothing is known
};

void attachRowKnowledge(cairo_surface_t* surface, RowKnowledge* rows);
// The knowledge attached to `surface`, or null.
RowKnowledge* rowKnowledgeOf(cairo_surface_t* surface);

} // namespace tallux
