#include <dlfcn.h>
#include <filesystem>

#include "automation/object.h"
#include "automation/posix/registration.h"
#include "automation/server.h"
#include "tallux/automation.h"

namespace {

// The path of the library that holds this code, made absolute without
// resolving links, so that a registration survives an update behind a link.
std::filesystem::path thisLibrary()
{
    Dl_info info{};
    if (::dladdr(reinterpret_cast<void*>(&DllRegisterServer), &info) == 0 ||
        info.dli_fname == nullptr)
        throw tallux::registry::RegistryError("cannot tell where the library is");
    return std::filesystem::absolute(info.dli_fname).lexically_normal();
}

} // namespace

using namespace tallux::com;

extern "C" HRESULT DllGetClassObject(const GUID* clsid, const GUID* iid, void** object)
{
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (clsid == nullptr || iid == nullptr) return E_INVALIDARG;
    if (*clsid != tallux::typelib::CLSID_Tallux) return CLASS_E_CLASSNOTAVAILABLE;
    return guarded(
        [&] { return tallux::server::makeClassFactory()->QueryInterface(*iid, object); });
}

extern "C" HRESULT DllCanUnloadNow()
{
    return tallux::server::inUse() ? S_FALSE : S_OK;
}

extern "C" HRESULT DllRegisterServer()
{
    try {
        tallux::registration::registerServer(
            tallux::registry::Registry(tallux::registry::defaultFile()), thisLibrary());
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
