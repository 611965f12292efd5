#pragma once

#include <ctime>
#include <optional>
#include <string>

namespace tallux {

// The time SOURCE_DATE_EPOCH gives, when it is set to a valid number of
// seconds, so that a file can be made again byte for byte.
std::optional<std::time_t> sourceDateEpoch();

// t in UTC as strftime's `format` gives it; empty where t cannot be shown.
std::string utcText(std::time_t t, const char* format);

// cairo stamps a PostScript file with the time it was written: with
// SOURCE_DATE_EPOCH set, the header's %%CreationDate says that time instead.
void setReproducibleDate(std::string& postScript);

} // namespace tallux
