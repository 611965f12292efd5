#pragma once

#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "tallux/export.h"

// A small per-user registry of our own: keys are paths of names separated by
// "\" (compared case-insensitively), each with one text value. It lives in
// one file, replaced whole on every change, so a crash mid-write leaves
// either the old or the new contents.
TALLUX_PUBLIC_BEGIN

namespace tallux::registry {

// The file cannot be read, is not a registry file, or cannot be written.
struct RegistryError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct KeyLess {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const noexcept;
};
using Entries = std::map<std::string, std::string, KeyLess>;

// $TALLUX_REGISTRY, else $XDG_DATA_HOME/tallux/registry, else
// $HOME/.local/share/tallux/registry. RegistryError when none is set.
std::filesystem::path defaultFile();

// The file's text for these entries, and back. parse raises RegistryError
// naming the line for anything that is not a registry file.
std::string format(const Entries& entries);
Entries parse(std::string_view text, const std::string& fileName);

// A key is one or more non-empty names without control characters.
bool validKey(std::string_view key) noexcept;

class Registry {
public:
    explicit Registry(std::filesystem::path file)
        : file_(std::move(file))
    {
    }

    const std::filesystem::path& file() const noexcept { return file_; }

    // All entries; a file that does not exist is an empty registry.
    Entries read() const;
    std::optional<std::string> value(std::string_view key) const;

    // Reads, applies the change and, when anything changed, replaces the file
    // atomically, holding a lock beside it so that two writers never lose
    // each other's entries. A corrupt file is never overwritten.
    void update(const std::function<void(Entries&)>& change) const;

private:
    std::filesystem::path file_;
};

} // namespace tallux::registry

TALLUX_PUBLIC_END
