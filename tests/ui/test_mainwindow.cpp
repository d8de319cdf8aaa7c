#include "editableslider.h"
#include "plot.h"
#include "schdrawingsurface.h"
#include "schefview.h"
#include "schmainwindow.h"
#include "uitestutil.h"
#include "window.h"

#include <QtTest>
#include <QtWidgets>

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

    // Records the next message box's caption and text, then answers it with `key`.
    static void answerNextBox(QString &title, QString &text, Qt::Key key)
    {
        onNextModal([&title, &text, key](QWidget *box) {
            title = box->windowTitle();
            if (auto *mb = qobject_cast<QMessageBox *>(box))
                text = mb->text();
            QTest::keyClick(box, key);
        });
    }

private slots:
    void initialLayoutAndStates()
    {
        SchMainWindow w;
        w.show();
        QCOMPARE(w.objectName(), QString("mainWindow"));
        QCOMPARE(w.windowTitle(), QString::fromUtf8("Schrödinger"));
        QVERIFY(w.statusBar());
        const QList<QAction *> menus = w.menuBar()->actions(); // File, separator, Help
        QVERIFY(menus.size() == 3 && menus[0]->text() == "&File" && menus[2]->text() == "&Help");

        const QList<QPair<QString, QString>> names = {{"X", ""}, {"V", ""}, {"-", ""}, {"Pot", "spb1"},
            {"Pack", "spb2"}, {"Clear", "clearB"}, {"Fourier", "fouB"}, {"Start", "d"}, {"Streuung", "k"},
            {"Eigenfunktionen", "v"}};
        for (const auto &[text, name] : names) {
            QVERIFY2(button(w, text), qPrintable(text));
            QCOMPARE(button(w, text)->objectName(), name);
            QCOMPARE(button(w, text)->isChecked(), text == "V" || text == "Pot");
        }
        QVERIFY(!button(w, "Clear")->isCheckable());
        QCOMPARE(w.penRangeSlider()->parentWidget()->width(), 160);
        QVERIFY(!w.smoothSlider()->slider()->isEnabled() && !w.smoothSlider()->entry()->isEnabled());
        // Slider positions differ from the surface's own starting values until moved.
        SchDrawingSurface *s = w.drawingSurface();
        QCOMPARE(QList<int>({w.penRangeSlider()->value(), w.dxSlider()->value(), w.zSlider()->value(),
                             w.smoothSlider()->value()}), QList<int>({30, 40, 10, 30}));
        QCOMPARE(QList<double>({double(s->currentPenRange()), double(s->packetDx()), double(s->packetZ()),
                                s->smoothingLevel()}), QList<double>({50, 100, 0, 250}));
    }

    void controlsReachSurface()
    {
        SchMainWindow w;
        w.show();
        SchDrawingSurface *s = w.drawingSurface();
        QSignalSpy vSpy(button(w, "V"), &QPushButton::toggled);
        QSignalSpy xSpy(button(w, "X"), &QPushButton::toggled);
        QTest::mouseClick(button(w, "X"), Qt::LeftButton); // penVOnOff(false), then penPOnOff(true)
        QVERIFY(vSpy.count() == 1 && !vSpy.at(0).at(0).toBool() && xSpy.count() == 1 && xSpy.at(0).at(0).toBool());
        QCOMPARE(s->currentPen(), 2);
        QTest::mouseClick(button(w, "-"), Qt::LeftButton);
        QCOMPARE(s->currentPen(), 1);

        QPushButton *fou = button(w, "Fourier");
        QTest::mouseClick(fou, Qt::LeftButton);
        QVERIFY(w.smoothSlider()->slider()->isEnabled() && s->selectionMode());
        QTest::mouseClick(fou, Qt::LeftButton);
        QVERIFY(!w.smoothSlider()->slider()->isEnabled() && !s->selectionMode());
        for (const char *mode : {"Pack", "Pot"}) { // a mode change in either direction ends the tool
            QTest::mouseClick(fou, Qt::LeftButton);
            QTest::mouseClick(button(w, mode), Qt::LeftButton);
            QVERIFY(!fou->isChecked() && !w.smoothSlider()->slider()->isEnabled());
        }
        QCOMPARE(s->drawingMode(), 1);

        // "Clear" acts on the press; a release outside the button adds nothing.
        s->getPot()[10] = 0.02;
        QTest::mousePress(button(w, "Clear"), Qt::LeftButton);
        QCOMPARE(s->getPot()[10], 0.0);
        s->getPot()[11] = 0.02;
        QTest::mouseRelease(button(w, "Clear"), Qt::LeftButton, {}, QPoint(-50, -50));
        QCOMPARE(s->getPot()[11], 0.02);

        w.penRangeSlider()->slider()->setValue(90);
        w.smoothSlider()->slider()->setValue(25);
        w.dxSlider()->slider()->setValue(120);
        w.pSlider()->slider()->setValue(-35);
        w.dpSlider()->slider()->setValue(3);
        w.zSlider()->slider()->setValue(0);
        QCOMPARE(QList<double>({double(s->currentPenRange()), s->smoothingLevel(), double(s->packetDx()),
                                double(s->packetP()), double(s->packetDp()), double(s->packetZ())}),
                 QList<double>({90, 250, 120, -35, 3, 0}));
    }

    void menuShortcutsNewAndAbout()
    {
        SchMainWindow w;
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        const QList<QPair<QString, QKeySequence>> keys = {{"&New", QKeySequence(Qt::CTRL | Qt::Key_N)},
            {"&Open", QKeySequence(Qt::CTRL | Qt::Key_O)}, {"&Save", QKeySequence(Qt::CTRL | Qt::Key_S)},
            {"E&xit", QKeySequence(Qt::CTRL | Qt::Key_Q)}, {"&About", QKeySequence(Qt::CTRL | Qt::Key_H)},
            {"About &Qt", QKeySequence()}};
        for (const auto &[text, key] : keys)
            QCOMPARE(action(w, text)->shortcut(), key);

        // New empties the potential in any mode.
        w.drawingSurface()->getPot()[3] = 0.01;
        QTest::mouseClick(button(w, "Pack"), Qt::LeftButton);
        QTest::keyClick(&w, Qt::Key_N, Qt::ControlModifier);
        QCOMPARE(w.drawingSurface()->getPot()[3], 0.0);

        QString title, text;
        answerNextBox(title, text, Qt::Key_Escape);
        QTest::keyClick(&w, Qt::Key_H, Qt::ControlModifier);
        QCOMPARE(title, QString("Quantaura"));
        QVERIFY(text.contains(QString::fromUtf8("Schrödinger")));
        QVERIFY(text.endsWith(QStringLiteral("\n\nVersion " QUANTAURA_VERSION)));
        title.clear();
        answerNextBox(title, text, Qt::Key_Escape);
        action(w, "About &Qt")->trigger();
        QCOMPARE(title, QString("Quantaura"));
    }

    void sideWindowsOpenAndClose()
    {
        SchMainWindow w;
        w.show();
        SchDrawingSurface *s = w.drawingSurface();
        QPushButton *streu = button(w, "Streuung");
        QString title, text;
        answerNextBox(title, text, Qt::Key_Return);
        QTest::mouseClick(streu, Qt::LeftButton); // the zero potential is refused
        QCOMPARE(title, QString("Error"));
        QVERIFY(text.contains(QString::fromUtf8("Sie müssen schon ein von Null verschiedenes Potential angeben.")));
        QVERIFY(!streu->isChecked() && !s->scatteringWindow());

        QPushButton *eigen = button(w, "Eigenfunktionen");
        QTest::mouseClick(eigen, Qt::LeftButton);
        SchEFView *view = s->eigenWindow();
        QVERIFY(view && view->isVisible());
        QCOMPARE(view->eigenTotal(), 2); // the zero potential: two states below the scan limit
        const double e0 = view->eigenValueAt(0);

        s->getPot()[500] = 0.01; // later edits do not reach the open eigenfunction window
        QCOMPARE(view->eigenValueAt(0), e0);
        QTest::mouseClick(streu, Qt::LeftButton);
        QVERIFY(streu->isChecked() && s->scatteringWindow() && s->scatteringWindow()->isVisible());
        QPointer<QWidget> plot = s->scatteringWindow()->plot();
        QVERIFY(plot && plot->isVisible());
        s->scatteringWindow()->close(); // the title bar's close only hides both windows
        QVERIFY(s->scatteringWindow() && !plot->isVisible());
        QTest::mouseClick(streu, Qt::LeftButton);
        QTest::mouseClick(eigen, Qt::LeftButton);
        QVERIFY(!s->scatteringWindow() && !plot && !s->eigenWindow()); // the plot goes with its window
    }

    void exitAndClosingEndTheProgram()
    {
        // Runs the event loop until something ends it; a stuck loop fails after 5 s.
        auto loopEndsAfter = [](const std::function<void()> &act) {
            QTimer guard;
            guard.setSingleShot(true);
            QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(1); });
            guard.start(5000);
            QTimer::singleShot(0, act);
            return QCoreApplication::exec() == 0;
        };
        SchMainWindow w;
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QVERIFY(loopEndsAfter([&] { QTest::keyClick(&w, Qt::Key_Q, Qt::ControlModifier); }));
        SchMainWindow w2;
        QWidget other; // another top-level window stays open: closing the main window still ends it
        w2.show();
        other.show();
        QVERIFY(loopEndsAfter([&] { w2.close(); }));
    }
};

QTEST_MAIN(TestMainWindow)
#include "test_mainwindow.moc"
