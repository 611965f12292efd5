#include "method_words.h"

#include <algorithm>
#include <cctype>

namespace tallux::cli {

std::optional<MethodInfo> findMethodOrAlias(std::string_view word) noexcept
{
    if (const auto method = findMethod(word)) return method;
    const auto lower = [](char c) { return std::tolower(static_cast<unsigned char>(c)); };
    for (const MethodWords& w : methodWords)
        if (std::ranges::equal(w.alias, word, {}, lower, lower))
            return drawingMethods[static_cast<std::size_t>(w.type)];
    return std::nullopt;
}

} // namespace tallux::cli
