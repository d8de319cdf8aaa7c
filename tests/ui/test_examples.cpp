// The shipped examples load through File -> Beispiele exactly as through File -> Open and show
// the physics they are there for, in the windows a student uses; quantaura-export prints what
// those windows compute.
#include "examples.h"
#include "plot.h"
#include "potentialfile.h"
#include "schdrawingsurface.h"
#include "schefview.h"
#include "schmainwindow.h"
#include "uitestutil.h"
#include "window.h"

#include <QtTest>
#include <QtWidgets>

#include <array>
#include <cmath>
#include <sstream>

namespace {
constexpr int N = 1024;
using Samples = std::array<double, N>;

QString example(const QString &file) { return QStringLiteral(EXAMPLES_SOURCE_DIR "/") + file; }

Samples load(const QString &file)
{
    Samples s{};
    if (PotentialFile::read(example(file), s.data()) != PotentialFile::ReadStatus::Ok)
        qFatal("cannot read %s", qPrintable(file));
    return s;
}

// The bound states as the eigenfunction window finds them.
std::vector<double> levels(const QString &file)
{
    const Samples s = load(file);
    std::ostringstream trace;
    SchEFView view(s.data(), nullptr, trace);
    std::vector<double> e;
    for (int k = 0; k < view.eigenTotal(); ++k)
        e.push_back(view.eigenValueAt(k));
    return e;
}

struct Sweep : ScatterSink {
    std::vector<double> e, r, t;
    void reset() override { e.clear(), r.clear(), t.clear(); }
    void addPoint(double rr, double tt, double ee, int) override { e.push_back(ee), r.push_back(rr), t.push_back(tt); }
};

// R(E), T(E) as "Calc" in the scattering window computes them with its defaults; vMax in window units.
Sweep scatter(const QString &file, double *vMax = nullptr)
{
    const Samples s = load(file);
    Window w;
    Sweep out;
    ScatterSweep::Hooks complaints;
    complaints.firstOverflow = complaints.firstUnresolved = [] { QFAIL("the sweep could not compute every energy"); };
    if (!w.setPotential(s.data(), N))
        w.sweep(out, complaints);
    if (vMax)
        *vMax = *std::max_element(w.rawSamples().begin(), w.rawSamples().end());
    return out;
}

struct Run {
    int code = -1;
    QString out, err;
};
Run exportRun(const QStringList &args)
{
    QProcess p;
    p.start(QStringLiteral(EXPORT_PROGRAM), args);
    Run r;
    if (p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit)
        r.code = p.exitCode();
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

QString traceNumber(double v)
{
    std::ostringstream s;
    s << v;
    return QString::fromStdString(s.str());
}
} // namespace

class TestExamples : public QObject
{
    Q_OBJECT
private slots:
    void menuLoadsEachExampleLikeOpen()
    {
        // Every committed example has an entry, every entry a file, and each file is exactly what
        // Save writes for the potential it loads as.
        QStringList files = QDir(EXAMPLES_SOURCE_DIR).entryList({"*.pot"}, QDir::Files);
        QStringList listed;
        for (const Examples::Entry &e : Examples::all())
            listed << e.file;
        QCOMPARE(listed.size(), 7);
        files.sort(), listed.sort();
        QCOMPARE(listed, files);

        SchMainWindow viaMenu, viaOpen;
        QCOMPARE(viaMenu.examplesDir, QString()); // a test binary has no examples beside it
        viaMenu.examplesDir = QStringLiteral(PROGRAM_DIR "/examples"); // the build tree's copy
        QMenu *file = viaMenu.menuBar()->actions().first()->menu();
        QStringList items;
        for (QAction *a : file->actions())
            items << (a->isSeparator() ? "|" : a->text());
        QCOMPARE(items, QStringList({"&New", "&Open", "&Save", "&Beispiele", "|", "E&xit"}));
        const QList<QAction *> entries = file->actions()[3]->menu()->actions();
        QCOMPARE(entries.size(), Examples::all().size());
        QString opened;
        viaOpen.askOpenName = [&](QWidget *, const QString &, const QString &, const QString &) { return opened; };
        for (int i = 0; i < entries.size(); ++i) {
            const Examples::Entry &e = Examples::all()[i];
            QCOMPARE(entries[i]->text(), e.title);
            entries[i]->trigger();
            opened = example(e.file);
            viaOpen.open();
            const double *pot = viaMenu.drawingSurface()->getPot();
            QVERIFY(std::equal(pot, pot + N, viaOpen.drawingSurface()->getPot()));
            QCOMPARE(viaMenu.drawingSurface()->viewImage(), viaOpen.drawingSurface()->viewImage());
            QCOMPARE(viaMenu.statusBar()->currentMessage(), viaOpen.statusBar()->currentMessage());
            QTemporaryDir dir;
            QVERIFY(PotentialFile::write(dir.filePath("saved.pot"), pot));
            QFile saved(dir.filePath("saved.pot")), shipped(example(e.file));
            QVERIFY(saved.open(QIODevice::ReadOnly) && shipped.open(QIODevice::ReadOnly));
            QVERIFY2(saved.readAll() == shipped.readAll(), qPrintable(e.file));
            QVERIFY(*std::max_element(pot, pot + N) <= 0.02 && *std::min_element(pot, pot + N) >= -0.02);
        }
        // Without its folder an example is missing like any other file, and nothing changes.
        QString box;
        onNextModal([&](QWidget *w) { box = qobject_cast<QMessageBox *>(w)->text(), QTest::keyClick(w, Qt::Key_Escape); });
        viaMenu.examplesDir = QDir::tempPath() + "/no such folder";
        const std::vector<double> before(viaMenu.drawingSurface()->getPot(), viaMenu.drawingSurface()->getPot() + N);
        entries[0]->trigger();
        QCOMPARE(box, QString("File does not exist !"));
        QVERIFY(std::equal(before.begin(), before.end(), viaMenu.drawingSurface()->getPot()));
    }

    void examplesAreFoundBesideTheProgramOrUnderItsPrefix()
    {
        QCOMPARE(Examples::directory(PROGRAM_DIR), QDir::cleanPath(PROGRAM_DIR "/examples"));
        QTemporaryDir prefix;
        QVERIFY(QDir(prefix.path()).mkpath("bin") && QDir(prefix.path()).mkpath("share/quantaura/examples"));
        QCOMPARE(Examples::directory(prefix.filePath("bin")), QString());
        QFile f(prefix.filePath("share/quantaura/examples/" + Examples::all().first().file));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.close();
        QCOMPARE(Examples::directory(prefix.filePath("bin")), prefix.filePath("share/quantaura/examples"));
    }

    void boundStates()
    {
        // Oscillator: V = k d^2 / 2 in the window's units, whose kinetic term is 20000 T, i.e.
        // hbar^2/m = 40000: levels hbar w (n + 1/2) with hbar w = sqrt(40000 k) above the bottom.
        const Samples osc = load("oszillator.pot");
        const double k = 2 * osc[611] * 10000.0 / (99.5 * 99.5);
        const double hw = std::sqrt(40000.0 * k);
        const std::vector<double> e = levels("oszillator.pot");
        QVERIFY(e.size() > 8);
        for (int n = 0; n < 8; ++n)
            QVERIFY2(std::fabs(e[n] / (hw * (n + 0.5)) - 1.0) < 0.005, qPrintable(QString::number(e[n])));

        // Square well of width L, depth V0: ceil(2 z0 / pi) bound states, z0 = (L/2) sqrt(V0 / 20000).
        const Samples well = load("rechteckmulde.pot");
        const int width = int(std::count_if(well.begin(), well.end(), [](double v) { return v < 0; }));
        const double z0 = width / 2.0 * std::sqrt(-*std::min_element(well.begin(), well.end()) * 10000.0 / 20000.0);
        const std::vector<double> w = levels("rechteckmulde.pot");
        QCOMPARE(int(std::count_if(w.begin(), w.end(), [](double v) { return v < 0; })), int(std::ceil(2 * z0 / M_PI)));

        // Double well: the lowest pair split by less than 1 % of the gap to the next state.
        const std::vector<double> d = levels("doppelmulde.pot");
        QVERIFY(d.size() > 3 && d[1] > d[0] && d[1] - d[0] < 0.01 * (d[2] - d[1]));

        // Lattice: the lowest eight states form one band, well apart from the ninth; the next
        // eight, the second band, are still bound.
        const std::vector<double> l = levels("gitter.pot");
        QVERIFY(l.size() > 16 && l[7] - l[0] < 0.5 * (l[8] - l[7]) && l[15] < 0 && l[16] > 0);
    }

    void scatteringCoefficients()
    {
        // Step of height V: R = ((k1 - k2) / (k1 + k2))^2 above it (k^2 = 0.002 (E - V)).
        double v = 0.0;
        const Sweep step = scatter("stufe.pot", &v);
        QVERIFY(step.e.size() > 900);
        for (size_t i = 1; i < step.e.size(); ++i) {
            const double k1 = std::sqrt(step.e[i]), k2 = std::sqrt(step.e[i] - v);
            QVERIFY2(std::fabs(step.r[i] - std::pow((k1 - k2) / (k1 + k2), 2)) < 0.005, qPrintable(QString::number(step.e[i])));
        }
        // Rectangular barrier of height V and width b below its top: T = 1 / (1 + V^2 sinh^2(kb) / (4 E (V - E))).
        const Samples s = load("barriere.pot");
        const int b = int(std::count_if(s.begin(), s.end(), [](double x) { return x > 0; }));
        const Sweep barrier = scatter("barriere.pot", &v);
        int below = 0;
        for (size_t i = 1; i < barrier.e.size(); ++i) {
            const double e = barrier.e[i];
            if (e >= v)
                continue;
            const double sh = std::sinh(std::sqrt(0.002 * (v - e)) * b);
            QVERIFY2(std::fabs(barrier.t[i] - 1.0 / (1.0 + v * v * sh * sh / (4 * e * (v - e)))) < 0.01, qPrintable(QString::number(e)));
            ++below;
        }
        QVERIFY(below > 900);
        // Double barrier: the first resonance lies below the barriers' top and lets almost everything through.
        const Sweep db = scatter("doppelbarriere.pot", &v);
        size_t i = 2;
        while (i + 1 < db.t.size() && !(db.t[i] >= db.t[i - 1] && db.t[i] > db.t[i + 1]))
            ++i;
        QVERIFY2(db.t[i] > 0.9 && db.e[i] < v, qPrintable(QString("T=%1 at E=%2").arg(db.t[i]).arg(db.e[i])));
    }

    void exportPrintsWhatTheWindowsShow()
    {
        // Bound states: the trace lines' numbers.
        const Samples dw = load("doppelmulde.pot");
        std::ostringstream trace;
        SchEFView view(dw.data(), nullptr, trace);
        QString want = "n,E [1e-4 hbar^2/(m dx^2)]\n";
        int n = 0;
        for (const QString &line : QString::fromStdString(trace.str()).split('\n', Qt::SkipEmptyParts))
            want += QString("%1,%2\n").arg(n++).arg(line.section('=', 1).section(' ', 0, 0));
        QCOMPARE(n, view.eigenTotal());
        Run r = exportRun({"eigen", example("doppelmulde.pot")});
        QCOMPARE(r.code, 0);
        QCOMPARE(r.out, want);

        // Eigenfunctions: one column per state, the window's potential first.
        r = exportRun({"eigenfunctions", example("doppelmulde.pot")});
        QCOMPARE(r.code, 0);
        const QStringList rows = r.out.split('\n', Qt::SkipEmptyParts);
        QCOMPARE(rows.size(), N + 1);
        QCOMPARE(rows[0].count("[1e-4 hbar^2/(m dx^2)]"), n + 1);
        for (int j : {0, 300, 431, 512, 1023}) {
            QStringList cells = {QString::number(j), traceNumber(view.potential()[j])};
            for (int k = 0; k < n; ++k)
                cells << traceNumber(view.eigenFunctionAt(k)[j]);
            QCOMPARE(rows[j + 1], cells.join(','));
        }
        // ... and they are the eigenfunctions of their energies: the grid equation holds (but where
        // the left tail was cleared), with k nodes and the window's norm.
        for (int k = 0; k < 4; ++k) {
            const std::vector<double> psi = view.eigenFunctionAt(k);
            const double e = view.eigenValueAt(k), top = *std::max_element(psi.begin(), psi.end(),
                                 [](double a, double b) { return std::fabs(a) < std::fabs(b); });
            double worst = 0.0, norm = 0.0;
            int nodes = 0;
            for (int j = 1; j < N - 1; ++j) {
                if (psi[j - 1] == 0.0)
                    continue; // the cleared left tail
                const double res = -2e4 * psi[j - 1] + (4e4 + view.potential()[j] - e) * psi[j] - 2e4 * psi[j + 1];
                worst = std::max(worst, std::fabs(res));
                nodes += psi[j] * psi[j + 1] < 0 && std::fabs(psi[j]) > 1e-6 * std::fabs(top);
            }
            for (double v : psi)
                norm += v * v;
            QVERIFY2(worst < 1e-6 * std::fabs(top * e) && nodes == k && std::fabs(norm / 400000 - 1) < 1e-9,
                     qPrintable(QString("state %1: residual %2, %3 nodes, norm %4").arg(k).arg(worst).arg(nodes).arg(norm)));
        }

        // Scattering with other settings: the rows are the points of the plot after "Calc", as its
        // read-outs show them.
        const Samples db = load("doppelbarriere.pot");
        Window w;
        QVERIFY(!w.setPotential(db.data(), N));
        w.findChild<QSlider *>("Potentialbreite")->setValue(300);
        w.findChild<QSlider *>("Energiemaximum")->setValue(7);
        for (QPushButton *b : w.findChildren<QPushButton *>())
            if (b->text() == "Calc")
                b->click();
        QTemporaryDir dir;
        r = exportRun({"scattering", example("doppelbarriere.pot"), "--width", "0.003", "--emax-factor", "3",
                       "--png", dir.filePath("plot.png")});
        QCOMPARE(r.code, 0);
        const QStringList points = r.out.split('\n', Qt::SkipEmptyParts);
        QCOMPARE(points[0], QString("E [1e-3 hbar^2/(m dx^2)],R,T"));
        Plot *plot = w.plot();
        QCOMPARE(points.size() - 1, plot->storedPoints());
        for (int value : {0, 1, 137, 500, 999}) {
            plot->slider()->setValue(value);
            const QStringList row = points[int(std::ceil(plot->markerPosition() / (w.eMax() * 0.0005))) + 1].split(',');
            QCOMPARE("R=" + row[1] + " T=" + row[2], plot->rText() + " " + plot->tText());
        }
        plot->slider()->setValue(200);
        QCOMPARE(QImage(dir.filePath("plot.png")).convertToFormat(QImage::Format_RGB32),
                 plot->grab().toImage().convertToFormat(QImage::Format_RGB32));
    }

    void exportRefusesWhatItCannotRead()
    {
        QTemporaryDir dir;
        QFile zero(dir.filePath("zero.pot")), bad(dir.filePath("bad.pot"));
        QVERIFY(zero.open(QIODevice::WriteOnly) && bad.open(QIODevice::WriteOnly));
        zero.write("Quantaura Potential\n1024\n0\n"), bad.write("Quantaura Potential\n1023\n");
        zero.close(), bad.close();
        const QString well = example("rechteckmulde.pot");
        const QList<QPair<QStringList, QString>> cases = {
            {{"eigen", dir.filePath("missing.pot")}, "missing.pot: die Datei gibt es nicht."},
            {{"scattering", dir.path()}, ": die Datei lässt sich nicht lesen."},
            {{"eigenfunctions", bad.fileName()}, "bad.pot: keine Potentialdatei"},
            {{"scattering", zero.fileName()}, "Sie müssen schon ein von Null verschiedenes Potential angeben."},
            {{"eigen", well, "--png", dir.filePath("no/such/folder.png")}, "Bild lässt sich nicht schreiben"},
            {{"eigen", well, "--width", "0.002"}, "gelten nur für scattering"},
            {{"scattering", well, "--width", "0.0000123"}, "in Schritten von 0.00001"},
            {{"scattering", well, "--emax-factor", "1"}, "ganze Zahl von 2 bis 10"},
            {{"eigen"}, "erwartet einen Befehl und eine Potentialdatei"},
            {{"bound", well}, "unbekannter Befehl \"bound\""},
        };
        for (const auto &[args, message] : cases) {
            const Run r = exportRun(args);
            QVERIFY2(r.code > 0 && r.out.isEmpty() && r.err.startsWith("quantaura-export: ") && r.err.contains(message),
                     qPrintable(args.join(' ') + " -> " + QString::number(r.code) + ": " + r.err));
        }
        // What the reader mends is said, as the status bar says it, and the numbers still come.
        QFile mended(dir.filePath("mended.pot"));
        QVERIFY(mended.open(QIODevice::WriteOnly));
        mended.write("Quantaura Potential\n1024\n0,01\n-0.02\n");
        mended.close();
        const Run noted = exportRun({"eigen", mended.fileName()});
        QVERIFY2(noted.code == 0 && noted.out.startsWith("n,E") && noted.err.contains("1 Zeile war keine Zahl"), qPrintable(noted.err));
        const Run version = exportRun({"--version"});
        QCOMPARE(version.code, 0);
        QCOMPARE(version.out, QString("quantaura-export " QUANTAURA_VERSION "\n"));
    }
};

QTEST_MAIN(TestExamples)
#include "test_examples.moc"
