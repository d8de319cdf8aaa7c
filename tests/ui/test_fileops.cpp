// SPDX-License-Identifier: GPL-3.0-or-later
// File -> Open, File -> Save and the process's standard streams:
//   Open          -> samples (missing 0, beyond 1026 lines ignored), unmodified; what was mended: status bar, 15 s
//   spellings     -> [+-]d[.d][e[+-]d], inf, blanks, CRLF; the count " +01024\t" too
//   refused       -> cancelled / missing / unreadable or bad count: the box, the potential as it was
//   std streams   -> closed at start: /dev/null; a gone or slow trace reader never stops the program
//   Save          -> "%.6g" clamped (NaN 0); asks before replacing; failures keep the old file, no temporary
#include "ui/app/potentialfile.h"
#include "ui/app/schmainwindow.h"
#include "ui/app/startup.h"
#include "ui/app/traceoutput.h"
#include "ui/evolution/schdrawingsurface.h"
#include "uitestutil.h"

#include <QtTest>
#include <QtWidgets>

#include <clocale>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace {
constexpr int N = GridPoints;
using Pot = QList<double>; // QCOMPARE on lists compares the doubles exactly
const QString Exists = "Quantaura: File already exists !\nOverwrite ? [Ok/Cancel]", CannotOpen = "Quantaura: Could not open file ! [OK]";

struct Run {
    QStringList asked; // the file dialog's parent, caption, preset and filter
    QStringList boxes; // each message box as "title: text [buttons]"
    Pot pot;           // the potential afterwards
    bool running = false, modified = false;
    QString status;  // the status bar's message afterwards, "vorher" if untouched
    int noteMs = -1; // how long that message stays (ms), -1 if for good
};

// File→Open or →Save on a fresh window holding `pot` (modified), the dialog returning `name`, optionally
// while the evolution runs; every message box answered with `key`.
Run fileOp(void (SchMainWindow::*op)(), const QString &name, Pot pot, bool evolve = false, int key = Qt::Key_Escape)
{
    SchMainWindow w;
    Run r;
    w.askSaveName = w.askOpenName = [&](QWidget *p, const QString &c, const QString &d, const QString &f) {
        r.asked = QStringList{p == &w ? "main window" : "other", c, d, f};
        return name;
    };
    w.drawingSurface()->setPot(pot.data());
    w.statusBar()->showMessage("vorher"); // a load says what it mended, or nothing
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box || !box->isVisible())
            return;
        QStringList labels;
        for (QAbstractButton *b : box->buttons())
            labels << b->text();
        r.boxes << (box->parentWidget() == &w ? "" : "(wrong parent) ") + box->windowTitle() + ": " + box->text() + " [" + labels.join('/') + "]";
        QTest::keyClick(box, Qt::Key(key));
    });
    timer.start(0);
    if (evolve) {
        w.show();
        w.findChild<QPushButton *>("d")->click();
        QCoreApplication::processEvents(); // a few ticks of the 0 ms timer
    }
    (w.*op)();
    QCoreApplication::processEvents();
    r.running = w.drawingSurface()->isRunning();
    r.modified = w.potentialModified();
    r.status = w.statusBar()->currentMessage();
    if (const QTimer *note = w.statusBar()->findChild<QTimer *>(); note && note->isActive())
        r.noteMs = note->interval();
    r.pot = Pot(w.drawingSurface()->getPot(), w.drawingSurface()->getPot() + N);
    return r;
}

// The program's start as main() makes it, "Eigenfunktionen" toggled over a deep well (hundreds of trace
// lines), a quit. Exit code 3: a stream closed at start is not /dev/null now.
int child(int argc, char **argv)
{
    bool closed[3];
    for (int fd = 0; fd < 3; ++fd)
        closed[fd] = ::fcntl(fd, F_GETFD) == -1;
    prepareProcess();
    QApplication app(argc, argv);
    qWarning("started"); // into standard error, a closed pipe in one of the runs
    for (int fd = 0; fd < 3; ++fd)
        if (closed[fd] && QFile::symLinkTarget(QString("/proc/self/fd/%1").arg(fd)) != "/dev/null")
            return 3;
    SchMainWindow w;
    std::vector<double> well(N, -0.1);
    well.front() = well.back() = 0.0;
    w.drawingSurface()->setPot(well.data());
    QTimer::singleShot(0, &w, [&w] {
        for (int i = 0; i < 10; ++i)
            find<QPushButton>(w, "Eigenfunktionen")->click();
        QCoreApplication::quit();
    });
    return app.exec();
}
} // namespace

class TestFileOps : public QObject
{
    Q_OBJECT
    QTemporaryDir dir;

public: // the printf reference must use '.'; the process set up as the program's
    TestFileOps() { std::setlocale(LC_NUMERIC, "C"), prepareProcess(); }

private slots:
    void roundTripWhileTheEvolutionRuns()
    {
        // Written as "%.6g" of the sample in range (8734.125 to even), read back as written.
        const std::pair<double, const char *> special[] = {{0.0, "0"}, {0.5, "0.5"}, {0.0125, "0.0125"}, {-12.75, "-12.75"},
            {1e-07, "1e-07"}, {123456.0, "123456"}, {-0.000314159, "-0.000314159"}, {-1e6, "-1e+06"}, {1e-100, "1e-100"},
            {1.0 / 3.0, "0.333333"}, {3.14159265358979, "3.14159"}, {999999.5, "1e+06"}, {8734.125, "8734.12"},
            {1e300, "1e+06"}, {-HUGE_VAL, "-1e+06"}, {std::nan(""), "0"}, {-1e-300, "0"}};
        Pot pot, back;
        QByteArray want = "Quantaura Potential\n1024\n";
        for (const auto &[v, text] : special)
            pot << v, back << QByteArray(text).toDouble(), want += QByteArray(text) + '\n';
        while (pot.size() < N) {
            char b[32];
            pot << (pot.size() * 7919 % 1000 - 500) / 3e4;
            std::snprintf(b, sizeof b, "%.6g", pot.last());
            back << std::strtod(b, nullptr), want += QByteArray(b) + '\n';
        }
        const QString path = dir.filePath("round.pot");
        Run r = fileOp(&SchMainWindow::save, path, pot, true);
        QCOMPARE(r.asked, QStringList({"main window", "", "newPotential.pot", "Potential files (*.pot)"}));
        QVERIFY(r.running);
        QCOMPARE(r.boxes, QStringList()); // a new name: no question
        QVERIFY2(!r.modified, "saved");
        QCOMPARE(fileBytes(path), want);
        r = fileOp(&SchMainWindow::open, path, Pot(N), true);
        QCOMPARE(r.asked, QStringList({"main window", "", "", "Potential files (*.pot)"}));
        QVERIFY(r.running);
        QCOMPARE(r.boxes, QStringList());
        QCOMPARE(r.status, QString());
        QVERIFY2(!r.modified, "as opened");
        QCOMPARE(r.pot, back);
        QStringList boxes; // a cancelled dialog, a missing file and a directory change nothing
        for (const QString &name : {QString(), dir.filePath("no.pot"), dir.filePath(".")}) {
            boxes += (r = fileOp(&SchMainWindow::open, name, back)).boxes;
            QCOMPARE(r.pot, back);
            QCOMPARE(r.status, QString("vorher"));
            QVERIFY2(r.modified, qPrintable(name));
        }
        QCOMPARE(boxes, QStringList({"Quantaura: File does not exist ! [OK]", CannotOpen}));
    }

    void saveAsksAndWarnsAndKeepsTheTarget()
    {
        const QString plain = dir.filePath("plain.txt"), old = dir.filePath("old.pot"), folder = dir.filePath("folder.pot");
        QVERIFY(putFile(plain, "plain\n"));
        QVERIFY(putFile(old, "old contents\n"));
        QVERIFY(QDir().mkdir(folder));
        QString dev = dir.filePath("full"); // a private /dev/full where possible: a fault cannot replace the real one
        if (::mknod(dev.toLocal8Bit().constData(), S_IFCHR | 0666, makedev(1, 7)) != 0)
            dev = "/dev/full";
        const QStringList files = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System);
        bool modified = false;
        const auto save = [&modified](const QString &name, int key = Qt::Key_Return) {
            const Run r = fileOp(&SchMainWindow::save, name, Pot(N, 0.5), false, key);
            modified = r.modified;
            return r.boxes;
        };
        // Escape cancels; "" is a cancelled dialog; nothing below a file or over a folder; full disks keep the file.
        QStringList boxes = save(old, Qt::Key_Escape) + save("") + save(plain + "/x.pot") + save(folder) + save(dev);
        QVERIFY2(modified, "after a failed save");
        const QString cannotWrite = "Quantaura: Could not write file ! [OK]";
        QCOMPARE(boxes, QStringList({Exists, CannotOpen, Exists, CannotOpen, Exists, cannotWrite}));
        QCOMPARE(fileBytes(old), QByteArray("old contents\n"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System), files); // no temporaries
        QCOMPARE(save(old), QStringList({Exists})); // "Ok" is the default button
        QVERIFY2(!modified, "saved");
        QVERIFY(fileBytes(old).startsWith("Quantaura Potential\n1024\n0.5\n"));
    }

    void standardStreamsNeverStopTheProgram()
    {
        // Streams closed; the trace into a pipe whose reader has gone (stderr too); into one nobody reads.
        for (int run = 0; run < 3; ++run) {
            int p[2];
            QCOMPARE(::pipe2(p, O_CLOEXEC), 0);
            QVERIFY(::fcntl(p[1], F_SETPIPE_SZ, 8192) >= 0);
            if (run == 1)
                ::close(p[0]);
            QProcess process;
            process.setChildProcessModifier([run, out = p[1]] {
                ::signal(SIGPIPE, SIG_DFL); // as a shell starts it
                for (int fd = 0; fd < 3 && run == 0; ++fd)
                    ::close(fd);
                if (run > 0)
                    ::dup2(out, STDOUT_FILENO);
                if (run == 1)
                    ::dup2(out, STDERR_FILENO);
            });
            process.start(QCoreApplication::applicationFilePath(), {"--child"});
            ::close(p[1]);
            const QByteArray which = "run " + QByteArray::number(run);
            QVERIFY2(process.waitForFinished(20000), which + ": not finished");
            QVERIFY2(process.exitStatus() == QProcess::NormalExit, which + ": crashed");
            QVERIFY2(process.exitCode() == 0, which + ": exit code " + QByteArray::number(process.exitCode()));
            QFile in; // the last run's pipe holds whole trace lines, up to the moment it was full
            QVERIFY(run == 1 || in.open(p[0], QIODevice::ReadOnly, QFileDevice::AutoCloseHandle));
            const QByteArray got = in.readAll();
            if (run < 2)
                continue;
            QVERIFY2(got.count("EW=") > 100, got.right(100).constData());
            QCOMPARE(got.count(" det="), got.count('\n')); // whole lines only
            QVERIFY(got.endsWith('\n'));
        }
        // A reader that falls behind loses whole lines, then gets the later ones; one that has gone ends it.
        int p[2];
        QCOMPARE(::pipe2(p, O_CLOEXEC | O_NONBLOCK), 0);
        QVERIFY(::fcntl(p[1], F_SETPIPE_SZ, 8192) >= 0);
        TraceOutput trace(p[1]);
        std::ostream out(&trace);
        int line = 0;
        while (trace.droppedLines() == 0 && line < 1000)
            out << "EW=" << line++ << " det=1" << std::endl;
        QByteArray got(1 << 16, '\0');
        got.resize(std::max<ssize_t>(::read(p[0], got.data(), got.size()), 0));
        QVERIFY2(got.size() >= 4000 && got.endsWith(" det=1\n"), got.right(40).constData());
        out << "EW=after det=1" << std::endl;
        QByteArray more(100, '\0');
        more.resize(std::max<ssize_t>(::read(p[0], more.data(), more.size()), 0));
        QCOMPARE(more, QByteArray("EW=after det=1\n"));
        QVERIFY(!trace.failed());
        ::close(p[0]);
        out << "EW=gone det=1" << std::endl;
        QVERIFY(trace.failed());
        ::close(p[1]);
    }

    void openLoadsOrWarns_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<Pot>("want");       // the first samples, the rest 0; empty: rejected, potential unchanged
        QTest::addColumn<QString>("status"); // what the status bar says after loading; rejected: as before
        const auto text = [](const QByteArray &header, const QByteArray &count, int n, const char *eol = "\n") {
            QByteArray t = header + eol + count + eol;
            for (int i = 0; i < n; ++i)
                t += QByteArray::number(i + 1) + ".5" + eol;
            return t;
        };
        const auto seq = [](int n) { Pot v; while (v.size() < n) v << v.size() + 1.5; return v; };
        for (const char *count : {"1023", "1024.0", "0x400", "1 024", "1e3", ""})
            QTest::addRow("count '%s'", count) << text("h", count, 1024) << Pot() << "vorher";
        QTest::newRow("empty file") << QByteArray("") << Pot() << "vorher";
        QTest::newRow("count ' +01024\\t'") << text("h", " +01024\t", 3) << seq(3) << "";
        QTest::newRow("10 samples, no final newline") << text("Quantaura Potential", "1024", 10).chopped(1) << seq(10) << "";
        QTest::newRow("1030 samples") << text("Quantaura Potential", "1024", 1030) << seq(1024) << "";
        QTest::newRow("odd huge header") << text("\xc3\xa4 #!? 1023" + QByteArray(100000, 'x'), "1024", 5) << seq(5) << "";
        QTest::newRow("CRLF") << text("Quantaura Potential", "1024", 1024, "\r\n") << seq(1024) << "";
        const QByteArray odd = "h\n1024\n0.5\nnan\n0.5\nabc\n\n1,5\n" + QByteArray(10000, '7');
        QTest::newRow("non-numbers") << odd + "\n0.25\n" << Pot {0.5, 0, 0.5, 0, 0, 0, 0, 0.25}
                                     << "5 Zeilen waren keine Zahl und wurden als 0 gelesen (Dezimaltrennzeichen ist der Punkt)";
        // Samples beyond +-1e6 are read as +-1e6, those below 1e-100 in magnitude as 0.
        QTest::newRow("range") << QByteArray("h\n1024\n1e300\n-inf\n1e999\n-1e6\n1e-100\n-1e-320\n1e-999\n9e-101\n")
                               << Pot {1e6, -1e6, 1e6, -1e6, 1e-100}
                               << "3 Werte lagen außerhalb von ±1e6 und wurden begrenzt; "
                                  "3 Werte waren betragsmäßig kleiner als 1e-100 und wurden als 0 gelesen";
        QTest::newRow("spellings") << QByteArray("h\n1024\n+1.5\n 2.5 \n.5\n5.\n-0\n1E+2\n\t-3e-1\n+.5e1\n1E-999\nINF\n1d\n")
                                   << Pot {1.5, 2.5, 0.5, 5, 0, 100, -0.3, 5, 0, 1e6}
                                   << "1 Zeile war keine Zahl und wurde als 0 gelesen; 1 Wert lag außerhalb von ±1e6 und "
                                      "wurde begrenzt; 1 Wert war betragsmäßig kleiner als 1e-100 und wurde als 0 gelesen";
    }
    void openLoadsOrWarns()
    {
        QFETCH(QByteArray, text);
        QFETCH(Pot, want);
        QFETCH(QString, status);
        QVERIFY(putFile(dir.filePath("in.pot"), text));
        const Run r = fileOp(&SchMainWindow::open, dir.filePath("in.pot"), Pot(N, 7.0));
        QCOMPARE(r.boxes, want.isEmpty() ? QStringList(CannotOpen) : QStringList());
        QCOMPARE(r.status, status);
        QCOMPARE(r.noteMs, status.isEmpty() || want.isEmpty() ? -1 : 15000); // a note stays 15 s
        QCOMPARE(r.modified, want.isEmpty());
        want.resize(N, want.isEmpty() ? 7.0 : 0.0);
        QCOMPARE(r.pot, want);
    }
};

int main(int argc, char **argv)
{
    if (argc > 1 && qstrcmp(argv[1], "--child") == 0)
        return child(argc, argv);
    QApplication app(argc, argv);
    TestFileOps test;
    return QTest::qExec(&test, argc, argv);
}
#include "test_fileops.moc"
