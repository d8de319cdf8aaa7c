#include "potentialfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

#include <array>
#include <clocale>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

// QCOMPARE on doubles is fuzzy; these checks must be exact.
#define QEXACT(a, b) QVERIFY2((a) == (b), qPrintable(QString("%1 != %2").arg(a, 0, 'g', 17).arg(b, 0, 'g', 17)))

namespace {
constexpr int N = PotentialFile::Samples;
using Pot = std::array<double, N>;
using RS = PotentialFile::ReadStatus;

QString printfG(double v)
{
    char buf[64];
    std::snprintf(buf, sizeof(buf), "%.6g", v);
    return QString::fromLatin1(buf);
}

void putFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), bytes.size());
}

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A valid file with the given header, count line and sample lines, joined by `eol`.
QByteArray potText(const QByteArray &header, const QByteArray &count, int samples, const char *eol = "\n")
{
    QByteArray t = header + eol + count + eol;
    for (int i = 0; i < samples; ++i)
        t += QByteArray::number(i + 1) + ".5" + eol;
    return t;
}

Pot filled(double v)
{
    Pot p;
    p.fill(v);
    return p;
}
} // namespace

class TestPotentialFile : public QObject
{
    Q_OBJECT
    QTemporaryDir dir;
    QString path(const char *name) const { return dir.filePath(QString::fromLatin1(name)); }

private slots:
    void initTestCase()
    {
        std::setlocale(LC_NUMERIC, "C"); // the printf reference must use '.'
        QVERIFY(dir.isValid());
    }

    void roundTripIsPrintfSixDigits()
    {
        Pot pot;
        const double exact[] = {0.0, 0.5, 0.0125, -12.75, 2.5, 1e-07, 123456.0, -0.000314159, 8.5e20};
        const double rounded[] = {1.0 / 3.0, -2.0 / 3.0, 3.14159265358979, 1234567.0, 8734.125, 0.0625625};
        uint32_t seed = 12345;
        for (int i = 0; i < N; ++i) {
            seed = seed * 1664525u + 1013904223u;
            pot[i] = (double(seed) / 4294967296.0 - 0.5) * 0.02;
        }
        std::copy(std::begin(exact), std::end(exact), pot.begin());
        std::copy(std::begin(rounded), std::end(rounded), pot.begin() + 100);

        const QString p = path("round.pot");
        QVERIFY(PotentialFile::write(p, pot.data()));
        const QByteArray bytes = fileBytes(p);
        QVERIFY(bytes.endsWith('\n'));
        QVERIFY(!bytes.contains('\r'));
        const QList<QByteArray> lines = bytes.split('\n');
        QCOMPARE(lines.size(), 1026 + 1); // last element: empty after the final line feed
        QCOMPARE(lines[0], QByteArray("Quantaura Potential"));
        QCOMPARE(lines[1], QByteArray("1024"));
        QCOMPARE(QString::fromLatin1(lines[104 + 2]), QString("8734.12")); // exact binary tie: half to even
        for (int i = 0; i < N; ++i)
            QCOMPARE(QString::fromLatin1(lines[i + 2]), printfG(pot[i]));

        Pot back = filled(99.0);
        QCOMPARE(PotentialFile::read(p, back.data()), RS::Ok);
        for (int i = 0; i < 9; ++i)
            QEXACT(back[i], exact[i]);
        for (int i = 0; i < N; ++i)
            QEXACT(back[i], std::strtod(printfG(pot[i]).toLatin1().constData(), nullptr));
        QEXACT(back[100], 0.333333);
    }

    void rejectedFilesLeaveOutputUnchanged_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("count 1023") << potText("h", "1023", 1023);
        QTest::newRow("count 1024.0") << potText("h", "1024.0", 1024);
        QTest::newRow("count 1025") << potText("h", "1025", 1024);
        QTest::newRow("count empty") << potText("h", "", 1024);
        QTest::newRow("count 0x400") << potText("h", "0x400", 1024);
        QTest::newRow("empty file") << QByteArray();
        QTest::newRow("header only") << QByteArray("Quantaura Potential\n");
    }
    void rejectedFilesLeaveOutputUnchanged()
    {
        QFETCH(QByteArray, text);
        const QString p = path("bad.pot");
        putFile(p, text);
        Pot out = filled(7.0);
        QCOMPARE(PotentialFile::read(p, out.data()), RS::BadFormat);
        QVERIFY(out == filled(7.0));
    }

    void missingOrUnreadable()
    {
        Pot out = filled(7.0);
        QCOMPARE(PotentialFile::read(path("nonexistent.pot"), out.data()), RS::NotFound);
        QCOMPARE(PotentialFile::read(dir.path(), out.data()), RS::CannotOpen);
        QVERIFY(out == filled(7.0));
    }

    void lenientReading_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("loaded"); // samples i < loaded hold i + 1.5, the rest 0
        QTest::newRow("10 samples") << potText("Quantaura Potential", "1024", 10) << 10;
        QTest::newRow("no samples") << potText("Quantaura Potential", "1024", 0) << 0;
        QTest::newRow("1030 samples") << potText("Quantaura Potential", "1024", 1030) << 1024;
        QTest::newRow("empty header") << potText("", "1024", 1024) << 1024;
        QTest::newRow("odd header") << potText("\xc3\xa4 #!? 1023", "1024", 5) << 5;
        QTest::newRow("huge header") << potText(QByteArray(100000, 'x'), "1024", 1024) << 1024;
        QTest::newRow("padded count") << potText("h", " \t1024  ", 1024) << 1024;
        QTest::newRow("CRLF") << potText("Quantaura Potential", "1024", 1024, "\r\n") << 1024;
        QTest::newRow("no final newline") << potText("h", "1024", 3).chopped(1) << 3;
    }
    void lenientReading()
    {
        QFETCH(QByteArray, text);
        QFETCH(int, loaded);
        const QString p = path("ok.pot");
        putFile(p, text);
        Pot out = filled(7.0);
        QCOMPARE(PotentialFile::read(p, out.data()), RS::Ok);
        for (int i = 0; i < N; ++i)
            QEXACT(out[i], i < loaded ? i + 1.5 : 0.0);
    }

    void nonNumbersAndNonFiniteAreZero()
    {
        const QString p = path("nan.pot");
        putFile(p, "h\n1024\n0.5\nnan\n0.5\ninf\n-inf\n1e999\n-1e999\nabc\n\n1,5\n"
                   + QByteArray(10000, '7') + "\n0.25\n");
        Pot out = filled(7.0);
        QCOMPARE(PotentialFile::read(p, out.data()), RS::Ok);
        const Pot::value_type expect[] = {0.5, 0, 0.5, 0, 0, 0, 0, 0, 0, 0, 0, 0.25, 0};
        for (int i = 0; i < 13; ++i)
            QEXACT(out[i], expect[i]);
    }

    void failedWritesLeaveTargetsIntact()
    {
        Pot pot = filled(0.125);
        // A device must not be replaced by a regular file. Use a private copy of /dev/full
        // where possible, so that a fault here cannot damage the real one.
        QString full = path("full");
        if (::mknod(full.toLocal8Bit().constData(), S_IFCHR | 0666, makedev(1, 7)) != 0)
            full = "/dev/full";
        QVERIFY(!PotentialFile::write(full, pot.data()));
        struct stat st {};
        QVERIFY(::stat(full.toLocal8Bit().constData(), &st) == 0 && S_ISCHR(st.st_mode));

        // Parent is a regular file: nothing can be created there, even as root.
        const QString plain = path("plain.txt");
        putFile(plain, "plain\n");
        QVERIFY(!PotentialFile::write(plain + "/x.pot", pot.data()));
        QCOMPARE(fileBytes(plain), QByteArray("plain\n"));

        // The disk "fills up" in the middle of writing: the old file must survive whole.
        const QString old = path("old.pot");
        putFile(old, "old contents\n");
        const QStringList before = QDir(dir.path()).entryList(QDir::Files);
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit saved {};
        QVERIFY(::getrlimit(RLIMIT_FSIZE, &saved) == 0);
        rlimit small = saved;
        small.rlim_cur = 2000;
        QVERIFY(::setrlimit(RLIMIT_FSIZE, &small) == 0);
        const bool written = PotentialFile::write(old, pot.data());
        ::setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, SIG_DFL);
        QVERIFY(!written);
        QCOMPARE(fileBytes(old), QByteArray("old contents\n"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), before); // no temporary left behind

        // Without the limit the same write replaces the file.
        QVERIFY(PotentialFile::write(old, pot.data()));
        QVERIFY(fileBytes(old).startsWith("Quantaura Potential\n1024\n0.125\n"));
    }
};

QTEST_MAIN(TestPotentialFile)
#include "test_potentialfile.moc"
