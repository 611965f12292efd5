#pragma once

#include "automation/windows/win32.h"

// The class Tallux in the system registry, machine-wide: its class and
// ProgID keys, and its type library through the system's own registration.
namespace tallux::win {

// Writes the keys, then registers the type library. A failure takes back
// every key that this call created and returns the failure.
com::HRESULT registerServer() noexcept;
// Removes the type library's registration and the keys that registerServer writes.
com::HRESULT unregisterServer() noexcept;

} // namespace tallux::win
