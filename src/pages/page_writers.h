#pragma once

#include <string>

#include <cairo.h>

#include "pages/display_list.h"
#include "tallux/page.h"

namespace tallux {

// Where a page puts the drawing and how large it is.
struct PageLayout {
    double perUnit = 1;              // pixels (PNG) or points per scale unit
    double originX = 0, originY = 0; // where the drawing's origin goes, in units
    double width = 0, height = 0;    // in pixels or points, before turning
    int quarterTurns = 0;

    bool across() const noexcept { return quarterTurns % 2 == 1; }
    // The page in the drawing's units.
    UnitBox inUnits() const noexcept
    {
        return {-originX, -originY, width / perUnit - originX, height / perUnit - originY};
    }
    // Units to the device space of the turned page.
    cairo_matrix_t unitsToPage() const noexcept;
};

// The page around a drawing: a quiet zone of ten of the narrowest element,
// unless a margin is given, on each side not fixed by the options. Raises
// PageError for a page too large to make or options no page can have.
PageLayout layOutPage(FileFormat format, const PageOptions& options, const DrawnRegion& drawn);

// The file writers, each reading the display list onto a page laid out for it.
std::string writePng(const DisplayList& list, const PageLayout& page, const PageOptions& options);
std::string writeSvg(const DisplayList& list, const PageLayout& page, const PageOptions& options);
std::string writePdf(const DisplayList& list, const PageLayout& page, const PageOptions& options);
std::string writePostScript(const DisplayList& list, const PageLayout& page,
                            const PageOptions& options, bool eps);

} // namespace tallux
