#include "trace.h"

#include <cstdio>

namespace tallux::cli {

std::string jsonString(std::u16string_view text)
{
    std::string out = "\"";
    for (char16_t c : text) {
        if (c == u'"' || c == u'\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c >= 0x20 && c < 0x7F) {
            out += static_cast<char>(c);
        } else {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", static_cast<unsigned>(c));
            out += buf;
        }
    }
    return out + "\"";
}

std::string traceLine(const Call& c)
{
    const std::string head = "{\"call\":\"" + std::string(memberName(c.member)) + "\"";
    switch (c.member) {
    case Member::FontName: return head + ",\"value\":" + jsonString(c.text) + "}";
    case Member::Print: return head + ",\"text\":" + jsonString(c.text) + "}";
    case Member::CurrentX:
    case Member::CurrentY:
        return head + ",\"value\":" + numberText(c.value) + ",\"type\":\"" +
               std::string(typeName(c.value.type())) + "\"}";
    case Member::Line:
        return head + ",\"flags\":" + std::to_string(c.flags.value()) +
               ",\"x1\":" + std::to_string(c.x1.value()) + ",\"y1\":" + numberText(c.y1) +
               ",\"x2\":" + std::to_string(c.x2.value()) + ",\"y2\":" + numberText(c.y2) +
               ",\"color\":" + std::to_string(c.color) + "}";
    case Member::TextWidth:
    case Member::TextHeight:
        return head + ",\"text\":" + jsonString(c.text) + ",\"value\":" + numberText(c.value) + "}";
    default: return head + ",\"value\":" + numberText(c.value) + "}";
    }
}

std::string summaryLine(std::optional<Integer> result, std::optional<std::int32_t> raised,
                        std::u16string_view code)
{
    const std::string outcome = raised ? "\"raised\":" + std::to_string(*raised)
                                       : "\"result\":" + std::to_string(result->value());
    return "{" + outcome + ",\"code\":" + jsonString(code) + "}";
}

} // namespace tallux::cli
