#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

#include "tallux/export.h"
#include "tallux/symbologies.h"

TALLUX_PUBLIC_BEGIN

namespace tallux {

// The symbologies, as the enumeration declares them for callers. Nothing in
// the component maps a member to a method: a caller chooses the method itself.
enum tBarcodeType : std::int32_t {
    Codabar = 0,
    Code_11 = 1,
    Code_128 = 2,
    Code_25 = 3,
    Code_39 = 4,
    Code_39F = 5,
    Code_93 = 6,
    EAN_13 = 7,
    EAN_8 = 8,
    ISBN = 9,
    Code_MSI = 10,
    PostNet = 11,
    UPC_A = 12,
    UPC_A_Plus = 13,
    UPC_E = 14,
};

using DrawFunction = Integer (*)(const DrawArgs&);

// Which values of pText switch a method's human-readable text on.
enum class PrintsFor : std::uint8_t {
    anyNonZero, // the EAN/UPC methods and BarCODE128
    onlyOne,    // the others: 2 and -1 print nothing
};

// When a method that reads pRatio forms the products pWidth × a and
// pWidth × b of its ratio extras. They serve only as a range check: a
// product beyond 16 bits is Overflow (6).
enum class ProductCheck : std::uint8_t {
    onceBeforeTrap,              // both, as the ratio is read: raised, nothing drawn
    beforeEachElement,           // both, before every element is painted, gaps included
    afterEachElementOfThatWidth, // the element's own product, once it is painted
};

// The first dispatch id of the drawing methods in _Tallux; each method's id
// follows from its place in the interface.
inline constexpr std::int32_t firstDrawingDispatchId = 0x60030005;

// One row per drawing method: the one description that the control, the
// methods, the type library, the dispatch, the command and the tests share.
struct MethodInfo {
    std::string_view name;   // the method's name, e.g. "BarEAN13"
    std::string_view member; // the tBarcodeType member, e.g. "EAN_13"
    tBarcodeType type;
    DrawFunction draw;
    PrintsFor printsFor; // which pText values print its text
    // Whether it reads pRatio (its wide and narrow elements), and when it
    // forms the ratio products; none for a method of modules.
    std::optional<ProductCheck> ratio;
    int place;                  // among the drawing methods of _Tallux's function table
    std::string_view alias;     // the command's short name, e.g. "ean13"
    std::string_view title;     // what it draws, in words
    std::u16string_view sample; // data that draws a complete symbol

    constexpr std::int32_t dispatchId() const noexcept { return firstDrawingDispatchId + place; }
};

// Indexed by tBarcodeType value.
// clang-format off
inline constexpr std::array<MethodInfo, 15> drawingMethods{{
    {"BarCODABAR",  "Codabar",    Codabar,    draw::BarCODABAR,  PrintsFor::onlyOne,
     ProductCheck::beforeEachElement,           1,  "codabar",  "Codabar",                  u"40156"},
    {"BarCODE11",   "Code_11",    Code_11,    draw::BarCODE11,   PrintsFor::onlyOne,
     ProductCheck::onceBeforeTrap,              2,  "code11",   "Code 11",                  u"123-45"},
    {"BarCODE128",  "Code_128",   Code_128,   draw::BarCODE128,  PrintsFor::anyNonZero,
     std::nullopt,                              11, "code128",  "Code 128",                 u"BCode128"},
    {"BarCODE25",   "Code_25",    Code_25,    draw::BarCODE25,   PrintsFor::onlyOne,
     ProductCheck::beforeEachElement,           3,  "i25",      "Interleaved 2 of 5",       u"1234567890"},
    {"BarCODE39",   "Code_39",    Code_39,    draw::BarCODE39,   PrintsFor::onlyOne,
     ProductCheck::onceBeforeTrap,              4,  "code39",   "Code 39",                  u"CODE39"},
    {"BarCODE39F",  "Code_39F",   Code_39F,   draw::BarCODE39F,  PrintsFor::onlyOne,
     ProductCheck::afterEachElementOfThatWidth, 5,  "code39f",  "Code 39 full ASCII",       u"Code 39f"},
    {"BarCODE93",   "Code_93",    Code_93,    draw::BarCODE93,   PrintsFor::onlyOne,
     std::nullopt,                              9,  "code93",   "Code 93",                  u"TEST93"},
    {"BarEAN13",    "EAN_13",     EAN_13,     draw::BarEAN13,    PrintsFor::anyNonZero,
     std::nullopt,                              10, "ean13",    "EAN-13",                   u"400638133393"},
    {"BarEAN8",     "EAN_8",      EAN_8,      draw::BarEAN8,     PrintsFor::anyNonZero,
     std::nullopt,                              12, "ean8",     "EAN-8",                    u"9638507"},
    {"BarISBN",     "ISBN",       ISBN,       draw::BarISBN,     PrintsFor::anyNonZero,
     std::nullopt,                              6,  "isbn",     "ISBN (EAN-13 Bookland)",   u"030640615"},
    {"BarMSI",      "Code_MSI",   Code_MSI,   draw::BarMSI,      PrintsFor::onlyOne,
     ProductCheck::onceBeforeTrap,              7,  "msi",      "MSI",                      u"1234567"},
    {"BarPOSTNET",  "PostNet",    PostNet,    draw::BarPOSTNET,  PrintsFor::onlyOne,
     std::nullopt,                              8,  "postnet",  "POSTNET",                  u"12345"},
    {"BarUPCA",     "UPC_A",      UPC_A,      draw::BarUPCA,     PrintsFor::anyNonZero,
     std::nullopt,                              13, "upca",     "UPC-A",                    u"03600029145"},
    {"BarUPCAPlus", "UPC_A_Plus", UPC_A_Plus, draw::BarUPCAPlus, PrintsFor::anyNonZero,
     std::nullopt,                              0,  "upcaplus", "UPC-A Plus (flat layout)", u"03600029145"},
    {"BarUPCE",     "UPC_E",      UPC_E,      draw::BarUPCE,     PrintsFor::anyNonZero,
     std::nullopt,                              14, "upce",     "UPC-E",                    u"123456"},
}};
// clang-format on

constexpr const MethodInfo& methodInfo(tBarcodeType type) noexcept
{
    return drawingMethods[static_cast<std::size_t>(type)];
}

// The same fifteen by name, in the order of the control's interface.
// clang-format off
#define TALLUX_DRAWING_METHODS(X)                                                     \
    X(BarUPCAPlus) X(BarCODABAR) X(BarCODE11) X(BarCODE25) X(BarCODE39) X(BarCODE39F) \
    X(BarISBN) X(BarMSI) X(BarPOSTNET) X(BarCODE93) X(BarEAN13) X(BarCODE128)         \
    X(BarEAN8) X(BarUPCA) X(BarUPCE)
// clang-format on

static_assert([] {
    for (std::size_t i = 0; i < drawingMethods.size(); ++i)
        if (drawingMethods[i].type != static_cast<tBarcodeType>(i)) return false;
    return true;
}());
// Each place in the interface is taken once, in the order the macro names them.
static_assert([] {
    constexpr std::string_view byPlace[] = {
#define TALLUX_NAME(Name) #Name,
        TALLUX_DRAWING_METHODS(TALLUX_NAME)
#undef TALLUX_NAME
    };
    if (std::size(byPlace) != drawingMethods.size()) return false;
    for (const MethodInfo& m : drawingMethods)
        if (m.place < 0 || m.place >= static_cast<int>(std::size(byPlace)) ||
            byPlace[m.place] != m.name)
            return false;
    return true;
}());
// Six methods have wide and narrow elements and read pRatio.
static_assert([] {
    int wideNarrow = 0;
    for (const MethodInfo& m : drawingMethods) wideNarrow += m.ratio.has_value();
    return wideNarrow == 6;
}());
// Seven methods print for any non-zero pText: the six EAN/UPC ones and Code 128.
static_assert([] {
    int anyNonZero = 0;
    for (const MethodInfo& m : drawingMethods) anyNonZero += m.printsFor == PrintsFor::anyNonZero;
    return anyNonZero == 7;
}());

// The method with this name, compared case-insensitively.
std::optional<MethodInfo> findMethod(std::string_view name) noexcept;

} // namespace tallux

TALLUX_PUBLIC_END
