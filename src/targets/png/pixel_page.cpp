#include "targets/png/pixel_page.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <optional>

namespace tallux {

namespace {

// x * y / 255, rounded as the compositor rounds it.
constexpr std::uint32_t mul255(std::uint32_t x, std::uint32_t y)
{
    const std::uint32_t t = x * y + 0x80;
    return (t + (t >> 8)) >> 8;
}
static_assert(mul255(255, 255) == 255 && mul255(255, 0) == 0 && mul255(128, 255) == 128);

// The colour rgb over white for each coverage, the usual ground of a digit;
// kept for the last colour asked for.
[[gnu::noinline]] const std::uint32_t* overWhite(std::uint32_t rgb)
{
    thread_local std::array<std::uint32_t, 256> table{};
    thread_local std::optional<std::uint32_t> of;
    if (of != rgb) {
        const std::uint32_t r = (rgb >> 16) & 0xFF, g = (rgb >> 8) & 0xFF, b = rgb & 0xFF;
        for (std::uint32_t a = 0; a < 256; ++a)
            table[a] = 0xFF000000u | (mul255(r, a) + 255 - a) << 16 |
                       (mul255(g, a) + 255 - a) << 8 | (mul255(b, a) + 255 - a);
        of = rgb;
    }
    return table.data();
}

} // namespace

PixelPage::PixelPage(cairo_surface_t* image, std::uint32_t ground)
    : image_(image)
    , data_(cairo_image_surface_get_data(image))
    , stride_(cairo_image_surface_get_stride(image))
    , width_(cairo_image_surface_get_width(image))
    , height_(cairo_image_surface_get_height(image))
    , opaque_(cairo_image_surface_get_format(image) != CAIRO_FORMAT_ARGB32)
    , ground_(ground)
{
    pending_.reserve(128); // a symbol's elements, mostly
    // One colour: every row but the first is its row above.
    if (height_ > 0) {
        sameAsAbove_.assign(static_cast<std::size_t>(height_), 1);
        sameAsAbove_[0] = 0;
        written_.assign(static_cast<std::size_t>(height_), 0);
    }
}

// A row not written is the ground, or the same as the row above it: it takes
// the pixels of the nearest written row above that it follows.
void PixelPage::write(int y)
{
    int from = y;
    while (from > 0 && written_[static_cast<std::size_t>(from)] == 0 &&
           sameAsAbove_[static_cast<std::size_t>(from)] != 0)
        --from;
    if (written_[static_cast<std::size_t>(from)] != 0)
        std::memcpy(row(y), row(from), static_cast<std::size_t>(width_) * sizeof(std::uint32_t));
    else
        std::fill(row(y), row(y) + width_, ground_);
    written_[static_cast<std::size_t>(y)] = 1;
}

void PixelPage::writeAllRows()
{
    flush();
    for (int y = 0; y < height_; ++y) written(y);
}

// Row y may now differ from the row above.
void PixelPage::changed(int y) noexcept
{
    if (y >= 0 && y < height_) sameAsAbove_[static_cast<std::size_t>(y)] = 0;
}

std::uint32_t* PixelPage::row(int y) const
{
    return reinterpret_cast<std::uint32_t*>(data_ + static_cast<std::ptrdiff_t>(y) * stride_);
}

void PixelPage::box(int x0, int y0, int x1, int y1, std::uint32_t rgb)
{
    x0 = std::max(x0, 0), y0 = std::max(y0, 0);
    x1 = std::min(x1, width_);
    y1 = std::min(y1, height_);
    if (x0 >= x1 || y0 >= y1) return;
    pending_.push_back({x0, y0, x1, y1, 0xFF000000u | rgb});
}

void PixelPage::flush()
{
    if (!pending_.empty()) writeBands();
    for (int y = 0; y < height_; ++y)
        if (sameAsAbove_[static_cast<std::size_t>(y)] == 0) written(y - 1), written(y);
}

void PixelPage::writeBands()
{
    cairo_surface_flush(image_);
    // Bands: the rows between two successive top or bottom edges are all
    // covered by the same boxes. Boxes drawn one after another mostly share
    // their top and bottom.
    edges_.clear();
    for (std::size_t k = 0; k < pending_.size(); ++k)
        if (k == 0 || pending_[k].y0 != pending_[k - 1].y0 || pending_[k].y1 != pending_[k - 1].y1)
            edges_.insert(edges_.end(), {pending_[k].y0, pending_[k].y1});
    std::sort(edges_.begin(), edges_.end());
    edges_.erase(std::unique(edges_.begin(), edges_.end()), edges_.end());
    for (std::size_t k = 0; k + 1 < edges_.size(); ++k) writeBand(edges_[k], edges_[k + 1]);
    const int top = edges_.front(), bottom = edges_.back();
    cairo_surface_mark_dirty_rectangle(image_, 0, top, width_, bottom - top);
    pending_.clear();
}

void PixelPage::writeBand(int y0, int y1)
{
    covering_.clear();
    for (const Box& b : pending_)
        if (b.y0 <= y0 && b.y1 >= y1) covering_.push_back(&b);
    if (covering_.empty()) return;
    // The row below keeps what it holds now.
    written(y1);
    // The same boxes across the band keep rows that were alike alike: each
    // row that may differ from the row above is written, boxes in the order
    // drawn, and the rows that repeat it stay unwritten.
    for (int y = y0; y < y1; ++y) {
        if (y > y0 && sameAsAbove_[static_cast<std::size_t>(y)] != 0) {
            written_[static_cast<std::size_t>(y)] = 0;
            continue;
        }
        written(y);
        for (const Box* b : covering_) std::fill(row(y) + b->x0, row(y) + b->x1, b->px);
    }
    // Only its first row and the row below it may now differ from their rows above.
    changed(y0);
    changed(y1);
}

void PixelPage::blend(const GlyphMask& mask, int x, int y, std::uint32_t rgb)
{
    // Boxes kept under the text go in first; the others cover other pixels
    // and may wait.
    const int left = x + mask.left, top = y + mask.top;
    if (std::any_of(pending_.begin(), pending_.end(), [&](const Box& b) {
            return b.x0 < left + mask.width && left < b.x1 && b.y0 < top + mask.height &&
                   top < b.y1;
        }))
        flush();
    cairo_surface_flush(image_);
    const std::uint32_t sr = (rgb >> 16) & 0xFF, sg = (rgb >> 8) & 0xFF, sb = rgb & 0xFF;
    const std::uint32_t* whiteBelow = overWhite(rgb);
    for (int my = 0; my <= mask.height; ++my) written(y + mask.top + my);
    for (int my = 0; my <= mask.height; ++my) changed(y + mask.top + my);
    for (int my = 0; my < mask.height; ++my) {
        const int py = y + mask.top + my;
        if (py < 0 || py >= height_) continue;
        std::uint32_t* line = row(py);
        const std::uint8_t* cover =
            mask.coverage.data() + static_cast<std::size_t>(my * mask.width);
        const int x0 = x + mask.left;
        const int from = std::max(0, -x0), to = std::min(mask.width, width_ - x0);
        for (int mx = from; mx < to; ++mx) {
            const int px = x0 + mx;
            // The text's colour through its coverage over what lies below
            // (premultiplied where the page may be transparent); over white,
            // no coverage gives the same white.
            const std::uint32_t a = cover[mx], d = line[px], na = 255 - a;
            if ((d & 0xFFFFFF) == 0xFFFFFF) {
                line[px] = whiteBelow[a];
                continue;
            }
            if (a == 0) continue;
            const std::uint32_t dr = (d >> 16) & 0xFF, dg = (d >> 8) & 0xFF, db = d & 0xFF;
            const std::uint32_t r = mul255(sr, a) + mul255(dr, na);
            const std::uint32_t g = mul255(sg, a) + mul255(dg, na);
            const std::uint32_t b = mul255(sb, a) + mul255(db, na);
            const std::uint32_t alpha = opaque_ ? 255 : a + mul255(d >> 24, na);
            line[px] = alpha << 24 | r << 16 | g << 8 | b;
        }
    }
    cairo_surface_mark_dirty_rectangle(image_, x + mask.left, y + mask.top, mask.width,
                                       mask.height);
}

} // namespace tallux
