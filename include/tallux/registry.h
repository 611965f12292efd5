#pragma once

#include <algorithm>
#include <concepts>
#include <cstddef>
#include <filesystem>
#include <initializer_list>
#include <memory>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <type_traits>

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

// One key and its value.
struct Entry {
    std::string key;
    std::string value;
    friend bool operator==(const Entry&, const Entry&) = default;
};

// A registry's entries, sorted by key with KeyLess: keys that differ only in
// case name the same entry. A moved-from Entries is empty.
class Entries {
public:
    Entries() noexcept;
    Entries(std::initializer_list<Entry> entries)
        : Entries()
    {
        for (const Entry& e : entries) set(e.key, e.value);
    }
    Entries(const Entries& other);
    Entries(Entries&& other) noexcept;
    Entries& operator=(const Entries& other);
    Entries& operator=(Entries&& other) noexcept;
    ~Entries();

    // All entries in order; valid until the entries change.
    std::span<const Entry> all() const noexcept;
    auto begin() const noexcept { return all().begin(); }
    auto end() const noexcept { return all().end(); }
    std::size_t size() const noexcept { return all().size(); }
    bool empty() const noexcept { return all().empty(); }

    // The entry under key, or null; valid until the entries change.
    const Entry* find(std::string_view key) const noexcept;
    bool contains(std::string_view key) const noexcept { return find(key) != nullptr; }
    // Adds the entry, or gives the one already under key (in whatever case it
    // was written) this value.
    void set(std::string_view key, std::string value);
    // Removes the entry under key; false when there is none.
    bool erase(std::string_view key) noexcept;

    friend bool operator==(const Entries& a, const Entries& b) noexcept
    {
        return std::equal(a.begin(), a.end(), b.begin(), b.end());
    }

private:
    struct Sorted;
    std::unique_ptr<Sorted> sorted_;
};

// $TALLUX_REGISTRY, else $XDG_DATA_HOME/tallux/registry, else
// $HOME/.local/share/tallux/registry; XDG_DATA_HOME and HOME count only when
// they are absolute paths. RegistryError when there is no place.
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

    // Reads, applies change(entries, context) and, when anything changed,
    // replaces the file atomically, holding a lock beside it so that two
    // writers never lose each other's entries. A corrupt file is never
    // overwritten, nor is anything written when the change throws.
    void update(void (*change)(Entries& entries, void* context), void* context) const;
    // The same with any callable taking Entries&, such as a lambda.
    template <class Change>
    requires std::invocable<Change&, Entries&>
    void update(Change&& change) const
    {
        using F = std::remove_reference_t<Change>;
        update([](Entries& entries, void* f) { (*static_cast<F*>(f))(entries); },
               const_cast<void*>(static_cast<const void*>(std::addressof(change))));
    }

private:
    std::filesystem::path file_;
};

} // namespace tallux::registry

TALLUX_PUBLIC_END
