// The shipped examples load through File -> Beispiele; quantaura-export prints what the windows
// compute for a potential file.
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

#include <sstream>

namespace {
constexpr int N = 1024;
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
        QVERIFY(listed.size() == 7 && listed == files);
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
        QVERIFY(QDir(dir.path()).mkpath("bin") && QDir(dir.path()).mkpath("share/quantaura/examples"));
        QCOMPARE(Examples::directory(dir.filePath("bin")), QString());
        QFile f(dir.filePath("share/quantaura/examples/" + Examples::all().first().file));
        QVERIFY(f.open(QIODevice::WriteOnly));
        QCOMPARE(Examples::directory(dir.filePath("bin")), dir.filePath("share/quantaura/examples"));
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
        QVERIFY(n == view.eigenTotal() && exportRun({"eigen", Dir + "doppelmulde.pot"}) == want);
        // Scattering with other settings: the rows are the points of the plot after "Calc", as its
        // read-outs show them, and the picture is the plot's.
        Window w;
        QVERIFY(!w.setPotential(load("doppelbarriere.pot").data(), N));
        w.findChild<QSlider *>("Potentialbreite")->setValue(300);
        w.findChild<QSlider *>("Energiemaximum")->setValue(7);
        find<QPushButton>(w, "Calc")->click();
        QTemporaryDir dir;
        const QStringList points = exportRun({"scattering", Dir + "doppelbarriere.pot", "--width", "0.003", "--emax-factor", "3",
                                              "--png", dir.filePath("plot.png")}).split('\n', Qt::SkipEmptyParts);
        Plot *plot = w.plot();
        QVERIFY(points.value(0) == "E [1e-3 hbar^2/(m dx^2)],R,T" && points.size() - 1 == plot->storedPoints());
        for (int value : {0, 1, 137, 500, 999}) {
            plot->slider()->setValue(value);
            const QStringList row = points[int(std::ceil(plot->markerPosition() / (w.eMax() * 0.0005))) + 1].split(',');
            QCOMPARE("R=" + row[1] + " T=" + row[2], plot->rText() + " " + plot->tText());
        }
        plot->slider()->setValue(200);
        QCOMPARE(QImage(dir.filePath("plot.png")).convertToFormat(QImage::Format_RGB32), plot->grab().toImage().convertToFormat(QImage::Format_RGB32));
        int code = 0; // what it cannot read or do it refuses: a message, no output
        QString err;
        for (const QStringList &args : {QStringList{"eigen", dir.filePath("missing.pot")}, QStringList{"bound", Dir + "barriere.pot"}})
            QVERIFY2(exportRun(args, &code, &err).isEmpty() && code > 0 && err.startsWith("quantaura-export: "), qPrintable(err));
    }
};

QTEST_MAIN(TestExamples)
#include "test_examples.moc"
