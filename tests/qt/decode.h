#pragma once

#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "../pdf_check.h"

// Reading printed symbols back with a real reader: zbarimg (zbar-tools) on a
// picture, after pdftoppm (poppler-utils) for a PDF, which must be sound (see
// pdfFaults). Each returns what zbar read, as "CODE-39:DATA" lines, or a text
// that starts with "error:".
namespace tallux::test {

inline QString run(const QString& program, const QStringList& args)
{
    if (QStandardPaths::findExecutable(program).isEmpty())
        return "error: " + program + " is not installed (scripts/setup installs it)";
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(120000)) return "error: " + program + " did not finish";
    const QString out = QString::fromUtf8(p.readAllStandardOutput()).trimmed();
    if (p.exitCode() != 0)
        return "error: " + program + " exited " + QString::number(p.exitCode()) + " " + out;
    return out;
}

inline QString decodeImageFile(const QString& path)
{
    return run(QStringLiteral("zbarimg"), {QStringLiteral("-q"), path});
}

inline QString decodeImage(const QImage& image)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("symbol.png"));
    if (!image.save(path)) return QStringLiteral("error: cannot save the picture");
    return decodeImageFile(path);
}

inline QString decodePdf(const QString& pdf)
{
    if (const std::string faults = pdfFaults(pdf.toStdString()); !faults.empty())
        return "error: " + QString::fromStdString(faults);
    QTemporaryDir dir;
    const QString prefix = dir.filePath(QStringLiteral("page"));
    const QString made = run(QStringLiteral("pdftoppm"),
                             {QStringLiteral("-r"), QStringLiteral("300"), QStringLiteral("-png"),
                              QStringLiteral("-singlefile"), pdf, prefix});
    if (made.startsWith(QStringLiteral("error:"))) return made;
    return decodeImageFile(prefix + QStringLiteral(".png"));
}

} // namespace tallux::test
