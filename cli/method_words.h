#pragma once

#include <array>
#include <optional>
#include <string_view>

#include "tallux/methods.h"

namespace tallux::cli {

// What the command adds to a drawing method: a shorter name to type, what
// the method draws in words, and a code that draws a complete symbol.
struct MethodWords {
    tBarcodeType type;
    std::string_view alias;
    std::string_view title;
    std::u16string_view sample;
};

// Indexed by tBarcodeType value.
inline constexpr std::array<MethodWords, drawingMethods.size()> methodWords{{
    {Codabar, "codabar", "Codabar", u"40156"},
    {Code_11, "code11", "Code 11", u"123-45"},
    {Code_128, "code128", "Code 128", u"BCode128"},
    {Code_25, "i25", "Interleaved 2 of 5", u"1234567890"},
    {Code_39, "code39", "Code 39", u"CODE39"},
    {Code_39F, "code39f", "Code 39 full ASCII", u"Code 39f"},
    {Code_93, "code93", "Code 93", u"TEST93"},
    {EAN_13, "ean13", "EAN-13", u"400638133393"},
    {EAN_8, "ean8", "EAN-8", u"9638507"},
    {ISBN, "isbn", "ISBN (EAN-13 Bookland)", u"030640615"},
    {Code_MSI, "msi", "MSI", u"1234567"},
    {PostNet, "postnet", "POSTNET", u"12345"},
    {UPC_A, "upca", "UPC-A", u"03600029145"},
    {UPC_A_Plus, "upcaplus", "UPC-A Plus (flat layout)", u"03600029145"},
    {UPC_E, "upce", "UPC-E", u"123456"},
}};
static_assert([] {
    for (std::size_t i = 0; i < methodWords.size(); ++i)
        if (methodWords[i].type != static_cast<tBarcodeType>(i)) return false;
    return true;
}());

constexpr const MethodWords& wordsFor(tBarcodeType type)
{
    return methodWords[static_cast<std::size_t>(type)];
}

// The method with this name or alias, compared case-insensitively.
std::optional<MethodInfo> findMethodOrAlias(std::string_view word) noexcept;

} // namespace tallux::cli
