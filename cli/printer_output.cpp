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

} // namespace

struct PrinterJob::State {
    std::unique_ptr<QGuiApplication> application = startApplication();
    QTemporaryDir folder;
    std::string name;
    std::string title;
    QString file;
    std::optional<QPrinter> printer;
    QPainter painter;
    std::optional<qt::PainterTarget> target;
};

PrinterJob::PrinterJob(const std::string& printerName, const std::string& documentName)
    : state_(std::make_unique<State>())
{
    State& s = *state_;
    const QPrinterInfo info = findPrinter(printerName);
    s.name = info.printerName().toStdString();
    s.title = documentName;
    if (!s.folder.isValid()) throw OutputError("cannot make a folder for the print job");
    s.file = s.folder.filePath(QStringLiteral("page.pdf"));

    // The printer's own resolution and page, drawn into the job's file.
    s.printer.emplace(info, QPrinter::HighResolution);
    const QPageLayout layout = s.printer->pageLayout();
    s.printer->setOutputFileName(s.file);
    s.printer->setPageLayout(layout);
    s.printer->setDocName(QString::fromStdString(documentName));
    if (!s.painter.begin(&*s.printer))
        throw OutputError("cannot start a print job on '" + s.name + "'");
    s.target.emplace(s.painter, qt::ScaleMode::Twips);
}

PrinterJob::~PrinterJob()
{
    if (state_ && state_->painter.isActive()) state_->painter.end(); // the folder goes with it
}

Target& PrinterJob::target()
{
    return *state_->target;
}

void PrinterJob::send()
{
    State& s = *state_;
    if (!s.painter.end()) throw OutputError("the page for printer '" + s.name + "' failed");
    const QByteArray file = s.file.toLocal8Bit();
    if (cupsPrintFile(s.name.c_str(), file.constData(), s.title.c_str(), 0, nullptr) == 0)
        throw OutputError("printer '" + s.name +
                          "' did not take the job: " + cupsLastErrorString());
}

} // namespace tallux::cli
