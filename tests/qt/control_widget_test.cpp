#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

#include "qt/about_dialog.h"
#include "tallux/qt/control_widget.h"

using namespace tallux;
using tallux::qt::TalluxWidget;

class ControlWidgetTest : public QObject {
    Q_OBJECT
private slots:
    void resizeKeepsFourHundredTwips_data()
    {
        QTest::addColumn<QSize>("asked"); // pixels
        QTest::newRow("0 larger") << QSize(300, 200);
        QTest::newRow("1 one pixel") << QSize(1, 1);
        QTest::newRow("2 tall and narrow") << QSize(3, 500);
        QTest::newRow("3 already the size") << QSize(27, 27);
        QTest::newRow("4 one pixel off") << QSize(26, 27);
    }
    void resizeKeepsFourHundredTwips()
    {
        QFETCH(QSize, asked);
        QWidget form;
        auto* widget = new TalluxWidget(TalluxWidget::Mode::Design, &form);
        form.resize(600, 600);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));

        widget->resize(asked);
        QCOMPARE(widget->extent(), (Extent{400, 400}));
        const QSize fixed(widget->pixelsX(400), widget->pixelsY(400));
        QCOMPARE(widget->size(), fixed);
        QCOMPARE(widget->control().imgIcon.Width, 400);
        QCOMPARE(widget->control().imgIcon.Height, 400);
        QCOMPARE(widget->iconLabel()->geometry(), QRect(QPoint(0, 0), fixed));
    }

    void extentFollowsTheScreensDpi()
    {
        TalluxWidget widget(TalluxWidget::Mode::Design);
        const int dpi = widget.logicalDpiX();
        QCOMPARE(widget.pixelsX(1440), dpi);
        QCOMPARE(widget.sizeHint(), QSize(widget.pixelsX(400), widget.pixelsY(400)));
        widget.setExtent({2880, 1440});
        QCOMPARE(widget.size(), QSize(2 * dpi, widget.logicalDpiY()));
        QCOMPARE(widget.extent(), (Extent{2880, 1440}));
    }

    void designTimeShowsTheIconRunTimeNothing_data()
    {
        QTest::addColumn<bool>("design");
        QTest::newRow("0 design time") << true;
        QTest::newRow("1 run time") << false;
    }
    void designTimeShowsTheIconRunTimeNothing()
    {
        QFETCH(bool, design);
        QWidget form;
        auto* widget =
            new TalluxWidget(design ? TalluxWidget::Mode::Design : TalluxWidget::Mode::Run, &form);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        widget->show();
        QCOMPARE(widget->isVisible(), design);
        QCOMPARE(widget->iconLabel()->pixmap().size(), QSize(32, 32));
        // Whatever the mode, the control works.
        widget->control().SupBarType(Code_93);
        QCOMPARE(widget->control().SupBarType(), Code_93);
    }

    void propertyChangeIsASignal()
    {
        TalluxWidget widget;
        QSignalSpy spy(&widget, &TalluxWidget::controlPropertyChanged);
        widget.control().SupBarType(5);
        widget.control().SupBarType(5);
        QCOMPARE(spy.count(), 2);
        QCOMPARE(spy.at(0).at(0).toString(), QStringLiteral("SupBarType"));
        QVERIFY_THROWS_EXCEPTION(RuntimeError, widget.control().SupBarType(70000));
        QCOMPARE(spy.count(), 2);
        QCOMPARE(widget.control().SupBarType(), 5);
    }

    void theWidgetsControlShowsTheAboutBox()
    {
        TalluxWidget widget;
        bool shown = false;
        QTimer::singleShot(0, [&shown] {
            if (auto* d = qobject_cast<qt::AboutDialog*>(QApplication::activeModalWidget())) {
                shown = true;
                QTest::mouseClick(d->cmdOK(), Qt::LeftButton);
            }
        });
        widget.control().ShowAboutBox();
        QVERIFY(shown);
    }
};

QTEST_MAIN(ControlWidgetTest)
#include "control_widget_test.moc"
