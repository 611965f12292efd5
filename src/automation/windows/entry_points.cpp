#include <atomic>

#include "automation/server.h"
#include "automation/windows/control.h"
#include "automation/windows/counted.h"
#include "automation/windows/registration.h"

namespace tallux::win {

namespace {

// The class factory of Tallux. A factory that a host holds keeps the DLL
// loaded like any other object.
class ClassFactory final : public IClassFactory {
public:
    ClassFactory() { server::objectCreated(); }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        if (object == nullptr) return com::status::badPointer;
        *object = nullptr;
        if (isNull(iid)) return com::status::invalidArg;
        if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IClassFactory))
            return com::status::noInterface;
        AddRef();
        *object = static_cast<IClassFactory*>(this);
        return com::status::ok;
    }
    TALLUX_COUNTED_REFERENCES(refs_)

    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** object) override
    {
        if (object == nullptr) return com::status::badPointer;
        *object = nullptr;
        if (isNull(iid)) return com::status::invalidArg;
        if (outer != nullptr) return com::status::noAggregation;
        _Tallux* control = makeControl();
        if (control == nullptr) return com::status::outOfMemory;
        const HRESULT hr = control->QueryInterface(iid, object);
        control->Release();
        return hr;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override
    {
        server::lock(lock != FALSE);
        return com::status::ok;
    }

private:
    ~ClassFactory() { server::objectDestroyed(); }

    std::atomic<ULONG> refs_{1};
};

} // namespace

HMODULE thisModule() noexcept
{
    HMODULE module = nullptr;
    ::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                             GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                         reinterpret_cast<LPCWSTR>(&thisModule), &module);
    return module;
}

std::wstring thisModulePath()
{
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n =
            ::GetModuleFileNameW(thisModule(), path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) return {};
        if (n < path.size()) {
            path.resize(n);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

} // namespace tallux::win

namespace com = tallux::com;

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, LPVOID* object)
{
    if (object == nullptr) return com::status::badPointer;
    *object = nullptr;
    if (tallux::win::isNull(clsid) || tallux::win::isNull(iid)) return com::status::invalidArg;
    if (tallux::win::guid(clsid) != tallux::typelib::CLSID_Tallux)
        return com::status::classNotAvailable;
    IClassFactory* factory = new (std::nothrow) tallux::win::ClassFactory;
    if (factory == nullptr) return com::status::outOfMemory;
    const HRESULT hr = factory->QueryInterface(iid, object);
    factory->Release();
    return hr;
}

STDAPI DllCanUnloadNow()
{
    return tallux::server::inUse() ? com::status::okFalse : com::status::ok;
}

STDAPI DllRegisterServer()
{
    return tallux::win::registerServer(tallux::win::Scope::machine);
}

STDAPI DllUnregisterServer()
{
    return tallux::win::unregisterServer(tallux::win::Scope::machine);
}

// regsvr32 /n /i:user registers for the current user alone, /u /n /i:user
// removes that registration; without a command line, machine-wide.
STDAPI DllInstall(BOOL install, PCWSTR command)
{
    using tallux::win::Scope;
    Scope where = Scope::machine;
    if (command != nullptr && *command != L'\0') {
        if (::lstrcmpiW(command, L"user") != 0) return com::status::invalidArg;
        where = Scope::user;
    }
    return install ? tallux::win::registerServer(where) : tallux::win::unregisterServer(where);
}
