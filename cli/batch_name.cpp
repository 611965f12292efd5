#include "batch_name.h"

#include <algorithm>

namespace tallux::cli {

namespace {

constexpr std::size_t longestCode = 64;

constexpr bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

constexpr bool keeps(char c)
{
    return isDigit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '-' || c == '_' ||
           c == '+' || c == '.';
}

} // namespace

NameTemplate::NameTemplate(std::string_view text)
{
    if (text.empty()) throw UsageError("the output name template is empty");
    const auto literal = [this](char c) {
        if (pieces_.empty() || pieces_.back().field != Field::Text)
            pieces_.push_back({Field::Text, {}});
        pieces_.back().text += c;
    };
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if ((c == '{' || c == '}') && i + 1 < text.size() && text[i + 1] == c) {
            literal(c);
            ++i;
        } else if (c == '{') {
            const std::size_t close = text.find('}', i);
            const std::string_view name =
                text.substr(i + 1, close == std::string_view::npos ? close : close - i - 1);
            if (close == std::string_view::npos)
                throw UsageError("the output name " + quoted(text) + " has an unclosed '{'");
            if (name == "n")
                pieces_.push_back({Field::Line, {}});
            else if (name == "method")
                pieces_.push_back({Field::Method, {}});
            else if (name == "code")
                pieces_.push_back({Field::Code, {}});
            else
                throw UsageError("unknown field {" + std::string(name) +
                                 "} in the output name (use {n}, {method} or {code})");
            i = close;
        } else if (c == '}') {
            throw UsageError("the output name " + quoted(text) + " has a lone '}' (write }})");
        } else {
            literal(c);
        }
    }

    const auto line = std::ranges::find(pieces_, Field::Line, &Piece::field);
    const bool onlyTextBefore =
        std::all_of(pieces_.begin(), line, [](const Piece& p) { return p.field == Field::Text; });
    const auto after = line == pieces_.end() ? line : std::next(line);
    uniqueByLine_ =
        line != pieces_.end() && onlyTextBefore &&
        (after == pieces_.end() || (after->field == Field::Text && !isDigit(after->text.front())));
    if (pieces_.back().field == Field::Text) format_ = targetOfName(pieces_.back().text);
}

std::string NameTemplate::expand(std::size_t line, std::string_view method,
                                 std::string_view code) const
{
    std::string name;
    for (const Piece& p : pieces_) {
        switch (p.field) {
        case Field::Text: name += p.text; break;
        case Field::Line: name += std::to_string(line); break;
        case Field::Method: name += method; break;
        case Field::Code: name += fileNameSafe(code); break;
        }
    }
    return name;
}

std::string fileNameSafe(std::string_view code)
{
    std::string safe;
    for (std::size_t i = 0; i < code.size() && safe.size() < longestCode; ++i) {
        const auto byte = static_cast<unsigned char>(code[i]);
        if (keeps(code[i])) {
            safe += code[i];
        } else {
            safe += '_';
            // One '_' for a whole UTF-8 sequence: skip its continuation bytes.
            if (byte >= 0xC0)
                while (i + 1 < code.size() &&
                       (static_cast<unsigned char>(code[i + 1]) & 0xC0) == 0x80)
                    ++i;
        }
    }
    if (safe.empty()) return "_";
    if (safe.front() == '.') safe.front() = '_';
    return safe;
}

} // namespace tallux::cli
