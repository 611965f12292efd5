#pragma once

#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "options.h"

namespace tallux::cli {

// A batch line that cannot be drawn; the message names what is wrong.
struct LineError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// One symbol line: `METHOD,code[,option=value...]` (fields, the method's
// too, may be quoted as in CSV, "" standing for a quote; semicolons may
// separate them instead of commas, as the first separator after the method
// says) or `METHOD code`, where the rest of the line, commas included, is the code.
struct BatchLine {
    std::string method;
    std::string code;
    std::vector<std::pair<std::string, std::string>> options; // name without dashes, value

    friend bool operator==(const BatchLine&, const BatchLine&) = default;
};

// False for a blank line and a comment line (first non-blank character '#').
bool isSymbolLine(std::string_view text) noexcept;

// Reads one input line (its line end already removed; a trailing CR is
// dropped). Blank lines and lines whose first non-blank character is '#'
// give nothing. Raises LineError.
std::optional<BatchLine> parseBatchLine(std::string_view text);

// The drawing a line asks for: the line's method and code, the command's
// draw options (words such as "--width=20"), then the line's own options,
// which take precedence, for drawing on `target`. Raises LineError.
DrawRequest lineRequest(const BatchLine& line, std::span<const std::string> defaults,
                        TargetKind target = TargetKind::Trace);

} // namespace tallux::cli
