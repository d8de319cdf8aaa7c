// SPDX-License-Identifier: GPL-3.0-or-later
// The main window (control or input -> what must happen):
//   start           "Schrödinger"; "V", "Pot" on, other toggles off; column 160; "Smooth: " greyed; Undo, Redo greyed
//   menus           File, Bearbeiten, Zeitentwicklung, Help with their items and keys, in this order
//   X V -, Pot/Pack exclusive; pen 2, 0, 1; a mode change ends "Fourier"; Clear acts on the press
//   each slider     range, page step, first position = the value in force, reaching its receiver and the screen
//   every control   tooltip, What's This, accessible name
//   change          one undo step named after it; no change: no step; Open, Save, New: unmodified
//   Start Space . Home, tempo   one with the menu; "." stops first; tempo remembered, unknown: Normal
//   state chosen    Start off, "Pack" on, t = 0; Exit, closing end the program
#include "physics/wavepacket.h"
#include "ui/app/potentialfile.h"
#include "ui/app/schmainwindow.h"
#include "ui/app/sidewindows.h"
#include "ui/app/toolkittranslation.h"
#include "ui/eigen/schefview.h"
#include "ui/evolution/potentialmodel.h"
#include "ui/evolution/schdrawingsurface.h"
#include "ui/scattering/plot.h"
#include "ui/scattering/window.h"
#include "ui/widgets/editableslider.h"
#include "uitestutil.h"

#include <QtTest>
#include <QtWidgets>

constexpr int N = GridPoints;

class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { isolateSettings(); }

    void sliderControlReadsDecimalIntegers()
    {
        // From 40 in -100..100: a signed decimal, blanks around, clamped; any other text is 0.
        const QList<QPair<QString, int>> cases = {{"010", 10}, {" +7 ", 7}, {"-7", -7}, {"1e2", 0}, {"0x10", 0}, {"7.9", 0},
            {"250", 100}, {"-5000", -100}};
        for (const auto &[text, want] : cases) {
            EditableSlider s(-100, 100, 1, 40, Qt::Horizontal, nullptr, "<z>");
            QSignalSpy spy(&s, &EditableSlider::valueChanged);
            s.entry()->setText(text);
            QTest::keyClick(s.entry(), Qt::Key_Return);
            QStringList signalled;
            for (const auto &args : spy)
                signalled << args[0].toString();
            signalled.removeDuplicates(); // one value, however often
            const QString n = QString::number(want); // value, slider, entry, every signal
            QCOMPARE(QStringList({text, QString::number(s.value()), QString::number(s.slider()->value()), s.entry()->text(),
                                  signalled.join(',')}).join(" | "),
                     QStringList({text, n, n, n, n}).join(" | "));
        }
    }

    void startStateAndMenus()
    {
        SchMainWindow w;
        QVERIFY(showActive(w));
        QCOMPARE(w.windowTitle(), QString::fromUtf8("Schrödinger"));
        for (const QString text : {"X", "V", "-", "Pot", "Pack", "Fourier", "Start", "Streuung", "Eigenfunktionen"})
            QVERIFY2(find<QPushButton>(w, text)->isChecked() == (text == "V" || text == "Pot"), qPrintable(text));
        // Clear checkable, smoothing slider, entry, caption enabled, Undo, Redo enabled, modified
        QCOMPARE(QList<bool>({find<QPushButton>(w, "Clear")->isCheckable(), w.smoothSlider()->slider()->isEnabled(),
                              w.smoothSlider()->entry()->isEnabled(), w.smoothSlider()->caption()->isEnabled(),
                              action(w, "&Rückgängig")->isEnabled(), action(w, "&Wiederherstellen")->isEnabled(),
                              w.potentialModified()}),
                 QList<bool>({false, false, false, true, false, false, false}));
        QCOMPARE(w.penRangeSlider()->parentWidget()->width(), 160);
        QCOMPARE(w.findChild<QLabel *>("evolutionStatus")->text(), QString());
        QStringList menus; // each menu's title and items, "-" for a separator
        for (QAction *a : w.menuBar()->actions())
            menus << (a->isSeparator() ? QString("-") : a->text() + ": " + menuItems(a->menu()).join(", "));
        QCOMPARE(menus, QStringList({"&File: &New Ctrl+N, &Open Ctrl+O, &Save Ctrl+S, &Beispiele, -, E&xit Ctrl+Q",
                                     "&Bearbeiten: &Rückgängig Ctrl+Z, &Wiederherstellen Ctrl+Shift+Z",
                                     "&Zeitentwicklung: &Start Space, &Einzelschritt ., &Zurück zum Anfang Home, -, "
                                     "Sehr langsam, Langsam, Normal, Schnell, So schnell wie möglich, -, "
                                     "&Messlinie auf den höchsten Punkt",
                                     "-", "&Help: &Handbuch F1, &About Ctrl+H, About &Qt, -, &Was ist das? Shift+F1"}));
        QVERIFY(action(w, "Normal")->isChecked());
        QCOMPARE(w.drawingSurface()->pacing()->tempo(), Pacer::Normal);
        QString box;
        answerNextBox(box, Qt::Key_Escape);
        QTest::keyClick(&w, Qt::Key_H, Qt::ControlModifier); // "&About"
        QVERIFY2(box.startsWith("Quantaura: ") && box.endsWith("\n\nVersion " QUANTAURA_VERSION), qPrintable(box));
    }

    void pensModesFourierAndClear()
    {
        SchMainWindow w;
        w.show();
        SchDrawingSurface *s = w.drawingSurface();
        for (const auto &[text, pen] : {std::pair{"X", 2}, {"-", 1}, {"V", 0}}) {
            QTest::mouseClick(find<QPushButton>(w, text), Qt::LeftButton);
            QVERIFY2(s->settings().pen == pen, text);
            QString on; // one at a time
            for (const char *b : {"X", "V", "-"})
                on += find<QPushButton>(w, b)->isChecked() ? b : "";
            QCOMPARE(on, QString(text));
        }
        // "Fourier" enables "Smooth: " and selects; a mode change in either direction ends it; both modes show.
        QPushButton *fou = find<QPushButton>(w, "Fourier");
        s->setDX(120); // a packet to show
        const auto state = [&] { // Fourier, smoothing entry, slider, selecting, Pack
            return QList<bool>({fou->isChecked(), w.smoothSlider()->entry()->isEnabled(), w.smoothSlider()->slider()->isEnabled(),
                                s->settings().selectionMode, find<QPushButton>(w, "Pack")->isChecked()});
        };
        for (const char *mode : {"Pack", "Pot"}) {
            const bool pack = QByteArray(mode) == "Pot";
            fou->click();
            QCOMPARE(state(), QList<bool>({true, true, true, true, pack}));
            QTest::mouseClick(find<QPushButton>(w, mode), Qt::LeftButton);
            QCOMPARE(state(), QList<bool>({false, false, false, false, !pack}));
            QVERIFY2(screenCurrent(s), mode);
        }
        QCOMPARE(s->settings().drawingMode, 1);
        QCOMPARE(s->grab().toImage().pixel(10, s->height() / 2), qRgb(255, 255, 255));
        s->getPot()[10] = 0.02; // "Clear" acts on the press
        QTest::mousePress(find<QPushButton>(w, "Clear"), Qt::LeftButton);
        QCOMPARE(s->getPot()[10], 0.0);
    }

    void sideWindowsAndEverySlider()
    {
        SchMainWindow w;
        w.show();
        SchDrawingSurface *s = w.drawingSurface();
        SideWindows *sides = w.sideWindows();
        QPushButton *streu = find<QPushButton>(w, "Streuung"), *eigen = find<QPushButton>(w, "Eigenfunktionen");
        QString box;
        answerNextBox(box, Qt::Key_Return);
        streu->click(); // the zero potential is refused, with a message
        QVERIFY2(box.startsWith("Error: "), qPrintable(box));
        QCOMPARE(QList<bool>({streu->isChecked(), bool(sides->scattering())}), QList<bool>({false, false}));
        eigen->click(); // two states of the zero potential
        SchEFView *ev = sides->eigen();
        std::vector<double> barrier(N, 0.0);
        std::fill(barrier.begin() + 400, barrier.begin() + 600, 0.005); // 5 in the scattering window
        s->setPot(barrier.data()); // later edits do not reach the open eigenfunction window
        streu->click();
        Window *win = sides->scattering();
        Plot *plot = win->plot();
        QCOMPARE(ev->eigenTotal(), 2);
        for (QWidget *shown : std::initializer_list<QWidget *>{ev, win, plot})
            QVERIFY2(shown->isVisible(), shown->metaObject()->className());
        QVERIFY(streu->isChecked());
        find<QPushButton>(w, "Fourier")->click(); // enables "Smooth: "
        // Every slider by keyboard: range, page step, first value in force; receiver, packet at its first place, screen.
        struct Row {
            QSlider *slider; // its EditableSlider, if any, shows the value in its entry too
            int min, max, initial;
            std::function<bool(int)> inForce;
            QWidget *shows;
            int page = 1;
            bool packet = false;
        };
        const auto in = [](const QWidget *window, const char *name) { return window->findChild<QSlider *>(name); };
        const PacketParams &p = s->simulation().params();
        const QList<Row> rows = {
            {w.penRangeSlider()->slider(), 10, 1100, 30, [s](int v) { return s->settings().penRange == v; }, s},
            {w.smoothSlider()->slider(), 10, 100, 30, [s](int v) { return s->settings().smoothingLevel == 10.0 * v; }, s},
            {w.dxSlider()->slider(), 40, 500, 40, [&](int v) { return p.dx == v; }, s, 1, true},
            {w.pSlider()->slider(), -100, 100, 0, [&](int v) { return p.p == v; }, s, 1, true},
            {w.dpSlider()->slider(), 1, 100, 10, [&](int v) { return p.dp == v; }, s, 1, true},
            {w.zSlider()->slider(), -100, 100, 10, [&](int v) { return p.z == v; }, s},
            {in(ev, "Eigen"), 0, 1, 0, [ev](int v) { return ev->selectedIndex() == v; }, ev},
            {in(win, "Potentialbreite"), 1, 100000, 200, [win](int v) { return win->widthFactorValue() == v * 1e-5; }, win, 100},
            {in(win, "Energiemaximum"), 0, 8, 8,
             [win, plot](int v) { return win->eMax() == (10 - v) * 5.0 && plot->maximumEnergy() == (10 - v) * 5; }, win},
            // Set from the potential to factor 1 (500 at 2 Vmax); the energy slider left at 8 Vmax moved it to 125.
            {in(win, "Potentialskala"), 0, 1000, 125,
             [win](int v) { return std::fabs(win->potentialScale() - win->eMax() * v / 5000.0) < 1e-12; }, win},
            {plot->slider(), 0, 1000, 200,
             [plot](int v) { return std::fabs(plot->markerPosition() - v * plot->maximumEnergy() * 0.001) < 1e-9; }, plot},
        };
        QSet<QString> names; // the two "<->" are told apart
        for (const Row &r : rows) {
            const auto *c = qobject_cast<EditableSlider *>(r.slider->parentWidget());
            const auto at = [&r, c](int v) {
                return r.slider->value() == v && (!c || (c->value() == v && c->entry()->text() == QString::number(v)));
            };
            names << r.slider->accessibleName();
            QVERIFY2(at(r.initial), qPrintable(r.slider->accessibleName()));
            QVERIFY2(r.inForce(r.initial), qPrintable(r.slider->accessibleName() + ": in force at the start"));
            for (const auto &[key, v] : {std::pair{Qt::Key_End, r.max}, {Qt::Key_Home, r.min}, {Qt::Key_PageUp, r.min + r.page},
                                         {Qt::Key_PageUp, std::min(r.min + 2 * r.page, r.max)}}) {
                QTest::keyClick(r.slider, key);
                const QString where = QString("%1 at %2: ").arg(r.slider->accessibleName()).arg(v);
                std::vector<std::complex<double>> psi(N);
                initPacket(psi.data(), 512, 200, p.dx, p.p, p.dp, s->height());
                QVERIFY2(at(v), qPrintable(where + "control"));
                QVERIFY2(r.inForce(v), qPrintable(where + "receiver"));
                QVERIFY2(!r.packet || std::equal(psi.begin(), psi.end(), s->simulation().wave()), qPrintable(where + "packet"));
                QVERIFY2(screenCurrent(r.shows, r.shows == s ? QRect() : r.shows->rect().adjusted(0, 50, 0, 0)), qPrintable(where + "screen"));
            }
        }
        QCOMPARE(names.size(), rows.size());
        for (QWidget *window : std::initializer_list<QWidget *>{&w, ev, win, plot}) // every control explains itself
            for (QWidget *c : window->findChildren<QWidget *>())
                if (!c->objectName().startsWith("qt_") && (qobject_cast<QAbstractButton *>(c) || qobject_cast<QAbstractSlider *>(c)
                                                          || qobject_cast<QLineEdit *>(c) || qobject_cast<QComboBox *>(c)))
                    for (const auto &[what, text] : {std::pair{"tooltip", c->toolTip()}, {"What's This", c->whatsThis()},
                                                     {"accessible name", c->accessibleName()}})
                        QVERIFY2(!text.isEmpty(), qPrintable(QString("%1 without %2").arg(c->metaObject()->className(), what)));
        QVERIFY(installToolkitTranslation(*qApp));
        QCOMPARE(QDialogButtonBox(QDialogButtonBox::Cancel).button(QDialogButtonBox::Cancel)->text(), QString("Abbrechen"));

        // A state from the eigenfunction window arrives stopped, at t = 0, and shows as a packet does.
        find<QPushButton>(w, "Start")->click();
        emit sides->stateChosen(std::vector<std::complex<double>>(N, 1.0 / 32));
        QCOMPARE(QList<bool>({find<QPushButton>(w, "Start")->isChecked(), s->isRunning(),
                              find<QPushButton>(w, "Pack")->isChecked()}), QList<bool>({false, false, true}));
        QCOMPARE(s->simulation().stepCount(), 0);

        QPointer<QWidget> plotWindow = plot;
        win->close(); // the title bar's close only hides both windows
        QCOMPARE(QList<bool>({bool(sides->scattering()), plot->isVisible()}), QList<bool>({true, false}));
        streu->click();
        eigen->click(); // the plot goes with its window
        QCOMPARE(QList<bool>({bool(sides->scattering()), bool(plotWindow), bool(sides->eigen())}),
                 QList<bool>({false, false, false}));
    }

    void everyChangeIsOneUndoStep()
    {
        SchMainWindow w;
        QVERIFY(showActive(w));
        SchDrawingSurface *s = w.drawingSurface();
        auto pot = [s] { return std::vector<double>(s->getPot(), s->getPot() + N); };
        QTemporaryDir dir;
        std::vector<double> rough(N);
        for (int k = 0; k < N; ++k)
            rough[k] = 0.001 * (k % 7);
        QVERIFY(PotentialFile::write(dir.filePath("rough.pot"), rough.data()));
        w.askOpenName = [&dir](auto...) { return dir.filePath("rough.pot"); };
        w.askSaveName = [&dir](auto...) { return dir.filePath("saved.pot"); };
        const QPoint c(s->width() / 2, s->height() / 2);
        QPushButton *fou = find<QPushButton>(w, "Fourier"), *pack = find<QPushButton>(w, "Pack");
        const QList<QPair<QString, std::function<void()>>> changes = {
            {"Öffnen", [&] { QTest::keyClick(&w, Qt::Key_O, Qt::ControlModifier); }},
            {"Glätten", [&] { fou->click(), drag(s, {c - QPoint(100, 100), c, c + QPoint(100, 100)}), fou->click(); }},
            {"Clear", [&] { QTest::mouseClick(find<QPushButton>(w, "Clear"), Qt::LeftButton); }},
            {"Zeichnen", [&] { drag(s, {c - QPoint(50, 50), c, c + QPoint(80, -60)}); }},
            {"Potential ersetzen", [&] { s->setPot(rough.data()); }},
            {"Neu", [&] { QTest::mouseClick(pack, Qt::LeftButton), QTest::keyClick(&w, Qt::Key_N, Qt::ControlModifier); }},
        };
        // The edit menu and the modified state as "undo item | redo item | state", "-" for a greyed item.
        QAction *undo = action(w, "&Rückgängig"), *redo = action(w, "&Wiederherstellen");
        const auto word = [](bool modified) { return QString(modified ? "geändert" : "gespeichert"); };
        const auto history = [&] {
            return QStringList({undo->isEnabled() ? undo->text() : "-", redo->isEnabled() ? redo->text() : "-", word(w.potentialModified())}).join(" | ");
        };
        QCOMPARE(history(), QString("- | - | gespeichert"));
        for (const auto &[name, change] : changes) {
            const std::vector<double> before = pot();
            const int steps = s->potential()->history()->count();
            const bool modified = w.potentialModified();
            change();
            const std::vector<double> after = pot();
            const bool opened = name == "Öffnen" || name == "Neu"; // the new clean state: undone, it is modified
            const QString done = "&Rückgängig: " + name + " | - | " + word(!opened);
            QVERIFY2(before != after, qPrintable(name + ": no change"));
            QVERIFY2(s->potential()->history()->count() == steps + 1, qPrintable(name + ": steps"));
            QVERIFY2(screenCurrent(s), qPrintable(name + ": screen"));
            QCOMPARE(history(), done);
            QTest::keyClick(&w, Qt::Key_Z, Qt::ControlModifier);
            QVERIFY2(pot() == before, qPrintable(name + ": undone"));
            QVERIFY2(screenCurrent(s), qPrintable(name + ": screen after undo"));
            QCOMPARE(history().section(" | ", 1), "&Wiederherstellen: " + name + " | " + word(modified || opened));
            QTest::keyClick(&w, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
            QVERIFY2(pot() == after, qPrintable(name + ": redone"));
            QVERIFY2(screenCurrent(s), qPrintable(name + ": screen after redo"));
            QCOMPARE(history(), done);
        }
        // Changes that change nothing are no step: Clear, New, the same again; a save is unmodified.
        QTest::mouseClick(find<QPushButton>(w, "Pot"), Qt::LeftButton);
        QTest::mouseClick(find<QPushButton>(w, "Clear"), Qt::LeftButton);
        w.news();
        s->setPot(std::vector<double>(N, 0.0).data());
        QCOMPARE(history(), QString("&Rückgängig: Neu | - | gespeichert"));
        QTest::keyClick(&w, Qt::Key_Z, Qt::ControlModifier);
        QTest::keyClick(&w, Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(history(), QString("&Rückgängig: Potential ersetzen | &Wiederherstellen: Neu | gespeichert"));
    }

    void evolutionKeysTempoAndStatusLine()
    {
        SchMainWindow w;
        QVERIFY(showActive(w));
        SchDrawingSurface *s = w.drawingSurface();
        s->pacing()->clock = [] { return 0.0; }; // the frames owe no steps: the keys make them
        auto *status = w.findChild<QLabel *>("evolutionStatus");
        const int width = w.width(), height = status->height();
        QCOMPARE(height, 2 * status->fontMetrics().lineSpacing() + 2);
        QTest::mouseClick(find<QPushButton>(w, "Pack"), Qt::LeftButton);
        drag(s, {{s->width() / 3, s->midRow() - 80}});
        QCOMPARE(status->text(), s->statusText());
        QCOMPARE(QList<int>({w.width(), status->height()}), QList<int>({width, height})); // the long line never widens it

        // As "button menu running step": Space, Home only on the surface; "." stops first, then steps.
        QPushButton *start = find<QPushButton>(w, "Start"), *pack = find<QPushButton>(w, "Pack");
        const auto run = [&] {
            return QString("%1 %2 %3 %4").arg(start->isChecked()).arg(action(w, "&Start")->isChecked()).arg(s->isRunning()).arg(s->simulation().stepCount());
        };
        const QList<std::pair<std::function<void()>, QString>> keys = {
            {[&] { start->click(); }, "1 1 1 0"}, {[&] { action(w, "&Start")->trigger(); }, "0 0 0 0"},
            {[&] { s->setFocus(), QTest::keyClick(s, Qt::Key_Space); }, "1 1 1 0"}, {[&] { QTest::keyClick(&w, Qt::Key_Period); }, "0 0 0 1"},
            {[&] { QTest::keyClick(s, Qt::Key_Home); }, "0 0 0 0"}, {[&] { QTest::keyClick(&w, Qt::Key_Period); }, "0 0 0 1"},
            {[&] { pack->setFocus(), QTest::keyClick(pack, Qt::Key_Space), QTest::keyClick(pack, Qt::Key_Home); }, "0 0 0 1"}};
        for (const auto &[act, want] : keys) {
            act();
            QCOMPARE(run(), want);
            QVERIFY(status->text().startsWith(QString("t = %1 Schritte").arg(s->simulation().stepCount())));
            QVERIFY(screenCurrent(s));
        }

        // The tempo is remembered for the next window; what is not a tempo counts as Normal.
        const QStringList tempi = {"Sehr langsam", "Langsam", "Normal", "Schnell", "So schnell wie möglich"};
        for (int t = 0; t < Pacer::TempoCount; ++t) {
            action(w, tempi[t])->trigger();
            QCOMPARE(s->pacing()->tempo(), Pacer::Tempo(t));
            SchMainWindow next;
            QVERIFY2(next.drawingSurface()->pacing()->tempo() == t, qPrintable(tempi[t]));
            QVERIFY2(action(next, tempi[t])->isChecked(), qPrintable(tempi[t]));
        }
        QSettings("Quantaura", "Quantaura").setValue("evolution/tempo", "zügig");
        SchMainWindow odd;
        QCOMPARE(odd.drawingSurface()->pacing()->tempo(), Pacer::Normal);

        // The measuring line back to the potential's highest point.
        s->setMeasuringLine(100);
        std::vector<double> pot(N, 0.0);
        pot[700] = 0.01;
        s->setPot(pot.data());
        QCOMPARE(s->measuringLine(), 100);
        action(w, "&Messlinie auf den höchsten Punkt")->trigger();
        QCOMPARE(s->measuringLine(), 700);
    }

    void exitAndClosingEndTheProgram()
    {
        // Runs the event loop until something ends it; a loop that never ends fails after 60 s.
        auto loopEndsAfter = [](const std::function<void()> &act) {
            QObject guard;
            QTimer::singleShot(60000, &guard, [] { QCoreApplication::exit(1); });
            QTimer::singleShot(0, act);
            return QCoreApplication::exec() == 0;
        };
        SchMainWindow changed;
        QVERIFY(showActive(changed));
        changed.drawingSurface()->setPot(std::vector<double>(N, 0.01).data());
        QVERIFY(loopEndsAfter([&] {
            onNextModal([](QWidget *box) { qobject_cast<QMessageBox *>(box)->button(QMessageBox::Discard)->click(); });
            action(changed, "E&xit")->trigger(); // "Verwerfen"
        }));
        SchMainWindow w2;
        QWidget other; // another top-level window stays open: closing the main window still ends it
        w2.show();
        other.show();
        QVERIFY(loopEndsAfter([&] { w2.close(); }));
    }
};

QTEST_MAIN(TestMainWindow)
#include "test_mainwindow.moc"
