#include <atomic>
#include <dlfcn.h>
#include <filesystem>

#include "automation/object.h"
#include "automation/posix/registration.h"
#include "automation/server.h"
#include "tallux/automation.h"

namespace tallux {

namespace server {

namespace {
std::atomic<long> liveObjects{0};
std::atomic<long> locks{0};
} // namespace

void objectCreated() noexcept
{
    ++liveObjects;
}
void objectDestroyed() noexcept
{
    --liveObjects;
}
void lock(bool lock) noexcept
{
    lock ? ++locks : --locks;
}
bool inUse() noexcept
{
    return liveObjects > 0 || locks > 0;
}

} // namespace server

namespace {

using namespace com;

// The class factory of Tallux. A factory that a host holds keeps the
// library loaded like any other object.
class TalluxFactory final : public Object<IClassFactory> {
public:
    TalluxFactory() { server::objectCreated(); }

    HRESULT QueryInterface(const GUID& iid, void** object) override
    {
        if (object == nullptr) return E_POINTER;
        *object = nullptr;
        if (iid == IID_IUnknown || iid == IID_IClassFactory) return offer(object);
        return E_NOINTERFACE;
    }

    HRESULT CreateInstance(IUnknown* outer, const GUID& iid, void** object) override
    {
        if (object == nullptr) return E_POINTER;
        *object = nullptr;
        if (outer != nullptr) return CLASS_E_NOAGGREGATION;
        return guarded([&] { return makeTalluxObject()->QueryInterface(iid, object); });
    }

    HRESULT LockServer(bool lock) override
    {
        server::lock(lock);
        return S_OK;
    }

private:
    ~TalluxFactory() override { server::objectDestroyed(); }
};

// The path of the library that holds this code, made absolute without
// resolving links, so that a registration survives an update behind a link.
std::filesystem::path thisLibrary()
{
    Dl_info info{};
    if (::dladdr(reinterpret_cast<void*>(&DllRegisterServer), &info) == 0 ||
        info.dli_fname == nullptr)
        throw registry::RegistryError("cannot tell where the library is");
    return std::filesystem::absolute(info.dli_fname).lexically_normal();
}

} // namespace

} // namespace tallux

using namespace tallux::com;

extern "C" HRESULT DllGetClassObject(const GUID* clsid, const GUID* iid, void** object)
{
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (clsid == nullptr || iid == nullptr) return E_INVALIDARG;
    if (*clsid != tallux::typelib::CLSID_Tallux) return CLASS_E_CLASSNOTAVAILABLE;
    return guarded([&] {
        const auto factory = ComPtr<IClassFactory>::adopt(new tallux::TalluxFactory);
        return factory->QueryInterface(*iid, object);
    });
}

extern "C" HRESULT DllCanUnloadNow()
{
    return tallux::server::inUse() ? S_FALSE : S_OK;
}

extern "C" HRESULT DllRegisterServer()
{
    try {
        tallux::registration::registerServer(
            tallux::registry::Registry(tallux::registry::defaultFile()), tallux::thisLibrary());
        return S_OK;
    } catch (...) {
        return SELFREG_E_CLASS;
    }
}

extern "C" HRESULT DllUnregisterServer()
{
    try {
        tallux::registration::unregisterServer(
            tallux::registry::Registry(tallux::registry::defaultFile()));
        return S_OK;
    } catch (...) {
        return SELFREG_E_CLASS;
    }
}
