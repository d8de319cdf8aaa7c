// SPDX-License-Identifier: GPL-3.0-or-later
// The shipped examples load through File -> Beispiele; quantaura-export prints what the windows
// compute for a potential file.
#include "physics/grid.h"
#include "physics/packetmeasurement.h"
#include "physics/stationarystates.h"
#include "ui/app/examples.h"
#include "ui/app/sidewindows.h"
#include "ui/scattering/plot.h"
#include "ui/app/potentialfile.h"
#include "ui/evolution/schdrawingsurface.h"
#include "ui/eigen/schefview.h"
#include "ui/app/schmainwindow.h"
#include "uitestutil.h"
#include "ui/scattering/window.h"

#include <QtTest>
#include <QtWidgets>

#include <array>
#include <csignal>
#include <functional>

#include <sys/resource.h>

namespace {
constexpr int N = GridPoints;
const QString Dir = EXAMPLES_SOURCE_DIR "/";

std::vector<double> load(const QString &file)
{
    std::vector<double> s(N);
    if (PotentialFile::read(Dir + file, s.data()) != PotentialFile::ReadStatus::Ok)
        qFatal("cannot read %s", qPrintable(file));
    return s;
}

// What quantaura-export prints; its exit code and complaint in `code` and `err`. `child` runs in
// the child process before the program starts.
QString exportRun(const QStringList &args, int *code = nullptr, QString *err = nullptr, std::function<void()> child = {})
{
    QProcess p;
    if (child)
        p.setChildProcessModifier(child);
    p.start(EXPORT_PROGRAM, args);
    const bool done = p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit;
    if (code)
        *code = done ? p.exitCode() : -1;
    if (err)
        *err = QString::fromUtf8(p.readAllStandardError());
    return QString::fromUtf8(p.readAllStandardOutput());
}

// A number written with `digits` significant digits is the exact one rounded: off by at most half
// a unit in its last digit.
bool shows(double shown, double exact, int digits)
{
    return std::fabs(shown - exact) <= 0.50001 * std::pow(10.0, 1 - digits) * std::fabs(exact);
}

// The cells of a table's lines; the numbers in the C form or, German, with a decimal comma
// (and no point anywhere: a German spreadsheet takes it for a thousands separator).
QList<QList<double>> numbers(const QStringList &lines, bool german)
{
    QLocale de(QLocale::German);
    de.setNumberOptions(QLocale::RejectGroupSeparator);
    QList<QList<double>> rows;
    for (const QString &line : lines) {
        rows.append(QList<double>());
        for (const QString &cell : line.split(german ? ';' : ',')) {
            bool ok = false;
            rows.last() << (german ? de.toDouble(cell, &ok) : QLocale::c().toDouble(cell, &ok));
            if (!ok)
                qWarning("not a number: %s", qPrintable(cell));
            rows.last().last() = ok ? rows.last().last() : std::nan("");
        }
    }
    return rows;
}

struct Transmission : ScatterSink {
    std::vector<std::pair<double, double>> points; // E, T
    std::vector<std::array<double, 3>> rows;        // E, R, T
    void reset() override { points.clear(), rows.clear(); }
    void addPoint(double r, double t, double e, int) override { points.emplace_back(e, t), rows.push_back({e, r, t}); }
};
} // namespace

class TestExamples : public QObject
{
    Q_OBJECT
private slots:
    void menuLoadsEachExample()
    {
        // One entry per committed file, found beside the program or under its prefix; each loads its file.
        QStringList files = QDir(Dir).entryList({"*.pot"}, QDir::Files), listed;
        for (const Examples::Entry &e : Examples::all())
            listed << e.file;
        files.sort(), listed.sort();
        QCOMPARE(listed.size(), 8);
        QCOMPARE(listed, files);
        SchMainWindow w;
        w.examplesDir = Examples::directory(PROGRAM_DIR); // the build tree's copy beside the program
        QCOMPARE(w.examplesDir, QDir::cleanPath(PROGRAM_DIR "/examples"));
        const QList<QAction *> entries = w.menuBar()->actions().first()->menu()->actions()[3]->menu()->actions();
        QTemporaryDir dir;
        for (int i = 0; i < Examples::all().size(); ++i) {
            const Examples::Entry &e = Examples::all()[i];
            QCOMPARE(entries.value(i)->text(), e.title);
            entries[i]->trigger();
            const double *pot = w.drawingSurface()->getPot();
            QVERIFY2(std::equal(pot, pot + N, load(e.file).begin()), qPrintable(e.file));
        }
        // Without the folder nothing is taken from the working directory; the user is told.
        const QString cwd = QDir::currentPath();
        QVERIFY(QDir::setCurrent(dir.path()));
        QVERIFY(PotentialFile::write(Examples::all()[0].file, std::vector<double>(N, 0.01).data()));
        w.examplesDir.clear();
        QString box;
        answerNextBox(box, Qt::Key_Escape);
        entries[0]->trigger();
        QDir::setCurrent(cwd);
        QCOMPARE(box, QString("Quantaura: File does not exist !"));
        QVERIFY2(w.drawingSurface()->getPot()[0] != 0.01, "nothing read from the working directory");
        QVERIFY(QDir(dir.path()).mkpath("bin"));
        QVERIFY(QDir(dir.path()).mkpath("share/quantaura/examples"));
        QCOMPARE(Examples::directory(dir.filePath("bin")), QString());
        QFile f(dir.filePath("share/quantaura/examples/" + Examples::all().first().file));
        QVERIFY(f.open(QIODevice::WriteOnly));
        QCOMPARE(Examples::directory(dir.filePath("bin")), dir.filePath("share/quantaura/examples"));
    }

    void examplesShowTheirPhysics()
    {
        const auto levels = [](const char *file) { // the bound states the eigenfunction window finds
            const SchEFView view(load(file).data(), nullptr, EigenSolver::Trace());
            std::vector<double> e;
            for (int k = 0; k < view.eigenTotal(); ++k)
                e.push_back(view.eigenValueAt(k));
            return e;
        };
        // In the window's units the kinetic term is 20000 T: hbar^2/m = 40000. The oscillator's
        // V = 0.005 d^2 has the levels hbar w (n + 1/2), hbar w = sqrt(40000 * 0.01) = 20.
        const std::vector<double> osc = levels("oszillator.pot"), well = levels("rechteckmulde.pot");
        const std::vector<double> dw = levels("doppelmulde.pot"), lattice = levels("gitter.pot");
        for (int n = 0; n < 8; ++n)
            QVERIFY2(std::fabs(osc.at(n) / (20 * (n + 0.5)) - 1) < 0.005, qPrintable(QString::number(osc[n])));
        // The square well, 200 wide and 200 deep: z0 = 100 sqrt(200 / 20000) = 10, ceil(2 z0 / pi) = 7 bound states.
        QCOMPARE(int(std::count_if(well.begin(), well.end(), [](double e) { return e < 0; })), 7);
        // The double well's lowest pair split by less than 1 % of the gap above it; the lattice's
        // lowest eight states in one band, narrower than half the gap to the next.
        QVERIFY2(dw.size() > 2, qPrintable(QString::number(dw.size())));
        QVERIFY2(dw[1] - dw[0] < 0.01 * (dw[2] - dw[1]), "the double well's lowest pair");
        QVERIFY2(lattice.size() > 8, qPrintable(QString::number(lattice.size())));
        QVERIFY2(lattice[7] - lattice[0] < 0.5 * (lattice[8] - lattice[7]), "the lattice's lowest band");
        // Double barrier: below the barriers' top, the first maximum of T(E) lets almost all through.
        Window w;
        Transmission t;
        QVERIFY(!w.setPotential(load("doppelbarriere.pot").data(), N));
        QVERIFY2(w.sweep(t).points > 1000, qPrintable(QString::number(t.points.size())));
        const double top = *std::max_element(w.rawSamples().begin(), w.rawSamples().end());
        std::size_t i = 2;
        while (i + 1 < t.points.size() && !(t.points[i].second >= t.points[i - 1].second && t.points[i].second > t.points[i + 1].second))
            ++i;
        const QString peak = QString("T=%1 at E=%2").arg(t.points[i].second).arg(t.points[i].first);
        QVERIFY2(t.points[i].second > 0.9, qPrintable("almost all through: " + peak));
        QVERIFY2(t.points[i].first < top, qPrintable("below the top: " + peak));
        // The tunnelling pendulum: for the evolution's particle the lowest pair (one step of dt = 50
        // turns the phase of E by 2 atan((E - E0) 25) + 50 E0, E0 their mean) swings once in 40 s
        // at 128 steps a second, the next state 40 splittings higher; the measuring line stands
        // on the wall between the wells.
        const std::vector<double> pendel = load("tunnelpendel.pot");
        const StationaryStates states(pendel.data(), EigenSolver::Trace());
        const double e0 = 0.5 * (states.energy(0) + states.energy(1));
        const double turn = 2 * std::atan((states.energy(1) - e0) * 25) - 2 * std::atan((states.energy(0) - e0) * 25);
        const double seconds = 2 * M_PI / turn / Pacer::stepsPerSecond(Pacer::Normal);
        QVERIFY2(std::fabs(seconds - 40) < 0.5, qPrintable(QString("period %1 s").arg(seconds)));
        QVERIFY2(states.energy(2) - states.energy(1) > 40 * (states.energy(1) - states.energy(0)), "the next state far above the pair");
        QCOMPARE(PacketMeasurement::highestPoint(pendel.data(), N), 511);
    }

    void exportPrintsWhatTheWindowsShow()
    {
        // Bound states: the window's energies to 10 significant digits (the trace's 6 would not
        // tell the double well's pair apart at 1e-6).
        SchEFView view(load("doppelmulde.pot").data(), nullptr, EigenSolver::Trace());
        const int n = view.eigenTotal();
        const QStringList levels = exportRun({"eigen", Dir + "doppelmulde.pot"}).split('\n', Qt::SkipEmptyParts);
        QCOMPARE(levels.value(0), QString("n digits=10,E [1e-4 hbar^2/(m dx^2)]"));
        QCOMPARE(levels.size(), n + 1);
        const QList<QList<double>> e = numbers(levels.mid(1), false);
        for (int k = 0; k < n; ++k) {
            QVERIFY2(e[k].value(0) == k, qPrintable(levels[k + 1]));
            QVERIFY2(shows(e[k].value(1), view.eigenValueAt(k), 10), qPrintable(levels[k + 1]));
        }
        // Eigenfunctions: a row per sample; the states are numbers, without an energy unit.
        const QStringList table = exportRun({"eigenfunctions", Dir + "doppelmulde.pot"}).split('\n', Qt::SkipEmptyParts);
        QStringList names = {"j digits=10", "V [1e-4 hbar^2/(m dx^2)]"};
        for (int k = 0; k < n; ++k)
            names << QString("psi_%1").arg(k);
        QCOMPARE(table.value(0), names.join(','));
        QCOMPARE(table.size(), N + 1);
        const QList<double> row = numbers({table[432]}, false).first();
        QCOMPARE(row.size(), n + 2);
        QCOMPARE(row[0], 431.0);
        QVERIFY2(shows(row[1], view.potential()[431], 10), "V at 431");
        for (int k = 0; k < n; ++k)
            QVERIFY2(shows(row[k + 2], view.eigenFunctionAt(k)[431], 10), qPrintable(QString("psi_%1 at 431").arg(k)));

        // The evolution's particle: through the window's check box, which the header names.
        view.findChild<QCheckBox *>("particle")->setChecked(true);
        const QStringList evolution = exportRun({"eigen", Dir + "doppelmulde.pot", "--mass-of-evolution"}).split('\n', Qt::SkipEmptyParts);
        QCOMPARE(evolution.value(0), QString("n particle=evolution digits=10,E [1e-4 hbar^2/(m dx^2)]"));
        QCOMPARE(evolution.size(), view.eigenTotal() + 1);
        QVERIFY2(view.eigenTotal() != n, "another particle, other states");
        const QList<QList<double>> ee = numbers(evolution.mid(1), false);
        for (int k = 0; k < view.eigenTotal(); ++k)
            QVERIFY2(shows(ee[k].value(1), view.eigenValueAt(k), 10), qPrintable(evolution[k + 1]));
        const QStringList functions = exportRun({"eigenfunctions", "--mass-of-evolution", Dir + "doppelmulde.pot"}).split('\n', Qt::SkipEmptyParts);
        QVERIFY2(functions.value(0).startsWith("j particle=evolution digits=10,V"), qPrintable(functions.value(0)));
        const QList<double> at431 = numbers({functions.value(432)}, false).first();
        QCOMPARE(at431.size(), view.eigenTotal() + 2);
        for (int k = 0; k < view.eigenTotal(); ++k)
            QVERIFY2(shows(at431[k + 2], view.eigenFunctionAt(k)[431], 10), qPrintable(QString("evolution's psi_%1 at 431").arg(k)));

        // Scattering with other settings, which the header records: the points of the window's
        // sweep, and the plot's picture.
        Window w;
        const ScatterRecorder &said = recordReports(w);
        QVERIFY(!w.setPotential(load("doppelbarriere.pot").data(), N));
        w.findChild<QSlider *>("Potentialbreite")->setValue(300);
        w.findChild<QSlider *>("Energiemaximum")->setValue(7);
        Transmission sweep;
        w.sweep(sweep);
        find<QPushButton>(w, "Calc")->click();
        QTemporaryDir dir;
        const QStringList points = exportRun({"scattering", Dir + "doppelbarriere.pot", "--width", "0.003", "--emax-factor", "3",
                                              "--png", dir.filePath("plot.png")}).split('\n', Qt::SkipEmptyParts);
        QCOMPARE(said.said, QStringList());
        QCOMPARE(points.value(0), QString("E [1e-3 hbar^2/(m dx^2)] width=0.003 emax-factor=3 digits=10,R,T"));
        QCOMPARE(points.size() - 1, int(sweep.rows.size()));
        QCOMPARE(points.size() - 1, w.plot()->storedPoints());
        const QList<QList<double>> ert = numbers(points.mid(1), false);
        for (int i = 0; i < ert.size(); ++i)
            for (int c = 0; c < 3; ++c)
                QVERIFY2(shows(ert[i].value(c), sweep.rows[i][c], 10), qPrintable(QString("row %1: %2").arg(i + 1).arg(points[i + 1])));
        Plot *plot = w.plot();
        plot->slider()->setValue(200);
        QCOMPARE(QImage(dir.filePath("plot.png")).convertToFormat(QImage::Format_RGB32), plot->grab().toImage().convertToFormat(QImage::Format_RGB32));
    }

    void tunnellingPendulumAsATeacherRunsIt()
    {
        // The example, the check box, the lowest pair marked by two clicks on its line, "In die
        // Zeitentwicklung" with the dialog's equal weights (while a packet runs), Start at "Normal":
        // the particle is in the right well after 20 s and back after 40 s, as the status bar says.
        SchMainWindow w;
        w.examplesDir = Dir;
        w.show();
        w.openExample("tunnelpendel.pot");
        SchDrawingSurface *s = w.drawingSurface();
        double now = 50.0;
        s->pacing()->clock = [&now] { return now; };
        s->pacing()->setTempo(Pacer::Normal);
        QPushButton *start = find<QPushButton>(w, "Start"), *pack = find<QPushButton>(w, "Pack");
        find<QPushButton>(w, "Eigenfunktionen")->click();
        SchEFView *ev = w.sideWindows()->eigen();
        int asked = 0;
        ev->askParts = [&asked](QWidget *, std::vector<StationaryStates::Part> &, const std::vector<double> &) { return ++asked; };
        ev->findChild<QCheckBox *>("particle")->click();
        const int line = ev->rowOf(ev->eigenValueAt(0));
        QTest::mouseClick(ev, Qt::LeftButton, Qt::NoModifier, QPoint(400, line));
        QTest::mouseClick(ev, Qt::LeftButton, Qt::NoModifier, QPoint(400, line));
        QCOMPARE(ev->markedStates(), std::vector<int>({0, 1}));
        start->click();
        find<QPushButton>(*ev, "In die Zeitentwicklung")->click();
        QCOMPARE(asked, 1);
        QVERIFY2(!start->isChecked(), "stopped");
        QVERIFY(!s->isRunning());
        QVERIFY2(pack->isChecked(), "shown as a packet is");
        // The superposition, scaled as a packet of the last height (200) would be, at t = 0.
        const PacketSimulation &sim = s->simulation();
        const double peak = 2.0 * sim.params().height / s->height();
        std::vector<std::complex<double>> psi(N);
        for (int j = 0; j < N; ++j)
            psi[j] = (ev->eigenFunctionAt(0)[j] + ev->eigenFunctionAt(1)[j]) / std::sqrt(800000.0);
        const double top = std::abs(*std::max_element(psi.begin(), psi.end(), [](auto a, auto b) { return std::abs(a) < std::abs(b); }));
        double off = 0.0;
        for (int j = 0; j < N; ++j)
            off = std::max(off, std::abs(sim.wave()[j] - psi[j] * (peak / top)));
        QVERIFY2(off < 1e-12, qPrintable(QString("shape off by %1").arg(off)));
        QCOMPARE(sim.stepCount(), 0);
        const QLabel *status = w.findChild<QLabel *>("evolutionStatus");
        const auto shares = [status] { // links, rechts
            const QRegularExpressionMatch m = QRegularExpression("links ([0-9.]+)   rechts ([0-9.]+)   Norm 1.000000").match(status->text());
            return m.hasMatch() ? std::pair(m.captured(1).toDouble(), m.captured(2).toDouble()) : std::pair(-1.0, -1.0);
        };
        QVERIFY2(status->text().startsWith(QString::fromUtf8("t = 0 Schritte")), qPrintable(status->text()));
        QVERIFY2(shares().first > 0.99, qPrintable(status->text()));
        // On the surface: the left well's columns, nothing over the right well.
        QVERIFY(screenCurrent(s));
        const QImage shot = s->grab().toImage();
        const auto column = [&](int j) { return (j * s->width() + N / 2) / N; };
        QVERIFY2(shot.pixel(column(457), s->midRow() - 20) != qRgb(0, 0, 0), "the left well");
        QVERIFY2(shot.pixel(column(566), s->midRow() - 20) == qRgb(0, 0, 0), "the right well");
        // Start, with frames at "Normal" every quarter second.
        start->click();
        QTimer *timer = s->findChild<QTimer *>();
        timer->stop();
        for (const auto &[seconds, right] : {std::pair{20, true}, {40, false}}) {
            while (now < 50.0 + seconds) {
                now += 0.25;
                QVERIFY(QMetaObject::invokeMethod(timer, "timeout"));
            }
            const auto [l, r] = shares();
            QVERIFY2((right ? r : l) > 0.99, qPrintable(QString("after %1 s: %2").arg(seconds).arg(status->text())));
        }
        QCOMPARE(sim.stepCount(), 5120);
        start->click();
        // "Zurück zum Anfang" comes back to it; a packet placed afterwards replaces it.
        find<QAction>(w, "&Zurück zum Anfang")->trigger();
        QCOMPARE(sim.stepCount(), 0);
        QVERIFY2(std::abs(sim.wave()[457] - psi[457] * (peak / top)) < 1e-12, "back to the superposition");
        drag(s, {QPoint(column(300), s->midRow() - 100)});
        QVERIFY2(std::abs(sim.params().x - 300) <= 1, qPrintable(QString::number(sim.params().x)));
        QVERIFY2(std::abs(sim.wave()[457]) < 1e-3, "the packet instead, at 300");
    }

    void exportFormatsForSpreadsheets()
    {
        // German: the same table with ';' and decimal commas, read back to the same numbers.
        const QStringList c = exportRun({"scattering", Dir + "barriere.pot"}).split('\n', Qt::SkipEmptyParts);
        const QStringList de = exportRun({"scattering", Dir + "barriere.pot", "--german"}).split('\n', Qt::SkipEmptyParts);
        QCOMPARE(c.value(0), QString("E [1e-3 hbar^2/(m dx^2)] width=0.002 emax-factor=2 digits=10,R,T"));
        QCOMPARE(de.value(0), QString(c[0]).replace(',', ';'));
        QCOMPARE(de.size(), c.size());
        QVERIFY2(c.size() > 1000, qPrintable(QString::number(c.size())));
        QVERIFY2(std::none_of(de.begin() + 1, de.end(), [](const QString &l) { return l.contains('.'); }), "a point in German");
        QVERIFY2(std::any_of(de.begin() + 1, de.end(), [](const QString &l) { return l.contains(','); }), "no decimal comma");
        QCOMPARE(numbers(de.mid(1), true), numbers(c.mid(1), false));
        // Digits: 3 round to 3 significant digits, 17 give each double back exactly; no header.
        const SchEFView view(load("rechteckmulde.pot").data(), nullptr, EigenSolver::Trace());
        for (int digits : {3, 17}) {
            const QStringList rows = exportRun({"eigen", Dir + "rechteckmulde.pot", "--digits", QString::number(digits), "--no-header"})
                                         .split('\n', Qt::SkipEmptyParts);
            QCOMPARE(rows.size(), view.eigenTotal());
            const QList<QList<double>> e = numbers(rows, false);
            for (int k = 0; k < rows.size(); ++k) {
                const double exact = view.eigenValueAt(k), shown = e[k].value(1);
                const QString where = QString("--digits %1: %2 for %3").arg(digits).arg(rows[k]).arg(exact, 0, 'g', 17);
                QVERIFY2(e[k].value(0) == k, qPrintable(where));
                QVERIFY2(digits == 17 ? shown == exact : shows(shown, exact, 3), qPrintable(where));
                QVERIFY2(digits == 17 || QString::number(shown, 'g', 3).toDouble() == shown, qPrintable(where)); // no more digits
            }
        }
    }

    void exportRefusesWithItsExitCodes()
    {
        // A wrong call: 2, as --help says; --help and --version: 0.
        QTemporaryDir dir;
        const QString file = Dir + "barriere.pot", png = dir.filePath("p.png");
        int code = 0;
        QString err;
        const QList<QStringList> wrong = {{"eigen", file, "--bogus"}, {"eigen", file, "--digits"}, {"eigen", file, "--digits", "0"},
            {"eigen", file, "--digits", "18"}, {"scattering", file, "--width", "x"}, {"eigen", file, "--emax-factor", "3"},
            {"bound", file}, {"eigen"}, {"scattering", file, "--mass-of-evolution"}, {"eigen", file, "--states", "0"}};
        for (const QStringList &args : wrong) {
            const QString out = exportRun(args, &code, &err);
            const QString call = args.join(' ') + ": ";
            QVERIFY2(code == 2, qPrintable(call + QString::number(code)));
            QVERIFY2(out.isEmpty(), qPrintable(call + "output"));
            QVERIFY2(err.startsWith("quantaura-export: ") && err.count('\n') == 1, qPrintable(call + err));
        }
        for (const char *option : {"--help", "--version"}) {
            QVERIFY2(!exportRun({option}, &code).isEmpty(), option);
            QVERIFY2(code == 0, option);
        }
        // The user's mistakes: a plain line and 1, no output.
        QVERIFY(PotentialFile::write(dir.filePath("zero.pot"), std::vector<double>(N, 0.0).data()));
        for (const QString &missing : {dir.filePath("missing.pot"), dir.filePath("zero.pot")}) {
            QCOMPARE(exportRun({"scattering", missing}, &code, &err), QString());
            QCOMPARE(code, 1);
            QVERIFY2(err.startsWith("quantaura-export: " + missing + ": ") && err.count('\n') == 1, qPrintable(err));
        }
        QVERIFY2(err.contains("überall 0"), qPrintable(err));
        // A picture that cannot be written whole: 1, no output, nothing under its name; an
        // older picture stays as it was. Here the file size is limited below the picture's.
        const auto smallFiles = [] {
            const rlimit limit{1024, 1024};
            setrlimit(RLIMIT_FSIZE, &limit);
            signal(SIGXFSZ, SIG_IGN); // a failing write, not the end of the program
        };
        QCOMPARE(exportRun({"eigen", file, "--png", png}, &code, &err, smallFiles), QString());
        QCOMPARE(code, 1);
        QVERIFY2(err.startsWith("quantaura-export: " + png + ": ") && err.count('\n') == 1, qPrintable(err));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"zero.pot"});
        QFile old(png);
        QVERIFY(old.open(QIODevice::WriteOnly));
        QCOMPARE(old.write("old"), 3);
        old.close();
        QCOMPARE(exportRun({"eigen", file, "--png", png}, &code, &err, smallFiles), QString());
        QCOMPARE(code, 1);
        QVERIFY(old.open(QIODevice::ReadOnly));
        QCOMPARE(old.readAll(), QByteArray("old"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), 2);
        // A device that is full.
        if (QFileInfo("/dev/full").exists()) {
            QCOMPARE(exportRun({"eigen", file, "--png", "/dev/full"}, &code, &err), QString());
            QCOMPARE(code, 1);
            QVERIFY2(err.startsWith("quantaura-export: /dev/full: "), qPrintable(err));
            QVERIFY2(!QFileInfo("/dev/full").isFile(), "the device is still there");
        }
    }
};

QTEST_MAIN(TestExamples)
#include "test_examples.moc"
