#include "tallux/com.h"

#include <cstdio>

#include "runtime/text.h"

namespace tallux::com {

std::string statusText(HRESULT hr)
{
    struct Name {
        HRESULT hr;
        const char* name;
    };
    static constexpr Name names[] = {
        {status::ok, "S_OK"},
        {status::okFalse, "S_FALSE"},
        {status::unexpected, "E_UNEXPECTED"},
        {status::noInterface, "E_NOINTERFACE"},
        {status::badPointer, "E_POINTER"},
        {status::fail, "E_FAIL"},
        {status::outOfMemory, "E_OUTOFMEMORY"},
        {status::invalidArg, "E_INVALIDARG"},
        {status::noAggregation, "CLASS_E_NOAGGREGATION"},
        {status::classNotAvailable, "CLASS_E_CLASSNOTAVAILABLE"},
        {status::typelibRegFailed, "SELFREG_E_TYPELIB"},
        {status::classRegFailed, "SELFREG_E_CLASS"},
        {status::unknownInterface, "DISP_E_UNKNOWNINTERFACE"},
        {status::memberNotFound, "DISP_E_MEMBERNOTFOUND"},
        {status::paramNotFound, "DISP_E_PARAMNOTFOUND"},
        {status::typeMismatch, "DISP_E_TYPEMISMATCH"},
        {status::unknownName, "DISP_E_UNKNOWNNAME"},
        {status::badVarType, "DISP_E_BADVARTYPE"},
        {status::exception, "DISP_E_EXCEPTION"},
        {status::overflow, "DISP_E_OVERFLOW"},
        {status::paramNotOptional, "DISP_E_PARAMNOTOPTIONAL"},
        {status::badParamCount, "DISP_E_BADPARAMCOUNT"},
    };
    for (const Name& n : names)
        if (n.hr == hr) return n.name;
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%08X", static_cast<unsigned>(hr));
    return buf;
}

std::string toString(const GUID& g)
{
    char buf[40];
    std::snprintf(buf, sizeof buf, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", g.Data1,
                  g.Data2, g.Data3, g.Data4[0], g.Data4[1], g.Data4[2], g.Data4[3], g.Data4[4],
                  g.Data4[5], g.Data4[6], g.Data4[7]);
    return buf;
}

std::optional<GUID> parseGuid(std::string_view text) noexcept
{
    // {8-4-4-4-12}: 38 characters with the hyphens at fixed places.
    if (text.size() != 38 || text.front() != '{' || text.back() != '}') return std::nullopt;
    std::array<std::uint8_t, 16> bytes{};
    std::size_t n = 0;
    for (std::size_t i = 1; i < 37;) {
        if (i == 9 || i == 14 || i == 19 || i == 24) {
            if (text[i++] != '-') return std::nullopt;
            continue;
        }
        const auto hex = [](char c) -> int {
            if (c >= '0' && c <= '9') return c - '0';
            if (c >= 'a' && c <= 'f') return c - 'a' + 10;
            if (c >= 'A' && c <= 'F') return c - 'A' + 10;
            return -1;
        };
        const int hi = hex(text[i]), lo = hex(text[i + 1]);
        if (hi < 0 || lo < 0) return std::nullopt;
        bytes[n++] = static_cast<std::uint8_t>(hi * 16 + lo);
        i += 2;
    }
    GUID g;
    g.Data1 =
        static_cast<std::uint32_t>(bytes[0] << 24 | bytes[1] << 16 | bytes[2] << 8 | bytes[3]);
    g.Data2 = static_cast<std::uint16_t>(bytes[4] << 8 | bytes[5]);
    g.Data3 = static_cast<std::uint16_t>(bytes[6] << 8 | bytes[7]);
    for (std::size_t i = 0; i < 8; ++i) g.Data4[i] = bytes[8 + i];
    return g;
}

std::int32_t errorNumber(HRESULT hr, const ExcepInfo* excep) noexcept
{
    if (succeeded(hr)) return 0;
    if (hr == status::exception && excep != nullptr) {
        if (excep->wCode != 0) return excep->wCode;
        const auto bits = static_cast<std::uint32_t>(excep->scode);
        if ((bits & 0xFFFF0000u) == FACILITY_CONTROL_ERROR)
            return static_cast<std::int32_t>(bits & 0xFFFF);
        // A script's own error may come as the system's status.
        return excep->scode == status::exception ? excep->scode
                                                 : errorNumber(excep->scode, nullptr);
    }
    if (hr == status::divideByZero) return err::DivisionByZero;
    if (hr == status::outOfMemory) return err::OutOfMemory;
    if (hr == status::invalidArg) return err::InvalidCall;
    if (hr == status::memberNotFound || hr == status::unknownName) return err::NotSupported;
    if (hr == status::typeMismatch) return err::TypeMismatch;
    if (hr == status::overflow) return err::Overflow;
    if (hr == status::badParamCount) return 450;    // wrong number of arguments
    if (hr == status::paramNotOptional) return 449; // argument not optional
    if (hr == status::paramNotFound) return 448;    // named argument not found
    if (hr == status::badVarType) return 458;       // a type the runtime does not support
    if (hr == status::noInterface) return 430;      // no such interface
    return hr;
}

void fillExcepInfo(ExcepInfo* excep, std::int32_t number, std::string_view description,
                   std::u16string_view source)
{
    if (excep == nullptr) return;
    *excep = ExcepInfo{};
    excep->scode =
        number > 0 && number <= 0xFFFF
            ? static_cast<HRESULT>(FACILITY_CONTROL_ERROR | static_cast<std::uint32_t>(number))
            : number;
    excep->description = fromUtf8(description);
    excep->source = String(source);
}

} // namespace tallux::com
