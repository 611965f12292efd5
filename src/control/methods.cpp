#include "tallux/methods.h"

#include <algorithm>
#include <cctype>

namespace tallux {

namespace {
bool equalsIgnoringCase(std::string_view a, std::string_view b) noexcept
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) ==
               std::tolower(static_cast<unsigned char>(y));
    });
}
} // namespace

std::optional<MethodInfo> findMethod(std::string_view name) noexcept
{
    for (const MethodInfo& m : drawingMethods)
        if (equalsIgnoringCase(m.name, name)) return m;
    return std::nullopt;
}

} // namespace tallux
