#include "automation/windows/registration.h"

#include <array>
#include <string>
#include <vector>

#include "automation/object.h"
#include "automation/registration.h"

namespace tallux::win {

namespace {

// One value of a key under Software\Classes; an empty name is the key's
// default value.
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
constexpr const wchar_t* thisPlatform = L"win64";
#else
constexpr const wchar_t* thisPlatform = L"win32";
#endif

// The two views of the registry on a 64-bit system. The system registers a
// type library and its interfaces in both, for the marshaling of either
// architecture; a 32-bit system ignores the flags and has one view.
constexpr std::array<REGSAM, 2> views{KEY_WOW64_64KEY, KEY_WOW64_32KEY};

// Where the classes of a scope live: HKLM\Software\Classes (machine-wide)
// or HKCU\Software\Classes (this user only).
struct Keys {
    HKEY root;
    std::wstring path(const std::wstring& key) const { return L"Software\\Classes\\" + key; }
    bool exists(const std::wstring& key, REGSAM view = 0) const noexcept
    {
        HKEY k = nullptr;
        if (::RegOpenKeyExW(root, path(key).c_str(), 0, KEY_QUERY_VALUE | view, &k) !=
            ERROR_SUCCESS)
            return false;
        ::RegCloseKey(k);
        return true;
    }
    // Whether the key is there with neither subkeys nor values.
    bool empty(const std::wstring& key, REGSAM view) const noexcept
    {
        HKEY k = nullptr;
        if (::RegOpenKeyExW(root, path(key).c_str(), 0, KEY_QUERY_VALUE | view, &k) !=
            ERROR_SUCCESS)
            return false;
        DWORD subkeys = 1;
        DWORD values = 1;
        ::RegQueryInfoKeyW(k, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values,
                           nullptr, nullptr, nullptr, nullptr);
        ::RegCloseKey(k);
        return subkeys == 0 && values == 0;
    }
    // Whether the key has subkeys other than those named.
    bool hasSubkeysBut(const std::wstring& key, REGSAM view,
                       std::initializer_list<std::wstring_view> ignored) const noexcept
    {
        HKEY k = nullptr;
        if (::RegOpenKeyExW(root, path(key).c_str(), 0, KEY_ENUMERATE_SUB_KEYS | view, &k) !=
            ERROR_SUCCESS)
            return false;
        bool found = false;
        wchar_t name[256];
        for (DWORD i = 0; !found; ++i) {
            DWORD length = 256;
            if (::RegEnumKeyExW(k, i, name, &length, nullptr, nullptr, nullptr, nullptr) !=
                ERROR_SUCCESS)
                break;
            found = true;
            for (std::wstring_view skip : ignored)
                if (::lstrcmpiW(name, std::wstring(skip).c_str()) == 0) found = false;
        }
        ::RegCloseKey(k);
        return found;
    }
    LSTATUS setValue(const std::wstring& key, REGSAM view, const std::wstring& data,
                     const wchar_t* name = nullptr) const noexcept
    {
        HKEY k = nullptr;
        LSTATUS s = ::RegCreateKeyExW(root, path(key).c_str(), 0, nullptr, 0, KEY_SET_VALUE | view,
                                      nullptr, &k, nullptr);
        if (s != ERROR_SUCCESS) return s;
        const auto bytes = static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t));
        s = ::RegSetValueExW(k, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                             bytes);
        ::RegCloseKey(k);
        return s;
    }
    // Deletes a key with everything under it; one that is not there is no failure.
    LSTATUS removeTree(const std::wstring& key, REGSAM view) const noexcept
    {
        HKEY k = nullptr;
        LSTATUS s = ::RegOpenKeyExW(root, path(key).c_str(), 0, KEY_ALL_ACCESS | view, &k);
        if (s == ERROR_FILE_NOT_FOUND) return ERROR_SUCCESS;
        if (s != ERROR_SUCCESS) return s;
        s = ::RegDeleteTreeW(k, nullptr);
        ::RegCloseKey(k);
        if (s == ERROR_SUCCESS) s = ::RegDeleteKeyExW(root, path(key).c_str(), view, 0);
        return s == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : s;
    }
};

// The class and ProgID keys under Software\Classes of a scope.
class Classes {
public:
    explicit Classes(HKEY root) noexcept
    {
        status_ = ::RegCreateKeyExW(root, L"Software\\Classes", 0, nullptr, 0,
                                    KEY_CREATE_SUB_KEY | KEY_SET_VALUE | DELETE, nullptr, &root_,
                                    nullptr);
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
bool registeredInOtherView(const Keys& scope, const std::wstring& clsidKey) noexcept
{
#ifdef _WIN64
    const REGSAM other = KEY_WOW64_32KEY;
#else
    BOOL wow64 = FALSE;
    if (!::IsWow64Process(::GetCurrentProcess(), &wow64) || !wow64) return false;
    const REGSAM other = KEY_WOW64_64KEY;
#endif
    return scope.exists(clsidKey + L"\\InprocServer32", other);
}

// The type library's keys: TypeLib\{libid}\major.minor, with one subkey per
// locale and platform, and the Interface keys of its interfaces.
struct TypeLibKeys {
    std::wstring version;
    std::array<std::wstring, 2> interfaces;
    // The locale of the library, and the neutral locale under which the
    // standard marshaler looks a library up.
    std::array<std::wstring, 2> locales;

    TypeLibKeys()
    {
        const typelib::Library& lib = typelib::talluxLibrary();
        version = L"TypeLib\\" + wide(com::toString(lib.guid)) + L"\\" +
                  std::to_wstring(lib.major) + L"." + std::to_wstring(lib.minor);
        interfaces = {L"Interface\\" + wide(com::toString(typelib::IID__Tallux)),
                      L"Interface\\" + wide(com::toString(typelib::DIID___Tallux))};
        wchar_t hex[16];
        ::wsprintfW(hex, L"%x", static_cast<unsigned>(lib.lcid));
        locales = {hex, L"0"};
    }
    std::wstring platform(const std::wstring& locale, const wchar_t* which) const
    {
        return version + L"\\" + locale + L"\\" + which;
    }
};

// Also enters the library under the neutral locale, in every view where the
// system entered it under its own.
com::HRESULT addNeutralLocale(const Keys& scope, const std::wstring& dll) noexcept
{
    const TypeLibKeys keys;
    for (REGSAM view : views) {
        if (!scope.exists(keys.platform(keys.locales[0], thisPlatform), view)) continue;
        if (const LSTATUS s =
                scope.setValue(keys.platform(keys.locales[1], thisPlatform), view, dll);
            s != ERROR_SUCCESS)
            return HRESULT_FROM_WIN32(s);
    }
    return com::status::ok;
}

// Removes this architecture's entries of the type library, in both views.
// The library's own keys and the interface keys stay while the other
// architecture's entries remain in that view, for it still uses them.
com::HRESULT removeTypeLibrary(const Keys& scope) noexcept
{
    const TypeLibKeys keys;
    LSTATUS failed = ERROR_SUCCESS;
    const auto note = [&](LSTATUS s) {
        if (s != ERROR_SUCCESS && failed == ERROR_SUCCESS) failed = s;
    };
    for (REGSAM view : views) {
        for (const std::wstring& locale : keys.locales) {
            note(scope.removeTree(keys.platform(locale, thisPlatform), view));
            const std::wstring localeKey = keys.version + L"\\" + locale;
            if (!scope.hasSubkeysBut(localeKey, view, {})) note(scope.removeTree(localeKey, view));
        }
        if (scope.hasSubkeysBut(keys.version, view, {L"FLAGS", L"HELPDIR"})) continue;
        note(scope.removeTree(keys.version, view));
        const std::wstring library = keys.version.substr(0, keys.version.find_last_of(L'\\'));
        if (!scope.hasSubkeysBut(library, view, {})) note(scope.removeTree(library, view));
        for (const std::wstring& key : keys.interfaces) note(scope.removeTree(key, view));
    }
    return failed == ERROR_SUCCESS ? com::status::ok : HRESULT_FROM_WIN32(failed);
}

// The keys that the system's RegisterTypeLibForUser writes, written here:
// Wine's registers machine-wide. In both views, as the system does.
com::HRESULT enterTypeLibraryForUser(const Keys& scope, const std::wstring& dll, WORD flags)
{
    const typelib::Library& lib = typelib::talluxLibrary();
    const TypeLibKeys keys;
    const std::wstring libid = wide(com::toString(lib.guid));
    const std::wstring version = std::to_wstring(lib.major) + L"." + std::to_wstring(lib.minor);
    // Dual interfaces go through the automation marshaler, dispinterfaces
    // through the dispatch one.
    const std::array<std::array<std::wstring, 2>, 2> interfaces{
        {{L"_Tallux", L"{00020424-0000-0000-C000-000000000046}"},
         {L"__Tallux", L"{00020420-0000-0000-C000-000000000046}"}}};
    for (REGSAM view : views) {
        LSTATUS s = scope.setValue(keys.version, view,
                                   wide(lib.helpString.empty() ? lib.name : lib.helpString));
        if (s == ERROR_SUCCESS)
            s = scope.setValue(keys.version + L"\\FLAGS", view, std::to_wstring(flags));
        for (const std::wstring& locale : keys.locales)
            if (s == ERROR_SUCCESS)
                s = scope.setValue(keys.platform(locale, thisPlatform), view, dll);
        for (std::size_t i = 0; i < interfaces.size() && s == ERROR_SUCCESS; ++i) {
            const std::wstring& key = keys.interfaces[i];
            s = scope.setValue(key, view, interfaces[i][0]);
            if (s == ERROR_SUCCESS)
                s = scope.setValue(key + L"\\ProxyStubClsid", view, interfaces[i][1]);
            if (s == ERROR_SUCCESS)
                s = scope.setValue(key + L"\\ProxyStubClsid32", view, interfaces[i][1]);
            if (s == ERROR_SUCCESS) s = scope.setValue(key + L"\\TypeLib", view, libid);
            if (s == ERROR_SUCCESS)
                s = scope.setValue(key + L"\\TypeLib", view, version, L"Version");
        }
        if (s != ERROR_SUCCESS) return HRESULT_FROM_WIN32(s);
    }
    return com::status::ok;
}

// The type library from the DLL's resource, entered in the scope's registry.
com::HRESULT registerTypeLibrary(const Keys& scope, Scope where, const std::wstring& dll) noexcept
{
    ITypeLib* library = nullptr;
    com::HRESULT hr = ::LoadTypeLibEx(dll.c_str(), REGKIND_NONE, &library);
    if (com::failed(hr)) return hr;
    if (where == Scope::user) {
        TLIBATTR* attr = nullptr;
        hr = library->GetLibAttr(&attr);
        if (com::succeeded(hr)) {
            const WORD flags = attr->wLibFlags;
            library->ReleaseTLibAttr(attr);
            hr = com::guarded([&] { return enterTypeLibraryForUser(scope, dll, flags); });
        }
    } else {
        // No help folder: the library has no help file, and one folder
        // entered by either architecture would be left behind by the other.
        std::wstring path = dll;
        hr = ::RegisterTypeLib(library, path.data(), nullptr);
        if (com::succeeded(hr)) hr = addNeutralLocale(scope, dll);
    }
    library->Release();
    return hr;
}

HKEY rootOf(Scope where) noexcept
{
    return where == Scope::user ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
}

} // namespace

com::HRESULT registerServer(Scope where) noexcept
{
    return com::guarded([where]() -> com::HRESULT {
        const std::wstring dll = thisModulePath();
        if (dll.empty()) return HRESULT_FROM_WIN32(::GetLastError());
        const Keys scope{rootOf(where)};
        const Classes classes(scope.root);
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
        if (const com::HRESULT hr = registerTypeLibrary(scope, where, dll); com::failed(hr)) {
            takeBack();
            removeTypeLibrary(scope);
            return hr;
        }
        return com::status::ok;
    });
}

com::HRESULT unregisterServer(Scope where) noexcept
{
    return com::guarded([where]() -> com::HRESULT {
        const Keys scope{rootOf(where)};
        const com::HRESULT typeLib = removeTypeLibrary(scope);
        const Classes classes(scope.root);
        if (classes.status() != ERROR_SUCCESS) return HRESULT_FROM_WIN32(classes.status());
        const std::vector<Value> values = classValues(L"");
        const std::wstring clsidKey = values.front().key;
        LSTATUS failed = ERROR_SUCCESS;
        const auto remove = [&](bool ownKeys) {
            for (auto v = values.rbegin(); v != values.rend(); ++v)
                if (v->key.starts_with(clsidKey) == ownKeys)
                    if (const LSTATUS s = classes.remove(v->key);
                        s != ERROR_SUCCESS && failed == ERROR_SUCCESS)
                        failed = s;
        };
        // The class's own keys first, then the shared ones unless the other
        // view still has the class: where the two views are one (Wine's
        // user classes), that is as soon as its own keys are gone.
        remove(true);
        if (!registeredInOtherView(scope, clsidKey)) remove(false);
        if (failed != ERROR_SUCCESS) return HRESULT_FROM_WIN32(failed);
        // A user's classes may hold nothing else: the folders that the
        // registration had to make go with it.
        if (where == Scope::user)
            for (REGSAM view : views)
                for (const wchar_t* folder : {L"CLSID", L"Interface", L"TypeLib"})
                    if (scope.empty(folder, view)) scope.removeTree(folder, view);
        return typeLib;
    });
}

} // namespace tallux::win
