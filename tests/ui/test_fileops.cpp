#include "editableslider.h"
#include "plot.h"
#include "potentialfile.h"
#include "schdrawingsurface.h"
#include "schefview.h"
#include "schmainwindow.h"
#include "startup.h"
#include "uitestutil.h"
#include "window.h"

#include <QtTest>
#include <QtWidgets>

#include <clocale>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {
constexpr int N = SchDrawingSurface::N;
using Pot = QList<double>; // QCOMPARE on lists compares the doubles exactly
const QString Exists = "Quantaura: File already exists !\nOverwrite ? [Ok/Cancel]";
const QString CannotOpen = "Quantaura: Could not open file ! [OK]";

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void putFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size());
}

struct Run {
    QStringList asked; // the file dialog's parent, caption, preset and filter
    QStringList boxes; // each message box as "title: text [buttons]"
    Pot pot;           // the potential afterwards
    bool running = false;
    QString status;    // the status bar's message afterwards
};

// File→Open or File→Save on a fresh window holding `pot` (N samples), whose file dialog returns
// `name`. Every message box is answered with `key`, so none can hang a test.
Run fileOp(void (SchMainWindow::*op)(), const QString &name, Pot pot, bool evolve = false, int key = Qt::Key_Escape)
{
    SchMainWindow w;
    Run r;
    w.askSaveName = w.askOpenName = [&](QWidget *p, const QString &c, const QString &d, const QString &f) {
        r.asked = QStringList{p == &w ? "main window" : "other", c, d, f};
        return name;
    };
    w.drawingSurface()->setPot(pot.data());
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box || !box->isVisible())
            return;
        QStringList labels;
        for (QAbstractButton *b : box->buttons())
            labels << b->text();
        r.boxes << QString(box->parentWidget() == &w ? "" : "(wrong parent) ") + box->windowTitle() + ": "
                       + box->text() + " [" + labels.join('/') + "]";
        QTest::keyClick(box, Qt::Key(key));
    });
    timer.start(0);
    if (evolve) {
        w.show();
        w.findChild<QPushButton *>("d")->click();
        QTest::qWait(20);
    }
    (w.*op)();
    r.running = w.drawingSurface()->isRunning();
    r.status = w.statusBar()->currentMessage();
    r.pot = Pot(w.drawingSurface()->getPot(), w.drawingSurface()->getPot() + N);
    if (evolve)
        QTest::qWait(20); // the evolution goes on over the new potential
    return r;
}
} // namespace

class TestFileOps : public QObject
{
    Q_OBJECT
    QTemporaryDir dir;

public: // the printf reference must use '.'; the program's own start-up makes a file-size limit fail writes
    TestFileOps() { std::setlocale(LC_NUMERIC, "C"); prepareProcess(); }

private slots:
    void roundTripWhileTheEvolutionRuns()
    {
        const auto g = [](double v) { char b[32]; std::snprintf(b, sizeof b, "%.6g", v); return QByteArray(b); };
        const Pot exact = {0.0, 0.5, 0.0125, -12.75, 2.5, 1e-07, 123456.0, -0.000314159, -1e6, 1e-100};
        Pot pot = exact + Pot {1.0 / 3.0, -2.0 / 3.0, 3.14159265358979, 999999.5, 8734.125, 0.0625625};
        for (int i = pot.size(); i < N; ++i)
            pot << (i * 7919 % 1000 - 500) / 3e4;
        const QString path = dir.filePath("round.pot");
        Run r = fileOp(&SchMainWindow::save, path, pot, true);
        QCOMPARE(r.asked, QStringList({"main window", "", "newPotential.pot", "Potential files (*.pot)"}));
        QVERIFY(r.running && r.boxes.isEmpty()); // a new name needs no question
        QByteArray want = "Quantaura Potential\n1024\n";
        for (double v : pot)
            want += g(v) + '\n';
        QCOMPARE(fileBytes(path), want);
        QVERIFY(want.count('\n') == 1026 && want.contains("\n8734.12\n")); // 8734.125: the tie goes to even
        r = fileOp(&SchMainWindow::open, path, Pot(N), true);
        QCOMPARE(r.asked, QStringList({"main window", "", "", "Potential files (*.pot)"}));
        QVERIFY(r.running && r.boxes.isEmpty() && r.status.isEmpty());
        QCOMPARE(r.pot.mid(0, 11), exact + Pot {0.333333});
        for (double &v : pot)
            v = std::strtod(g(v).constData(), nullptr);
        QCOMPARE(r.pot, pot);
        // 1 GiB without a line end, and a valid file behind a header of 1 GiB (both sparse): refused
        // after a bounded read, not scanned to the end.
        const QString huge = dir.filePath("huge.pot"), hugeHeader = dir.filePath("hugeheader.pot");
        for (const QString &name : {huge, hugeHeader}) {
            QFile f(name);
            QVERIFY(f.open(QIODevice::WriteOnly) && f.resize(qint64(1) << 30));
            if (name == hugeHeader)
                QVERIFY(f.seek(f.size()) && f.write("\n1024\n0.5\n") == 10);
        }
        QStringList boxes; // a cancelled dialog, a missing file, a directory and both huge files leave the potential
        for (const QString &name : {QString(), dir.filePath("no.pot"), dir.filePath("."), huge, hugeHeader}) {
            boxes += (r = fileOp(&SchMainWindow::open, name, pot)).boxes;
            QCOMPARE(r.pot, pot);
        }
        QFile::remove(huge);
        QFile::remove(hugeHeader);
        QCOMPARE(boxes, QStringList({"Quantaura: File does not exist ! [OK]", CannotOpen, CannotOpen, CannotOpen}));
    }

    void saveAsksAndWarnsAndKeepsTheTarget()
    {
        const QString plain = dir.filePath("plain.txt"), old = dir.filePath("old.pot");
        putFile(plain, "plain\n");
        putFile(old, "old contents\n");
        QString dev = dir.filePath("full"); // a private /dev/full where possible: a fault cannot replace the real one
        if (::mknod(dev.toLocal8Bit().constData(), S_IFCHR | 0666, makedev(1, 7)) != 0)
            dev = "/dev/full";
        const QStringList files = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System);
        const auto save = [](const QString &name, int key = Qt::Key_Return) {
            return fileOp(&SchMainWindow::save, name, Pot(N), false, key).boxes;
        };
        // Escape answers "Cancel"; an empty name is a cancelled dialog; nothing is created below a regular file.
        QStringList boxes = save(old, Qt::Key_Escape) + save("") + save(plain + "/x.pot") + save(dev);
        rlimit saved {};
        QVERIFY(::getrlimit(RLIMIT_FSIZE, &saved) == 0);
        const rlimit small {2000, saved.rlim_max};
        QVERIFY(::setrlimit(RLIMIT_FSIZE, &small) == 0); // the disk "fills up" while writing
        boxes += save(old);
        ::setrlimit(RLIMIT_FSIZE, &saved);
        const QString cannotWrite = "Quantaura: Could not write file ! [OK]";
        QCOMPARE(boxes, QStringList({Exists, CannotOpen, Exists, cannotWrite, Exists, cannotWrite}));
        QCOMPARE(fileBytes(old), QByteArray("old contents\n"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System), files); // no temporaries
        struct stat st {};
        QVERIFY(::stat(dev.toLocal8Bit().constData(), &st) == 0 && S_ISCHR(st.st_mode));
        QCOMPARE(save(old), QStringList({Exists})); // "Ok" is the default button
        QVERIFY(fileBytes(old).startsWith("Quantaura Potential\n1024\n0\n"));
    }

    void saveInAReadOnlyFolder()
    {
        // A folder of shared files: the file is writable, the folder is not, so no temporary file
        // can go beside it. Root may write anywhere: the saves run in a child as an ordinary user.
        QTemporaryDir top;
        const QString folder = top.filePath("shared"), file = folder + "/class.pot";
        QVERIFY(QDir().mkdir(folder));
        putFile(file, "old contents\n");
        QVERIFY(::chmod(QFile::encodeName(top.path()), 0755) == 0 && ::chmod(QFile::encodeName(file), 0666) == 0
                && ::chmod(QFile::encodeName(folder), 0555) == 0);
        Pot pot;
        for (int k = 0; k < N; ++k)
            pot << (k % 7) * 0.001;
        const pid_t child = ::fork();
        if (child == 0) {
            if (::geteuid() == 0 && ::setuid(65534) != 0)
                ::_exit(77);
            if (::access(QFile::encodeName(folder), W_OK) == 0)
                ::_exit(78);
            rlimit saved {};
            ::getrlimit(RLIMIT_FSIZE, &saved);
            const rlimit small {2000, saved.rlim_max}; // fails half-way through the overwrite
            ::setrlimit(RLIMIT_FSIZE, &small);
            const bool refused = !PotentialFile::write(file, pot.data());
            const bool intact = fileBytes(file) == "old contents\n";
            ::setrlimit(RLIMIT_FSIZE, &saved);
            ::_exit(refused && intact && PotentialFile::write(file, pot.data()) ? 0 : 1);
        }
        int status = 0;
        QCOMPARE(::waitpid(child, &status, 0), child);
        ::chmod(QFile::encodeName(folder), 0755);
        if (WIFEXITED(status) && WEXITSTATUS(status) >= 77)
            QSKIP("no ordinary user to save as");
        QCOMPARE(WIFEXITED(status) ? WEXITSTATUS(status) : -1, 0);
        QCOMPARE(fileBytes(file), PotentialFile::text(pot.data()));
        QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System), QStringList("class.pot"));
    }

    void extremeSamplesStayFiniteEverywhere()
    {
        // Samples of +-1e300 (read as +-1e6) through every calculation on them: a line stroke from
        // such a sample, smoothing, 100 steps, both side windows, saving and loading again.
        const QString in = dir.filePath("extreme.pot"), out = dir.filePath("extreme-out.pot");
        QByteArray text = "h\n1024\n";
        for (int k = 0; k < N; ++k)
            text += (k / 128) % 4 == 1 ? "1e300\n" : (k / 128) % 4 == 3 ? "-1e300\n" : "0.001\n";
        putFile(in, text);
        SchMainWindow w;
        QString name = in;
        w.askOpenName = w.askSaveName = [&](QWidget *, const QString &, const QString &, const QString &) { return name; };
        QStringList boxes;
        QTimer closer;
        QObject::connect(&closer, &QTimer::timeout, [&] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget()); box && box->isVisible()) {
                boxes << box->text();
                QTest::keyClick(box, Qt::Key_Escape);
            }
        });
        closer.start(0);
        w.resize(1300, 700);
        w.show();
        SchDrawingSurface *s = w.drawingSurface();
        QVERIFY(s->width() >= N); // so that every grid index has a column of its own
        const auto column = [s](int index) { return (index * s->width() + 1023) / 1024; };
        const auto mouse = [s](QEvent::Type t, QPoint p) {
            sendMouse(s, t, p, t == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton,
                      t == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton);
        };
        s->penPOnOff(true);
        mouse(QEvent::MouseButtonPress, {column(100), 10}); // the line pen's last point: index 160
        mouse(QEvent::MouseMove, {column(160), 10});
        mouse(QEvent::MouseButtonRelease, {column(160), 10});
        w.open();
        QCOMPARE(w.statusBar()->currentMessage(), "512 Werte lagen außerhalb von ±1e6 und wurden begrenzt");
        QVERIFY(s->getPot()[160] == 1e6 && s->getPot()[400] == -1e6 && s->getPot()[0] == 0.001);
        mouse(QEvent::MouseButtonPress, {column(1000), 10}); // a line from the sample 1e6 at 160
        w.findChild<QPushButton *>("fouB")->click();
        mouse(QEvent::MouseButtonPress, {column(300), 10});
        mouse(QEvent::MouseMove, {column(600), 300});
        mouse(QEvent::MouseButtonRelease, {column(600), 300});
        w.findChild<QPushButton *>("spb2")->click();
        mouse(QEvent::MouseButtonPress, {column(40), 100});
        const auto norm = [s] { double n = 0; for (int k = 0; k < N; ++k) n += std::norm(s->wave()[k]); return n; };
        w.zSlider()->slider()->setValue(0);
        const double before = norm();
        w.zSlider()->slider()->setValue(100); // rebuilds the packet and advances it 100 steps
        QVERIFY(before > 0 && std::isfinite(norm()) && std::fabs(norm() - before) < 1e-9 * before); // unitary steps
        const Pot pot(s->getPot(), s->getPot() + N);
        QVERIFY(std::all_of(pot.begin(), pot.end(), [](double v) { return std::fabs(v) <= 1e6; }));
        QVERIFY(pot[600] != 1e6 && pot[700] != pot[701]); // the stroke and the smoothing did change it

        SchEFView eigen(pot.data());
        QVERIFY(eigen.eigenTotal() > 0 && std::isfinite(eigen.energyMin()) && std::isfinite(eigen.energyMax()));
        for (int k = 0; k < eigen.eigenTotal(); ++k)
            QVERIFY(std::isfinite(eigen.eigenValueAt(k)));
        Window scatter;
        QVERIFY(!scatter.setPotential(pot.data(), N));
        QVERIFY(std::isfinite(scatter.potentialScale()) && std::isfinite(scatter.eMax()));

        name = out;
        w.save();
        PotentialFile::ReadNotes notes;
        Pot back(N);
        QVERIFY(PotentialFile::read(out, back.data(), &notes) == PotentialFile::ReadStatus::Ok);
        QVERIFY(notes.message().isEmpty() && boxes.isEmpty());
        for (int k = 0; k < N; ++k) {
            char b[32];
            std::snprintf(b, sizeof b, "%.6g", pot[k]);
            QCOMPARE(back[k], std::strtod(b, nullptr)); // the file holds what the surface holds
        }
    }

    void openLoadsOrWarns_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<Pot>("want"); // the first samples, the rest 0; empty: rejected, potential unchanged
        QTest::addColumn<QString>("status"); // what the status bar says after loading
        const auto text = [](const QByteArray &header, const QByteArray &count, int n, const char *eol = "\n") {
            QByteArray t = header + eol + count + eol;
            for (int i = 0; i < n; ++i)
                t += QByteArray::number(i + 1) + ".5" + eol;
            return t;
        };
        const auto seq = [](int n) { Pot v; while (v.size() < n) v << v.size() + 1.5; return v; };
        QTest::newRow("count 1023") << text("h", "1023", 1023) << Pot() << "";
        QTest::newRow("count 1024.0") << text("h", "1024.0", 1024) << Pot() << "";
        QTest::newRow("count empty") << text("h", "", 1024) << Pot() << "";
        QTest::newRow("count 0x400") << text("h", "0x400", 1024) << Pot() << "";
        QTest::newRow("empty file") << QByteArray("") << Pot() << "";
        QTest::newRow("10 samples, no final newline") << text("Quantaura Potential", "1024", 10).chopped(1) << seq(10) << "";
        QTest::newRow("1030 samples") << text("Quantaura Potential", "1024", 1030) << seq(1024) << "";
        QTest::newRow("odd huge header") << text("\xc3\xa4 #!? 1023" + QByteArray(100000, 'x'), "1024", 5) << seq(5) << "";
        QTest::newRow("CRLF") << text("Quantaura Potential", "1024", 1024, "\r\n") << seq(1024) << "";
        const QByteArray odd = "h\n1024\n0.5\nnan\n0.5\nabc\n\n1,5\n" + QByteArray(10000, '7');
        QTest::newRow("non-numbers") << odd + "\n0.25\n" << Pot {0.5, 0, 0.5, 0, 0, 0, 0, 0.25}
                                     << "5 Zeilen waren keine Zahl und wurden als 0 gelesen (Dezimaltrennzeichen ist der Punkt)";
        QTest::newRow("decimal comma") << QByteArray("h\n1024\n0,01\n0.02\n") << Pot {0, 0.02}
                                       << "1 Zeile war keine Zahl und wurde als 0 gelesen (Dezimaltrennzeichen ist der Punkt)";
        // Samples beyond +-1e6 are read as +-1e6, those below 1e-100 in magnitude as 0.
        QTest::newRow("range") << QByteArray("h\n1024\n1e300\n-inf\n1e999\n-1e6\n1e-100\n-1e-320\n1e-999\n9e-101\n")
                               << Pot {1e6, -1e6, 1e6, -1e6, 1e-100}
                               << "3 Werte lagen außerhalb von ±1e6 und wurden begrenzt; "
                                  "3 Werte waren betragsmäßig kleiner als 1e-100 und wurden als 0 gelesen";
        QTest::newRow("one each") << QByteArray("h\n1024\n-2e6\nx\n-1e-200\n") << Pot {-1e6}
                                  << "1 Zeile war keine Zahl und wurde als 0 gelesen; 1 Wert lag außerhalb von ±1e6 "
                                     "und wurde begrenzt; 1 Wert war betragsmäßig kleiner als 1e-100 und wurde als 0 gelesen";
    }
    void openLoadsOrWarns()
    {
        QFETCH(QByteArray, text);
        QFETCH(Pot, want);
        QFETCH(QString, status);
        putFile(dir.filePath("in.pot"), text);
        const Run r = fileOp(&SchMainWindow::open, dir.filePath("in.pot"), Pot(N, 7.0));
        QCOMPARE(r.boxes, want.isEmpty() ? QStringList(CannotOpen) : QStringList());
        QCOMPARE(r.status, status);
        want.resize(N, want.isEmpty() ? 7.0 : 0.0);
        QCOMPARE(r.pot, want);
    }
};

QTEST_MAIN(TestFileOps)
#include "test_fileops.moc"
