#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "options.h"

namespace tallux::cli {

// Where a reader of the symbol would not get the caller's data, one line
// each, worked out from the request alone (the drawing is not touched):
// Code 128 characters that become function or code-set characters, set C
// pairs that are not digits, a start/stop character inside Code 39 or
// Codabar data, a check character that the symbology's readers need left
// out, bars with no contrast to the white spaces, bars too short to scan,
// data that is empty, and text too small to read.
std::vector<std::string> readerWarnings(const DrawRequest& request);

// The character at a UTF-16 index of the request's pCode as messages name
// it, "'ü' at position 3": counted in characters from 1 in the code as the
// caller gave it (a set letter or a zero the command put in front not counted).
std::string characterAt(const DrawRequest& request, std::size_t index);

} // namespace tallux::cli
