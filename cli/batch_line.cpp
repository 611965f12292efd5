#include "batch_line.h"

#include <algorithm>

namespace tallux::cli {

namespace {

constexpr bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

std::string_view trimmed(std::string_view s)
{
    while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
    return s;
}

// Splits the text after the method's separator into CSV fields, separated
// by `separator` (a comma, or a semicolon as spreadsheets write in some
// languages). A field that begins with a quote runs to the closing quote, ""
// standing for one quote.
std::vector<std::string> csvFields(std::string_view text, char separator)
{
    std::vector<std::string> fields(1);
    std::size_t i = 0;
    while (i < text.size()) {
        std::string& field = fields.back();
        if (text[i] == '"' && field.empty()) {
            for (++i;; ++i) {
                if (i >= text.size()) throw LineError("a quoted field has no closing quote");
                if (text[i] != '"') {
                    field += text[i];
                } else if (i + 1 < text.size() && text[i + 1] == '"') {
                    field += '"';
                    ++i;
                } else {
                    break;
                }
            }
            ++i;
            if (i < text.size() && text[i] != separator)
                throw LineError(std::string("a quoted field must end at a ") +
                                (separator == ',' ? "comma" : "semicolon"));
            continue;
        }
        if (text[i] == separator)
            fields.emplace_back();
        else
            field += text[i];
        ++i;
    }
    return fields;
}

// Options that a line cannot set: the code is its own field, and where the
// symbols go is the command's choice.
constexpr std::string_view commandOnly[] = {"code", "target", "output", "o"};

} // namespace

bool isSymbolLine(std::string_view text) noexcept
{
    for (const char c : text)
        if (!isBlank(c) && c != '\r') return c != '#';
    return false;
}

std::optional<BatchLine> parseBatchLine(std::string_view text)
{
    if (!isSymbolLine(text)) return std::nullopt;
    if (text.ends_with('\r')) text.remove_suffix(1);
    while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);

    BatchLine line;
    std::size_t end = 0;
    if (text.starts_with('"')) {
        // A quoted method, as a spreadsheet may write every field.
        const std::size_t closing = text.find('"', 1);
        if (closing == std::string_view::npos)
            throw LineError("a quoted field has no closing quote");
        line.method = std::string(text.substr(1, closing - 1));
        end = closing + 1;
        if (end < text.size() && text[end] != ',' && text[end] != ';')
            throw LineError("a quoted method must end at a comma or semicolon");
        if (end >= text.size())
            throw LineError("a code must follow the method (METHOD,code or METHOD code)");
    } else {
        end = text.find_first_of(",; \t");
        line.method = std::string(text.substr(0, end));
        if (end == std::string_view::npos)
            throw LineError("a code must follow the method (METHOD,code or METHOD code)");
    }

    if (text[end] != ',' && text[end] != ';') {
        std::string_view code = text.substr(end);
        while (!code.empty() && isBlank(code.front())) code.remove_prefix(1);
        if (code.empty())
            throw LineError("a code must follow the method (METHOD,code or METHOD code)");
        line.code = std::string(code);
        return line;
    }

    std::vector<std::string> fields = csvFields(text.substr(end + 1), text[end]);
    line.code = std::move(fields.front());
    for (std::size_t i = 1; i < fields.size(); ++i) {
        const std::string_view field = fields[i];
        if (trimmed(field).empty()) continue; // an empty column of a spreadsheet
        const std::size_t eq = field.find('=');
        if (eq == std::string_view::npos)
            throw LineError("option " + quoted(field) + " needs the form name=value");
        const std::string_view name = trimmed(field.substr(0, eq));
        if (std::ranges::find(commandOnly, name) != std::end(commandOnly))
            throw LineError("option " + quoted(name) + " cannot be set by a line");
        line.options.emplace_back(name, trimmed(field.substr(eq + 1)));
    }
    return line;
}

DrawRequest lineRequest(const BatchLine& line, std::span<const std::string> defaults,
                        TargetKind target)
{
    std::vector<std::string> own;
    own.reserve(line.options.size());
    for (const auto& [name, value] : line.options) {
        if (name.empty() || name.starts_with('-'))
            throw LineError("unknown option " + quoted(name) + " (write names without dashes)");
        own.push_back("--" + name + "=" + value);
    }
    std::vector<std::string_view> words;
    words.reserve(defaults.size() + own.size() + 3);
    words.push_back(line.method);
    words.insert(words.end(), defaults.begin(), defaults.end());
    words.push_back("--code");
    words.push_back(line.code);
    words.insert(words.end(), own.begin(), own.end());
    try {
        return parseDraw(words, target);
    } catch (const UsageError& e) {
        throw LineError(e.what());
    }
}

} // namespace tallux::cli
