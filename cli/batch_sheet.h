#pragma once

#include <vector>

#include "tallux/cairo_target.h"
#include "tallux/recording_target.h"

namespace tallux::cli {

// A measuring target that also keeps the calls that draw, so that a worker
// thread can measure a symbol and the sheet can draw it later, call for
// call, without running the method again. Text measures come from the
// measuring target, so the method computes the positions the sheet will use.
class MeasuredRecording : public Target {
public:
    explicit MeasuredRecording(const Scale& scale)
        : measuring_(scale)
    {
    }

    std::vector<Call> calls; // every call but the measuring ones
    const DrawnRegion& drawn() const noexcept { return measuring_.drawn(); }

    void FontName(const String& value) override;
    void ForeColor(Long value) override;
    void FontBold(Boolean value) override;
    void FontSize(Integer value) override;
    void CurrentX(Number value) override;
    void CurrentY(Single value) override;
    void Line(Integer flags, Integer x1, Single y1, Integer x2, Single y2, Long color) override;
    void Print(const String& s) override;
    Number TextWidth(const String& s) override;
    Number TextHeight(const String& s) override;

private:
    MeasuringTarget measuring_;
};

// Makes the recorded calls again on another target, in their order.
void replay(const std::vector<Call>& calls, Target& target);

} // namespace tallux::cli
