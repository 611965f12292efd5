#pragma once

#include "automation/windows/win32.h"

namespace tallux::win {

// A new instance of the control, answering through its dual interface
// _Tallux; null when out of memory.
_Tallux* makeControl() noexcept;

// The embedded type library's description of the type with this identifier.
com::HRESULT loadTypeInfo(const com::GUID& id, ITypeInfo** info) noexcept;

} // namespace tallux::win
