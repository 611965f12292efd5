#include "tallux/host_target.h"

#include <array>
#include <cstdint>

namespace tallux {

namespace {

// The host's system colours in its standard scheme, 0x00BBGGRR, by index:
// scroll bar, desktop, active and inactive caption, menu, window, window
// frame, menu text, window text, caption text, active and inactive border,
// application workspace, highlight, highlight text, button face, button
// shadow, grey text, button text, inactive caption text, button highlight,
// 3D dark shadow, 3D light, tooltip text, tooltip background.
constexpr std::array<std::uint32_t, 25> systemColors = {
    0xC8D0D4, 0xA56E3A, 0x6A240A, 0x808080, 0xC8D0D4, 0xFFFFFF, 0x000000, 0x000000, 0x000000,
    0xFFFFFF, 0xC8D0D4, 0xC8D0D4, 0x808080, 0x6A240A, 0xFFFFFF, 0xC8D0D4, 0x808080, 0x808080,
    0x000000, 0xC8D0D4, 0xFFFFFF, 0x404040, 0xC8D0D4, 0x000000, 0xE1FFFF};

constexpr Rgb fromBgr(std::uint32_t bgr) noexcept
{
    return {static_cast<double>(bgr & 0xFF) / 255.0, static_cast<double>((bgr >> 8) & 0xFF) / 255.0,
            static_cast<double>((bgr >> 16) & 0xFF) / 255.0};
}

} // namespace

std::optional<Rgb> hostColor(Long value) noexcept
{
    const auto bits = static_cast<std::uint32_t>(value);
    if ((bits >> 24) == 0) return fromBgr(bits);
    if ((bits >> 24) == 0x80 && (bits & 0xFFFFFF) < systemColors.size())
        return fromBgr(systemColors[bits & 0xFFFFFF]);
    return std::nullopt;
}

} // namespace tallux
