#include "schdrawingsurface.h"
#include "schmainwindow.h"
#include "startup.h"

#include <QPushButton>
#include <QtTest>

#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace {

// The program as it starts, with a deep well (many bound states, so many trace lines) on which
// "Eigenfunktionen" is switched on and off a few times before a scripted quit. Exit code 3:
// standard output was closed at start and is not /dev/null now.
int runChild(int argc, char **argv)
{
    const bool stdoutClosed = ::fcntl(STDOUT_FILENO, F_GETFD) == -1;
    prepareProcess();
    QApplication app(argc, argv);
    qWarning("child started"); // into standard error, which may be a closed pipe
    struct stat out {}, null {};
    if (stdoutClosed && (::fstat(STDOUT_FILENO, &out) != 0 || ::stat("/dev/null", &null) != 0 || out.st_rdev != null.st_rdev))
        return 3;
    SchMainWindow w;
    std::vector<double> well(SchDrawingSurface::N, -0.1);
    well.front() = well.back() = 0.0;
    w.drawingSurface()->setPot(well.data());
    QPushButton *eigen = w.findChild<QPushButton *>("v");
    QTimer::singleShot(0, &w, [&] {
        for (int i = 0; i < 4; ++i) {
            eigen->click();
            eigen->click();
        }
        QCoreApplication::quit();
    });
    return app.exec();
}

struct Outcome {
    int exitCode = -1; // -1: killed by a signal; -2: still running after 30 s (then killed)
    QByteArray out;    // what reached a pipe that was read afterwards
};

// Runs this binary as the child with its standard output and error set up by `actions`.
Outcome spawnChild(posix_spawn_file_actions_t *actions, int readAfterwards = -1)
{
    Outcome o;
    char self[] = "/proc/self/exe", mode[] = "--child", platform[] = "-platform", offscreen[] = "offscreen";
    char *argv[] = {self, mode, platform, offscreen, nullptr};
    pid_t pid = 0;
    if (posix_spawn(&pid, self, actions, nullptr, argv, environ) != 0)
        return o;
    int status = 0;
    for (int waited = 0; ::waitpid(pid, &status, WNOHANG) == 0; waited += 10) {
        if (waited >= 30000) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &status, 0);
            o.exitCode = -2;
            return o;
        }
        ::usleep(10000);
    }
    o.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    if (readAfterwards >= 0) {
        ::fcntl(readAfterwards, F_SETFL, O_NONBLOCK);
        char buf[4096];
        for (ssize_t n; (n = ::read(readAfterwards, buf, sizeof buf)) > 0;)
            o.out.append(buf, int(n));
    }
    return o;
}

} // namespace

class TestProcess : public QObject
{
    Q_OBJECT
private slots:
    void survivesClosedAndStuckOutputs()
    {
        posix_spawn_file_actions_t closed; // quantaura >&-
        posix_spawn_file_actions_init(&closed);
        posix_spawn_file_actions_addclose(&closed, STDOUT_FILENO);
        QCOMPARE(spawnChild(&closed).exitCode, 0);
        posix_spawn_file_actions_destroy(&closed);

        // quantaura 2>&1 | head -1, after head has gone; and a reader that never reads (a pipe
        // of two pages fills after a few hundred lines).
        for (bool readerGone : {true, false}) {
            int p[2];
            QVERIFY(::pipe(p) == 0);
            ::fcntl(p[1], F_SETPIPE_SZ, 8192);
            if (readerGone)
                ::close(p[0]);
            posix_spawn_file_actions_t piped;
            posix_spawn_file_actions_init(&piped);
            posix_spawn_file_actions_adddup2(&piped, p[1], STDOUT_FILENO);
            if (readerGone) // standard error blocks on a full pipe, as it always has
                posix_spawn_file_actions_adddup2(&piped, p[1], STDERR_FILENO);
            posix_spawn_file_actions_addclose(&piped, p[1]);
            if (!readerGone)
                posix_spawn_file_actions_addclose(&piped, p[0]);
            const Outcome o = spawnChild(&piped, readerGone ? -1 : p[0]);
            posix_spawn_file_actions_destroy(&piped);
            ::close(p[1]);
            if (!readerGone)
                ::close(p[0]);
            QCOMPARE(o.exitCode, 0);
            if (readerGone)
                continue;
            // Whole trace lines, up to the moment the pipe was full; the rest was dropped.
            QList<QByteArray> lines = o.out.split('\n');
            QVERIFY2(lines.size() > 100 && lines.takeLast().isEmpty(), o.out.right(200).constData());
            for (const QByteArray &l : lines)
                QVERIFY2(l.startsWith("EW=") && l.contains(" det="), l.constData());
        }
    }
};

int main(int argc, char **argv)
{
    if (argc > 1 && std::strcmp(argv[1], "--child") == 0)
        return runChild(argc, argv);
    QCoreApplication app(argc, argv);
    TestProcess test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_process.moc"
