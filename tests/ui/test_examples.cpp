// SPDX-License-Identifier: GPL-3.0-or-later
// The shipped examples, and quantaura-export (what the windows compute for a potential file):
//   File -> Beispiele      -> the README's examples, order, titles; beside the program or under its prefix only
//   the examples' physics  -> what the handbook's exercises rely on
//   eigen(functions)       -> the window's energies and functions (--mass-of-evolution: its check box)
//   scattering / evolve    -> the window's sweep (--width, --emax-factor, --png) / the simulation every --every
//   --digits/--german/...  -> %.Ng in the C form / ';' and decimal commas / no header; the header names settings
//   exit codes             -> 0 written, 1 file, potential or output failed, 2 a wrong call; one line on stderr
#include "physics/grid.h"
#include "physics/packetmeasurement.h"
#include "physics/packetsimulation.h"
#include "ui/app/examples.h"
#include "ui/app/potentialfile.h"
#include "ui/app/schmainwindow.h"
#include "ui/eigen/schefview.h"
#include "ui/evolution/schdrawingsurface.h"
#include "ui/scattering/plot.h"
#include "ui/scattering/window.h"
#include "uitestutil.h"

#include <QtTest>
#include <QtWidgets>

#include <array>
#include <functional>

#include <unistd.h>

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

// What quantaura-export prints; exit code and complaint in `code`, `err`; `child` runs before the program.
QString exportRun(const QStringList &args, int *code = nullptr, QString *err = nullptr, std::function<void()> child = {})
{
    QProcess p;
    if (child)
        p.setChildProcessModifier(child);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment(); // no display: it must cope by itself, quietly
    for (const char *name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY", "XDG_RUNTIME_DIR"})
        env.remove(name);
    p.setProcessEnvironment(env);
    p.start(EXPORT_PROGRAM, args);
    const bool done = p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit;
    if (code)
        *code = done ? p.exitCode() : -1;
    if (err)
        *err = QString::fromUtf8(p.readAllStandardError());
    return QString::fromUtf8(p.readAllStandardOutput());
}
QStringList lines(const QStringList &args) { return exportRun(args).split('\n', Qt::SkipEmptyParts); }

// Written with `digits` significant digits: off by at most half a unit in the last one.
bool shows(double shown, double exact, int digits)
{
    return std::fabs(shown - exact) <= 0.50001 * std::pow(10.0, 1 - digits) * std::fabs(exact);
}

// A table's cells, C form or German (decimal comma, no group separator); not a number: NaN.
QList<QList<double>> numbers(const QStringList &rows, bool german = false)
{
    QLocale de(QLocale::German);
    de.setNumberOptions(QLocale::RejectGroupSeparator);
    QList<QList<double>> cells;
    for (const QString &line : rows) {
        cells.append(QList<double>());
        for (const QString &cell : line.split(german ? ';' : ',')) {
            bool ok = false;
            const double v = german ? de.toDouble(cell, &ok) : QLocale::c().toDouble(cell, &ok);
            cells.last() << (ok ? v : std::nan(""));
        }
    }
    return cells;
}

struct Points : ScatterSink {
    std::vector<std::array<double, 3>> rows; // E, R, T
    void reset() override { rows.clear(); }
    void addPoint(double r, double t, double e, int) override { rows.push_back({e, r, t}); }
};
} // namespace

class TestExamples : public QObject
{
    Q_OBJECT
private slots:
    void menuHasTheReadmesExamplesInItsOrderEachLoadingItsFile()
    {
        QFile readme(Dir + "../README.md");
        QVERIFY(readme.open(QIODevice::ReadOnly));
        QStringList files, titles; // its table "| `file` | Menu title | ..." under "### Examples"
        const QString text = QString::fromUtf8(readme.readAll());
        for (const QString &line : text.mid(text.indexOf("### Examples")).section("\n###", 0, 0).split('\n'))
            if (const QStringList cells = line.split(" | "); line.startsWith("| `") && cells.size() > 2)
                files << cells[0].mid(3).chopped(1), titles << cells[1];
        QCOMPARE(files.size(), 8);
        QStringList committed = QDir(Dir).entryList({"*.pot"}, QDir::Files), sorted = files;
        committed.sort(), sorted.sort();
        QCOMPARE(sorted, committed);
        SchMainWindow w;
        w.examplesDir = Examples::directory(PROGRAM_DIR); // the build tree's copy beside the program
        QCOMPARE(w.examplesDir, QDir::cleanPath(PROGRAM_DIR "/examples"));
        const QList<QAction *> entries = w.menuBar()->actions().first()->menu()->actions()[3]->menu()->actions();
        QCOMPARE(entries.size(), 8);
        for (int i = 0; i < entries.size(); ++i) {
            QCOMPARE(entries[i]->text(), titles[i]);
            entries[i]->trigger();
            const double *pot = w.drawingSurface()->getPot();
            QVERIFY2(std::equal(pot, pot + N, load(files[i]).begin()), qPrintable(files[i]));
            QVERIFY2(!w.potentialModified(), qPrintable(files[i]));
        }
        QTemporaryDir dir;
        // Installed: <prefix>/bin and <prefix>/share/quantaura/examples.
        QVERIFY(QDir(dir.path()).mkpath("bin"));
        QVERIFY(QDir(dir.path()).mkpath("share/quantaura/examples"));
        QCOMPARE(Examples::directory(dir.filePath("bin")), QString());
        QVERIFY(QFile::copy(Dir + files[0], dir.filePath("share/quantaura/examples/" + files[0])));
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
        // hbar^2/m = 40000: the oscillator V = 0.005 d^2 has levels 20 (n + 1/2).
        const std::vector<double> osc = levels("oszillator.pot"), well = levels("rechteckmulde.pot");
        const std::vector<double> dw = levels("doppelmulde.pot"), lattice = levels("gitter.pot");
        for (int n = 0; n < 8; ++n)
            QVERIFY2(std::fabs(osc.at(n) / (20 * (n + 0.5)) - 1) < 0.005, qPrintable(QString::number(osc[n])));
        // The square well 200 x 200: z0 = 10, ceil(2 z0 / pi) = 7 bound states.
        QCOMPARE(int(std::count_if(well.begin(), well.end(), [](double e) { return e < 0; })), 7);
        // The double well's pair split < 1 % of the gap above; the lattice's lowest band of eight.
        QVERIFY2(dw.size() > 2, qPrintable(QString::number(dw.size())));
        QVERIFY2(dw[1] - dw[0] < 0.01 * (dw[2] - dw[1]), "the double well's lowest pair");
        QVERIFY2(lattice.size() > 8, qPrintable(QString::number(lattice.size())));
        QVERIFY2(lattice[7] - lattice[0] < 0.5 * (lattice[8] - lattice[7]), "the lattice's lowest band");
        QCOMPARE(PacketMeasurement::highestPoint(load("tunnelpendel.pot").data(), N), 511); // the line on the wall
    }

    void exportPrintsWhatTheWindowsShow()
    {
        // Bound states of either particle: the window's energies and eigenfunctions to 10 digits.
        SchEFView view(load("doppelmulde.pot").data(), nullptr, EigenSolver::Trace());
        const QString file = Dir + "doppelmulde.pot";
        for (const QStringList &particle : {QStringList(), QStringList("--mass-of-evolution")}) {
            view.findChild<QCheckBox *>("particle")->setChecked(!particle.isEmpty());
            const int n = view.eigenTotal();
            const QString settings = particle.isEmpty() ? "" : "particle=evolution ";
            const QStringList levels = lines(QStringList{"eigen", file} + particle), table = lines(particle + QStringList{"eigenfunctions", file});
            QCOMPARE(levels.value(0), "n " + settings + "digits=10,E [1e-4 hbar^2/(m dx^2)]");
            QCOMPARE(levels.size(), n + 1);
            const QList<QList<double>> e = numbers(levels.mid(1));
            for (int k = 0; k < n; ++k) {
                QVERIFY2(e[k].value(0) == k, qPrintable(levels[k + 1]));
                QVERIFY2(shows(e[k].value(1), view.eigenValueAt(k), 10), qPrintable(levels[k + 1]));
            }
            QStringList names = {"j " + settings + "digits=10", "V [1e-4 hbar^2/(m dx^2)]"};
            for (int k = 0; k < n; ++k)
                names << QString("psi_%1").arg(k);
            QCOMPARE(table.value(0), names.join(','));
            QCOMPARE(table.size(), N + 1);
            for (int j : {0, 431, 1023}) {
                const QList<double> row = numbers({table[j + 1]}).first();
                QCOMPARE(row.size(), n + 2);
                QCOMPARE(row[0], double(j));
                QVERIFY2(shows(row[1], view.potential()[j], 10), qPrintable(QString("V at %1").arg(j)));
                for (int k = 0; k < n; ++k)
                    QVERIFY2(shows(row[k + 2], view.eigenFunctionAt(k)[j], 10), qPrintable(QString("psi_%1 at %2").arg(k).arg(j)));
            }
        }
        // The pictures as a user sets the window up: "Display Eigenwerte"; ten eigenfunctions.
        QTemporaryDir dir;
        view.findChild<QCheckBox *>("particle")->setChecked(false);
        find<QPushButton>(view, "Display Eigenwerte")->click();
        for (const char *command : {"eigen", "eigenfunctions"}) {
            QCOMPARE(exportRun({command, file, "--png", dir.filePath("view.png")}).isEmpty(), false);
            if (QLatin1String(command) == QLatin1String("eigenfunctions")) {
                QComboBox *count = view.findChild<QComboBox *>();
                count->setCurrentIndex(count->findText("10"));
                emit count->activated(count->currentIndex());
            }
            QCOMPARE(QImage(dir.filePath("view.png")).convertToFormat(QImage::Format_RGB32), view.grab().toImage().convertToFormat(QImage::Format_RGB32));
        }
        // Scattering with other settings: the window's sweep and the plot's picture.
        Window w;
        const ScatterRecorder &said = recordReports(w);
        QVERIFY(!w.setPotential(load("doppelbarriere.pot").data(), N));
        w.findChild<QSlider *>("Potentialbreite")->setValue(300);
        w.findChild<QSlider *>("Energiemaximum")->setValue(7);
        Points sweep;
        w.sweep(sweep);
        find<QPushButton>(w, "Calc")->click();
        const QStringList points = lines({"scattering", Dir + "doppelbarriere.pot", "--width", "0.003", "--emax-factor", "3",
                                          "--png", dir.filePath("plot.png")});
        QCOMPARE(said.said, QStringList());
        QCOMPARE(points.value(0), QString("E [1e-3 hbar^2/(m dx^2)] width=0.003 emax-factor=3 digits=10,R,T"));
        QCOMPARE(points.size() - 1, int(sweep.rows.size()));
        QCOMPARE(points.size() - 1, w.plot()->storedPoints());
        const QList<QList<double>> ert = numbers(points.mid(1));
        for (int i = 0; i < ert.size(); ++i)
            for (int c = 0; c < 3; ++c)
                QVERIFY2(shows(ert[i].value(c), sweep.rows[i][c], 10), qPrintable(QString("row %1: %2").arg(i + 1).arg(points[i + 1])));
        w.plot()->slider()->setValue(200);
        QCOMPARE(QImage(dir.filePath("plot.png")).convertToFormat(QImage::Format_RGB32), w.plot()->grab().toImage().convertToFormat(QImage::Format_RGB32));
        // Evolve: a click at 300, momentum 100, a row every 10 steps and after the 25th, line 511.
        const QStringList rows = lines({"evolve", Dir + "barriere.pot", "--x0", "300", "--p", "100", "--steps", "25", "--every", "10"});
        QCOMPARE(rows.value(0), QString("t [m dx^2/hbar] x0=300 p=100 dx=40 dp=10 line=511 digits=10,norm,<x> [dx],"
                                        "<p> [hbar/dx],<E> [hbar^2/(m dx^2)],dE [hbar^2/(m dx^2)],P_left,P_right"));
        QCOMPARE(rows.size(), 5);
        const std::vector<double> barrier = load("barriere.pot");
        PacketSimulation sim(barrier.data());
        sim.setViewHeight(400);
        sim.setParams({300, 100, 40, 100, 10, 0});
        sim.rebuild();
        for (int r = 1; r < rows.size(); ++r) {
            sim.advance(std::min(10 * (r - 1), 25) - int(sim.stepCount()));
            const PacketMeasurement m = sim.measure(511);
            const double want[] = {sim.time(), m.norm, m.meanX, m.meanP, m.meanE, m.spreadE, m.left, m.right};
            const QList<double> got = numbers({rows[r]}).first();
            for (int c = 0; c < 8; ++c)
                QVERIFY2(shows(got.value(c), want[c], 10) || std::fabs(want[c]) < 1e-300, qPrintable(QString("row %1, column %2: %3").arg(r).arg(c).arg(rows[r])));
        }
    }

    void exportFormatsForSpreadsheets()
    {
        // The square well's energies (some negative) in each format; 17 digits give each double back.
        const SchEFView view(load("rechteckmulde.pot").data(), nullptr, EigenSolver::Trace());
        const struct { QStringList options; bool german, header; int digits; } formats[] = {
            {{}, false, true, 10}, {{"--german"}, true, true, 10}, {{"--digits", "3", "--no-header"}, false, false, 3},
            {{"--german", "--digits", "17", "--no-header"}, true, false, 17}, {{"--digits", "1"}, false, true, 1}};
        for (const auto &f : formats) {
            QStringList rows = lines(QStringList{"eigen", Dir + "rechteckmulde.pot"} + f.options);
            const QString how = f.options.join(' ') + ": ";
            QCOMPARE(rows.size(), view.eigenTotal() + f.header);
            if (f.header) {
                const QString head = QString("n digits=%1,E [1e-4 hbar^2/(m dx^2)]").arg(f.digits);
                QCOMPARE(rows.takeFirst(), f.german ? QString(head).replace(',', ';') : head);
            }
            const QList<QList<double>> e = numbers(rows, f.german);
            for (int k = 0; k < rows.size(); ++k) {
                const double exact = view.eigenValueAt(k), shown = e[k].value(1);
                const QString where = how + rows[k] + " for " + QString::number(exact, 'g', 17);
                QCOMPARE(e[k].size(), 2);
                QVERIFY2(e[k][0] == k, qPrintable(where));
                QVERIFY2(f.digits == 17 ? shown == exact : shows(shown, exact, f.digits), qPrintable(where));
                QVERIFY2(QString::number(shown, 'g', f.digits).toDouble() == shown, qPrintable(where)); // no more digits
                QVERIFY2(!rows[k].contains(f.german ? '.' : ';'), qPrintable(where));
            }
            QVERIFY2(!f.german || rows.first().contains(','), qPrintable(how + rows.first())); // -197,...
        }
    }

    void exportExitCodesAndMessages()
    {
        QTemporaryDir dir;
        const QString good = Dir + "barriere.pot", missing = dir.filePath("missing.pot"), zero = dir.filePath("zero.pot");
        const QString bad = dir.filePath("bad.pot"), big = dir.filePath("big.pot"), png = dir.filePath("p.png");
        QVERIFY(PotentialFile::write(zero, std::vector<double>(N, 0.0).data()));
        QVERIFY(putFile(bad, "h\n1023\n"));
        QVERIFY(putFile(big, ""));
        QVERIFY(QFile::resize(big, 17 << 20)); // no line end in the first 16 MiB
        // A call, its exit code and what its message says; @ names a file, ~ stands for --x0 5 --p 1.
        const QMap<QString, QString> files{{"@good", good}, {"@missing", missing}, {"@zero", zero}, {"@bad", bad}, {"@big", big},
                                           {"@dir", dir.path()}, {"@png", png}, {"~", "--x0 5 --p 1"}};
        const struct { const char *call; int code; const char *says; } calls[] = {
            {"eigen @good --bogus", 2, "bogus"}, {"bound @good", 2, "bound"}, {"eigen @good @good", 2, "erwartet"},
            {"eigen @good --digits 18", 2, "--digits 18"}, {"scattering @good --width 0.000015", 2, "--width"},
            {"scattering @good --emax-factor 2.5", 2, "--emax"}, {"eigen @good --width 0.002", 2, "nur für scattering"},
            {"evolve @good ~ --png @png", 2, "--png"}, {"evolve @good --p 1", 2, "braucht --x0"},
            {"evolve @good --x0 5 --p 16001", 2, "--p 16001"}, {"evolve @good ~ --every 0", 2, "--every"},
            {"evolve @good --states 0 --x0 3", 2, "schließen einander aus"}, {"evolve @good --states 1,x", 2, "--states"},
            // Each range's ends are allowed: the missing file or state fails.
            {"scattering @missing --width 1 --emax-factor 10 --digits 17", 1, "gibt es nicht"},
            {"evolve @zero --states 3,4 --steps 100000 --every 1", 1, "4 gebundene Zustände (0 bis 3), nicht 4"},
            {"evolve @good --x0 1023 --p +16000 --dx 10000 --dp 1000 --steps 1 --line 1024 --every 100000", 0, ""},
            {"eigen @dir", 1, "nicht lesen"}, {"eigen @bad", 1, "keine Potentialdatei"}, {"eigen @big", 1, "zu groß"},
            {"scattering @zero", 1, "überall 0"}};
        for (const auto &c : calls) {
            QStringList args;
            for (const QString &word : QString(c.call).split(' ', Qt::SkipEmptyParts))
                args += files.value(word, word).split(' ');
            int code = -1;
            QString err;
            const QString out = exportRun(args, &code, &err), call = QString(c.call) + ": ";
            QVERIFY2(code == c.code, qPrintable(call + QString::number(code) + " " + err));
            QVERIFY2(c.code == 0 ? !out.isEmpty() : out.isEmpty(), qPrintable(call + out.left(100)));
            QVERIFY2(c.code == 0 ? err.isEmpty() : err.startsWith("quantaura-export: ") && err.count('\n') == 1, qPrintable(call + err));
            QVERIFY2(err.contains(QString::fromUtf8(c.says)), qPrintable(call + err));
        }
        QCOMPARE(exportRun({"--version"}), QString("quantaura-export " QUANTAURA_VERSION "\n"));
        QVERIFY(exportRun({"--help"}).startsWith("Aufruf: ")); // the toolkit's texts in German too
        QCOMPARE(exportRun({"eigen", zero, "--digits", "5"}), QString("n digits=5,E [1e-4 hbar^2/(m dx^2)]\n0,0.18788\n1,0.75152\n"));
        // Standard output full or closed: 1 and a line.
        int code = -1;
        QString err;
        QFile full("/dev/full");
        for (const int fd : {full.open(QIODevice::WriteOnly) ? full.handle() : -1, -1}) {
            exportRun({"eigen", good}, &code, &err, [fd] { fd < 0 ? ::close(STDOUT_FILENO) : ::dup2(fd, STDOUT_FILENO); });
            QVERIFY2(code == 1, qPrintable(QString("standard output %1: %2").arg(fd).arg(code)));
            QCOMPARE(err, QString("quantaura-export: die Ausgabe lässt sich nicht schreiben.\n"));
        }
    }
};

QTEST_MAIN(TestExamples)
#include "test_examples.moc"
