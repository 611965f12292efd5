// The registry reader and writers on corrupted files: the first byte picks
// the operation, the rest is the registry file. A file that cannot be read
// raises RegistryError and is never rewritten; one that reads is rewritten
// only through a whole new file.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>

#include "automation/posix/registration.h"
#include "check.h"
#include "tallux/automation.h"
#include "tallux/loader.h"
#include "tallux/registry.h"

using namespace tallux;
namespace fs = std::filesystem;

namespace {

// One private folder for the process, removed at exit; TALLUX_REGISTRY
// names the registry in it.
class Folder {
public:
    Folder()
    {
        std::string pattern = (fs::temp_directory_path() / "tallux-fuzz-registry.XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) std::abort();
        file_ = fs::path(pattern) / "registry";
        ::setenv("TALLUX_REGISTRY", file_.c_str(), 1);
    }
    ~Folder() { fs::remove_all(file_.parent_path()); }
    const fs::path& file() const { return file_; }

private:
    fs::path file_;
};

const fs::path& registryFile()
{
    static const Folder folder;
    return folder.file();
}

std::string contents(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// The folder holds the registry and its lock file, no temporary file.
void checkNoLeftovers(const fs::path& file)
{
    for (const auto& entry : fs::directory_iterator(file.parent_path())) {
        const std::string name = entry.path().filename().string();
        FUZZ_CHECK(name == "registry" || name == "registry.lock", "left behind: %s", name.c_str());
    }
}

bool sameKey(std::string_view a, std::string_view b)
{
    return !registry::KeyLess{}(a, b) && !registry::KeyLess{}(b, a);
}

// Any library a corrupted registry names must not be loaded by the fuzzer.
bool namesOnlyMissingLibraries(const registry::Entries& entries)
{
    constexpr std::string_view server = "\\InprocServer32";
    for (const auto& [key, value] : entries)
        if (key.size() >= server.size() &&
            sameKey(std::string_view(key).substr(key.size() - server.size()), server) &&
            !value.starts_with("/nonexistent/"))
            return false;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0) return 0;
    const fs::path& file = registryFile();
    const int operation = data[0] % 8;
    const std::string bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    fs::remove_all(file);
    if (operation != 7) std::ofstream(file, std::ios::binary) << bytes;

    const registry::Registry r(file);
    std::optional<registry::Entries> before;
    try {
        before = r.read();
        // What reads, writes back in the same form and reads the same again.
        FUZZ_CHECK(registry::parse(registry::format(*before), "again") == *before,
                   "entries do not survive a round trip");
    } catch (const registry::RegistryError& e) {
        FUZZ_CHECK(std::string_view(e.what()).starts_with("registry file"), "message: %s",
                   e.what());
    }

    const fs::path library = "/nonexistent/libtallux.so.1";
    const auto ours = registration::entries(library);
    try {
        switch (operation) {
        case 0:
        case 7:
            (void)r.value("CLSID\\" + com::toString(typelib::CLSID_Tallux) + "\\InprocServer32");
            break;
        case 1: registration::registerServer(r, library); break;
        case 2: registration::unregisterServer(r); break;
        case 3:
            FUZZ_CHECK(DllRegisterServer() ==
                           (before ? com::status::ok : com::status::classRegFailed),
                       "DllRegisterServer");
            break;
        case 4:
            FUZZ_CHECK(DllUnregisterServer() ==
                           (before ? com::status::ok : com::status::classRegFailed),
                       "DllUnregisterServer");
            break;
        default:
            if (before && !namesOnlyMissingLibraries(*before)) break;
            try {
                loader::Loader loader{registry::Registry(registry::defaultFile())};
                (void)loader.create(operation == 5 ? std::string(registration::progId)
                                                   : com::toString(typelib::CLSID_Tallux));
                FUZZ_CHECK(false, "a class was created from a library that does not exist");
            } catch (const loader::LoadError&) {
            }
            break;
        }
        // The entry points report a corrupt file by their status instead.
        FUZZ_CHECK(before || operation == 3 || operation == 4, "a corrupt registry was used");
    } catch (const registry::RegistryError&) {
        FUZZ_CHECK(!before, "a good registry was refused");
    }

    if (!before) {
        // A file that does not read is left exactly as it was.
        FUZZ_CHECK(contents(file) == bytes, "a corrupt registry was rewritten");
    } else if (operation == 1 || operation == 2) {
        const registry::Entries after = r.read();
        const auto holds = [&](const registry::Entry& entry) {
            const registry::Entry* now = after.find(entry.key);
            return now != nullptr && now->value == entry.value;
        };
        for (const registry::Entry& entry : *before)
            if (!ours.contains(entry.key))
                FUZZ_CHECK(holds(entry), "lost entry %s", entry.key.c_str());
        for (const registry::Entry& entry : ours)
            FUZZ_CHECK(operation == 1 ? holds(entry) : !after.contains(entry.key), "entry %s",
                       entry.key.c_str());
    }
    checkNoLeftovers(file);
    return 0;
}
