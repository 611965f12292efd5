#include "method_words.h"

#include <algorithm>
#include <cctype>

namespace tallux::cli {

std::optional<MethodInfo> findMethodOrAlias(std::string_view word) noexcept
{
    if (const auto method = findMethod(word)) return method;
    const auto lower = [](char c) { return std::tolower(static_cast<unsigned char>(c)); };
    for (const MethodInfo& m : drawingMethods)
        if (std::ranges::equal(m.alias, word, {}, lower, lower)) return m;
    return std::nullopt;
}

} // namespace tallux::cli
