#include "text/text_shaper.h"

#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <vector>

#include <dlfcn.h>

namespace tallux {

namespace {

// The folder of the program or library that holds this code, as an
// absolute path.
std::string ownFolder()
{
    Dl_info info{};
    if (::dladdr(reinterpret_cast<const void*>(&ownFolder), &info) == 0 ||
        info.dli_fname == nullptr)
        return {};
    char* real = ::realpath(info.dli_fname, nullptr);
    if (real == nullptr) return {};
    std::string path = real;
    std::free(real);
    return path.substr(0, path.rfind('/'));
}

} // namespace

const TextShaper* textShaper()
{
    // Loaded once, on the first text that is not kept: beside the library
    // or program, in the library folder's tallux/ (installed), or for a
    // program of the build, where the build made it.
    static std::once_flag once;
    static const TextShaper* shaper = nullptr;
    std::call_once(once, [] {
        const std::string folder = ownFolder();
        std::string why;
        std::vector<std::string> places = {
            folder + "/" TALLUX_SHAPER_MODULE, folder + "/tallux/" TALLUX_SHAPER_MODULE,
            folder + "/" TALLUX_SHAPER_FROM_BIN TALLUX_SHAPER_MODULE};
        if ((folder + '/').starts_with(TALLUX_BUILD_DIR))
            places.push_back(TALLUX_SHAPER_BUILD_PATH);
        for (const std::string& path : places) {
            void* module = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
            if (module == nullptr) {
                const char* error = ::dlerror();
                why += (why.empty() ? "" : "; ") + std::string(error ? error : path);
                continue;
            }
            using Entry = const TextShaper* (*)();
            const auto entry = reinterpret_cast<Entry>(::dlsym(module, textShaperEntry));
            if (entry != nullptr && (shaper = entry()) != nullptr) return;
            why = "'" + path + "' has no entry point " + textShaperEntry;
            break;
        }
        std::fprintf(stderr, "tallux: text is not drawn: the text shaper cannot be loaded: %s\n",
                     why.c_str());
    });
    return shaper;
}

} // namespace tallux
