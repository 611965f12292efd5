#include "text/text_shaper.h"

#include <algorithm>
#include <filesystem>
#include <mutex>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include <dlfcn.h>
#include <link.h>
#include <unistd.h>

namespace tallux {

namespace {

// The real folder of the program or library that holds this code. The
// loader's name of a library is the path it was loaded from; the program's
// own name is only what it was started as (a bare name from PATH, relative
// to some folder), so the program is found through /proc/self/exe instead.
std::string ownFolder()
{
    Dl_info info{};
    link_map* map = nullptr;
    if (::dladdr1(reinterpret_cast<const void*>(&ownFolder), &info, reinterpret_cast<void**>(&map),
                  RTLD_DL_LINKMAP) == 0 ||
        map == nullptr)
        return {};
    std::error_code failed;
    std::string path;
    if (map->l_name == nullptr || map->l_name[0] == '\0')
        path = std::filesystem::read_symlink("/proc/self/exe", failed);
    else if (map->l_name[0] == '/') // never relative to the current folder
        path = std::filesystem::canonical(map->l_name, failed);
    if (failed) return {};
    return path.substr(0, path.rfind('/'));
}

// Whether `folder` is one the build puts its programs in: the build folder
// or a folder at most two below it (cli/, tests/qt/), not a prefix or
// package root that a test installed or unpacked deeper in the build.
bool madeByTheBuild(const std::string& folder)
{
    const std::string_view build = TALLUX_BUILD_DIR;
    const std::string path = folder + '/';
    return path.starts_with(build) &&
           std::count(path.begin() + static_cast<std::ptrdiff_t>(build.size()), path.end(), '/') <=
               2;
}

const TextShaper* loadShaper(std::string& why)
{
    // Beside the library or program, in the library folder's tallux/
    // (installed), where the library folder lies from the program's folder,
    // for a program of the build where the build made it, and last where the
    // build would install it. Never from the current folder or PATH.
    const std::string folder = ownFolder();
    std::vector<std::string> places;
    if (!folder.empty())
        places = {folder + "/" TALLUX_SHAPER_MODULE, folder + "/tallux/" TALLUX_SHAPER_MODULE,
                  folder + "/" TALLUX_SHAPER_FROM_BIN TALLUX_SHAPER_MODULE};
    if (madeByTheBuild(folder)) places.push_back(TALLUX_SHAPER_BUILD_PATH);
    places.push_back(TALLUX_SHAPER_INSTALL_PATH);
    for (const std::string& path : places) {
        if (::access(path.c_str(), F_OK) != 0) {
            why += (why.empty() ? "no " : ", no ") + path;
            continue;
        }
        void* module = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (module == nullptr) {
            const char* error = ::dlerror();
            why = error ? error : path;
            return nullptr;
        }
        using Entry = const TextShaper* (*)();
        const auto entry = reinterpret_cast<Entry>(::dlsym(module, textShaperEntry));
        const TextShaper* shaper = entry ? entry() : nullptr;
        if (shaper == nullptr) why = "'" + path + "' has no entry point " + textShaperEntry;
        return shaper;
    }
    return nullptr;
}

} // namespace

const TextShaper& textShaper()
{
    // Loaded once, on the first text that is not kept.
    static std::once_flag once;
    static const TextShaper* shaper = nullptr;
    static std::string why;
    std::call_once(once, [] { shaper = loadShaper(why); });
    if (shaper == nullptr)
        throw TextError("text cannot be drawn: the text shaper module cannot be loaded (" + why +
                        ")");
    return *shaper;
}

} // namespace tallux
