#pragma once

#include <string_view>

// What every platform's registration says about the class Tallux.
namespace tallux::registration {

// The readable name under which the class is entered.
inline constexpr std::string_view progId = "TALLUXLIB.Tallux";
// The control's OLE miscellaneous-status flags: invisible at run time,
// activate when visible, inside-out, set client site first, no UI
// activation, cannot link inside, recompose on resize.
inline constexpr unsigned miscStatus = 0x24591;
// The resource id of the toolbox picture.
inline constexpr int toolboxBitmap = 30000;

} // namespace tallux::registration
