#pragma once

#include <memory>
#include <vector>

#include "tallux/host_target.h"
#include "tallux/page.h"
#include "tallux/surface.h"
#include "text/text_layouts.h"

namespace tallux {

// What a drawing put on a page, in its order and in scale units: boxes, and
// text already shaped for the page's kind of surface at its scale. Recorded
// once; every file writer reads it.
struct DisplayList {
    struct Item {
        UnitBox box; // the box filled, or the text's logical box
        Rgb colour;
        std::shared_ptr<ShapedText> text; // null for a box
        double x = 0, y = 0;              // the text's top-left corner
    };
    ShapingKey surface; // what the text is shaped for
    std::vector<Item> items;
    DrawnRegion drawn;
};

// Text is shaped for pixels at the page's resolution, or for vector pages
// in points.
ShapingKey pageSurface(FileFormat format, const Scale& scale);

// A target that keeps what is drawn on it in a display list.
class PageTarget : public HostTargetOf<PageTarget> {
public:
    PageTarget(FileFormat format, const Scale& scale);

    const DisplayList& list() const noexcept { return list_; }
    // Empties the list for the next drawing, keeping its room.
    void clear() noexcept;
    DisplayList take() noexcept;

protected:
    void fontChanged(const HostFont& font) override;
    TextMetrics measureText(const String& s) override;
    TextMetrics drawText(const String& s, double x, double y, Rgb colour) override;

private:
    friend class HostTargetOf<PageTarget>;
    void fillBox(const UnitBox& box, Rgb colour);

    double unitsPerInch_;
    TextFont font_;
    DisplayList list_;
};

} // namespace tallux
