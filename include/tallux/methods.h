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
// command's method names, its listing, the type library and the tests share.
struct MethodInfo {
    std::string_view name;   // the method's name, e.g. "BarEAN13"
    std::string_view member; // the tBarcodeType member, e.g. "EAN_13"
    tBarcodeType type;
    std::int32_t dispid; // its dispatch id in the interface
    DrawFunction draw;
    std::string_view alias;     // a friendlier name for the command line
    std::string_view title;     // what it draws, in words
    std::u16string_view sample; // a code that draws a complete symbol
    PrintsFor printsFor;        // which pText values print its text
};

// Indexed by tBarcodeType value.
inline constexpr std::array<MethodInfo, 15> drawingMethods{{
    {"BarCODABAR", "Codabar", Codabar, 0x60030006, draw::BarCODABAR, "codabar", "Codabar", u"40156",
     PrintsFor::onlyOne},
    {"BarCODE11", "Code_11", Code_11, 0x60030007, draw::BarCODE11, "code11", "Code 11", u"123-45",
     PrintsFor::onlyOne},
    {"BarCODE128", "Code_128", Code_128, 0x60030010, draw::BarCODE128, "code128", "Code 128",
     u"BCode128", PrintsFor::anyNonZero},
    {"BarCODE25", "Code_25", Code_25, 0x60030008, draw::BarCODE25, "i25", "Interleaved 2 of 5",
     u"1234567890", PrintsFor::onlyOne},
    {"BarCODE39", "Code_39", Code_39, 0x60030009, draw::BarCODE39, "code39", "Code 39", u"CODE39",
     PrintsFor::onlyOne},
    {"BarCODE39F", "Code_39F", Code_39F, 0x6003000a, draw::BarCODE39F, "code39f",
     "Code 39 full ASCII", u"Code 39f", PrintsFor::onlyOne},
    {"BarCODE93", "Code_93", Code_93, 0x6003000e, draw::BarCODE93, "code93", "Code 93", u"TEST93",
     PrintsFor::onlyOne},
    {"BarEAN13", "EAN_13", EAN_13, 0x6003000f, draw::BarEAN13, "ean13", "EAN-13", u"400638133393",
     PrintsFor::anyNonZero},
    {"BarEAN8", "EAN_8", EAN_8, 0x60030011, draw::BarEAN8, "ean8", "EAN-8", u"9638507",
     PrintsFor::anyNonZero},
    {"BarISBN", "ISBN", ISBN, 0x6003000b, draw::BarISBN, "isbn", "ISBN (EAN-13 Bookland)",
     u"030640615", PrintsFor::anyNonZero},
    {"BarMSI", "Code_MSI", Code_MSI, 0x6003000c, draw::BarMSI, "msi", "MSI", u"1234567",
     PrintsFor::onlyOne},
    {"BarPOSTNET", "PostNet", PostNet, 0x6003000d, draw::BarPOSTNET, "postnet", "POSTNET", u"12345",
     PrintsFor::onlyOne},
    {"BarUPCA", "UPC_A", UPC_A, 0x60030012, draw::BarUPCA, "upca", "UPC-A", u"03600029145",
     PrintsFor::anyNonZero},
    {"BarUPCAPlus", "UPC_A_Plus", UPC_A_Plus, 0x60030005, draw::BarUPCAPlus, "upcaplus",
     "UPC-A Plus (flat layout)", u"03600029145", PrintsFor::anyNonZero},
    {"BarUPCE", "UPC_E", UPC_E, 0x60030013, draw::BarUPCE, "upce", "UPC-E", u"123456",
     PrintsFor::anyNonZero},
}};

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

// The method with this name or alias (names compare case-insensitively).
std::optional<MethodInfo> findMethod(std::string_view nameOrAlias) noexcept;

} // namespace tallux

TALLUX_PUBLIC_END
