// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/app/startup.h"

#include "ui/app/traceoutput.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <iostream>
#include <unistd.h>

namespace {

// Puts the original buffer back before the library's final flush of std::cout.
struct StdoutTrace
{
    TraceOutput buffer{STDOUT_FILENO};
    std::streambuf *original = std::cout.rdbuf(&buffer);
    ~StdoutTrace() { std::cout.rdbuf(original); }
};

} // namespace

void prepareProcess()
{
    struct sigaction ignore = {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    sigaction(SIGPIPE, &ignore, nullptr);
    sigaction(SIGXFSZ, &ignore, nullptr);

    for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
        if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF)
            continue;
        const int null = ::open("/dev/null", O_RDWR);
        if (null >= 0 && null != fd) {
            ::dup2(null, fd);
            ::close(null);
        }
    }

    static StdoutTrace trace;
}
