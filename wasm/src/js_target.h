#pragma once

#include "tallux/target.h"

namespace tallux::wasm {

// The JavaScript object that the current drawing call was given, reached
// through the wrapper's late-bound calls by member name.
class JsTarget final : public Target {
public:
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
};

} // namespace tallux::wasm
