#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "tallux/types.h"

namespace tallux::cli {

// RRGGBB in hexadecimal, with or without '#', as 0xRRGGBB; or nothing.
std::optional<std::uint32_t> hexColour(std::string_view text) noexcept;
// A CSS colour name in any case, as 0xRRGGBB; or nothing.
std::optional<std::uint32_t> namedColour(std::string_view text) noexcept;

// The host's form of a colour: red in the low byte, then green, then blue.
constexpr Long hostOrder(std::uint32_t rgb) noexcept
{
    return static_cast<Long>((rgb >> 16 & 0xFF) | (rgb & 0xFF00) | (rgb & 0xFF) << 16);
}

} // namespace tallux::cli
