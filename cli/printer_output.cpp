#include "printer_output.h"

#include <dlfcn.h>
#include <mutex>
#include <string>

#include "output_file.h"
#include "program_folder.h"

namespace tallux::cli {

namespace {

// Loads the module once, from beside the program (the build tree) or from the
// installed library folder, and keeps it for the life of the process.
StartPrinterJob loadModule()
{
    static std::once_flag once;
    static StartPrinterJob start = nullptr;
    static std::string failure;
    std::call_once(once, [] {
        const std::string folder = programFolder();
        std::string why;
        for (const char* place : {"", TALLUX_PRINTER_MODULE_FROM_BIN}) {
            const std::string path = folder + place + TALLUX_PRINTER_MODULE;
            void* module = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
            if (module == nullptr) {
                const char* error = ::dlerror();
                why += (why.empty() ? "" : "; ") + std::string(error ? error : path);
                continue;
            }
            start = reinterpret_cast<StartPrinterJob>(::dlsym(module, printerModuleEntry));
            if (start != nullptr) return;
            why = "'" + path + "' has no entry point " + printerModuleEntry;
            break;
        }
        failure = "the printer module cannot be loaded (it comes with the package tallux-qt): " +
                  why;
    });
    if (start == nullptr) throw OutputError(failure);
    return start;
}

} // namespace

std::unique_ptr<PrinterJob> startPrinterJob(const std::string& printerName,
                                            const std::string& documentName,
                                            const PrinterPage& page)
{
    return std::unique_ptr<PrinterJob>(loadModule()(printerName, documentName, page));
}

} // namespace tallux::cli
