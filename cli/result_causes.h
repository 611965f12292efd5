#pragma once

#include <optional>
#include <string>

#include "options.h"

namespace tallux::cli {

// For an error number that a method returned, the character of the caller's
// code behind it and why, when the number comes from one: "'ü' at position 3
// has no symbol character in set B". `request` holds the code as it was
// before the call.
std::optional<std::string> resultCause(const DrawRequest& request, int number);

// For an error number that a method raised, the option behind it: a ratio
// text without its colon.
std::optional<std::string> raisedCause(const DrawRequest& request, int number);

} // namespace tallux::cli
