#pragma once

#include <array>
#include <string>
#include <utility>
#include <vector>

#include "tallux/error.h"
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

// Shortest decimal text that reads back to the same Single or Double.
std::string numberText(Number n);

} // namespace tallux

TALLUX_PUBLIC_END

namespace tallux {

// A target that logs every call in order. TextWidth is charWidth per UTF-16
// unit and TextHeight charHeight, both as Singles. It can be told to lack a
// member (438) or to fail the nth call of a member with an error number.
// Written whole in this header: the log is the caller's own vector, and the
// shared library exports no part of the class.
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
    std::vector<std::string> log() const
    {
        std::vector<std::string> lines;
        lines.reserve(calls.size());
        for (const Call& c : calls) lines.push_back(c.str());
        return lines;
    }
    void clear() { calls.clear(), seen_ = {}; }

    void FontName(const String& value) override
    {
        record({.member = Member::FontName, .text = value});
    }
    void ForeColor(Long value) override { record({.member = Member::ForeColor, .value = value}); }
    void FontBold(Boolean value) override
    {
        record({.member = Member::FontBold, .value = Integer(value.value())});
    }
    void FontSize(Integer value) override { record({.member = Member::FontSize, .value = value}); }
    void CurrentX(Number value) override { record({.member = Member::CurrentX, .value = value}); }
    void CurrentY(Single value) override { record({.member = Member::CurrentY, .value = value}); }
    void Line(Integer flags, Integer x1, Single y1, Integer x2, Single y2, Long color) override
    {
        record({.member = Member::Line,
                .flags = flags,
                .x1 = x1,
                .x2 = x2,
                .y1 = y1,
                .y2 = y2,
                .color = color});
    }
    void Print(const String& s) override { record({.member = Member::Print, .text = s}); }
    Number TextWidth(const String& s) override
    {
        const Number width = static_cast<Single>(charWidth * static_cast<double>(s.size()));
        record({.member = Member::TextWidth, .text = s, .value = width});
        return width;
    }
    Number TextHeight(const String& s) override
    {
        const Number height = static_cast<Single>(charHeight);
        record({.member = Member::TextHeight, .text = s, .value = height});
        return height;
    }

private:
    static std::size_t index(Member m) { return static_cast<std::size_t>(m); }
    // Logs the call, then raises if this member lacks or this call must fail.
    void record(Call call)
    {
        const std::size_t i = index(call.member);
        const bool lacks = lacking_[i];
        const bool fails = !lacks && failAt_[i] != 0 && ++seen_[i] == failAt_[i];
        call.failed = lacks || fails;
        calls.push_back(std::move(call));
        if (lacks) throw RuntimeError(err::NotSupported);
        if (fails) throw RuntimeError(failWith_[i]);
    }

    std::array<bool, 10> lacking_{};
    std::array<int, 10> failAt_{};
    std::array<std::int32_t, 10> failWith_{};
    std::array<int, 10> seen_{};
};

} // namespace tallux
