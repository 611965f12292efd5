#pragma once

// The Windows headers, for the Windows layer of the server, next to ours.
// tallux/com.h names its constants in C++ (com::status::ok, com::failed,
// com::dispatchMethod, ...), so the system's macros (S_OK, FAILED,
// DISPATCH_METHOD, ...) and ours live side by side: this layer writes com::
// where it means our constants and the system's names where it means the
// system's (DISPID_PROPERTYPUT, DISP_E_NONAMEDARGS, VT_BYREF).

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <dispex.h>
#include <ole2.h>
#include <oleauto.h>
#include <olectl.h>

#include "tallux/automation.h"
#include "tallux/com.h"
#include "tallux/typelib.h"
#include "tallux/variant.h"

#include "tallux_h.h" // _Tallux as widl declares it from the type library

namespace tallux::win {

namespace com = tallux::com;

// QueryInterface of a caller's object: one that answers success without a
// pointer has no such interface, rather than a pointer this layer follows.
inline HRESULT query(IUnknown* from, REFIID iid, void** out) noexcept
{
    *out = nullptr;
    const HRESULT hr = from->QueryInterface(iid, out);
    return hr >= 0 && *out == nullptr ? E_NOINTERFACE : hr;
}

// Our identifiers in the system's form.
inline ::GUID guid(const com::GUID& g) noexcept
{
    return {g.Data1,
            g.Data2,
            g.Data3,
            {g.Data4[0], g.Data4[1], g.Data4[2], g.Data4[3], g.Data4[4], g.Data4[5], g.Data4[6],
             g.Data4[7]}};
}
inline com::GUID guid(const ::GUID& g) noexcept
{
    return {static_cast<std::uint32_t>(g.Data1),
            g.Data2,
            g.Data3,
            {g.Data4[0], g.Data4[1], g.Data4[2], g.Data4[3], g.Data4[4], g.Data4[5], g.Data4[6],
             g.Data4[7]}};
}

// Whether a GUID that a caller passed by reference (a pointer in C) is
// null. The compiler may assume that a reference never is, so the address is
// hidden from it before the test.
inline bool isNull(const ::GUID& id) noexcept
{
    const void* address = &id;
    asm("" : "+r"(address));
    return address == nullptr;
}

// The module that holds this code, and its full path.
HMODULE thisModule() noexcept;
std::wstring thisModulePath();

} // namespace tallux::win
