// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef QUANTAURA_TRACEOUTPUT_H
#define QUANTAURA_TRACEOUTPUT_H

#include <streambuf>
#include <string>

// Line-buffered output on a file descriptor for diagnostics that must never stop or block the
// program. A line goes out only when the descriptor can take it at once: a reader that does not
// read (a full pipe) costs that line, not a hang. After a write error (the reader has gone, the
// disk is full) nothing more is attempted.
class TraceOutput : public std::streambuf
{
public:
    explicit TraceOutput(int fd);

    bool failed() const { return broken; }
    long droppedLines() const { return dropped; }

protected:
    int_type overflow(int_type ch) override;
    std::streamsize xsputn(const char *s, std::streamsize n) override;
    int sync() override;

private:
    void emitPending();

    int fd;
    std::string pending;
    bool broken = false;
    long dropped = 0;
};

#endif
