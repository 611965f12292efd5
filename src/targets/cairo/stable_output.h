#pragma once

#include <string>

typedef struct _cairo_surface cairo_surface_t;

namespace tallux {

// A PDF records its creation date: the time given by SOURCE_DATE_EPOCH when
// that is set, so that a file can be made again byte for byte.
void setReproducibleDate(cairo_surface_t* pdf);

} // namespace tallux
