#pragma once

#include "automation/windows/win32.h"

// The class Tallux in the system registry: its class and ProgID keys and its
// type library, machine-wide (HKLM\Software\Classes) or for the current user
// alone (HKCU\Software\Classes, no administrator rights needed).
namespace tallux::win {

enum class Scope { machine, user };

// Writes the keys, then registers the type library. A failure takes back
// every key that this call created and returns the failure.
com::HRESULT registerServer(Scope where) noexcept;
// Removes the type library's registration and the keys that registerServer
// writes, keeping what the other architecture's registration still uses. A
// registration that is not there is no failure.
com::HRESULT unregisterServer(Scope where) noexcept;

} // namespace tallux::win
