#pragma once

#include <vector>

#include "automation/windows/win32.h"

// Between the system's VARIANTs and the portable variants that the control's
// dispatch works on.
namespace tallux::win {

String fromBstr(BSTR b);
// A new BSTR, or null when out of memory.
BSTR toBstr(const String& s) noexcept;

// The portable value of a VARIANT that holds a value (not a reference). An
// object becomes a portable object that calls the real one, Null no object.
// Types that no member takes are DISP_E_TYPEMISMATCH; a missing argument
// DISP_E_PARAMNOTOPTIONAL.
com::HRESULT fromVariant(const VARIANT& v, com::Variant& out);
// The VARIANT of a portable value; `out` is overwritten, not cleared.
com::HRESULT toVariant(const com::Variant& v, VARIANT& out) noexcept;

// A real dispatch object as a portable one, for the late-bound drawing
// target: names are looked up with IDispatchEx::GetDispID first.
com::ComPtr<com::IDispatch> wrapDispatch(::IDispatch* object);

// The arguments of one Invoke, taken from DISPPARAMS (last argument first)
// into portable variants in their natural order. A by-reference argument,
// VT_BYREF|VT_VARIANT or VT_BYREF|type, becomes a portable reference to a
// copy; storeBack writes what the member changed back through the caller's
// pointer, in the caller's type.
class InvokeArgs {
public:
    // argErr receives the index in rgvarg of an argument that cannot be taken.
    com::HRESULT load(const DISPPARAMS& params, UINT* argErr);
    std::vector<com::Variant>& args() noexcept { return args_; }
    com::HRESULT storeBack();

private:
    struct ByRef {
        VARIANT* caller; // the caller's VARIANTARG
        std::size_t index;
    };
    std::vector<com::Variant> args_;
    std::vector<com::Variant> copies_;
    std::vector<com::Variant> before_;
    std::vector<ByRef> byRef_;
};

} // namespace tallux::win
