#pragma once

#include <memory>
#include <span>
#include <stdexcept>
#include <string>

#include "tallux/com.h"
#include "tallux/export.h"
#include "tallux/registry.h"

// The host's side: loading an in-process server library and creating its
// objects from the registry.
TALLUX_PUBLIC_BEGIN

namespace tallux::loader {

// The library cannot be loaded, lacks an entry point, or the class cannot
// be created; the message says which.
struct LoadError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// One loaded server library and its four entry points. The destructor
// unloads it; call it only when canUnloadNow() says S_OK.
class ServerLibrary {
public:
    // A path with a "/" is opened as given, a bare name is searched as the
    // dynamic loader searches.
    explicit ServerLibrary(const std::string& path);
    ~ServerLibrary();
    ServerLibrary(const ServerLibrary&) = delete;
    ServerLibrary& operator=(const ServerLibrary&) = delete;

    const std::string& path() const noexcept { return path_; }

    com::HRESULT getClassObject(const com::GUID& clsid, const com::GUID& iid, void** object) const;
    com::HRESULT canUnloadNow() const;
    com::HRESULT registerServer() const;
    com::HRESULT unregisterServer() const;

private:
    using GetClassObject = com::HRESULT (*)(const com::GUID*, const com::GUID*, void**);
    using NoArguments = com::HRESULT (*)();

    std::string path_;
    void* handle_ = nullptr;
    GetClassObject getClassObject_ = nullptr;
    NoArguments canUnloadNow_ = nullptr, registerServer_ = nullptr, unregisterServer_ = nullptr;
};

// Creates objects of registered classes and keeps their libraries loaded
// while the libraries say they are in use.
class Loader {
public:
    explicit Loader(registry::Registry registry);
    // Unloads what can be unloaded; a library with live objects stays loaded.
    ~Loader();
    Loader(const Loader&) = delete;
    Loader& operator=(const Loader&) = delete;

    // A new instance of the class registered under a class id
    // ("{2F2C9C0F-...}") or a readable name ("TALLUXLIB.Tallux"), through
    // its library's class factory.
    com::ComPtr<com::IDispatch> create(std::string_view classIdOrName);

    // Asks every loaded library and unloads those that answer S_OK; returns
    // how many were unloaded.
    std::size_t freeUnusedLibraries();

    // The libraries loaded now, in the order they were loaded; valid until
    // the next create or freeUnusedLibraries.
    std::span<const std::unique_ptr<ServerLibrary>> libraries() const noexcept;

private:
    struct Loaded;
    ServerLibrary& load(const std::string& path);

    registry::Registry registry_;
    std::unique_ptr<Loaded> loaded_;
};

} // namespace tallux::loader

TALLUX_PUBLIC_END
