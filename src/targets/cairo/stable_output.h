#pragma once

#include <string>

typedef struct _cairo_surface cairo_surface_t;

namespace tallux {

// The same drawing gives the same bytes, whatever else the process drew
// before or draws at the same time on other threads.

// cairo names an SVG's groups after its surfaces' serial numbers, which count
// every surface the process made; they are numbered again from 1 in the
// order they first appear.
std::string withStableSvgIds(std::string svg);

// A PDF records its creation date: the time given by SOURCE_DATE_EPOCH when
// that is set, so that a file can be made again byte for byte.
void setReproducibleDate(cairo_surface_t* pdf);

} // namespace tallux
