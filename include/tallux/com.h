#pragma once

// The least of the platform's component object model that an in-process
// automation server and its host need: status codes, class and interface
// identifiers, reference-counted interfaces and dispatch flags, with the
// meaning and the numbers of the standard ones.

#include <array>
#include <compare>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "tallux/export.h"
#include "tallux/types.h"

TALLUX_PUBLIC_BEGIN

namespace tallux::com {

using HRESULT = std::int32_t;
using DISPID = std::int32_t;

constexpr HRESULT hresult(std::uint32_t bits) noexcept
{
    return static_cast<HRESULT>(bits);
}
constexpr bool succeeded(HRESULT hr) noexcept
{
    return hr >= 0;
}
constexpr bool failed(HRESULT hr) noexcept
{
    return hr < 0;
}

// Status codes, each with the standard name that statusText() gives it.
namespace status {
// clang-format off
inline constexpr HRESULT ok                = 0;                   // S_OK
inline constexpr HRESULT okFalse           = 1;                   // S_FALSE
inline constexpr HRESULT unexpected        = hresult(0x8000FFFF); // E_UNEXPECTED
inline constexpr HRESULT noInterface       = hresult(0x80004002); // E_NOINTERFACE
inline constexpr HRESULT badPointer        = hresult(0x80004003); // E_POINTER
inline constexpr HRESULT fail              = hresult(0x80004005); // E_FAIL
inline constexpr HRESULT outOfMemory       = hresult(0x8007000E); // E_OUTOFMEMORY
inline constexpr HRESULT invalidArg        = hresult(0x80070057); // E_INVALIDARG
inline constexpr HRESULT noAggregation     = hresult(0x80040110); // CLASS_E_NOAGGREGATION
inline constexpr HRESULT classNotAvailable = hresult(0x80040111); // CLASS_E_CLASSNOTAVAILABLE
inline constexpr HRESULT typelibRegFailed  = hresult(0x80040200); // SELFREG_E_TYPELIB
inline constexpr HRESULT classRegFailed    = hresult(0x80040201); // SELFREG_E_CLASS
inline constexpr HRESULT unknownInterface  = hresult(0x80020001); // DISP_E_UNKNOWNINTERFACE
inline constexpr HRESULT memberNotFound    = hresult(0x80020003); // DISP_E_MEMBERNOTFOUND
inline constexpr HRESULT paramNotFound     = hresult(0x80020004); // DISP_E_PARAMNOTFOUND
inline constexpr HRESULT typeMismatch      = hresult(0x80020005); // DISP_E_TYPEMISMATCH
inline constexpr HRESULT unknownName       = hresult(0x80020006); // DISP_E_UNKNOWNNAME
inline constexpr HRESULT badVarType        = hresult(0x80020008); // DISP_E_BADVARTYPE
inline constexpr HRESULT exception         = hresult(0x80020009); // DISP_E_EXCEPTION
inline constexpr HRESULT overflow          = hresult(0x8002000A); // DISP_E_OVERFLOW
inline constexpr HRESULT divideByZero      = hresult(0x80020012); // DISP_E_DIVBYZERO
inline constexpr HRESULT paramNotOptional  = hresult(0x8002000F); // DISP_E_PARAMNOTOPTIONAL
inline constexpr HRESULT badParamCount     = hresult(0x8002000E); // DISP_E_BADPARAMCOUNT
// clang-format on
} // namespace status

// The facility of run-time errors raised by controls: 0x800A0000 | number.
inline constexpr std::uint32_t FACILITY_CONTROL_ERROR = 0x800A0000;

// clang-format off
// Dispatch flags of Invoke.
inline constexpr std::uint16_t dispatchMethod         = 1;
inline constexpr std::uint16_t dispatchPropertyGet    = 2;
inline constexpr std::uint16_t dispatchPropertyPut    = 4;
inline constexpr std::uint16_t dispatchPropertyPutRef = 8;

inline constexpr DISPID dispidUnknown  = -1;
inline constexpr DISPID dispidAboutBox = -552;
// clang-format on

// The readable name of a status code ("DISP_E_TYPEMISMATCH"), or its hex text.
std::string statusText(HRESULT hr);

// A class, interface or library identifier.
struct GUID {
    std::uint32_t Data1 = 0;
    std::uint16_t Data2 = 0;
    std::uint16_t Data3 = 0;
    std::array<std::uint8_t, 8> Data4{};
    friend constexpr bool operator==(const GUID&, const GUID&) = default;
    friend constexpr auto operator<=>(const GUID&, const GUID&) = default;
};

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" in capitals, as the registry keeps it.
std::string toString(const GUID& guid);
// Reads that form, braces required, either case.
std::optional<GUID> parseGuid(std::string_view text) noexcept;

// clang-format off
inline constexpr GUID IID_IUnknown      {0x00000000, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
inline constexpr GUID IID_IClassFactory {0x00000001, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
inline constexpr GUID IID_IDispatch     {0x00020400, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
// clang-format on

class Variant;
struct DispParams;

// What an object reports when a member raised an error: the run-time error
// number travels in scode as FACILITY_CONTROL_ERROR | number (or as the raw
// 32-bit status when the number does not fit 16 bits).
struct ExcepInfo {
    std::uint16_t wCode = 0;
    String source;
    String description;
    HRESULT scode = 0;
};

// The reference-counted base of every interface. Objects delete themselves
// when the last reference is released; nobody deletes them directly.
class IUnknown {
public:
    virtual HRESULT QueryInterface(const GUID& iid, void** object) = 0;
    virtual std::uint32_t AddRef() = 0;
    virtual std::uint32_t Release() = 0;

protected:
    virtual ~IUnknown() = default;
};

// Late binding: names to dispatch ids, and calls by id. The arguments of
// Invoke are in their natural order (first parameter first); for a property
// put the last argument is the value assigned.
class IDispatch : public IUnknown {
public:
    virtual HRESULT GetIDsOfNames(std::u16string_view name, DISPID* id) = 0;
    // argErr receives the 0-based position of an argument that could not be
    // coerced (DISP_E_TYPEMISMATCH, DISP_E_OVERFLOW).
    virtual HRESULT Invoke(DISPID id, std::uint16_t flags, DispParams& params, Variant* result,
                           ExcepInfo* excep, std::uint32_t* argErr) = 0;
};

class IClassFactory : public IUnknown {
public:
    virtual HRESULT CreateInstance(IUnknown* outer, const GUID& iid, void** object) = 0;
    virtual HRESULT LockServer(bool lock) = 0;
};

// The run-time error number that a failed call reports to a client:
// DISP_E_EXCEPTION gives the object's own number, the dispatch failures
// their standard numbers (438, 450, 13, 6, ...), anything else the status
// itself, which does not fit 16 bits.
std::int32_t errorNumber(HRESULT hr, const ExcepInfo* excep = nullptr) noexcept;

// Fills an ExcepInfo for a run-time error raised by a member.
void fillExcepInfo(ExcepInfo* excep, std::int32_t number, std::string_view description,
                   std::u16string_view source);

// An owning interface pointer.
template <class T>
class ComPtr {
public:
    ComPtr() noexcept = default;
    ComPtr(std::nullptr_t) noexcept {}
    // Takes a new reference.
    explicit ComPtr(T* p) noexcept
        : p_(p)
    {
        if (p_) p_->AddRef();
    }
    ComPtr(const ComPtr& o) noexcept
        : ComPtr(o.p_)
    {
    }
    ComPtr(ComPtr&& o) noexcept
        : p_(std::exchange(o.p_, nullptr))
    {
    }
    ComPtr& operator=(ComPtr o) noexcept
    {
        std::swap(p_, o.p_);
        return *this;
    }
    ~ComPtr() { reset(); }

    // Adopts a reference that the caller already owns.
    static ComPtr adopt(T* p) noexcept
    {
        ComPtr c;
        c.p_ = p;
        return c;
    }
    void reset() noexcept
    {
        if (T* p = std::exchange(p_, nullptr)) p->Release();
    }
    // For out-parameters: releases what is held and gives the slot.
    void** out() noexcept
    {
        reset();
        return reinterpret_cast<void**>(&p_);
    }
    T* get() const noexcept { return p_; }
    T& operator*() const noexcept { return *p_; }
    T* operator->() const noexcept { return p_; }
    explicit operator bool() const noexcept { return p_ != nullptr; }
    friend bool operator==(const ComPtr& a, const ComPtr& b) noexcept { return a.p_ == b.p_; }

private:
    T* p_ = nullptr;
};

} // namespace tallux::com

TALLUX_PUBLIC_END
