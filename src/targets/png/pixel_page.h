#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include <cairo.h>

#include "text/text_layouts.h"

namespace tallux {

// Drawing straight into the pixels of an RGB24 or ARGB32 image surface that
// nothing else draws on meanwhile, on a ground of one pixel value. Boxes are
// kept until text over them or the end needs them, and then written a band of
// rows at a time. A row is written only when something reads or changes it: a
// row the same as the row above stays unwritten, so that the ground and a
// symbol of tall bars cost a few rows.
class PixelPage {
public:
    PixelPage(cairo_surface_t* image, std::uint32_t ground);

    // A box of whole device pixels, [x0, x1) by [y0, y1), in 0x00RRGGBB.
    void box(int x0, int y0, int x1, int y1, std::uint32_t rgb);
    // A glyph mask blended over the pixels in `rgb`, its origin's pixel at (x, y).
    void blend(const GlyphMask& mask, int x, int y, std::uint32_t rgb);
    // Writes the boxes kept so far, and the rows that an encoder reads: each
    // row that differs from the row above, and the row above it.
    void flush();
    // Writes every row, for a reader of all the pixels.
    void writeAllRows();
    // Per row, whether it is certainly the same as the row above, so that the
    // encoder need not compare them; true after flush().
    const std::vector<std::uint8_t>& sameAsAbove() const noexcept { return sameAsAbove_; }

private:
    struct Box {
        int x0, y0, x1, y1;
        std::uint32_t px;
    };
    std::uint32_t* row(int y) const;
    void writeBands();
    void writeBand(int y0, int y1);
    void changed(int y) noexcept;
    // Row y holds its pixels.
    void written(int y)
    {
        if (y >= 0 && y < height_ && written_[static_cast<std::size_t>(y)] == 0) write(y);
    }
    void write(int y);

    cairo_surface_t* image_;
    unsigned char* data_;
    int stride_, width_, height_;
    bool opaque_; // RGB24: every pixel is opaque, whatever its top byte holds
    std::vector<Box> pending_;
    std::vector<int> edges_;
    std::vector<const Box*> covering_;
    std::vector<std::uint8_t> sameAsAbove_;
    std::vector<std::uint8_t> written_; // whether a row holds its pixels yet
    std::uint32_t ground_;
};

} // namespace tallux
