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
    if (object == nullptr) return status::badPointer;
    *object = nullptr;
    if (clsid == nullptr || iid == nullptr) return status::invalidArg;
    if (*clsid != tallux::typelib::CLSID_Tallux) return status::classNotAvailable;
    return guarded(
        [&] { return tallux::server::makeClassFactory()->QueryInterface(*iid, object); });
}

extern "C" HRESULT DllCanUnloadNow()
{
    return tallux::server::inUse() ? status::okFalse : status::ok;
}

extern "C" HRESULT DllRegisterServer()
{
    try {
        tallux::registration::registerServer(
            tallux::registry::Registry(tallux::registry::defaultFile()), thisLibrary());
        return status::ok;
    } catch (...) {
        return status::classRegFailed;
    }
}

extern "C" HRESULT DllUnregisterServer()
{
    try {
        tallux::registration::unregisterServer(
            tallux::registry::Registry(tallux::registry::defaultFile()));
        return status::ok;
    } catch (...) {
        return status::classRegFailed;
    }
}
