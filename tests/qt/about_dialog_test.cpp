#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QRawFont>
#include <QScreen>
#include <QtTest>
#include <cstring>
#include <functional>
#include <iostream>

#include "qt/about_dialog.h"
#include "tallux/qt/about_box.h"
#include "tallux/tallux.h"

using namespace tallux;
using tallux::qt::AboutDialog;

namespace {

const QString chineseCaption = QString::fromUtf16(u"\u95DC\u65BC...");
const QString chineseOk = QString::fromUtf16(u"\u4E86\u89E3(&O)");

// What one showing of the about box looked like from inside the modal loop.
struct Seen {
    bool modal = false;
    QString caption;
    QString ok;
    QString version;
};

// Runs `inside` on the modal dialog once the showing's event loop runs, then
// presses OK.
void whenShown(std::function<void(AboutDialog&)> inside)
{
    QTimer::singleShot(0, [inside] {
        auto* dialog = qobject_cast<AboutDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr) return; // the test sees that nothing was recorded
        QVERIFY(QTest::qWaitForWindowActive(dialog));
        inside(*dialog);
        QTest::mouseClick(dialog->cmdOK(), Qt::LeftButton);
    });
}

} // namespace

class AboutDialogTest : public QObject {
    Q_OBJECT
private slots:
    void languageButtons_data()
    {
        QTest::addColumn<QList<int>>("pressed");
        QTest::addColumn<bool>("chinese");
        QTest::newRow("0 none") << QList<int>{} << false;
        QTest::newRow("1 Chinese") << QList<int>{1} << true;
        QTest::newRow("2 Chinese twice") << QList<int>{1, 1} << true;
        QTest::newRow("3 Chinese then English") << QList<int>{1, 0} << false;
        QTest::newRow("4 English twice") << QList<int>{0, 0} << false;
        QTest::newRow("5 English, Chinese, Chinese") << QList<int>{0, 1, 1} << true;
    }
    void languageButtons()
    {
        QFETCH(QList<int>, pressed);
        QFETCH(bool, chinese);
        AboutDialog dialog;
        const about::frmAbout designTime = dialog.model();
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        for (int index : pressed)
            QTest::mouseClick(dialog.cmdLang(static_cast<std::size_t>(index)), Qt::LeftButton);

        QCOMPARE(dialog.windowTitle(), chinese ? chineseCaption : QStringLiteral("About"));
        QCOMPARE(dialog.cmdOK()->text(), chinese ? chineseOk : QStringLiteral("&Understand"));
        QCOMPARE(dialog.picLogos(0)->isVisible(), !chinese);
        QCOMPARE(dialog.picLogos(1)->isVisible(), chinese);
        QCOMPARE(dialog.cmdLang(0)->text(), QStringLiteral("English"));
        QCOMPARE(dialog.cmdLang(1)->text(), QStringLiteral("Chinese"));
        if (!chinese) {
            // Every switched element is back at its design-time value.
            about::frmAbout now = dialog.model();
            now.lblVersion = designTime.lblVersion; // written by activation
            QVERIFY(now == designTime);
        }
        QVERIFY(dialog.isVisible());
    }

    void versionLineOnActivation_data()
    {
        QTest::addColumn<int>("major");
        QTest::addColumn<int>("minor");
        QTest::addColumn<int>("revision");
        QTest::addColumn<QString>("expected");
        QTest::newRow("0 2.5.31") << 2 << 5 << 31 << "Version 2.5  (Build 31)";
        QTest::newRow("1 1.0.0") << 1 << 0 << 0 << "Version 1.0  (Build 0)";
    }
    void versionLineOnActivation()
    {
        QFETCH(int, major);
        QFETCH(int, minor);
        QFETCH(int, revision);
        QFETCH(QString, expected);
        AboutDialog dialog({major, minor, revision});
        QCOMPARE(dialog.lblVersion()->text(), QStringLiteral("Version"));
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        QCOMPARE(dialog.lblVersion()->text(), expected);
    }

    void centredOnTheScreen()
    {
        AboutDialog dialog;
        const QRect screen = dialog.screen()->geometry();
        const QPoint gap = dialog.pos() - screen.topLeft();
        // Left and top are half the room the screen leaves, to a pixel.
        QVERIFY(qAbs(2 * gap.x() - (screen.width() - dialog.width())) <= 2);
        QVERIFY(qAbs(2 * gap.y() - (screen.height() - dialog.height())) <= 2);
        // The client area is 6828 by 4572 twips.
        QCOMPARE(dialog.width(), qRound(6828.0 * dialog.logicalDpiX() / 1440));
        QCOMPARE(dialog.height(), qRound(4572.0 * dialog.logicalDpiY() / 1440));
    }

    void showAboutBoxIsModalAndStartsFresh()
    {
        qt::installAboutBox();
        Tallux control;
        std::vector<Seen> seen;
        for (int showing = 0; showing < 2; ++showing) {
            whenShown([&seen](AboutDialog& d) {
                seen.push_back({d.isModal() && QApplication::activeModalWidget() == &d,
                                d.windowTitle(), d.cmdOK()->text(), d.lblVersion()->text()});
                QTest::mouseClick(d.cmdLang(1), Qt::LeftButton); // leave it in Chinese
            });
            control.ShowAboutBox();
            // Returned only after the dialog was closed, and the dialog is gone.
            QCOMPARE(seen.size(), static_cast<std::size_t>(showing + 1));
            QVERIFY(QApplication::activeModalWidget() == nullptr);
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            for (QWidget* w : QApplication::topLevelWidgets())
                QVERIFY(qobject_cast<AboutDialog*>(w) == nullptr);
        }
        const about::ComponentVersion v = about::componentVersion();
        const QString version =
            QStringLiteral("Version %1.%2  (Build %3)").arg(v.Major).arg(v.Minor).arg(v.Revision);
        for (const Seen& s : seen) {
            QVERIFY(s.modal);
            QCOMPARE(s.caption, QStringLiteral("About"));
            QCOMPARE(s.ok, QStringLiteral("&Understand"));
            QCOMPARE(s.version, version);
        }
    }

    void closeBoxEndsTheShowingToo()
    {
        qt::installAboutBox();
        bool closed = false;
        QTimer::singleShot(0, [&closed] {
            if (auto* d = qobject_cast<AboutDialog*>(QApplication::activeModalWidget())) {
                d->reject(); // Escape or the close box
                closed = true;
            }
        });
        Tallux().ShowAboutBox();
        QVERIFY(closed);
    }

    void withoutADisplayTheAboutBoxRaises()
    {
        // A process with no application and no display: run this binary again.
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("QT_QPA_PLATFORM"));
        env.remove(QStringLiteral("DISPLAY"));
        env.remove(QStringLiteral("WAYLAND_DISPLAY"));
        child.setProcessEnvironment(env);
        child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--no-display")});
        QVERIFY(child.waitForFinished(60000));
        const QString out = QString::fromUtf8(child.readAllStandardOutput());
        QCOMPARE(child.exitCode(), 0);
        QVERIFY2(out.startsWith(QStringLiteral("429 The about box cannot be shown: there is no "
                                               "display")),
                 qPrintable(out));
    }

    void chineseCaptionsHaveGlyphs()
    {
        // The face the dialog falls back on for the CJK captions has every glyph.
        const QFont font = qt::dialogFont({u"System", 9.6f, true, false});
        bool covered = false;
        for (const QString& family : font.families().mid(1)) {
            const QRawFont raw = QRawFont::fromFont(QFont(family));
            bool all = raw.isValid();
            for (QChar c : chineseCaption + chineseOk) all = all && raw.supportsCharacter(c);
            covered = covered || all;
        }
        QVERIFY2(covered, "no CJK face installed (Debian package fonts-noto-cjk)");
    }

    void screenshots()
    {
        // The dialog in both languages, for the documentation.
        for (int language = 0; language < 2; ++language) {
            AboutDialog dialog;
            dialog.show();
            QVERIFY(QTest::qWaitForWindowActive(&dialog));
            QTest::mouseClick(dialog.cmdLang(static_cast<std::size_t>(language)), Qt::LeftButton);
            const QImage shot = dialog.screenshot();
            QVERIFY(shot.width() > dialog.width());
            const QString path = QStringLiteral(TALLUX_TEST_OUTPUT_DIR) +
                                 (language == 0 ? "/about-en.png" : "/about-zh.png");
            QVERIFY(shot.save(path));
        }
    }
};

int main(int argc, char** argv)
{
    if (argc == 2 && std::strcmp(argv[1], "--no-display") == 0) {
        try {
            qt::presentAboutBox();
            std::cout << "shown\n";
            return 1;
        } catch (const RuntimeError& e) {
            std::cout << e.number() << " " << e.what() << "\n";
            return e.number() == aboutBoxUnavailable ? 0 : 1;
        }
    }
    QApplication app(argc, argv);
    AboutDialogTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "about_dialog_test.moc"
