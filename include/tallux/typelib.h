#pragma once

#include <span>
#include <string_view>

#include "tallux/export.h"
#include "tallux/methods.h"
#include "tallux/variant.h"

// The type library TALLUXLIB as data: what a host reads to bind to the
// control, and what the control's dispatch interface answers from.
TALLUX_PUBLIC_BEGIN

namespace tallux::typelib {

using com::DISPID;
using com::GUID;
using com::VarType;

enum class TypeKind : std::uint8_t {
    Enum = 0,
    Record = 1,
    Module = 2,
    Interface = 3,
    Dispatch = 4,
    CoClass = 5
};

// Type flags, with their standard values.
namespace typeflag {
inline constexpr std::uint16_t CanCreate = 0x2;
inline constexpr std::uint16_t Hidden = 0x10;
inline constexpr std::uint16_t Control = 0x20;
inline constexpr std::uint16_t Dual = 0x40;
inline constexpr std::uint16_t NonExtensible = 0x80;
inline constexpr std::uint16_t OleAutomation = 0x100;
} // namespace typeflag

enum class InvokeKind : std::uint8_t { Func = 1, PropertyGet = 2, PropertyPut = 4 };

inline constexpr std::uint16_t funcflagHidden = 0x40;

namespace paramflag {
inline constexpr std::uint16_t In = 1;
inline constexpr std::uint16_t Out = 2;
} // namespace paramflag

struct ParamDesc {
    std::string_view name;
    VarType vt;
    std::string_view userType; // the enumeration's name where vt stands for it
    std::uint16_t flags;
    bool byRef;
};

struct FuncDesc {
    std::string_view name;
    DISPID memid;
    InvokeKind invkind;
    std::uint16_t flags;
    std::span<const ParamDesc> params;
    VarType result; // VT_EMPTY: nothing beyond the call status
    std::string_view resultType;
    std::string_view helpString;
    const MethodInfo* method; // the drawing method, or null
};

struct EnumMember {
    std::string_view name;
    std::int32_t value;
};

// A co-class's interfaces: the default interface and the default source.
struct ImplType {
    std::string_view name;
    bool source;
};

struct TypeDesc {
    std::string_view name;
    TypeKind kind;
    std::uint16_t flags;
    GUID guid;
    std::span<const FuncDesc> funcs;
    std::span<const EnumMember> values;
    std::span<const ImplType> interfaces;
};

struct Library {
    std::string_view name;
    GUID guid;
    std::uint16_t major, minor;
    std::uint32_t lcid;
    std::string_view helpString;
    std::span<const TypeDesc> types;
};

// Our own identifiers.
inline constexpr GUID LIBID_TALLUXLIB{
    0x52D122FB, 0xA580, 0x41AD, {0xAC, 0x95, 0x24, 0x24, 0xB1, 0x8A, 0xE2, 0xE2}};
inline constexpr GUID CLSID_Tallux{
    0x2F2C9C0F, 0x8338, 0x4847, {0xBD, 0x2C, 0x37, 0x05, 0xEE, 0xD0, 0xC0, 0x7E}};
inline constexpr GUID IID__Tallux{
    0x5DF5F3B4, 0x47FC, 0x43A6, {0xAA, 0x83, 0x20, 0xA3, 0xF9, 0x3F, 0x33, 0x14}};
inline constexpr GUID DIID___Tallux{
    0x25D2ACE3, 0xDF61, 0x4394, {0xB4, 0xF8, 0x24, 0x0E, 0xDB, 0xDA, 0x4A, 0xA9}};
inline constexpr GUID GUID_tBarcodeType{
    0x06AFCA80, 0xDA4F, 0x4E55, {0x8E, 0x17, 0xB0, 0xF2, 0xA6, 0x33, 0xC2, 0x76}};

inline constexpr DISPID dispidSupBarType = 0x68030000;

const Library& talluxLibrary() noexcept;

// The type description with this name, or null.
const TypeDesc* findType(std::string_view name) noexcept;

// The member of _Tallux with this id that answers to these dispatch flags
// (a method also answers a property get, as a call in an expression does).
const FuncDesc* findFunction(DISPID id, std::uint16_t flags) noexcept;
// The dispatch id of a member of _Tallux by name, compared case-insensitively.
std::optional<DISPID> findId(std::u16string_view name) noexcept;

// The library as IDL-like text.
std::string idlText();

} // namespace tallux::typelib

TALLUX_PUBLIC_END
