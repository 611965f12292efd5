#pragma once

#include "options.h"

namespace tallux::cli {

// Fills in the sizes the command line left out, in the request's scale units:
// the same physical size in any units (a 1/96-inch module, 5/8-inch bars, 150
// twips in), --width and --height given as lengths in whole units (a warning
// when that changes them by more than 5 %), for the wide/narrow methods a
// ratio text whose wide elements are 2.5 narrow ones, and a resolution near
// 300 dpi at which the narrow element is whole pixels. Pixel units and
// lengths are taken at --dpi, else at pixelDpi; a printer keeps its own
// resolution unless told. Raises UsageError for a length beyond 16 bits.
void applySizes(DrawRequest& request);

} // namespace tallux::cli
