#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include <cairo.h>

#include "text/text_layouts.h"

namespace tallux {

// Drawing straight into the pixels of an RGB24 or ARGB32 image surface painted
// in one colour, that nothing else draws on meanwhile. Boxes are kept until text over them or the
// end needs them, and then written a band of rows at a time: where the rows of a band are alike
// under its boxes, the boxes are written into its first row and that row is copied down, which
// makes a symbol of tall bars cost a few rows.
class PixelPage {
public:
    explicit PixelPage(cairo_surface_t* image);

    // A box of whole device pixels, [x0, x1) by [y0, y1), in 0x00RRGGBB.
    void box(int x0, int y0, int x1, int y1, std::uint32_t rgb);
    // A glyph mask blended over the pixels in `rgb`, its origin's pixel at (x, y).
    void blend(const GlyphMask& mask, int x, int y, std::uint32_t rgb);
    // Writes the boxes kept so far.
    void flush();
    // Per row, whether it is certainly the same as the row above, so that the
    // encoder need not compare them; true after flush().
    const std::vector<std::uint8_t>& sameAsAbove() const noexcept { return sameAsAbove_; }

private:
    struct Box {
        int x0, y0, x1, y1;
        std::uint32_t px;
    };
    std::uint32_t* row(int y) const;
    void writeBand(int y0, int y1);
    bool knownAlike(int y0, int y1) const;
    void changed(int y) noexcept;

    cairo_surface_t* image_;
    unsigned char* data_;
    int stride_, width_, height_;
    bool opaque_; // RGB24: every pixel is opaque, whatever its top byte holds
    std::vector<Box> pending_;
    std::vector<int> edges_;
    std::vector<const Box*> covering_;
    std::vector<std::uint8_t> sameAsAbove_;
    // The text colour over white for each coverage, for the last colour.
    std::array<std::uint32_t, 256> overWhite_{};
    std::uint32_t overWhiteOf_ = 0;
    bool overWhiteSet_ = false;
};

} // namespace tallux
