#include "lengths.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>

namespace tallux::cli {

namespace {

struct UnitName {
    std::string_view suffix;
    LengthUnit unit;
    double perInch; // 0: pixels, per the resolution
};

constexpr std::array<UnitName, 5> unitNames{{
    {"mm", LengthUnit::Millimetres, 25.4},
    {"px", LengthUnit::Pixels, 0},
    {"pt", LengthUnit::Points, 72},
    {"tw", LengthUnit::Twips, 1440},
    {"in", LengthUnit::Inches, 1},
}};

double perInch(LengthUnit unit, double dpi) noexcept
{
    for (const UnitName& u : unitNames)
        if (u.unit == unit) return u.perInch > 0 ? u.perInch : dpi;
    return 0;
}

} // namespace

std::optional<Length> lengthWithUnit(std::string_view text)
{
    for (const UnitName& u : unitNames) {
        if (!text.ends_with(u.suffix)) continue;
        const std::string_view number = text.substr(0, text.size() - u.suffix.size());
        double v = 0;
        const char* end = number.data() + number.size();
        const auto [p, ec] = std::from_chars(number.data(), end, v);
        if (number.empty() || ec != std::errc() || p != end || !std::isfinite(v))
            return std::nullopt;
        return Length{v, u.unit};
    }
    return std::nullopt;
}

double unitsPerInch(ScaleUnits units, double dpi) noexcept
{
    switch (units) {
    case ScaleUnits::Twips: return 1440;
    case ScaleUnits::Points: return 72;
    case ScaleUnits::Millimetres: return 25.4;
    case ScaleUnits::Pixels: break;
    }
    return dpi;
}

std::string_view unitName(ScaleUnits units) noexcept
{
    switch (units) {
    case ScaleUnits::Twips: return "twips";
    case ScaleUnits::Points: return "pt";
    case ScaleUnits::Pixels: return "px";
    case ScaleUnits::Millimetres: return "mm";
    }
    return "";
}

std::string shortNumber(double value, int digits)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.*g", digits, value);
    return buf;
}

double inUnits(Length length, ScaleUnits units, double dpi) noexcept
{
    if (length.unit == LengthUnit::Scale) return length.value;
    return length.value / perInch(length.unit, dpi) * unitsPerInch(units, dpi);
}

} // namespace tallux::cli
