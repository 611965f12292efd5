#include "tallux/typelib.h"

#include <algorithm>

namespace tallux::typelib {

namespace {

using namespace com;
using paramflag::In;
using paramflag::Out;

constexpr ParamDesc byRef(std::string_view name, VarType vt)
{
    return {name, vt, "", In | Out, true};
}

// The common signature of the drawing methods: every parameter by reference.
constexpr ParamDesc drawingSignature[] = {
#define TALLUX_PARAM(name, type, value, vt) byRef(#name, vt)
    TALLUX_DRAW_PARAMETERS(TALLUX_PARAM, TALLUX_COMMA)
#undef TALLUX_PARAM
};
static_assert(std::size(drawingSignature) == 13);

constexpr ParamDesc supBarTypeValue[] = {{"value", VT_I4, "tBarcodeType", In, false}};
constexpr std::string_view supBarTypeHelp = "BarCode Type Support ";

// The function table of _Tallux: the property, the about box, then the
// drawing methods in the order of their dispatch ids.
constexpr std::array<FuncDesc, 18> talluxMembers = [] {
    std::array<FuncDesc, 18> f{};
    f[0] = {
        "SupBarType",   dispidSupBarType, InvokeKind::PropertyPut, 0, supBarTypeValue, VT_EMPTY, "",
        supBarTypeHelp, nullptr};
    f[1] = {"SupBarType", dispidSupBarType, InvokeKind::PropertyGet, 0,      {},
            VT_I4,        "tBarcodeType",   supBarTypeHelp,          nullptr};
    f[2] = {
        "ShowAboutBox",        dispidAboutBox, InvokeKind::Func, funcflagHidden, {}, VT_EMPTY, "",
        "Shows the about box", nullptr};
    for (const MethodInfo& m : drawingMethods)
        f[3 + static_cast<std::size_t>(m.place)] = {
            m.name, m.dispatchId(), InvokeKind::Func, 0, drawingSignature, VT_I2, "", "", &m};
    return f;
}();

constexpr std::array<EnumMember, drawingMethods.size()> barcodeTypes = [] {
    std::array<EnumMember, drawingMethods.size()> e{};
    for (std::size_t i = 0; i < e.size(); ++i)
        e[i] = {drawingMethods[i].member, drawingMethods[i].type};
    return e;
}();

constexpr ImplType talluxInterfaces[] = {{"_Tallux", false}, {"__Tallux", true}};

constexpr TypeDesc types[] = {
    {"_Tallux",
     TypeKind::Dispatch,
     typeflag::Dual | typeflag::Hidden | typeflag::NonExtensible | typeflag::OleAutomation,
     IID__Tallux,
     talluxMembers,
     {},
     {}},
    {"Tallux", TypeKind::CoClass, typeflag::Control, CLSID_Tallux, {}, {}, talluxInterfaces},
    {"__Tallux",
     TypeKind::Dispatch,
     typeflag::Hidden | typeflag::NonExtensible,
     DIID___Tallux,
     {},
     {},
     {}},
    {"tBarcodeType", TypeKind::Enum, 0, GUID_tBarcodeType, {}, barcodeTypes, {}},
};
static_assert(std::size(types) == 4);

constexpr Library library{
    "TALLUXLIB", LIBID_TALLUXLIB, 1, 0, 1033, "Tallux linear barcode drawing component", types};

constexpr char16_t lower(char16_t c) noexcept
{
    return c >= u'A' && c <= u'Z' ? c + 32 : c;
}

bool sameName(std::string_view a, std::u16string_view b) noexcept
{
    return std::ranges::equal(a, b, [](char x, char16_t y) {
        return lower(static_cast<char16_t>(static_cast<unsigned char>(x))) == lower(y);
    });
}

bool answers(InvokeKind kind, std::uint16_t flags) noexcept
{
    switch (kind) {
    case InvokeKind::Func: return (flags & (dispatchMethod | dispatchPropertyGet)) != 0;
    case InvokeKind::PropertyGet: return (flags & dispatchPropertyGet) != 0;
    case InvokeKind::PropertyPut: return (flags & dispatchPropertyPut) != 0;
    }
    return false;
}

} // namespace

const Library& talluxLibrary() noexcept
{
    return library;
}

const TypeDesc* findType(std::string_view name) noexcept
{
    for (const TypeDesc& t : types)
        if (t.name == name) return &t;
    return nullptr;
}

const FuncDesc* findFunction(DISPID id, std::uint16_t flags) noexcept
{
    for (const FuncDesc& f : talluxMembers)
        if (f.memid == id && answers(f.invkind, flags)) return &f;
    return nullptr;
}

std::optional<DISPID> findId(std::u16string_view name) noexcept
{
    for (const FuncDesc& f : talluxMembers)
        if (sameName(f.name, name)) return f.memid;
    return std::nullopt;
}

} // namespace tallux::typelib
