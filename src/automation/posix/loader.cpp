#include "tallux/loader.h"

#include <dlfcn.h>
#include <vector>

#include "tallux/variant.h"

namespace tallux::loader {

using namespace com;

ServerLibrary::ServerLibrary(const std::string& path)
    : path_(path)
{
    handle_ = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle_ == nullptr) {
        const char* why = ::dlerror();
        throw LoadError("cannot load '" + path + "': " + (why ? why : "unknown reason"));
    }
    const auto entry = [&](const char* name) {
        void* p = ::dlsym(handle_, name);
        if (p == nullptr) {
            ::dlclose(handle_);
            throw LoadError("'" + path + "' has no entry point " + name);
        }
        return p;
    };
    getClassObject_ = reinterpret_cast<GetClassObject>(entry("DllGetClassObject"));
    canUnloadNow_ = reinterpret_cast<NoArguments>(entry("DllCanUnloadNow"));
    registerServer_ = reinterpret_cast<NoArguments>(entry("DllRegisterServer"));
    unregisterServer_ = reinterpret_cast<NoArguments>(entry("DllUnregisterServer"));
}

ServerLibrary::~ServerLibrary()
{
    ::dlclose(handle_);
}

HRESULT ServerLibrary::getClassObject(const GUID& clsid, const GUID& iid, void** object) const
{
    return getClassObject_(&clsid, &iid, object);
}
HRESULT ServerLibrary::canUnloadNow() const
{
    return canUnloadNow_();
}
HRESULT ServerLibrary::registerServer() const
{
    return registerServer_();
}
HRESULT ServerLibrary::unregisterServer() const
{
    return unregisterServer_();
}

struct Loader::Loaded {
    std::vector<std::unique_ptr<ServerLibrary>> libraries;
};

Loader::Loader(registry::Registry registry)
    : registry_(std::move(registry))
    , loaded_(std::make_unique<Loaded>())
{
}

Loader::~Loader()
{
    freeUnusedLibraries();
    // What is still in use stays mapped: unloading it would pull the code
    // from under live objects.
    for (auto& library : loaded_->libraries) (void)library.release();
}

std::span<const std::unique_ptr<ServerLibrary>> Loader::libraries() const noexcept
{
    return loaded_->libraries;
}

ServerLibrary& Loader::load(const std::string& path)
{
    // Registration enters absolute paths only; any other would be searched
    // for, or opened from the folder the host runs in.
    if (!path.starts_with('/'))
        throw LoadError("cannot load '" + path + "': the registry names no absolute path");
    for (auto& library : loaded_->libraries)
        if (library->path() == path) return *library;
    loaded_->libraries.push_back(std::make_unique<ServerLibrary>(path));
    return *loaded_->libraries.back();
}

ComPtr<IDispatch> Loader::create(std::string_view classIdOrName)
{
    const registry::Entries entries = registry_.read();
    const auto value = [&](const std::string& key) -> std::optional<std::string> {
        const registry::Entry* entry = entries.find(key);
        if (entry == nullptr) return std::nullopt;
        return entry->value;
    };

    std::optional<GUID> clsid = parseGuid(classIdOrName);
    if (!clsid) {
        const auto text = value(std::string(classIdOrName) + "\\CLSID");
        if (!text)
            throw LoadError("no class is registered as '" + std::string(classIdOrName) + "'");
        clsid = parseGuid(*text);
        if (!clsid)
            throw LoadError("the class id of '" + std::string(classIdOrName) +
                            "' is not valid: " + *text);
    }
    const auto path = value("CLSID\\" + toString(*clsid) + "\\InprocServer32");
    if (!path) throw LoadError("the class " + toString(*clsid) + " has no registered library");

    ServerLibrary& library = load(*path);
    ComPtr<IClassFactory> factory;
    HRESULT hr = library.getClassObject(*clsid, IID_IClassFactory, factory.out());
    if (failed(hr))
        throw LoadError("'" + *path + "' serves no class " + toString(*clsid) + ": " +
                        statusText(hr));
    ComPtr<IDispatch> object;
    hr = factory->CreateInstance(nullptr, IID_IDispatch, object.out());
    if (failed(hr)) throw LoadError("cannot create " + toString(*clsid) + ": " + statusText(hr));
    return object;
}

std::size_t Loader::freeUnusedLibraries()
{
    return std::erase_if(loaded_->libraries, [](const std::unique_ptr<ServerLibrary>& library) {
        return library->canUnloadNow() == status::ok;
    });
}

} // namespace tallux::loader
