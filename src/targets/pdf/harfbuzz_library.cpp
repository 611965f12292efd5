#include "targets/pdf/harfbuzz_library.h"

#include <mutex>

#include <dlfcn.h>

namespace tallux {

const HarfBuzz* harfBuzz()
{
    static std::once_flag once;
    static HarfBuzz functions;
    static const HarfBuzz* loaded = nullptr;
    std::call_once(once, [] {
        // The subsetter's library brings HarfBuzz's own.
        void* library = ::dlopen("libharfbuzz-subset.so.0", RTLD_NOW | RTLD_LOCAL);
        if (library == nullptr) return;
        bool all = true;
#define TALLUX_HARFBUZZ_FIND(name)                                                                 \
    functions.name = reinterpret_cast<decltype(&::name)>(::dlsym(library, #name));                 \
    all = all && functions.name != nullptr;
        TALLUX_HARFBUZZ_FUNCTIONS(TALLUX_HARFBUZZ_FIND)
#undef TALLUX_HARFBUZZ_FIND
        if (all) loaded = &functions;
    });
    return loaded;
}

} // namespace tallux
