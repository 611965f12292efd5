#pragma once

#include <optional>
#include <string_view>

#include "tallux/methods.h"

namespace tallux::cli {

// The method with this name or alias, compared case-insensitively.
std::optional<MethodInfo> findMethodOrAlias(std::string_view word) noexcept;

} // namespace tallux::cli
