#pragma once

#include <memory>
#include <optional>
#include <stdexcept>
#include <string>

#include "tallux/export.h"
#include "tallux/host_target.h"

// cairo's context type, so that this header does not need cairo's headers.
typedef struct _cairo cairo_t;

TALLUX_PUBLIC_BEGIN

namespace tallux {

class ElementPage; // internal: a page written element by element, not in pixels

// The scale units of a target, as the original hosts offered them.
enum class ScaleUnits : std::uint8_t {
    Twips,       // 1440 per inch
    Points,      // 72 per inch
    Pixels,      // one unit is one pixel, whatever the resolution
    Millimetres, // 25.4 per inch
};

// Scale units and the raster resolution.
struct Scale {
    ScaleUnits units = ScaleUnits::Twips;
    double dpi = 0; // 0: a whole number of pixels per unit (see resolution())

    double unitsPerInch() const noexcept;
    // The dots per inch: dpi when set, else 1440 for twips, 360 for points,
    // 304.8 for millimetres (12 pixels each) and 96 for pixels.
    double resolution() const noexcept;
    double pixelsPerUnit() const noexcept { return resolution() / unitsPerInch(); }
};

// The region that drawn boxes and text cover, in scale units.
struct DrawnRegion {
    double left = 0, top = 0, right = 0, bottom = 0;
    double narrowest = 0; // width of the narrowest box drawn; 0 when none
    bool empty = true;

    void add(double x0, double y0, double x1, double y1) noexcept;
};

// A drawing target on any cairo context, whose user space the caller has set
// to the target's scale units. Boxes fill both corners inclusive; text is set
// with Pango, a font name the machine lacks falling back through fontconfig.
// With `crisp`, box edges are rounded to whole device pixels and drawn
// without anti-aliasing (for raster surfaces); text stays anti-aliased.
class CairoTarget : public HostTargetOf<CairoTarget> {
public:
    CairoTarget(cairo_t* cr, double unitsPerInch, bool crisp = false);
    ~CairoTarget() override;
    CairoTarget(const CairoTarget&) = delete;
    CairoTarget& operator=(const CairoTarget&) = delete;

    // What the boxes and text drawn so far cover.
    const DrawnRegion& drawn() const noexcept;

protected:
    friend class FilePage;
    // For a file page or the measuring target, which own their surface and
    // set its clip once, before this call: the clip is read once, on a
    // raster page boxes go straight into the pixels, and an element page
    // takes every box and text piece as a whole element.
    void drawForPage(ElementPage* elements) noexcept;
    // Puts what a raster page still keeps into its pixels.
    void flushPage();

    void fontChanged(const HostFont& font) override;
    TextMetrics measureText(const String& s) override;
    TextMetrics drawText(const String& s, double x, double y, Rgb colour) override;

private:
    friend class HostTargetOf<CairoTarget>;
    void fillBox(const UnitBox& box, Rgb colour);

    struct State;
    std::unique_ptr<State> state_;
};

// A target that draws nowhere and only measures: what a call would cover.
class MeasuringTarget : public CairoTarget {
public:
    explicit MeasuringTarget(const Scale& scale);
    ~MeasuringTarget() override;

private:
    MeasuringTarget(cairo_t* cr, const Scale& scale);
    cairo_t* cr_;
};

enum class FileFormat : std::uint8_t { Png, Svg, Pdf, Ps, Eps };

// How a file page is laid out around what was measured. The page covers the
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

// The page cannot be made (too large, or cairo failed).
struct PageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Text cannot be drawn: the module that shapes it cannot be loaded. Raised
// by whatever measures or draws text, so that no text is silently missing.
struct TextError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Keeps shaped text on disk between processes, under $XDG_CACHE_HOME/tallux
// (else ~/.cache/tallux), so that a process that draws a label or two starts
// without fontconfig. Off unless a program turns it on, before its first
// text; TALLUX_FONT_CACHE=0 keeps it off.
void keepShapedTextBetweenProcesses();

// A white page in a file format, sized for a measured drawing. Draw on its
// target, then take the file's bytes.
class FilePage {
public:
    // Whether the page must be sized before the drawing, from a measuring
    // pass. An SVG page that fits its drawing need not: it is laid out when
    // finished, around what was drawn, so the drawing is done once.
    static bool needsMeasuring(FileFormat format, const PageOptions& options) noexcept;

    FilePage(FileFormat format, const PageOptions& options, const DrawnRegion& measured);
    // A page sized by the drawing on it, where needsMeasuring() is false.
    FilePage(FileFormat format, const PageOptions& options);
    ~FilePage();
    FilePage(const FilePage&) = delete;
    FilePage& operator=(const FilePage&) = delete;

    CairoTarget& target();
    // The page size in pixels (raster) or points (vector); for a page sized
    // by its drawing, 0 until finished.
    double width() const noexcept;
    double height() const noexcept;
    // Ends the drawing and returns the whole file. Raises PageError when
    // cairo reports a failure.
    std::string finish();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace tallux

TALLUX_PUBLIC_END
