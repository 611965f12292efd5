#pragma once

#include <array>
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

// One row per drawing method: the one description that the control, the
// command, the type library and the tests share.
struct MethodInfo {
    std::string_view name;   // the method's name, e.g. "BarEAN13"
    std::string_view member; // the tBarcodeType member, e.g. "EAN_13"
    tBarcodeType type;
    DrawFunction draw;
    PrintsFor printsFor; // which pText values print its text
};

// Indexed by tBarcodeType value.
inline constexpr std::array<MethodInfo, 15> drawingMethods{{
    {"BarCODABAR", "Codabar", Codabar, draw::BarCODABAR, PrintsFor::onlyOne},
    {"BarCODE11", "Code_11", Code_11, draw::BarCODE11, PrintsFor::onlyOne},
    {"BarCODE128", "Code_128", Code_128, draw::BarCODE128, PrintsFor::anyNonZero},
    {"BarCODE25", "Code_25", Code_25, draw::BarCODE25, PrintsFor::onlyOne},
    {"BarCODE39", "Code_39", Code_39, draw::BarCODE39, PrintsFor::onlyOne},
    {"BarCODE39F", "Code_39F", Code_39F, draw::BarCODE39F, PrintsFor::onlyOne},
    {"BarCODE93", "Code_93", Code_93, draw::BarCODE93, PrintsFor::onlyOne},
    {"BarEAN13", "EAN_13", EAN_13, draw::BarEAN13, PrintsFor::anyNonZero},
    {"BarEAN8", "EAN_8", EAN_8, draw::BarEAN8, PrintsFor::anyNonZero},
    {"BarISBN", "ISBN", ISBN, draw::BarISBN, PrintsFor::anyNonZero},
    {"BarMSI", "Code_MSI", Code_MSI, draw::BarMSI, PrintsFor::onlyOne},
    {"BarPOSTNET", "PostNet", PostNet, draw::BarPOSTNET, PrintsFor::onlyOne},
    {"BarUPCA", "UPC_A", UPC_A, draw::BarUPCA, PrintsFor::anyNonZero},
    {"BarUPCAPlus", "UPC_A_Plus", UPC_A_Plus, draw::BarUPCAPlus, PrintsFor::anyNonZero},
    {"BarUPCE", "UPC_E", UPC_E, draw::BarUPCE, PrintsFor::anyNonZero},
}};

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
