#pragma once

#include <string>
#include <vector>

#include "options.h"

namespace tallux::cli {

// What may make the drawing other than the caller expects, one line each:
// lengths that whole scale units changed, a ratio below 2:1, a narrow element
// below one device pixel, a page smaller than the symbol, and data that the
// method draws otherwise than given (see dataChanges).
std::vector<std::string> drawingWarnings(const DrawRequest& request);

} // namespace tallux::cli
