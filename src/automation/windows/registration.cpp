#include "automation/windows/registration.h"

#include <string>
#include <vector>

#include "automation/object.h"
#include "automation/registration.h"

namespace tallux::win {

namespace {

// One value of a key under HKLM\Software\Classes; an empty name is the
// key's default value.
struct Value {
    std::wstring key;
    std::wstring name;
    std::wstring data;
};

std::wstring wide(std::string_view s)
{
    return std::wstring(s.begin(), s.end());
}

// Parents before their subkeys, so that the keys are created in order.
std::vector<Value> classValues(const std::wstring& dll)
{
    const typelib::Library& lib = typelib::talluxLibrary();
    const std::wstring clsid = wide(com::toString(typelib::CLSID_Tallux));
    const std::wstring key = L"CLSID\\" + clsid;
    const std::wstring progId = wide(registration::progId);
    const std::wstring versioned = progId + L"." + std::to_wstring(lib.major);
    return {
        {key, L"", L"Tallux"},
        {key + L"\\InprocServer32", L"", dll},
        {key + L"\\InprocServer32", L"ThreadingModel", L"Apartment"},
        {key + L"\\ProgID", L"", versioned},
        {key + L"\\VersionIndependentProgID", L"", progId},
        {key + L"\\TypeLib", L"", wide(com::toString(lib.guid))},
        {key + L"\\Version", L"", std::to_wstring(lib.major) + L"." + std::to_wstring(lib.minor)},
        {key + L"\\Control", L"", L""},
        {key + L"\\Programmable", L"", L""},
        {key + L"\\MiscStatus", L"", std::to_wstring(registration::miscStatus)},
        {key + L"\\ToolboxBitmap32", L"",
         dll + L", " + std::to_wstring(registration::toolboxBitmap)},
        {versioned, L"", L"Tallux"},
        {versioned + L"\\CLSID", L"", clsid},
        {progId, L"", L"Tallux"},
        {progId + L"\\CLSID", L"", clsid},
        {progId + L"\\CurVer", L"", versioned},
    };
}

#ifdef _WIN64
constexpr SYSKIND thisSysKind = SYS_WIN64;
#else
constexpr SYSKIND thisSysKind = SYS_WIN32;
#endif

// HKLM\Software\Classes, where machine-wide classes live.
class Classes {
public:
    Classes() noexcept
    {
        status_ = ::RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Classes", 0,
                                  KEY_CREATE_SUB_KEY | KEY_SET_VALUE | DELETE, &root_);
    }
    ~Classes()
    {
        if (status_ == ERROR_SUCCESS) ::RegCloseKey(root_);
    }
    Classes(const Classes&) = delete;
    Classes& operator=(const Classes&) = delete;

    LSTATUS status() const noexcept { return status_; }

    // Sets one value; `created` learns whether the key is new.
    LSTATUS set(const Value& v, bool& created) const noexcept
    {
        HKEY key = nullptr;
        DWORD disposition = 0;
        LSTATUS s = ::RegCreateKeyExW(root_, v.key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                                      &key, &disposition);
        if (s != ERROR_SUCCESS) return s;
        created = disposition == REG_CREATED_NEW_KEY;
        const auto bytes = static_cast<DWORD>((v.data.size() + 1) * sizeof(wchar_t));
        s = ::RegSetValueExW(key, v.name.empty() ? nullptr : v.name.c_str(), 0, REG_SZ,
                             reinterpret_cast<const BYTE*>(v.data.c_str()), bytes);
        ::RegCloseKey(key);
        return s;
    }

    // Deletes a key without subkeys; one that is not there is no failure.
    LSTATUS remove(const std::wstring& key) const noexcept
    {
        const LSTATUS s = ::RegDeleteKeyW(root_, key.c_str());
        return s == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : s;
    }

private:
    HKEY root_ = nullptr;
    LSTATUS status_;
};

// Whether the other architecture's view of the registry (32-bit beside
// 64-bit) has the class too. The views keep their own CLSID keys but share
// the ProgID keys, which stay while either registration needs them.
bool registeredInOtherView(const std::wstring& clsidKey) noexcept
{
#ifdef _WIN64
    const REGSAM other = KEY_WOW64_32KEY;
#else
    BOOL wow64 = FALSE;
    if (!::IsWow64Process(::GetCurrentProcess(), &wow64) || !wow64) return false;
    const REGSAM other = KEY_WOW64_64KEY;
#endif
    const std::wstring path = L"Software\\Classes\\" + clsidKey + L"\\InprocServer32";
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_QUERY_VALUE | other, &key) !=
        ERROR_SUCCESS)
        return false;
    ::RegCloseKey(key);
    return true;
}

com::HRESULT registerTypeLibrary(const std::wstring& dll) noexcept
{
    ITypeLib* library = nullptr;
    com::HRESULT hr = ::LoadTypeLibEx(dll.c_str(), REGKIND_NONE, &library);
    if (com::FAILED(hr)) return hr;
    std::wstring folder = dll.substr(0, dll.find_last_of(L'\\'));
    std::wstring path = dll;
    hr = ::RegisterTypeLib(library, path.data(), folder.data());
    library->Release();
    return hr;
}

} // namespace

com::HRESULT registerServer() noexcept
{
    return com::guarded([]() -> com::HRESULT {
        const std::wstring dll = thisModulePath();
        if (dll.empty()) return HRESULT_FROM_WIN32(::GetLastError());
        const Classes classes;
        if (classes.status() != ERROR_SUCCESS) return HRESULT_FROM_WIN32(classes.status());

        std::vector<std::wstring> created;
        const auto takeBack = [&] {
            for (auto k = created.rbegin(); k != created.rend(); ++k) classes.remove(*k);
        };
        for (const Value& v : classValues(dll)) {
            bool isNew = false;
            const LSTATUS s = classes.set(v, isNew);
            if (isNew) created.push_back(v.key);
            if (s != ERROR_SUCCESS) {
                takeBack();
                return HRESULT_FROM_WIN32(s);
            }
        }
        if (const com::HRESULT hr = registerTypeLibrary(dll); com::FAILED(hr)) {
            takeBack();
            const typelib::Library& lib = typelib::talluxLibrary();
            ::UnRegisterTypeLib(guid(lib.guid), lib.major, lib.minor, lib.lcid, thisSysKind);
            return hr;
        }
        return com::S_OK;
    });
}

com::HRESULT unregisterServer() noexcept
{
    return com::guarded([]() -> com::HRESULT {
        const typelib::Library& lib = typelib::talluxLibrary();
        const com::HRESULT typeLib =
            ::UnRegisterTypeLib(guid(lib.guid), lib.major, lib.minor, lib.lcid, thisSysKind);
        const Classes classes;
        if (classes.status() != ERROR_SUCCESS) return HRESULT_FROM_WIN32(classes.status());
        const std::vector<Value> values = classValues(L"");
        const std::wstring clsidKey = values.front().key;
        const bool keepShared = registeredInOtherView(clsidKey);
        LSTATUS failed = ERROR_SUCCESS;
        for (auto v = values.rbegin(); v != values.rend(); ++v) {
            if (keepShared && !v->key.starts_with(clsidKey)) continue;
            if (const LSTATUS s = classes.remove(v->key);
                s != ERROR_SUCCESS && failed == ERROR_SUCCESS)
                failed = s;
        }
        if (failed != ERROR_SUCCESS) return HRESULT_FROM_WIN32(failed);
        // A library that was not registered is no failure.
        return typeLib == TYPE_E_REGISTRYACCESS || typeLib == TYPE_E_LIBNOTREGISTERED ? com::S_OK
                                                                                      : typeLib;
    });
}

} // namespace tallux::win
