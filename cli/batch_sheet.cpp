#include "batch_sheet.h"

namespace tallux::cli {

// Each call goes to the measuring target first: a value it refuses is
// refused here too, and is not recorded.
void MeasuredRecording::FontName(const String& value)
{
    measuring_.FontName(value);
    calls.push_back({.member = Member::FontName, .text = value});
}
void MeasuredRecording::ForeColor(Long value)
{
    measuring_.ForeColor(value);
    calls.push_back({.member = Member::ForeColor, .value = value});
}
void MeasuredRecording::FontBold(Boolean value)
{
    measuring_.FontBold(value);
    calls.push_back({.member = Member::FontBold, .value = Integer(value.value())});
}
void MeasuredRecording::FontSize(Integer value)
{
    measuring_.FontSize(value);
    calls.push_back({.member = Member::FontSize, .value = value});
}
void MeasuredRecording::CurrentX(Number value)
{
    measuring_.CurrentX(value);
    calls.push_back({.member = Member::CurrentX, .value = value});
}
void MeasuredRecording::CurrentY(Single value)
{
    measuring_.CurrentY(value);
    calls.push_back({.member = Member::CurrentY, .value = value});
}
void MeasuredRecording::Line(Integer flags, Integer x1, Single y1, Integer x2, Single y2,
                             Long color)
{
    measuring_.Line(flags, x1, y1, x2, y2, color);
    calls.push_back({.member = Member::Line,
                     .flags = flags,
                     .x1 = x1,
                     .x2 = x2,
                     .y1 = y1,
                     .y2 = y2,
                     .color = color});
}
void MeasuredRecording::Print(const String& s)
{
    measuring_.Print(s);
    calls.push_back({.member = Member::Print, .text = s});
}
Number MeasuredRecording::TextWidth(const String& s)
{
    return measuring_.TextWidth(s);
}
Number MeasuredRecording::TextHeight(const String& s)
{
    return measuring_.TextHeight(s);
}

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
