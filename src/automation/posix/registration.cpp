#include "automation/posix/registration.h"

#include "tallux/typelib.h"

namespace tallux::registration {

registry::Entries entries(const std::filesystem::path& library)
{
    const typelib::Library& lib = typelib::talluxLibrary();
    const std::string clsid = "CLSID\\" + com::toString(typelib::CLSID_Tallux);
    const std::string libid = com::toString(lib.guid);
    const std::string version = std::to_string(lib.major) + "." + std::to_string(lib.minor);
    const std::string typeLib = "TypeLib\\" + libid + "\\" + version;
    char lcid[16];
    std::snprintf(lcid, sizeof lcid, "%x", lib.lcid);

    registry::Entries e{
        {clsid, "Tallux"},
        {clsid + "\\Control", ""},
        {clsid + "\\InprocServer32", library.string()},
        {clsid + "\\MiscStatus", "0"},
        {clsid + "\\MiscStatus\\1", std::to_string(miscStatus)},
        {clsid + "\\ProgID", std::string(progId)},
        {clsid + "\\ToolboxBitmap32", library.string() + ", " + std::to_string(toolboxBitmap)},
        {clsid + "\\TypeLib", libid},
        {clsid + "\\Version", version},
        {std::string(progId), "Tallux"},
        {std::string(progId) + "\\CLSID", com::toString(typelib::CLSID_Tallux)},
        {typeLib, std::string(lib.helpString)},
        {typeLib + "\\FLAGS", "0"},
        {typeLib + "\\HELPDIR", library.parent_path().string()},
        {typeLib + "\\" + lcid + "\\linux", library.string()},
    };
    for (const typelib::TypeDesc& t : lib.types)
        if (t.kind == typelib::TypeKind::Dispatch) {
            const std::string key = "Interface\\" + com::toString(t.guid);
            e.set(key, std::string(t.name));
            e.set(key + "\\TypeLib", libid);
        }
    return e;
}

void registerServer(const registry::Registry& r, const std::filesystem::path& library)
{
    // A host loads only absolute paths: a relative one would name a library
    // in whatever folder the host runs in.
    if (!library.is_absolute())
        throw registry::RegistryError("not an absolute library path: '" + library.string() + "'");
    r.update([&](registry::Entries& all) {
        for (const auto& [key, value] : entries(library)) all.set(key, value);
    });
}

void unregisterServer(const registry::Registry& r)
{
    r.update([](registry::Entries& all) {
        for (const registry::Entry& entry : entries({})) all.erase(entry.key);
    });
}

} // namespace tallux::registration
