#pragma once

// Identifiers of tallux.dll's resources (tallux.rc.in).
namespace tallux::win {

inline constexpr int toolboxBitmapId = 30000; // 16 x 15, 16 colours
inline constexpr int controlIconId = 1;       // 32 x 32, 16 colours

} // namespace tallux::win
