#pragma once

#include <memory>
#include <optional>
#include <string>

#include "tallux/surface.h"
#include "tallux/target.h"

namespace tallux::cli {

// The page a job draws on: the drawing's scale units, the resolution (0: the
// printer's own) and, when given, the paper's size in scale units.
struct PrinterPage {
    ScaleUnits units = ScaleUnits::Twips;
    double dpi = 0;
    std::optional<double> width, height;
};

// One page on a CUPS printer, drawn through Qt: the default printer when the
// name is empty. The target measures in the page's scale units (twips, as the
// printer of the original host does, unless told otherwise). The page is
// drawn at the printer's resolution and paper size, or those of the page, into
// a PDF file of its own, which goes to the printer only through send(); a job
// destroyed unsent is dropped and prints nothing.
class PrinterJob {
public:
    virtual ~PrinterJob() = default;
    virtual Target& target() = 0;
    // Ends the page and hands the job to the printing system; OutputError
    // when that fails.
    virtual void send() = 0;
};

// Starts a job. Qt and CUPS live in the printer module, which is loaded
// only here, so that every other command starts without them. Raises
// OutputError when the module cannot be loaded, there is no such printer or
// no job can start.
std::unique_ptr<PrinterJob> startPrinterJob(const std::string& printerName,
                                            const std::string& documentName,
                                            const PrinterPage& page);

// The printer module's one entry point: a new job, or OutputError.
using StartPrinterJob = PrinterJob* (*)(const std::string& printerName,
                                        const std::string& documentName, const PrinterPage& page);
inline constexpr const char* printerModuleEntry = "tallux_start_printer_job";

} // namespace tallux::cli
