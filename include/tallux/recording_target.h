#pragma once

#include <array>
#include <string>
#include <vector>

#include "tallux/export.h"
#include "tallux/target.h"

TALLUX_PUBLIC_BEGIN

namespace tallux {

// One call that a target received, with its typed values.
struct Call {
    Member member{};
    String text{};   // FontName, Print, TextWidth, TextHeight
    Number value{};  // ForeColor, FontBold, FontSize, CurrentX, CurrentY; what TextWidth/Height
                     // returned
    Integer flags{}; // Line
    Integer x1{};
    Integer x2{};
    Single y1 = 0, y2 = 0;
    Long color = 0;
    bool failed = false; // the call raised an error (a lacking member or an injected failure)

    // A compact, readable form: "FontSize(3)", "CurrentX(Integer 10)",
    // "Line(38,10,10,11,110,0)", "Print(4)", "TextWidth(4)=7"; "!" marks a
    // failed call.
    std::string str() const;
};

// A target that logs every call in order. TextWidth is charWidth per UTF-16
// unit and TextHeight charHeight, both as Singles. It can be told to lack a
// member (438) or to fail the nth call of a member with an error number.
class RecordingTarget : public Target {
public:
    std::vector<Call> calls;
    double charWidth = 7;
    double charHeight = 12;

    void lack(Member member) { lacking_[index(member)] = true; }
    void failOn(Member member, int nth, std::int32_t errorNumber)
    {
        failAt_[index(member)] = nth;
        failWith_[index(member)] = errorNumber;
    }
    // str() of every call.
    std::vector<std::string> log() const;
    void clear() { calls.clear(), seen_ = {}; }

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
    static std::size_t index(Member m) { return static_cast<std::size_t>(m); }
    // Logs the call, then raises if this member lacks or this call must fail.
    void record(Call call);

    std::array<bool, 10> lacking_{};
    std::array<int, 10> failAt_{};
    std::array<std::int32_t, 10> failWith_{};
    std::array<int, 10> seen_{};
};

// Shortest decimal text that reads back to the same Single or Double.
std::string numberText(Number n);

} // namespace tallux

TALLUX_PUBLIC_END
