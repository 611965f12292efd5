#include "server_commands.h"

#include <filesystem>

#include "commands.h"
#include "options.h"
#include "program_folder.h"
#include "tallux/loader.h"
#include "tallux/typelib.h"
#include "tallux/version.h"
#include "writer.h"

namespace tallux::cli {

namespace {

// The library beside the program: the installed one (from the program's
// folder to the library folder), else the build tree's; failing both, the
// name for the dynamic loader to search.
std::string defaultLibrary()
{
    const std::string name = "libtallux-automation.so." + std::to_string(version::major);
    const std::string folder = programFolder();
    if (!folder.empty())
        for (const char* place : {TALLUX_LIBRARY_FROM_BIN, "../"}) {
            const std::filesystem::path path = folder + place + name;
            std::error_code error;
            if (std::filesystem::exists(path, error)) return path.lexically_normal().string();
        }
    return name;
}

} // namespace

int typelibCommand(std::span<const std::string_view> words, Writer& out)
{
    if (!words.empty()) throw UsageError("typelib takes no arguments");
    out << typelib::idlText();
    return exitDrawn;
}

int registerCommand(bool enter, std::span<const std::string_view> words, Writer& out, Writer& err)
{
    const char* command = enter ? "register" : "unregister";
    if (words.size() > 1) throw UsageError(std::string(command) + " takes at most one LIBRARY");
    const std::string path = words.empty() ? defaultLibrary() : std::string(words[0]);

    std::string registryFile;
    try {
        registryFile = registry::defaultFile().string();
    } catch (const registry::RegistryError& e) {
        err << "tallux: " << e.what() << "\n";
        return exitOutput;
    }

    std::unique_ptr<loader::ServerLibrary> library;
    try {
        library = std::make_unique<loader::ServerLibrary>(path);
    } catch (const loader::LoadError& e) {
        err << "tallux: " << e.what() << "\n";
        return exitUnavailable;
    }
    const com::HRESULT hr = enter ? library->registerServer() : library->unregisterServer();
    if (com::failed(hr)) {
        err << "tallux: " << command << " failed (" << com::statusText(hr) << ")";
        // The entry point reports only a status; the registry says why.
        try {
            registry::Registry(registryFile).read();
        } catch (const registry::RegistryError& e) {
            err << ": " << e.what();
        }
        err << "\n";
        return exitOutput;
    }
    out << (enter ? "registered " : "unregistered ") << path << (enter ? " in " : " from ")
        << registryFile << "\n";
    return exitDrawn;
}

} // namespace tallux::cli
