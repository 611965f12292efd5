// The printer module: Qt and CUPS behind one entry point, loaded by the
// command only when a page goes to a printer.
#include "printer_output.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QTemporaryDir>
#include <cups/cups.h>
#include <optional>

#include "output_file.h"
#include "tallux/qt/painter_target.h"

namespace tallux::cli {

namespace {

// Printing needs Qt's font and paint engines but no window: without a display
// the application runs on the offscreen platform.
std::unique_ptr<QGuiApplication> startApplication()
{
    if (QCoreApplication::instance() != nullptr) return nullptr;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "tallux";
    static char* argv[] = {name, nullptr};
    return std::make_unique<QGuiApplication>(argc, argv);
}

QPrinterInfo findPrinter(const std::string& name)
{
    const QPrinterInfo info = name.empty()
                                  ? QPrinterInfo::defaultPrinter()
                                  : QPrinterInfo::printerInfo(QString::fromStdString(name));
    if (!info.isNull()) return info;
    QString known = QPrinterInfo::availablePrinterNames().join(QStringLiteral(", "));
    if (known.isEmpty()) known = QStringLiteral("none");
    throw OutputError((name.empty() ? std::string("there is no default printer")
                                    : "there is no printer named '" + name + "'") +
                      " (printers: " + known.toStdString() + ")");
}

class QtPrinterJob final : public PrinterJob {
public:
    QtPrinterJob(const std::string& printerName, const std::string& documentName)
    {
        const QPrinterInfo info = findPrinter(printerName);
        name_ = info.printerName().toStdString();
        title_ = documentName;
        if (!folder_.isValid()) throw OutputError("cannot make a folder for the print job");
        file_ = folder_.filePath(QStringLiteral("page.pdf"));

        // The printer's own resolution and page, drawn into the job's file.
        printer_.emplace(info, QPrinter::HighResolution);
        const QPageLayout layout = printer_->pageLayout();
        printer_->setOutputFileName(file_);
        printer_->setPageLayout(layout);
        printer_->setDocName(QString::fromStdString(documentName));
        if (!painter_.begin(&*printer_))
            throw OutputError("cannot start a print job on '" + name_ + "'");
        target_.emplace(painter_, qt::ScaleMode::Twips);
    }
    ~QtPrinterJob() override
    {
        if (painter_.isActive()) painter_.end(); // the folder goes with it
    }

    Target& target() override { return *target_; }

    void send() override
    {
        if (!painter_.end()) throw OutputError("the page for printer '" + name_ + "' failed");
        const QByteArray file = file_.toLocal8Bit();
        if (cupsPrintFile(name_.c_str(), file.constData(), title_.c_str(), 0, nullptr) == 0)
            throw OutputError("printer '" + name_ +
                              "' did not take the job: " + cupsLastErrorString());
    }

private:
    std::unique_ptr<QGuiApplication> application_ = startApplication();
    QTemporaryDir folder_;
    std::string name_;
    std::string title_;
    QString file_;
    std::optional<QPrinter> printer_;
    QPainter painter_;
    std::optional<qt::PainterTarget> target_;
};

} // namespace
} // namespace tallux::cli

extern "C" __attribute__((visibility("default"))) tallux::cli::PrinterJob*
tallux_start_printer_job(const std::string& printerName, const std::string& documentName)
{
    return new tallux::cli::QtPrinterJob(printerName, documentName);
}
