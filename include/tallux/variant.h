#pragma once

#include <span>
#include <variant>

#include "tallux/com.h"
#include "tallux/export.h"

TALLUX_PUBLIC_BEGIN

namespace tallux::com {

// The variant types that the interface uses, with their standard numbers.
enum VarType : std::uint16_t {
    VT_EMPTY = 0,
    VT_I2 = 2,       // Integer
    VT_I4 = 3,       // Long
    VT_R4 = 4,       // Single
    VT_R8 = 5,       // Double
    VT_BSTR = 8,     // String
    VT_DISPATCH = 9, // Object
    VT_BOOL = 11,    // Boolean
    VT_VARIANT = 12,
    VT_BYREF = 0x4000,
};

// A value of one of those types, or a reference to the caller's own variant
// (VT_BYREF | VT_VARIANT), through which a by-reference parameter writes back.
class Variant {
public:
    Variant() noexcept;
    Variant(Integer v) noexcept;
    Variant(Long v) noexcept;
    Variant(Single v) noexcept;
    Variant(Double v) noexcept;
    Variant(String v) noexcept;
    Variant(const char16_t* v);
    Variant(Boolean v) noexcept;
    Variant(bool v) noexcept;
    // An object reference (a null pointer is the object Nothing); takes a reference.
    Variant(IDispatch* object) noexcept;
    Variant(ComPtr<IDispatch> object) noexcept;
    Variant(Number n) noexcept;

    // A by-reference variant that refers to `target`, which must outlive it.
    static Variant byRef(Variant& target) noexcept;

    Variant(const Variant&);
    Variant(Variant&&) noexcept;
    Variant& operator=(const Variant&);
    Variant& operator=(Variant&&) noexcept;
    ~Variant();

    VarType vt() const noexcept;
    bool isByRef() const noexcept { return vt() == (VT_BYREF | VT_VARIANT); }
    // The variant itself, or the one it refers to.
    Variant& deref() noexcept;
    const Variant& deref() const noexcept;

    // The value when the variant (not a reference) holds exactly this type.
    template <class T>
    const T* get() const noexcept
    {
        return std::get_if<T>(&value_);
    }

    // Same type and same value (objects: the same object).
    friend bool operator==(const Variant& a, const Variant& b) noexcept;

private:
    using Value = std::variant<std::monostate, Integer, Long, Single, Double, String, Boolean,
                               ComPtr<IDispatch>, Variant*>;
    Value value_;
};

// The arguments of one Invoke, in their natural order.
struct DispParams {
    std::span<Variant> args;
};

// Converts a value (following a reference) to the type vt, with the usual
// coercions: numbers round half to even into Integer and Long and report
// DISP_E_OVERFLOW outside their range; a text is read as a number where a
// number is needed (DISP_E_TYPEMISMATCH when it is none) and "True"/"False"
// count for Booleans; Empty is 0, "" or False; an object converts only to
// an object. An unsupported vt gives DISP_E_BADVARTYPE.
HRESULT changeType(Variant& dest, const Variant& src, VarType vt);

// The number held by a numeric variant, typed as held.
std::optional<Number> numberOf(const Variant& v) noexcept;

// A readable form for messages and tests: "Integer 3", "String \"A\"", "Empty".
std::string describe(const Variant& v);

} // namespace tallux::com

TALLUX_PUBLIC_END
