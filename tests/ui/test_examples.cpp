// SPDX-License-Identifier: GPL-3.0-or-later
// The shipped examples load through File -> Beispiele; quantaura-export prints what the windows
// compute for a potential file.
#include "physics/grid.h"
#include "ui/app/examples.h"
#include "ui/scattering/plot.h"
#include "ui/app/potentialfile.h"
#include "ui/evolution/schdrawingsurface.h"
#include "ui/eigen/schefview.h"
#include "ui/app/schmainwindow.h"
#include "uitestutil.h"
#include "ui/scattering/window.h"

#include <QtTest>
#include <QtWidgets>

#include <sstream>

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

// What quantaura-export prints; its exit code and complaint in `code` and `err`.
QString exportRun(const QStringList &args, int *code = nullptr, QString *err = nullptr)
{
    QProcess p;
    p.start(EXPORT_PROGRAM, args);
    const bool done = p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit;
    if (code)
        *code = done ? p.exitCode() : -1;
    if (err)
        *err = QString::fromUtf8(p.readAllStandardError());
    return QString::fromUtf8(p.readAllStandardOutput());
}

struct Transmission : ScatterSink {
    std::vector<std::pair<double, double>> points; // E, T
    void reset() override { points.clear(); }
    void addPoint(double, double t, double e, int) override { points.emplace_back(e, t); }
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
        QCOMPARE(listed.size(), 7);
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
    }

    void exportPrintsWhatTheWindowsShow()
    {
        // Bound states: the numbers of the search's trace lines.
        std::ostringstream trace;
        SchEFView view(load("doppelmulde.pot").data(), nullptr, trace);
        QString want = "n,E [1e-4 hbar^2/(m dx^2)]\n";
        int n = 0;
        for (const QString &line : QString::fromStdString(trace.str()).split('\n', Qt::SkipEmptyParts))
            want += QString("%1,%2\n").arg(n++).arg(line.section('=', 1).section(' ', 0, 0));
        QCOMPARE(n, view.eigenTotal());
        QCOMPARE(exportRun({"eigen", Dir + "doppelmulde.pot"}), want);
        QStringList cells = {"431", QString::number(view.potential()[431])}; // eigenfunctions: a row per sample
        for (int k = 0; k < n; ++k)
            cells << QString::number(view.eigenFunctionAt(k)[431]);
        QCOMPARE(exportRun({"eigenfunctions", Dir + "doppelmulde.pot"}).split('\n').value(432), cells.join(','));
        // Scattering with other settings: the rows are the points of the plot after "Calc", as its
        // read-outs show them, and the picture is the plot's.
        Window w;
        const ScatterRecorder &said = recordReports(w);
        QVERIFY(!w.setPotential(load("doppelbarriere.pot").data(), N));
        w.findChild<QSlider *>("Potentialbreite")->setValue(300);
        w.findChild<QSlider *>("Energiemaximum")->setValue(7);
        find<QPushButton>(w, "Calc")->click();
        QTemporaryDir dir;
        const QStringList points = exportRun({"scattering", Dir + "doppelbarriere.pot", "--width", "0.003", "--emax-factor", "3",
                                              "--png", dir.filePath("plot.png")}).split('\n', Qt::SkipEmptyParts);
        Plot *plot = w.plot();
        QCOMPARE(said.said, QStringList());
        QCOMPARE(points.value(0), QString("E [1e-3 hbar^2/(m dx^2)],R,T"));
        QCOMPARE(points.size() - 1, plot->storedPoints());
        for (int value : {0, 1, 137, 500, 999}) {
            plot->slider()->setValue(value);
            const QStringList row = points[int(std::ceil(plot->markerPosition() / (w.eMax() * 0.0005))) + 1].split(',');
            QCOMPARE("R=" + row[1] + " T=" + row[2], plot->rText() + " " + plot->tText());
        }
        plot->slider()->setValue(200);
        QCOMPARE(QImage(dir.filePath("plot.png")).convertToFormat(QImage::Format_RGB32), plot->grab().toImage().convertToFormat(QImage::Format_RGB32));
        int code = 0; // what it cannot read or do it refuses: a message, no output
        QString err;
        for (const QStringList &args : {QStringList{"eigen", dir.filePath("missing.pot")}, QStringList{"bound", Dir + "barriere.pot"}}) {
            QCOMPARE(exportRun(args, &code, &err), QString());
            QVERIFY2(code > 0, qPrintable(args.join(' ')));
            QVERIFY2(err.startsWith("quantaura-export: "), qPrintable(err));
        }
        // The scattering window's refusal goes to standard error instead of a message box.
        QVERIFY(PotentialFile::write(dir.filePath("zero.pot"), std::vector<double>(N, 0.0).data()));
        QCOMPARE(exportRun({"scattering", dir.filePath("zero.pot")}, &code, &err), QString());
        QCOMPARE(code, 1);
        QCOMPARE(err, QString("quantaura-export: Es ist ein schwerwiegender Anwendungsfehler aufgetreten! "
                              "Sie müssen schon ein von Null verschiedenes Potential angeben.\n"));
    }
};

QTEST_MAIN(TestExamples)
#include "test_examples.moc"
