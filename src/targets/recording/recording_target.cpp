#include "tallux/recording_target.h"

#include <charconv>

#include "runtime/text.h"

namespace tallux {

std::string numberText(Number n)
{
    std::array<char, 64> buf{};
    const auto [end, ec] =
        n.type() == Number::Type::Float32
            ? std::to_chars(buf.data(), buf.data() + buf.size(), static_cast<Single>(n.value()))
            : std::to_chars(buf.data(), buf.data() + buf.size(), n.value());
    (void)ec;
    return std::string(buf.data(), end);
}

std::string Call::str() const
{
    const std::string name(memberName(member));
    std::string s;
    switch (member) {
    case Member::FontName:
    case Member::Print: s = name + "(" + toUtf8(text) + ")"; break;
    case Member::CurrentX:
        s = name + "(" + std::string(typeName(value.type())) + " " + numberText(value) + ")";
        break;
    case Member::Line:
        s = name + "(" + std::to_string(flags.value()) + "," + std::to_string(x1.value()) + "," +
            numberText(y1) + "," + std::to_string(x2.value()) + "," + numberText(y2) + "," +
            std::to_string(color) + ")";
        break;
    case Member::TextWidth:
    case Member::TextHeight:
        s = name + "(" + toUtf8(text) + ")";
        if (!failed) s += "=" + numberText(value);
        break;
    default: s = name + "(" + numberText(value) + ")"; break;
    }
    return failed ? s + "!" : s;
}

std::vector<std::string> RecordingTarget::log() const
{
    std::vector<std::string> lines;
    lines.reserve(calls.size());
    for (const Call& c : calls) lines.push_back(c.str());
    return lines;
}

void RecordingTarget::record(Call call)
{
    const std::size_t i = index(call.member);
    const bool lacks = lacking_[i];
    const bool fails = !lacks && failAt_[i] != 0 && ++seen_[i] == failAt_[i];
    call.failed = lacks || fails;
    calls.push_back(std::move(call));
    if (lacks) throw RuntimeError(err::NotSupported);
    if (fails) throw RuntimeError(failWith_[i]);
}

void RecordingTarget::FontName(const String& value)
{
    record({.member = Member::FontName, .text = value});
}
void RecordingTarget::ForeColor(Long value)
{
    record({.member = Member::ForeColor, .value = value});
}
void RecordingTarget::FontBold(Boolean value)
{
    record({.member = Member::FontBold, .value = Integer(value.value())});
}
void RecordingTarget::FontSize(Integer value)
{
    record({.member = Member::FontSize, .value = value});
}
void RecordingTarget::CurrentX(Number value)
{
    record({.member = Member::CurrentX, .value = value});
}
void RecordingTarget::CurrentY(Single value)
{
    record({.member = Member::CurrentY, .value = value});
}

void RecordingTarget::Line(Integer flags, Integer x1, Single y1, Integer x2, Single y2, Long color)
{
    record({.member = Member::Line,
            .flags = flags,
            .x1 = x1,
            .x2 = x2,
            .y1 = y1,
            .y2 = y2,
            .color = color});
}

void RecordingTarget::Print(const String& s)
{
    record({.member = Member::Print, .text = s});
}

Number RecordingTarget::TextWidth(const String& s)
{
    const Number width = static_cast<Single>(charWidth * static_cast<double>(s.size()));
    record({.member = Member::TextWidth, .text = s, .value = width});
    return width;
}

Number RecordingTarget::TextHeight(const String& s)
{
    const Number height = static_cast<Single>(charHeight);
    record({.member = Member::TextHeight, .text = s, .value = height});
    return height;
}

} // namespace tallux
