#include <QDir>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QtTest>

#include "decode.h"
#include "tallux/qt/painter_target.h"
#include "tallux/tallux.h"

using namespace tallux;
using namespace tallux::test;

namespace {

DrawParams symbol(Target& target, const QString& code, int width, const char16_t* ratio, bool check)
{
    DrawParams p;
    p.pObject = &target;
    p.pX = 1440; // an inch in, in twips
    p.pY = 1440;
    p.pCode = code.toStdU16String();
    p.pWidth = static_cast<std::int16_t>(width);
    p.pHeight = 1440;
    p.pText = 1;
    p.pRatio = ratio;
    p.pChk = check;
    return p;
}

// The test printer of scripts/cups-printer, or why there is none.
QString testPrinter()
{
    return qEnvironmentVariable("TALLUX_TEST_PRINTER");
}
QDir jobFolder()
{
    return QDir(qEnvironmentVariable("TALLUX_TEST_PRINTER_DIR"));
}
// The printed jobs, in the order the server numbered them.
QStringList jobs()
{
    QStringList names = jobFolder().entryList({QStringLiteral("job-*")}, QDir::Files);
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        return a.mid(4).toInt() < b.mid(4).toInt();
    });
    return names;
}
// Waits until the printer has written `count` jobs.
bool jobsDone(qsizetype count)
{
    return QTest::qWaitFor([count] { return jobs().size() >= count; }, 60000);
}

#define SKIP_WITHOUT_PRINTER()                                                                     \
    if (testPrinter().isEmpty())                                                                   \
        QSKIP("no test printer: run through scripts/cups-printer, which starts a CUPS server "     \
              "with a file printer (packages cups-daemon and cups-client)");

} // namespace

class PrintingTest : public QObject {
    Q_OBJECT
private slots:
    void pdfFromQPrinterDecodes_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<int>("width");
        QTest::addColumn<QString>("ratio");
        QTest::addColumn<bool>("check");
        QTest::newRow("0 default look") << "TALLUX-42" << 15 << "3:1" << false;
        QTest::newRow("1 check character") << "CODE39" << 20 << "2:0" << true;
        QTest::newRow("2 wide modules") << "A B" << 30 << "5:2" << false;
    }
    void pdfFromQPrinterDecodes()
    {
        QFETCH(QString, code);
        QFETCH(int, width);
        QFETCH(QString, ratio);
        QFETCH(bool, check);
        QTemporaryDir dir;
        const QString pdf = dir.filePath(QStringLiteral("symbol.pdf"));
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        QPainter painter;
        QVERIFY(painter.begin(&printer));
        qt::PainterTarget target(painter, qt::ScaleMode::Twips);
        const std::u16string r = ratio.toStdU16String();
        DrawParams p = symbol(target, code, width, r.c_str(), check);
        QCOMPARE(Tallux().draw(Code_39, p).value(), 0);
        QVERIFY(painter.end());
        QCOMPARE(decodePdf(pdf), "CODE-39:" + QString::fromStdU16String(p.pCode));
    }

    void printsThroughCups()
    {
        SKIP_WITHOUT_PRINTER();
        const QPrinterInfo info = QPrinterInfo::printerInfo(testPrinter());
        QVERIFY2(!info.isNull(), qPrintable("Qt does not see printer " + testPrinter()));
        const qsizetype before = jobs().size();
        {
            QPrinter printer(info, QPrinter::HighResolution);
            QPainter painter;
            QVERIFY(painter.begin(&printer));
            qt::PainterTarget target(painter, qt::ScaleMode::Twips);
            DrawParams p = symbol(target, QStringLiteral("PRINTED"), 15, u"3:1", false);
            QCOMPARE(Tallux().draw(Code_39, p).value(), 0);
            QVERIFY(painter.end());
        }
        QVERIFY2(jobsDone(before + 1), "the printer wrote no job");
        QCOMPARE(decodePdf(jobFolder().filePath(jobs().last())), QStringLiteral("CODE-39:PRINTED"));
    }

    void commandPrintsOnlyWhatWasDrawn()
    {
        SKIP_WITHOUT_PRINTER();
        struct Row {
            QStringList args;
            int exitCode;
            bool prints;
        };
        const QString printer = "printer:" + testPrinter();
        const Row rows[] = {
            /* 0 */ {{"--code", "CLI-1", "--target", printer}, 0, true},
            /* 1 */ {{"--code", "CLI-2", "--x", "40000", "--target", printer}, 1, false},
            /* 2 */ {{"--code", "CLI-2", "--width", "20000", "--target", printer}, 2, false},
            /* 3 */ {{"--code", "CLI-3", "--target", "printer:NoSuchPrinter"}, 74, false},
            /* 4 */ {{"--code", "CLI-4", "--target", printer, "-o", "x.pdf"}, 64, false},
            // Scale units and a paper size of the command line's own.
            /* 5 */ {{"--code", "CLI-5", "--target", printer, "--units", "mm"}, 0, true},
            /* 6 */
            {{"--code", "CLI-6", "--target", printer, "--units", "pt", "--size", "300x120"},
             0,
             true},
            /* 7 */ {{"--code", "CLI-7", "--target", printer, "--chk", "1"}, 0, true},
        };
        const qsizetype before = jobs().size();
        QStringList expected; // what the printed jobs read, in order
        for (std::size_t i = 0; i < std::size(rows); ++i) {
            QProcess cli;
            cli.start(QStringLiteral(TALLUX_CLI_PATH),
                      QStringList{QStringLiteral("draw"), QStringLiteral("BarCODE39")} +
                          rows[i].args);
            QVERIFY(cli.waitForFinished(60000));
            QVERIFY2(cli.exitCode() == rows[i].exitCode,
                     qPrintable(QString("row %1 exited %2: %3")
                                    .arg(i)
                                    .arg(cli.exitCode())
                                    .arg(QString::fromUtf8(cli.readAllStandardError()))));
            if (rows[i].prints) expected << rows[i].args[1];
        }
        expected.last() += QStringLiteral("8"); // CLI-7 with its check character
        // The printer takes jobs in the order they came: had a failed command
        // sent one, it would be done before the last good one.
        QVERIFY2(jobsDone(before + expected.size()), "the printer wrote fewer jobs than expected");
        QStringList read;
        for (const QString& job : jobs().mid(before))
            read << decodePdf(jobFolder().filePath(job)).remove(QStringLiteral("CODE-39:"));
        QCOMPARE(read, expected);
    }
};

QTEST_MAIN(PrintingTest)
#include "printing_test.moc"
