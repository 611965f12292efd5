// The printer module: Qt and CUPS behind one entry point, loaded by the
// command only when a page goes to a printer.
#include "printer_output.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QTemporaryDir>
#include <cmath>
#include <cups/cups.h>
#include <optional>

#include "lengths.h"
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

// Drawing in points or millimetres on a target that measures in twips:
// positions and sizes are converted, box edges to the nearest twip, so that
// boxes that touch in scale units still touch.
class TwipsFromUnits final : public Target {
public:
    TwipsFromUnits(Target& twips, double twipsPerUnit)
        : twips_(twips)
        , k_(twipsPerUnit)
    {
    }
    void FontName(const String& value) override { twips_.FontName(value); }
    void ForeColor(Long value) override { twips_.ForeColor(value); }
    void FontBold(Boolean value) override { twips_.FontBold(value); }
    void FontSize(Integer value) override { twips_.FontSize(value); }
    void CurrentX(Number value) override { twips_.CurrentX(Number(value.value() * k_)); }
    void CurrentY(Single value) override { twips_.CurrentY(static_cast<Single>(value * k_)); }
    void Line(Integer flags, Integer x1, Single y1, Integer x2, Single y2, Long color) override
    {
        // Both corners are inclusive: the far edge is one unit beyond x2.
        twips_.Line(flags, CInt(x1.value() * k_), static_cast<Single>(y1 * k_),
                    CInt((x2.value() + 1) * k_) - 1, static_cast<Single>((y2 + 1) * k_ - 1), color);
    }
    void Print(const String& s) override { twips_.Print(s); }
    Number TextWidth(const String& s) override { return Number(twips_.TextWidth(s).value() / k_); }
    Number TextHeight(const String& s) override
    {
        return Number(twips_.TextHeight(s).value() / k_);
    }

private:
    Target& twips_;
    double k_;
};

class QtPrinterJob final : public PrinterJob {
public:
    QtPrinterJob(const std::string& printerName, const std::string& documentName,
                 const PrinterPage& page)
    {
        const QPrinterInfo info = findPrinter(printerName);
        name_ = info.printerName().toStdString();
        title_ = documentName;
        if (!folder_.isValid()) throw OutputError("cannot make a folder for the print job");
        file_ = folder_.filePath(QStringLiteral("page.pdf"));

        // The printer's own resolution and page, drawn into the job's file.
        printer_.emplace(info, QPrinter::HighResolution);
        QPageLayout layout = printer_->pageLayout();
        printer_->setOutputFileName(file_);
        if (page.dpi > 0) printer_->setResolution(static_cast<int>(std::lround(page.dpi)));
        if (page.width || page.height) {
            // A paper of the page's size, drawn from its corner.
            const QSizeF paper = layout.fullRectPoints().size();
            const double points = 72.0 / unitsPerInch(page.units, printer_->resolution());
            const QSizeF size(page.width ? *page.width * points : paper.width(),
                              page.height ? *page.height * points : paper.height());
            layout =
                QPageLayout(QPageSize(size, QPageSize::Point, QString(), QPageSize::ExactMatch),
                            QPageLayout::Portrait, QMarginsF());
        }
        printer_->setPageLayout(layout);
        printer_->setDocName(QString::fromStdString(documentName));
        if (!painter_.begin(&*printer_))
            throw OutputError("cannot start a print job on '" + name_ + "'");
        const bool pixels = page.units == ScaleUnits::Pixels;
        target_.emplace(painter_, pixels ? qt::ScaleMode::Pixels : qt::ScaleMode::Twips);
        if (!pixels && page.units != ScaleUnits::Twips)
            converted_.emplace(*target_, 1440 / unitsPerInch(page.units, 0));
    }
    ~QtPrinterJob() override
    {
        if (painter_.isActive()) painter_.end(); // the folder goes with it
    }

    Target& target() override
    {
        if (converted_) return *converted_;
        return *target_;
    }

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
    std::optional<TwipsFromUnits> converted_;
};

} // namespace
} // namespace tallux::cli

extern "C" __attribute__((visibility("default"))) tallux::cli::PrinterJob*
tallux_start_printer_job(const std::string& printerName, const std::string& documentName,
                         const tallux::cli::PrinterPage& page)
{
    return new tallux::cli::QtPrinterJob(printerName, documentName, page);
}
