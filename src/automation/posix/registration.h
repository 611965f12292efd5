#pragma once

#include <filesystem>

#include "automation/registration.h"
#include "tallux/registry.h"

namespace tallux::registration {

// The entries that enter the class Tallux as a control served by `library`,
// with its type library and interfaces.
registry::Entries entries(const std::filesystem::path& library);

// Adds those entries (RegistryError for a library path that is not
// absolute), or removes exactly those keys.
void registerServer(const registry::Registry& r, const std::filesystem::path& library);
void unregisterServer(const registry::Registry& r);

} // namespace tallux::registration
