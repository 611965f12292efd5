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
        if (object == nullptr) return com::E_POINTER;
        *object = nullptr;
        if (isNull(iid)) return com::E_INVALIDARG;
        if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IClassFactory))
            return com::E_NOINTERFACE;
        AddRef();
        *object = static_cast<IClassFactory*>(this);
        return com::S_OK;
    }
    TALLUX_COUNTED_REFERENCES(refs_)

    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** object) override
    {
        if (object == nullptr) return com::E_POINTER;
        *object = nullptr;
        if (isNull(iid)) return com::E_INVALIDARG;
        if (outer != nullptr) return com::CLASS_E_NOAGGREGATION;
        _Tallux* control = makeControl();
        if (control == nullptr) return com::E_OUTOFMEMORY;
        const HRESULT hr = control->QueryInterface(iid, object);
        control->Release();
        return hr;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override
    {
        server::lock(lock != FALSE);
        return com::S_OK;
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
    if (object == nullptr) return com::E_POINTER;
    *object = nullptr;
    if (tallux::win::isNull(clsid) || tallux::win::isNull(iid)) return com::E_INVALIDARG;
    if (tallux::win::guid(clsid) != tallux::typelib::CLSID_Tallux)
        return com::CLASS_E_CLASSNOTAVAILABLE;
    IClassFactory* factory = new (std::nothrow) tallux::win::ClassFactory;
    if (factory == nullptr) return com::E_OUTOFMEMORY;
    const HRESULT hr = factory->QueryInterface(iid, object);
    factory->Release();
    return hr;
}

STDAPI DllCanUnloadNow()
{
    return tallux::server::inUse() ? com::S_FALSE : com::S_OK;
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
        if (::lstrcmpiW(command, L"user") != 0) return com::E_INVALIDARG;
        where = Scope::user;
    }
    return install ? tallux::win::registerServer(where) : tallux::win::unregisterServer(where);
}
