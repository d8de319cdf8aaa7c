#include "editableslider.h"
#include "plot.h"
#include "potentialfile.h"
#include "schdrawingsurface.h"
#include "schefview.h"
#include "schmainwindow.h"
#include "toolkittranslation.h"
#include "uitestutil.h"
#include "window.h"

#include <QtTest>
#include <QtWidgets>

#include <cstring>

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
        const QList<QAction *> menus = w.menuBar()->actions(); // File, Bearbeiten, separator, Help
        QVERIFY(menus.size() == 4 && menus[0]->text() == "&File" && menus[1]->text() == "&Bearbeiten" &&
                menus[3]->text() == "&Help");

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
            {"About &Qt", QKeySequence()}, {"&Rückgängig", QKeySequence(Qt::CTRL | Qt::Key_Z)},
            {"&Wiederherstellen", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)}};
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

    void everyChangeIsOneUndoStep()
    {
        SchMainWindow w;
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        SchDrawingSurface *s = w.drawingSurface();
        constexpr int N = SchDrawingSurface::N;
        auto pot = [s] { return std::vector<double>(s->getPot(), s->getPot() + N); };
        auto same = [](const std::vector<double> &a, const std::vector<double> &b) {
            return std::memcmp(a.data(), b.data(), N * sizeof(double)) == 0;  // bit for bit
        };
        QTemporaryDir dir;
        std::vector<double> rough(N);
        for (int k = 0; k < N; ++k)
            rough[k] = 0.001 * (k % 7);
        const QString file = dir.filePath("rough.pot");
        QVERIFY(PotentialFile::write(file, rough.data()));
        w.askOpenName = [&file](auto...) { return file; };
        const QPoint c(s->width() / 2, s->height() / 2);
        auto drag = [s](QPoint from, QPoint to) {  // press, two moves, release
            sendMouse(s, QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
            sendMouse(s, QEvent::MouseMove, (from + to) / 2, Qt::NoButton, Qt::LeftButton);
            sendMouse(s, QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton);
            sendMouse(s, QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton);
        };
        const QList<QPair<QString, std::function<void()>>> changes = {
            {"Öffnen", [&] { QTest::keyClick(&w, Qt::Key_O, Qt::ControlModifier); }},
            {"Glätten", [&] {
                 QTest::mouseClick(button(w, "Fourier"), Qt::LeftButton);
                 drag(c - QPoint(100, 100), c + QPoint(100, 100));
                 QTest::mouseClick(button(w, "Fourier"), Qt::LeftButton);
             }},
            {"Clear", [&] { QTest::mouseClick(button(w, "Clear"), Qt::LeftButton); }},
            {"Zeichnen", [&] { drag(c - QPoint(50, 50), c + QPoint(80, -60)); }},
            {"Neu", [&] { QTest::keyClick(&w, Qt::Key_N, Qt::ControlModifier); }},
        };
        for (const auto &[name, change] : changes) {
            const std::vector<double> before = pot();
            const int steps = s->history()->count();
            change();
            const std::vector<double> after = pot();
            QVERIFY2(!same(before, after) && s->history()->count() == steps + 1, qPrintable(name));
            QCOMPARE(action(w, "&Rückgängig: " + name)->isEnabled(), true);
            QTest::keyClick(&w, Qt::Key_Z, Qt::ControlModifier);
            QVERIFY2(same(pot(), before), qPrintable(name));
            QTest::keyClick(&w, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
            QVERIFY2(same(pot(), after), qPrintable(name));
        }
        QVERIFY(!w.potentialModified());  // New is the clean state
        QTest::keyClick(&w, Qt::Key_Z, Qt::ControlModifier);
        QVERIFY(w.potentialModified());
        // Bounded: of 120 more changes the last HistoryLimit can be undone, back to the 20th.
        for (int k = 1; k <= 120; ++k) {
            std::vector<double> v(N, k * 1e-4);
            s->setPot(v.data());
        }
        QCOMPARE(s->history()->count(), SchDrawingSurface::HistoryLimit);
        while (s->history()->canUndo())
            s->undo();
        QCOMPARE(s->getPot()[7], 20 * 1e-4);
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
        QVERIFY(loopEndsAfter([&] { QTest::keyClick(&w, Qt::Key_Q, Qt::ControlModifier); }));  // unchanged: no question
        SchMainWindow changed;
        changed.show();
        QVERIFY(QTest::qWaitForWindowActive(&changed));
        std::vector<double> v(SchDrawingSurface::N, 0.01);
        changed.drawingSurface()->setPot(v.data());
        QString title, text;
        answerNextBox(title, text, Qt::Key_Escape);  // "Nein": the program goes on
        QVERIFY(!changed.close() && changed.isVisible());
        QCOMPARE(text, QString::fromUtf8("Das Potential wurde geändert. Trotzdem beenden?"));
        QVERIFY(loopEndsAfter([&] {
            onNextModal([](QWidget *box) { qobject_cast<QMessageBox *>(box)->button(QMessageBox::Yes)->click(); });
            action(changed, "E&xit")->trigger();  // "Ja"
        }));
        SchMainWindow w2;
        QWidget other; // another top-level window stays open: closing the main window still ends it
        w2.show();
        other.show();
        QVERIFY(loopEndsAfter([&] { w2.close(); }));
    }

    void everyControlExplainedAndToolkitGerman()
    {
        SchMainWindow w;
        w.show();
        SchDrawingSurface *s = w.drawingSurface();
        s->getPot()[500] = 0.01;
        QTest::mouseClick(button(w, "Eigenfunktionen"), Qt::LeftButton);
        QTest::mouseClick(button(w, "Streuung"), Qt::LeftButton);
        QSet<QString> sliderNames;
        for (QWidget *window : {static_cast<QWidget *>(&w), static_cast<QWidget *>(s->eigenWindow()),
                                static_cast<QWidget *>(s->scatteringWindow()), static_cast<QWidget *>(s->scatteringWindow()->plot())})
            for (QWidget *c : window->findChildren<QWidget *>()) {
                if (c->objectName().startsWith("qt_") || !(qobject_cast<QAbstractButton *>(c) || qobject_cast<QAbstractSlider *>(c) ||
                                                          qobject_cast<QLineEdit *>(c) || qobject_cast<QComboBox *>(c)))
                    continue;
                const QString what = QString("%1 in %2").arg(c->metaObject()->className(), window->windowTitle());
                QVERIFY2(!c->toolTip().isEmpty() && !c->whatsThis().isEmpty() && !c->accessibleName().isEmpty(), qPrintable(what));
                if (window == &w && qobject_cast<QSlider *>(c))
                    sliderNames << c->accessibleName();
            }
        QCOMPARE(sliderNames.size(), 6);  // the two "<->" sliders are told apart
        QVERIFY(installToolkitTranslation(*qApp));
        QCOMPARE(QDialogButtonBox(QDialogButtonBox::Cancel).button(QDialogButtonBox::Cancel)->text(), QString("Abbrechen"));
    }
};

QTEST_MAIN(TestMainWindow)
#include "test_mainwindow.moc"
