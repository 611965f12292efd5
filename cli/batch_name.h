#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "options.h"

namespace tallux::cli {

// The name of each output file: a text with the fields {n} (the line number),
// {method} (the method's short name, e.g. ean13) and {code} (the code as the
// line gives it, made safe for a file name); {{ and }} stand for braces.
class NameTemplate {
public:
    explicit NameTemplate(std::string_view text); // raises UsageError
    std::string expand(std::size_t line, std::string_view method, std::string_view code) const;

    // True when no two lines can get the same name: {n} comes before every
    // other field and is not followed by a digit.
    bool uniqueByLine() const noexcept { return uniqueByLine_; }
    // The format its extension names (see targetOfName).
    std::optional<TargetKind> format() const noexcept { return format_; }

private:
    enum class Field { Text, Line, Method, Code };
    struct Piece {
        Field field;
        std::string text;
    };
    std::vector<Piece> pieces_;
    bool uniqueByLine_ = false;
    std::optional<TargetKind> format_;
};

// A code as part of a file name: letters, digits, '-', '_', '+' and '.' stay,
// every other character (a '/' too) becomes '_'; a leading '.' becomes '_'
// so that no name is hidden or climbs a folder; at most 64 bytes; "_" when
// empty.
std::string fileNameSafe(std::string_view code);

} // namespace tallux::cli
