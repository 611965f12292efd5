#pragma once

#include <optional>

#include "tallux/types.h"

namespace tallux {

struct Rgb {
    double red, green, blue; // 0..1
};

// A colour in the host's format: 0x00BBGGRR, or 0x800000NN for the system
// colour NN of the host's standard scheme. Anything else has no colour.
std::optional<Rgb> hostColor(Long value) noexcept;

} // namespace tallux
