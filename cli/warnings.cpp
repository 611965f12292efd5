#include "warnings.h"

#include <cstdio>

#include "data_changes.h"
#include "font_check.h"
#include "lengths.h"
#include "output.h"
#include "reader_warnings.h"
#include "runtime/ratio.h"

namespace tallux::cli {

namespace {

// Readers expect wide elements two to three times the narrow ones.
void ratioWarning(const DrawRequest& r, std::vector<std::string>& out)
{
    if (!r.ratioGiven || !r.method.ratio.has_value()) return;
    try {
        const Ratio ratio = Ratio::read(r.params.pRatio);
        const double narrow = r.params.pWidth.value() + ratio.narrow.value();
        const double wide = r.params.pWidth.value() + ratio.wide.value();
        if (narrow > 0 && wide < 2 * narrow)
            out.push_back("--ratio makes the wide elements " + shortNumber(wide / narrow, 3) +
                          " times the narrow ones, below 2:1 (leave it out for 2.5)");
    } catch (const RuntimeError&) {
        // The drawing raises it.
    }
}

void widthWarning(const DrawRequest& r, std::vector<std::string>& out)
{
    const double narrow = narrowWidth(r);
    if (narrow <= 0) {
        out.push_back("the narrow elements are " + shortNumber(narrow, 3) +
                      " units wide: nothing can be read");
        return;
    }
    const Scale& s = r.page.scale;
    const bool pixels = s.units == ScaleUnits::Pixels;
    if (r.target != TargetKind::Png && !pixels) return;
    const double perUnit = pixels ? 1 : s.dpi / unitsPerInch(s.units, s.dpi);
    if (narrow * perUnit < 1)
        out.push_back("the narrow elements are " + shortNumber(narrow * perUnit, 3) +
                      " pixels wide at " + shortNumber(s.dpi, 3) + " dpi, below one pixel");
}

// --dpi sets a PNG's resolution (and a printer's), and the size of a pixel
// in pixel units and lengths; a vector file and the trace have no pixels.
void dpiWarning(const DrawRequest& r, std::vector<std::string>& out)
{
    if (!r.dpiGiven || r.target == TargetKind::Png || r.target == TargetKind::Printer) return;
    const auto inPixels = [](const std::optional<Length>& l) {
        return l && l->unit == LengthUnit::Pixels;
    };
    if (r.page.scale.units == ScaleUnits::Pixels || inPixels(r.width) || inPixels(r.height)) return;
    static constexpr const char* names[] = {
        "the trace", "", "an SVG file", "a PDF file", "a PostScript file", "an EPS file"};
    out.push_back(std::string("--dpi has no effect on ") + names[static_cast<int>(r.target)] +
                  ", which has no pixels (it sets a PNG's resolution and the size of px)");
}

#ifdef TALLUX_HAVE_CAIRO
// A font that is not installed is drawn in the face that fontconfig substitutes.
void fontWarning(const DrawRequest& r, std::vector<std::string>& out)
{
    if (!r.fontGiven || r.target == TargetKind::Trace || !textPrinted(r)) return;
    const std::string font = toUtf8(r.params.pFont);
    if (const auto face = substitutedFont(font))
        out.push_back("--font " + quoted(font) + " is not installed: the text is drawn in " +
                      quoted(*face));
}
#endif

} // namespace

std::vector<std::string> drawingWarnings(const DrawRequest& r)
{
    std::vector<std::string> out = r.warnings;
    ratioWarning(r, out);
    widthWarning(r, out);
    dpiWarning(r, out);
#ifdef TALLUX_HAVE_CAIRO
    fontWarning(r, out);
    if (r.target != TargetKind::Trace)
        if (auto page = pageTooSmall(r)) out.push_back(std::move(*page));
#endif
    for (std::string& line : dataChanges(r)) out.push_back(std::move(line));
    for (std::string& line : readerWarnings(r)) out.push_back(std::move(line));
    return out;
}

} // namespace tallux::cli
