#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <cairo.h>

namespace tallux {

// The PNG file of an opaque RGB24 image surface, with a pHYs chunk for its
// resolution: 8-bit grey when every pixel is grey (bars, spaces and
// anti-aliased black text), else 8-bit RGB; of an ARGB32 surface, 8-bit
// RGBA. Rows are stored unfiltered; a row that repeats the row above is
// packed as a copy of it, and `sameAsAbove` (one flag a row, or empty) says
// which rows certainly do. Empty for a surface of another format.
std::string encodePng(cairo_surface_t* image, double dpi,
                      const std::vector<std::uint8_t>& sameAsAbove = {});

} // namespace tallux
