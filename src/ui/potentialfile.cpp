#include "potentialfile.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <array>
#include <charconv>
#include <cmath>
#include <cstring>

namespace {

// No valid line comes anywhere near this; longer lines count as not a number, so that a
// huge file without line ends cannot exhaust memory.
constexpr qint64 MaxLine = 4096;

// Reads the next line without its "\n" or "\r\n". Returns false at the end of the file
// (or on a read error). An over-long line is consumed whole and reported as `tooLong`.
bool nextLine(QFile &f, QByteArray &line, bool &tooLong)
{
    tooLong = false;
    if (f.atEnd())
        return false;
    line = f.readLine(MaxLine);
    if (line.isEmpty())
        return false;
    if (!line.endsWith('\n') && !f.atEnd()) {
        tooLong = true;
        QByteArray rest;
        do
            rest = f.readLine(MaxLine);
        while (!rest.isEmpty() && !rest.endsWith('\n'));
    }
    if (line.endsWith('\n'))
        line.chop(1);
    if (line.endsWith('\r'))
        line.chop(1);
    return true;
}

} // namespace

PotentialFile::ReadStatus PotentialFile::read(const QString &path, double *out1024)
{
    const QFileInfo info(path);
    if (path.isEmpty() || !info.exists())
        return ReadStatus::NotFound;
    // Directories, devices and pipes are not potential files; a pipe could block forever.
    if (!info.isFile())
        return ReadStatus::CannotOpen;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return ReadStatus::CannotOpen;

    QByteArray line;
    bool tooLong = false;
    if (!nextLine(f, line, tooLong)) // header: any text
        return ReadStatus::BadFormat;
    if (!nextLine(f, line, tooLong) || tooLong)
        return ReadStatus::BadFormat;
    bool ok = false;
    const int count = QString::fromUtf8(line).toInt(&ok, 10);
    if (!ok || count != Samples)
        return ReadStatus::BadFormat;

    std::array<double, Samples> samples{};
    for (int i = 0; i < Samples && nextLine(f, line, tooLong); ++i) {
        if (tooLong)
            continue;
        const double v = QString::fromUtf8(line).toDouble(&ok);
        // The simulation must never see a non-finite potential.
        samples[i] = (ok && std::isfinite(v)) ? v : 0.0;
    }
    if (out1024)
        std::memcpy(out1024, samples.data(), sizeof(samples));
    return ReadStatus::Ok;
}

bool PotentialFile::write(const QString &path, const double *pot1024, bool *openFailed)
{
    if (openFailed)
        *openFailed = true;
    if (!pot1024 || path.isEmpty())
        return false;
    // The save file renames a temporary file over the target; over a device or pipe that
    // would replace the node itself, so only regular files (or new names) are written.
    // Refused like a failed write (a device such as /dev/full accepts nothing either).
    const QFileInfo info(path);
    if (info.exists() && !info.isFile()) {
        if (openFailed)
            *openFailed = info.isDir();
        return false;
    }

    QByteArray text;
    text.reserve(32 + Samples * 14);
    text += "Quantaura Potential\n1024\n";
    for (int i = 0; i < Samples; ++i) {
        // to_chars with precision 6 is printf "%.6g" without depending on the C locale.
        char buf[32];
        const auto res = std::to_chars(buf, buf + sizeof(buf), pot1024[i], std::chars_format::general, 6);
        text.append(buf, int(res.ptr - buf));
        text += '\n';
    }

    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    if (openFailed)
        *openFailed = false;
    // commit() does not notice an error of the last buffered write, so flush and check first.
    if (f.write(text) != text.size() || !f.flush()) {
        f.cancelWriting();
        return false;
    }
    return f.commit();
}
