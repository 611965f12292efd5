#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>

#include "tallux/export.h"
#include "tallux/host_target.h"
#include "tallux/surface.h"

TALLUX_PUBLIC_BEGIN

namespace tallux {

enum class FileFormat : std::uint8_t { Png, Svg, Pdf, Ps, Eps };

// How a file page is laid out around its drawing. The page covers the
// drawing plus a quiet zone of ten narrowest boxes (or `margin` units) on
// each side, moving the origin right and down where the drawing starts too
// close to it; `width` and `height` fix the page instead, origin unmoved.
// The page is painted in `background` (0xRRGGBB) before the drawing; with
// none, a PNG or SVG page is transparent where nothing is drawn (the spaces
// that a method paints white stay white). `quarterTurns` turns the finished
// page clockwise by 90 degrees each, after it was laid out.
struct PageOptions {
    Scale scale{};
    std::optional<double> width, height;
    std::optional<double> margin;
    std::optional<std::uint32_t> background = 0xFFFFFF;
    int quarterTurns = 0; // 0 to 3
};

// The page cannot be made (too large, or a file writer failed).
struct PageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// A page in a file format. Draw on its target once; what is drawn is kept
// (boxes, and text shaped for the format at the page's scale), and the page
// is laid out around it and written when finished.
class FilePage {
public:
    // Raises PageError for options no page can have.
    FilePage(FileFormat format, const PageOptions& options);
    ~FilePage();
    FilePage(const FilePage&) = delete;
    FilePage& operator=(const FilePage&) = delete;

    HostTarget& target();
    // What the drawing covers so far.
    const DrawnRegion& drawn() const noexcept;
    // The page size in pixels (PNG) or points, turned; 0 until finished.
    double width() const noexcept;
    double height() const noexcept;
    // Lays the page out and returns the whole file. Raises PageError.
    std::string finish();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace tallux

TALLUX_PUBLIC_END
