#include "editableslider.h"
#include "schdrawingsurface.h"
#include "schmainwindow.h"
#include "uitestutil.h"
#include "plot.h"
#include "schefview.h"
#include "window.h"

#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>
#include <QStatusBar>
#include <QtTest>

class TestMainWindow : public QObject
{
    Q_OBJECT

    static QPushButton *button(SchMainWindow &w, const QString &text)
    {
        for (QPushButton *b : w.findChildren<QPushButton *>())
            if (b->text() == text)
                return b;
        return nullptr;
    }

    static QAction *action(SchMainWindow &w, const QString &text)
    {
        for (QMenu *m : w.findChildren<QMenu *>())
            for (QAction *a : m->actions())
                if (a->text() == text)
                    return a;
        return nullptr;
    }

private slots:
    void initialLayoutAndStates()
    {
        SchMainWindow w;
        w.show();
        QCOMPARE(w.objectName(), QString("mainWindow"));
        QCOMPARE(w.windowTitle(), QString::fromUtf8("Schrödinger"));
        QVERIFY(w.statusBar());
        QStringList menus;
        for (QAction *a : w.menuBar()->actions())
            if (!a->isSeparator())
                menus << a->text();
        QCOMPARE(menus, QStringList({"&File", "&Help"}));

        for (const char *t : {"X", "V", "-", "Pot", "Pack", "Clear", "Fourier", "Start", "Streuung", "Eigenfunktionen"})
            QVERIFY2(button(w, t), t);
        QVERIFY(button(w, "V")->isChecked());
        QVERIFY(button(w, "Pot")->isChecked());
        for (const char *t : {"X", "-", "Pack", "Fourier", "Start", "Streuung", "Eigenfunktionen"})
            QVERIFY2(!button(w, t)->isChecked(), t);
        QVERIFY(!button(w, "Clear")->isCheckable());
        QCOMPARE(button(w, "Pot")->objectName(), QString("spb1"));
        QCOMPARE(button(w, "Pack")->objectName(), QString("spb2"));
        QCOMPARE(button(w, "Clear")->objectName(), QString("clearB"));
        QCOMPARE(button(w, "Fourier")->objectName(), QString("fouB"));
        QCOMPARE(button(w, "Start")->objectName(), QString("d"));
        QCOMPARE(button(w, "Streuung")->objectName(), QString("k"));
        QCOMPARE(button(w, "Eigenfunktionen")->objectName(), QString("v"));

        QCOMPARE(w.penRangeSlider()->parentWidget()->width(), 160);
        QVERIFY(!w.smoothSlider()->slider()->isEnabled());
        QVERIFY(!w.smoothSlider()->entry()->isEnabled());

        // Slider positions differ from the surface's own starting values until moved.
        QCOMPARE(w.penRangeSlider()->value(), 30);
        QCOMPARE(w.drawingSurface()->currentPenRange(), 50);
        QCOMPARE(w.dxSlider()->value(), 40);
        QCOMPARE(w.drawingSurface()->packetDx(), 100);
        QCOMPARE(w.zSlider()->value(), 10);
        QCOMPARE(w.drawingSurface()->packetZ(), 0);
        QCOMPARE(w.smoothSlider()->value(), 30);
        QCOMPARE(w.drawingSurface()->smoothingLevel(), 250.0);
    }

    void penGroupIsExclusiveAndReachesSurface()
    {
        SchMainWindow w;
        QSignalSpy vSpy(button(w, "V"), &QPushButton::toggled);
        QSignalSpy xSpy(button(w, "X"), &QPushButton::toggled);
        QTest::mouseClick(button(w, "X"), Qt::LeftButton);
        QVERIFY(button(w, "X")->isChecked());
        QVERIFY(!button(w, "V")->isChecked());
        QCOMPARE(vSpy.count(), 1);
        QCOMPARE(vSpy.at(0).at(0).toBool(), false);
        QCOMPARE(xSpy.count(), 1);
        QCOMPARE(xSpy.at(0).at(0).toBool(), true);
        QCOMPARE(w.drawingSurface()->currentPen(), 2);
        QTest::mouseClick(button(w, "-"), Qt::LeftButton);
        QCOMPARE(w.drawingSurface()->currentPen(), 1);
        QTest::mouseClick(button(w, "V"), Qt::LeftButton);
        QCOMPARE(w.drawingSurface()->currentPen(), 0);
    }

    void fourierTogglesSmoothingSliderAndModeSwitchEndsIt()
    {
        SchMainWindow w;
        QPushButton *fou = button(w, "Fourier");
        QTest::mouseClick(fou, Qt::LeftButton);
        QVERIFY(w.smoothSlider()->slider()->isEnabled());
        QVERIFY(w.drawingSurface()->selectionMode());
        QTest::mouseClick(fou, Qt::LeftButton);
        QVERIFY(!w.smoothSlider()->slider()->isEnabled());
        QVERIFY(!w.drawingSurface()->selectionMode());

        QTest::mouseClick(fou, Qt::LeftButton);
        QTest::mouseClick(button(w, "Pack"), Qt::LeftButton);
        QVERIFY(!fou->isChecked());
        QVERIFY(!w.smoothSlider()->slider()->isEnabled());
        QCOMPARE(w.drawingSurface()->drawingMode(), 2);
        QTest::mouseClick(fou, Qt::LeftButton);
        QTest::mouseClick(button(w, "Pot"), Qt::LeftButton);
        QVERIFY(!fou->isChecked());
        QCOMPARE(w.drawingSurface()->drawingMode(), 1);
    }

    void clearActsOnPress()
    {
        SchMainWindow w;
        w.show();
        double *pot = w.drawingSurface()->getPot();
        pot[10] = 0.02;
        QPushButton *clear = button(w, "Clear");
        QTest::mousePress(clear, Qt::LeftButton);
        QCOMPARE(pot[10], 0.0);
        pot[11] = 0.02;
        // Released outside the button: the press has already acted, the release adds nothing.
        QTest::mouseRelease(clear, Qt::LeftButton, {}, QPoint(-50, -50));
        QCOMPARE(pot[11], 0.02);
    }

    void slidersReachSurface()
    {
        SchMainWindow w;
        SchDrawingSurface *s = w.drawingSurface();
        w.penRangeSlider()->slider()->setValue(90);
        QCOMPARE(s->currentPenRange(), 90);
        w.smoothSlider()->setEnabled(true);
        w.smoothSlider()->slider()->setValue(25);
        QCOMPARE(s->smoothingLevel(), 250.0);
        w.dxSlider()->slider()->setValue(120);
        QCOMPARE(s->packetDx(), 120);
        w.pSlider()->slider()->setValue(-35);
        QCOMPARE(s->packetP(), -35);
        w.dpSlider()->slider()->setValue(3);
        QCOMPARE(s->packetDp(), 3);
        w.zSlider()->slider()->setValue(0);
        QCOMPARE(s->packetZ(), 0);
    }

    void menuShortcutsAndNew()
    {
        SchMainWindow w;
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QCOMPARE(action(w, "&New")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_N));
        QCOMPARE(action(w, "&Open")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_O));
        QCOMPARE(action(w, "&Save")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_S));
        QCOMPARE(action(w, "E&xit")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Q));
        QCOMPARE(action(w, "&About")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_H));
        QVERIFY(action(w, "About &Qt")->shortcut().isEmpty());

        // New empties the potential in any mode.
        w.drawingSurface()->getPot()[3] = 0.01;
        QTest::mouseClick(button(w, "Pack"), Qt::LeftButton);
        QTest::keyClick(&w, Qt::Key_N, Qt::ControlModifier);
        QCOMPARE(w.drawingSurface()->getPot()[3], 0.0);

        QString title, text;
        onNextModal([&](QWidget *box) {
            title = box->windowTitle();
            if (auto *mb = qobject_cast<QMessageBox *>(box))
                text = mb->text();
            QTest::keyClick(box, Qt::Key_Escape);
        });
        QTest::keyClick(&w, Qt::Key_H, Qt::ControlModifier);
        QCOMPARE(title, QString("Quantaura"));
        QVERIFY(text.contains(QString::fromUtf8("Schrödinger")));

        title.clear();
        onNextModal([&](QWidget *box) {
            title = box->windowTitle();
            QTest::keyClick(box, Qt::Key_Escape);
        });
        action(w, "About &Qt")->trigger();
        QCOMPARE(title, QString("Quantaura"));
    }

    void streuungRefusesZeroPotentialAndOpensOtherwise()
    {
        SchMainWindow w;
        w.show();
        QPushButton *streu = button(w, "Streuung");
        QString title, text;
        onNextModal([&](QWidget *box) {
            title = box->windowTitle();
            if (auto *mb = qobject_cast<QMessageBox *>(box))
                text = mb->text();
            QTest::keyClick(box, Qt::Key_Return);
        });
        QTest::mouseClick(streu, Qt::LeftButton);
        QCOMPARE(title, QString("Error"));
        QVERIFY(text.contains(QString::fromUtf8("Sie müssen schon ein von Null verschiedenes Potential angeben.")));
        QVERIFY(!streu->isChecked());
        QVERIFY(!w.drawingSurface()->scatteringWindow());

        w.drawingSurface()->getPot()[500] = 0.01;
        QTest::mouseClick(streu, Qt::LeftButton);
        QVERIFY(streu->isChecked());
        Window *win = w.drawingSurface()->scatteringWindow();
        QVERIFY(win);
        QVERIFY(win->isVisible());
        QCOMPARE(win->windowTitle(), QString("Streuung einer ebenen Welle"));
        QPointer<QWidget> plot = win->plot();
        QVERIFY(plot);
        QTest::mouseClick(streu, Qt::LeftButton);
        QVERIFY(!w.drawingSurface()->scatteringWindow());
        QVERIFY(!plot); // the plot window goes with it
    }

    void eigenfunktionenOpensAndClosesItsWindow()
    {
        SchMainWindow w;
        w.show();
        QPushButton *eigen = button(w, "Eigenfunktionen");
        QTest::mouseClick(eigen, Qt::LeftButton);
        SchEFView *view = w.drawingSurface()->eigenWindow();
        QVERIFY(view);
        QVERIFY(view->isVisible());
        QCOMPARE(view->windowTitle(), QString::fromUtf8("Schrödinger Eigenfunktionen"));
        QCOMPARE(view->eigenTotal(), 2); // the zero potential: two states below the scan limit
        const double e0 = view->eigenValueAt(0);
        w.drawingSurface()->getPot()[10] = 0.05; // later edits do not reach the open window
        QCOMPARE(view->eigenValueAt(0), e0);
        QTest::mouseClick(eigen, Qt::LeftButton);
        QVERIFY(!w.drawingSurface()->eigenWindow());
    }

    void exitAndClosingEndTheProgram()
    {
        {
            SchMainWindow w;
            w.show();
            QVERIFY(QTest::qWaitForWindowActive(&w));
            QTimer::singleShot(0, &w, [&] { QTest::keyClick(&w, Qt::Key_Q, Qt::ControlModifier); });
            QTimer guard;
            guard.singleShot(5000, qApp, [] { QCoreApplication::exit(1); });
            QCOMPARE(QCoreApplication::exec(), 0);
        }
        {
            // Another top-level window stays open; closing the main window still ends the loop.
            SchMainWindow w;
            QWidget other;
            w.show();
            other.show();
            QTimer::singleShot(0, &w, [&] { w.close(); });
            QTimer::singleShot(5000, qApp, [] { QCoreApplication::exit(1); });
            QCOMPARE(QCoreApplication::exec(), 0);
        }
    }
};

QTEST_MAIN(TestMainWindow)
#include "test_mainwindow.moc"
