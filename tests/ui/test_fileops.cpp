#include "schdrawingsurface.h"
#include "schmainwindow.h"

#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <array>
#include <clocale>
#include <csignal>
#include <cstdio>
#include <sys/resource.h>

namespace {
constexpr int N = SchDrawingSurface::N;
using Pot = std::array<double, N>;

// Answers every modal box that appears while it lives, in turn with the given keys (the last
// one repeats), and records what each box said. Unlike a single queued answer it cannot leave
// a test hanging on a box nobody expected.
struct BoxAnswerer {
    struct Seen {
        QString title, text;
        QWidget *parent;
        QStringList buttons;
    };
    QList<Seen> seen;
    QTimer timer;
    explicit BoxAnswerer(QList<int> keys = {Qt::Key_Escape})
    {
        QObject::connect(&timer, &QTimer::timeout, [this, keys] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box || !box->isVisible())
                return;
            QStringList labels;
            for (QAbstractButton *b : box->buttons())
                labels << b->text();
            seen.append({box->windowTitle(), box->text(), box->parentWidget(), labels});
            QTest::keyClick(box, Qt::Key(keys[std::min<qsizetype>(seen.size(), keys.size()) - 1]));
        });
        timer.start(0);
    }
    QStringList texts() const
    {
        QStringList t;
        for (const Seen &s : seen)
            t << s.text;
        return t;
    }
};

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void putFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), bytes.size());
}

Pot pattern(double scale)
{
    Pot p;
    for (int i = 0; i < N; ++i)
        p[i] = scale * ((i % 37) - 18) / 7.0;
    return p;
}

Pot potOf(SchMainWindow &w)
{
    Pot p;
    std::copy(w.drawingSurface()->getPot(), w.drawingSurface()->getPot() + N, p.begin());
    return p;
}
} // namespace

class TestFileOps : public QObject
{
    Q_OBJECT
    QTemporaryDir dir;

    // A main window whose dialogs return `name` and record how they were asked.
    struct Fixture {
        SchMainWindow w;
        QStringList asked; // caption, preset, filter
        QWidget *askParent = nullptr;
        explicit Fixture(const QString &name)
        {
            auto ask = [this, name](QWidget *p, const QString &c, const QString &d, const QString &f) {
                askParent = p;
                asked = QStringList{c, d, f};
                return name;
            };
            w.askSaveName = ask;
            w.askOpenName = ask;
        }
    };

private slots:
    void initTestCase()
    {
        std::setlocale(LC_NUMERIC, "C"); // the printf reference must use '.'
        QVERIFY(dir.isValid());
    }

    void saveWritesTheSurfacePotential()
    {
        const QString path = dir.filePath("new.pot");
        Fixture fx(path);
        Pot pot = pattern(0.01);
        fx.w.drawingSurface()->setPot(pot.data());
        BoxAnswerer boxes;
        fx.w.save();
        QVERIFY(boxes.seen.isEmpty()); // a new name needs no question
        QCOMPARE(fx.askParent, &fx.w);
        QCOMPARE(fx.asked, QStringList({QString(), "newPotential.pot", "Potential files (*.pot)"}));

        const QList<QByteArray> lines = fileBytes(path).split('\n');
        QCOMPARE(lines.size(), 1027); // 1026 lines, each ended by a line feed
        QCOMPARE(lines[1], QByteArray("1024"));
        for (int i = 0; i < N; ++i) {
            char want[64];
            std::snprintf(want, sizeof(want), "%.6g", pot[i]);
            QCOMPARE(lines[i + 2], QByteArray(want));
        }
    }

    void saveAsksBeforeReplacing()
    {
        const QString path = dir.filePath("exists.pot");
        putFile(path, "old contents\n");
        Fixture fx(path);
        {
            BoxAnswerer escape({Qt::Key_Escape});
            fx.w.save();
            QCOMPARE(escape.seen.size(), 1);
            QCOMPARE(escape.seen[0].title, QString("Quantaura"));
            QCOMPARE(escape.seen[0].text, QString("File already exists !\nOverwrite ?"));
            QCOMPARE(escape.seen[0].parent, &fx.w);
            QCOMPARE(escape.seen[0].buttons, QStringList({"Ok", "Cancel"}));
        }
        QCOMPARE(fileBytes(path), QByteArray("old contents\n"));

        BoxAnswerer enter({Qt::Key_Return}); // "Ok" is the default button
        fx.w.save();
        QCOMPARE(enter.texts(), QStringList({"File already exists !\nOverwrite ?"}));
        QVERIFY(fileBytes(path).startsWith("Quantaura Potential\n1024\n"));

        fx.w.askSaveName = [](auto...) { return QString(); }; // cancelled dialog: nothing at all
        putFile(path, "old contents\n");
        fx.w.save();
        QCOMPARE(enter.seen.size(), 1);
        QCOMPARE(fileBytes(path), QByteArray("old contents\n"));
    }

    void failedWriteWarnsAndKeepsTheOldFile()
    {
        // No directory can be created below a regular file, even as root.
        const QString plain = dir.filePath("plain.txt");
        putFile(plain, "plain\n");
        {
            Fixture fx(plain + "/x.pot");
            BoxAnswerer boxes;
            fx.w.save();
            QCOMPARE(boxes.texts(), QStringList({"Could not open file !"}));
            QCOMPARE(boxes.seen[0].title, QString("Quantaura"));
            QCOMPARE(boxes.seen[0].parent, &fx.w);
        }

        // The disk "fills up" while writing over an existing file, after "Ok" to the question.
        const QString path = dir.filePath("full.pot");
        putFile(path, "old contents\n");
        Fixture fx(path);
        BoxAnswerer boxes({Qt::Key_Return, Qt::Key_Escape});
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit saved {};
        QVERIFY(::getrlimit(RLIMIT_FSIZE, &saved) == 0);
        rlimit small = saved;
        small.rlim_cur = 2000;
        QVERIFY(::setrlimit(RLIMIT_FSIZE, &small) == 0);
        fx.w.save();
        ::setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, SIG_DFL);
        QCOMPARE(boxes.texts(), QStringList({"File already exists !\nOverwrite ?", "Could not write file !"}));
        QCOMPARE(fileBytes(path), QByteArray("old contents\n"));
    }

    void openReplacesThePotential()
    {
        const QString path = dir.filePath("load.pot");
        QByteArray text = "any header\n1024\n";
        for (int i = 0; i < N; ++i)
            text += QByteArray::number(i % 10) + "e-3\n";
        putFile(path, text);
        Fixture fx(path);
        Pot before = pattern(0.01);
        fx.w.drawingSurface()->setPot(before.data());
        BoxAnswerer boxes;
        fx.w.open();
        QVERIFY(boxes.seen.isEmpty());
        QCOMPARE(fx.askParent, &fx.w);
        QCOMPARE(fx.asked, QStringList({QString(), QString(), "Potential files (*.pot)"}));
        const Pot after = potOf(fx.w);
        for (int i = 0; i < N; ++i)
            QVERIFY(after[i] == std::strtod((QByteArray::number(i % 10) + "e-3").constData(), nullptr));

        fx.w.askOpenName = [](auto...) { return QString(); }; // cancelled: silent, unchanged
        fx.w.drawingSurface()->setPot(before.data());
        fx.w.open();
        QVERIFY(boxes.seen.isEmpty());
        QVERIFY(potOf(fx.w) == before);
    }

    void openFailuresWarnAndKeepThePotential_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("contents"); // written first unless empty-named
        QTest::addColumn<QString>("warning");
        QTest::newRow("missing") << "missing.pot" << QByteArray() << "File does not exist !";
        QTest::newRow("count 1023") << "c1023.pot" << QByteArray("h\n1023\n1\n") << "Could not open file !";
        QTest::newRow("count 1024.0") << "c1024f.pot" << QByteArray("h\n1024.0\n1\n") << "Could not open file !";
        QTest::newRow("empty") << "empty.pot" << QByteArray("") << "Could not open file !";
        QTest::newRow("directory") << "." << QByteArray() << "Could not open file !";
    }
    void openFailuresWarnAndKeepThePotential()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, contents);
        QFETCH(QString, warning);
        const QString path = dir.filePath(name);
        if (!contents.isNull())
            putFile(path, contents);
        Fixture fx(path);
        Pot before = pattern(0.02);
        fx.w.drawingSurface()->setPot(before.data());
        BoxAnswerer boxes;
        fx.w.open();
        QCOMPARE(boxes.texts(), QStringList({warning}));
        QCOMPARE(boxes.seen[0].title, QString("Quantaura"));
        QCOMPARE(boxes.seen[0].parent, &fx.w);
        QVERIFY(potOf(fx.w) == before);
    }

    void openWhileTheEvolutionRuns()
    {
        const QString path = dir.filePath("running.pot");
        putFile(path, "h\n1024\n0.0125\n-0.5\n");
        Fixture fx(path);
        QPushButton *start = fx.w.findChild<QPushButton *>("d");
        QVERIFY(start);
        fx.w.show();
        start->click();
        if (!fx.w.drawingSurface()->isRunning())
            QSKIP("the evolution does not run yet");
        QTest::qWait(20);
        BoxAnswerer boxes;
        fx.w.open();
        QVERIFY(boxes.seen.isEmpty());
        QVERIFY(fx.w.drawingSurface()->isRunning());
        const Pot after = potOf(fx.w);
        QVERIFY(after[0] == 0.0125 && after[1] == -0.5);
        QVERIFY(std::all_of(after.begin() + 2, after.end(), [](double v) { return v == 0.0; }));
        QTest::qWait(20); // the evolution goes on over the new potential
        start->click();
        QVERIFY(!fx.w.drawingSurface()->isRunning());
    }
};

QTEST_MAIN(TestFileOps)
#include "test_fileops.moc"
