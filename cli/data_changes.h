#pragma once

#include <string>
#include <vector>

#include "options.h"

namespace tallux::cli {

// Where the symbol says something other than the caller's data, one line
// each: a check digit replaced, characters left out or drawn as "0" or "?",
// fill digits added, a code cut to its length, a Code 128 code without its
// set letter. Found by drawing copies of the request on targets that keep
// the boxes and text, and comparing what the method wrote back, drew and
// printed with the data given; the request itself is not touched.
std::vector<std::string> dataChanges(const DrawRequest& request);

} // namespace tallux::cli
