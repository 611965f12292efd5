#pragma once

#include <vector>

#include "tallux/cairo_target.h"
#include "tallux/recording_target.h"

namespace tallux::cli {

// A measuring target that also keeps the calls that draw, so that a worker
// thread can measure a symbol and the sheet can draw it later, call for
// call, without running the method again. Each call goes to the measuring
// target first: a value it refuses is refused here too, and is not recorded.
// Text measures come from the measuring target, so the method computes the
// positions the sheet will use; they are not recorded, as they draw nothing.
class MeasuredRecording : public RecordingTarget {
public:
    explicit MeasuredRecording(const Scale& scale)
        : measuring_(scale)
    {
    }

    const DrawnRegion& drawn() const noexcept { return measuring_.drawn(); }

    void FontName(const String& v) override
    {
        measuring_.FontName(v), RecordingTarget::FontName(v);
    }
    void ForeColor(Long v) override { measuring_.ForeColor(v), RecordingTarget::ForeColor(v); }
    void FontBold(Boolean v) override { measuring_.FontBold(v), RecordingTarget::FontBold(v); }
    void FontSize(Integer v) override { measuring_.FontSize(v), RecordingTarget::FontSize(v); }
    void CurrentX(Number v) override { measuring_.CurrentX(v), RecordingTarget::CurrentX(v); }
    void CurrentY(Single v) override { measuring_.CurrentY(v), RecordingTarget::CurrentY(v); }
    void Line(Integer flags, Integer x1, Single y1, Integer x2, Single y2, Long color) override
    {
        measuring_.Line(flags, x1, y1, x2, y2, color);
        RecordingTarget::Line(flags, x1, y1, x2, y2, color);
    }
    void Print(const String& s) override { measuring_.Print(s), RecordingTarget::Print(s); }
    Number TextWidth(const String& s) override { return measuring_.TextWidth(s); }
    Number TextHeight(const String& s) override { return measuring_.TextHeight(s); }

private:
    MeasuringTarget measuring_;
};

// Makes the recorded calls again on another target, in their order.
void replay(const std::vector<Call>& calls, Target& target);

} // namespace tallux::cli
