#pragma once

#include <filesystem>

#include "tallux/registry.h"

namespace tallux::registration {

// The readable name under which the class is entered.
inline constexpr std::string_view progId = "TALLUXLIB.Tallux";
// The control's OLE miscellaneous-status flags: invisible at run time,
// activate when visible, inside-out, set client site first, no UI
// activation, cannot link inside, recompose on resize.
inline constexpr unsigned miscStatus = 0x24591;
inline constexpr int toolboxBitmap = 30000;

// The entries that enter the class Tallux as a control served by `library`,
// with its type library and interfaces.
registry::Entries entries(const std::filesystem::path& library);

// Adds those entries, or removes exactly those keys.
void registerServer(const registry::Registry& r, const std::filesystem::path& library);
void unregisterServer(const registry::Registry& r);

} // namespace tallux::registration
