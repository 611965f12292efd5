#pragma once

#include <memory>
#include <string>

#include "tallux/target.h"

namespace tallux::cli {

// One page on a CUPS printer, drawn through Qt: the default printer when the
// name is empty. The target measures in twips, as the printer of the original
// host does. The page is drawn at the printer's resolution and page size into
// a PDF file of its own, which goes to the printer only through send(); a job
// destroyed unsent is dropped and prints nothing.
class PrinterJob {
public:
    // Raises OutputError when there is no such printer or no job can start.
    explicit PrinterJob(const std::string& printerName, const std::string& documentName);
    ~PrinterJob();
    PrinterJob(const PrinterJob&) = delete;
    PrinterJob& operator=(const PrinterJob&) = delete;

    Target& target();
    // Ends the page and hands the job to the printing system; OutputError
    // when that fails.
    void send();

private:
    struct State;
    std::unique_ptr<State> state_;
};

} // namespace tallux::cli
