#pragma once

#include <optional>
#include <string>

#include "tallux/recording_target.h"

namespace tallux::cli {

// A JSON string literal of a UTF-16 text: printable ASCII as it is, every
// other unit as \uXXXX, so any text (a lone surrogate too) survives.
std::string jsonString(std::u16string_view text);

// One JSON object for one target call, as the trace target writes it.
std::string traceLine(const Call& call);

// The closing line: the method's result, or the error it raised, and the
// caller's pCode after the call.
std::string summaryLine(std::optional<Integer> result, std::optional<std::int32_t> raised,
                        std::u16string_view code);

} // namespace tallux::cli
