#pragma once

// The Windows headers, for the Windows layer of the server. They define
// macros named like the constants of tallux/com.h (S_OK, FAILED, E_POINTER,
// DISPATCH_METHOD, DISPID_UNKNOWN, ...). Our headers are read first and those
// macros removed after the system's, so this layer writes com::S_OK and the
// like for both, and no other file has to care. Windows' own names that
// com.h lacks (DISPID_PROPERTYPUT, DISP_E_NONAMEDARGS, VT_BYREF) stay.

#include "tallux/automation.h"
#include "tallux/com.h"
#include "tallux/typelib.h"
#include "tallux/variant.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <dispex.h>
#include <ole2.h>
#include <oleauto.h>
#include <olectl.h>

#include "tallux_h.h" // _Tallux as widl declares it from the type library

#undef S_OK
#undef S_FALSE
#undef E_UNEXPECTED
#undef E_NOINTERFACE
#undef E_POINTER
#undef E_FAIL
#undef E_OUTOFMEMORY
#undef E_INVALIDARG
#undef CLASS_E_NOAGGREGATION
#undef CLASS_E_CLASSNOTAVAILABLE
#undef SELFREG_E_TYPELIB
#undef SELFREG_E_CLASS
#undef DISP_E_UNKNOWNINTERFACE
#undef DISP_E_MEMBERNOTFOUND
#undef DISP_E_PARAMNOTFOUND
#undef DISP_E_TYPEMISMATCH
#undef DISP_E_UNKNOWNNAME
#undef DISP_E_BADVARTYPE
#undef DISP_E_EXCEPTION
#undef DISP_E_OVERFLOW
#undef DISP_E_PARAMNOTOPTIONAL
#undef DISP_E_BADPARAMCOUNT
#undef SUCCEEDED
#undef FAILED
#undef DISPATCH_METHOD
#undef DISPATCH_PROPERTYGET
#undef DISPATCH_PROPERTYPUT
#undef DISPATCH_PROPERTYPUTREF
#undef DISPID_UNKNOWN
#undef DISPID_ABOUTBOX

namespace tallux::win {

namespace com = tallux::com;

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
