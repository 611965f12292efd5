#include "batch_sheet.h"

namespace tallux::cli {

void replay(const std::vector<Call>& calls, Target& target)
{
    for (const Call& c : calls) {
        switch (c.member) {
        case Member::FontName: target.FontName(c.text); break;
        case Member::ForeColor: target.ForeColor(static_cast<Long>(c.value.value())); break;
        case Member::FontBold:
            target.FontBold(Boolean(Integer(static_cast<int>(c.value.value()))));
            break;
        case Member::FontSize: target.FontSize(Integer(static_cast<int>(c.value.value()))); break;
        case Member::CurrentX: target.CurrentX(c.value); break;
        case Member::CurrentY: target.CurrentY(static_cast<Single>(c.value.value())); break;
        case Member::Line: target.Line(c.flags, c.x1, c.y1, c.x2, c.y2, c.color); break;
        case Member::Print: target.Print(c.text); break;
        case Member::TextWidth:
        case Member::TextHeight: break; // measures draw nothing
        }
    }
}

} // namespace tallux::cli
