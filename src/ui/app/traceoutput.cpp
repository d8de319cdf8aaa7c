// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/app/traceoutput.h"

#include <cerrno>
#include <climits>
#include <poll.h>
#include <unistd.h>

namespace {
// A pipe takes a write of up to PIPE_BUF bytes whole once poll has reported room, so a pending
// line is sent at the latest when it reaches this length.
constexpr std::size_t MaxChunk = PIPE_BUF;
} // namespace

TraceOutput::TraceOutput(int fd) : fd(fd)
{
    pending.reserve(MaxChunk);
}

TraceOutput::int_type TraceOutput::overflow(int_type ch)
{
    if (traits_type::eq_int_type(ch, traits_type::eof()))
        return traits_type::not_eof(ch);
    pending.push_back(traits_type::to_char_type(ch));
    if (ch == '\n' || pending.size() >= MaxChunk)
        emitPending();
    return ch;
}

std::streamsize TraceOutput::xsputn(const char *s, std::streamsize n)
{
    for (std::streamsize i = 0; i < n; ++i)
        overflow(traits_type::to_int_type(s[i]));
    return n;
}

int TraceOutput::sync()
{
    emitPending();
    return 0;
}

void TraceOutput::emitPending()
{
    const char *p = pending.data();
    std::size_t left = pending.size();
    while (left > 0 && !broken) {
        pollfd pfd{fd, POLLOUT, 0};
        const int ready = ::poll(&pfd, 1, 0);
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready < 0 || (pfd.revents & (POLLERR | POLLNVAL))) {
            broken = true; // a closed pipe reports an error here, before any write
            break;
        }
        if (ready == 0 || !(pfd.revents & POLLOUT)) {
            ++dropped; // the reader is behind: this line is lost, the program goes on
            break;
        }
        const ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            if (errno == EAGAIN || errno == EWOULDBLOCK)
                ++dropped;
            else
                broken = true;
            break;
        }
        p += n;
        left -= std::size_t(n);
    }
    pending.clear();
}
