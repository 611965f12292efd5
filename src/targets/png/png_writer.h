#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include <cairo.h>

namespace tallux {

// The PNG file of an opaque RGB24 image surface, with a pHYs chunk for its
// resolution: 8-bit grey when every pixel is grey (bars, spaces and
// anti-aliased black text), else 8-bit RGB. Each row is stored as its
// difference to the row above, so the rows through the bars, all alike,
// become zeros that the fastest zlib level packs at once. Empty for a
// surface of another format.
std::string encodePng(cairo_surface_t* image, double dpi);

// The Adler-32 checksum `adler` continued over `size` bytes (1 to begin).
std::uint32_t adler32Of(std::uint32_t adler, const unsigned char* bytes, std::size_t size);

} // namespace tallux
