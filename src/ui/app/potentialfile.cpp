// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/app/potentialfile.h"

#include <QFile>
#include <QFileInfo>
#include <QIODevice>
#include <QSaveFile>

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstring>

namespace {

// No valid line comes anywhere near this; a line longer than this (its "\n" or "\r\n" not
// counted) is not a number.
constexpr qint64 MaxLine = PotentialFile::MaxLineBytes;
// A potential file is about 15 KB. Reading stops here, so that a huge file without line ends
// is refused at once instead of being scanned to its end.
constexpr qint64 MaxRead = PotentialFile::MaxReadBytes;

enum class Line { Ok, TooLong, End, TooMuch };

// Lines of a potential file, read within the budget MaxRead.
class LineReader
{
public:
    explicit LineReader(QIODevice &in) : in(in) {}

    // The next line without its "\n" or "\r\n".
    Line next(QByteArray &line)
    {
        if (in.atEnd())
            return Line::End;
        const qint64 n = in.readLine(buffer.data(), qint64(buffer.size()));
        if (n <= 0)
            return Line::End; // a read error ends the file like its end
        line = QByteArray(buffer.data(), qsizetype(n));
        consumed += n;
        // The buffer holds a line of MaxLine bytes with its "\r\n"; without a "\n" in it, the
        // line goes on and is longer than that.
        const bool cut = !line.endsWith('\n') && !in.atEnd();
        if (cut)
            skipRest();
        if (consumed > MaxRead)
            return Line::TooMuch;
        if (line.endsWith('\n'))
            line.chop(1);
        if (line.endsWith('\r'))
            line.chop(1);
        return cut || line.size() > MaxLine ? Line::TooLong : Line::Ok;
    }

private:
    // Up to and including the next "\n", in large blocks, stopping at the budget.
    void skipRest()
    {
        std::array<char, 1 << 16> block;
        while (consumed <= MaxRead) {
            const qint64 n = in.peek(block.data(), qint64(block.size()));
            if (n <= 0)
                return;
            const void *end = std::memchr(block.data(), '\n', size_t(n));
            const qint64 take = end ? static_cast<const char *>(end) - block.data() + 1 : n;
            consumed += in.skip(take);
            if (end)
                return;
        }
    }

    QIODevice &in;
    qint64 consumed = 0;
    std::array<char, MaxLine + 3> buffer; // a line, its "\r\n" and the terminating 0 that readLine adds
};

// A decimal numeral as QString::toDouble reads it, digits and exponent of any length:
// [+-] digits [. digits] [e [+-] digits], surrounding white space allowed.
bool isNumeral(const QString &s)
{
    const QString t = s.trimmed();
    int i = 0;
    const int n = t.size();
    auto digits = [&] {
        const int start = i;
        while (i < n && t[i].isDigit() && t[i].unicode() < 128)
            ++i;
        return i - start;
    };
    if (i < n && (t[i] == '+' || t[i] == '-'))
        ++i;
    int mantissa = digits();
    if (i < n && t[i] == '.') {
        ++i;
        mantissa += digits();
    }
    if (mantissa == 0)
        return false;
    if (i < n && (t[i] == 'e' || t[i] == 'E')) {
        ++i;
        if (i < n && (t[i] == '+' || t[i] == '-'))
            ++i;
        if (digits() == 0)
            return false;
    }
    return i == n;
}

// One sample line: its value in range, and what had to be changed.
double sampleOf(const QByteArray &line, PotentialFile::ReadNotes &notes)
{
    const QString text = QString::fromUtf8(line);
    bool ok = false;
    double v = text.toDouble(&ok);
    // toDouble refuses numerals beyond the double range: 1e999 comes as infinity, 1e-999 as 0.
    if (!ok && !std::isinf(v) && !(v == 0.0 && isNumeral(text))) {
        ++notes.notNumbers;
        bool withPoint = false;
        if (text.contains(','))
            QString(text).replace(',', '.').toDouble(&withPoint);
        notes.decimalComma = notes.decimalComma || withPoint;
        return 0.0;
    }
    if (std::isnan(v)) {
        ++notes.notNumbers;
        return 0.0;
    }
    if (std::fabs(v) > PotentialFile::MaxSample)
        ++notes.clamped;
    else if (v == 0.0 ? !ok : std::fabs(v) < PotentialFile::MinSample)
        ++notes.flushed;
    return PotentialFile::inRange(v);
}

// Overwrites an existing file without a temporary beside it. The bytes about to be replaced are
// kept, and put back if the write fails half-way, so that the old contents survive.
bool writeInPlace(const QString &path, const QByteArray &text, bool *openFailed)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadWrite | QIODevice::Unbuffered)) // ReadWrite does not truncate
        return false;
    if (openFailed)
        *openFailed = false;
    const qint64 oldSize = f.size();
    const QByteArray old = f.read(std::min<qint64>(oldSize, text.size()));
    if (old.size() != std::min<qint64>(oldSize, text.size()) || !f.seek(0))
        return false;
    if (f.write(text) == text.size() && f.resize(text.size()))
        return true;
    if (f.seek(0))
        f.write(old);
    f.resize(oldSize);
    return false;
}

} // namespace

QString PotentialFile::ReadNotes::message() const
{
    QStringList parts;
    if (notNumbers == 1)
        parts << QStringLiteral("1 Zeile war keine Zahl und wurde als 0 gelesen");
    else if (notNumbers > 1)
        parts << QStringLiteral("%1 Zeilen waren keine Zahl und wurden als 0 gelesen").arg(notNumbers);
    if (decimalComma && !parts.isEmpty())
        parts.last() += QStringLiteral(" (Dezimaltrennzeichen ist der Punkt)");
    if (clamped == 1)
        parts << QStringLiteral("1 Wert lag außerhalb von ±1e6 und wurde begrenzt");
    else if (clamped > 1)
        parts << QStringLiteral("%1 Werte lagen außerhalb von ±1e6 und wurden begrenzt").arg(clamped);
    if (flushed == 1)
        parts << QStringLiteral("1 Wert war betragsmäßig kleiner als 1e-100 und wurde als 0 gelesen");
    else if (flushed > 1)
        parts << QStringLiteral("%1 Werte waren betragsmäßig kleiner als 1e-100 und wurden als 0 gelesen").arg(flushed);
    return parts.join(QStringLiteral("; "));
}

QString PotentialFile::tooLargeMessage()
{
    return QStringLiteral("Die Datei ist zu groß für eine Potentialdatei: Ihre ersten %1 Zeilen sind zusammen "
                          "länger als %2 MiB (eine Potentialdatei hat etwa 15 KB).")
        .arg(GridPoints + 2)
        .arg(MaxReadBytes >> 20);
}

double PotentialFile::inRange(double v)
{
    if (std::isnan(v))
        return 0.0;
    if (std::fabs(v) < MinSample)
        return 0.0;
    return std::clamp(v, -MaxSample, MaxSample);
}

PotentialFile::ReadStatus PotentialFile::read(const QString &path, double *out1024, ReadNotes *notes)
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
    return read(f, out1024, notes);
}

PotentialFile::ReadStatus PotentialFile::read(QIODevice &in, double *out1024, ReadNotes *notes)
{
    LineReader lines(in);
    QByteArray line;
    const Line header = lines.next(line); // any text
    if (header == Line::TooMuch)
        return ReadStatus::TooLarge;
    if (header == Line::End)
        return ReadStatus::BadFormat;
    const Line countLine = lines.next(line);
    if (countLine == Line::TooMuch)
        return ReadStatus::TooLarge;
    if (countLine != Line::Ok)
        return ReadStatus::BadFormat;
    bool ok = false;
    const int count = QString::fromUtf8(line).toInt(&ok, 10);
    if (!ok || count != GridPoints)
        return ReadStatus::BadFormat;

    std::array<double, GridPoints> samples{};
    ReadNotes found;
    for (int i = 0; i < GridPoints; ++i) {
        const Line l = lines.next(line);
        if (l == Line::End)
            break;
        if (l == Line::TooMuch)
            return ReadStatus::TooLarge;
        if (l == Line::TooLong)
            ++found.notNumbers;
        else
            samples[i] = sampleOf(line, found);
    }
    if (out1024)
        std::memcpy(out1024, samples.data(), sizeof(samples));
    if (notes)
        *notes = found;
    return ReadStatus::Ok;
}

bool PotentialFile::nameTaken(const QString &path)
{
    // exists() follows links and says no for one that leads nowhere; isSymLink() looks at the
    // name itself.
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

QByteArray PotentialFile::text(const double *pot1024)
{
    QByteArray text;
    text.reserve(32 + GridPoints * 14);
    text += "Quantaura Potential\n1024\n";
    for (int i = 0; i < GridPoints; ++i) {
        // to_chars with precision 6 is printf "%.6g" without depending on the C locale.
        char buf[32];
        const auto res = std::to_chars(buf, buf + sizeof(buf), inRange(pot1024[i]), std::chars_format::general, 6);
        text.append(buf, int(res.ptr - buf));
        text += '\n';
    }
    return text;
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
    const QByteArray bytes = text(pot1024);

    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly)) {
        // No temporary file possible (a folder of shared files the user may not write to):
        // an existing, writable file is overwritten in place.
        return info.exists() && writeInPlace(path, bytes, openFailed);
    }
    if (openFailed)
        *openFailed = false;
    // commit() does not notice an error of the last buffered write, so flush and check first.
    if (f.write(bytes) != bytes.size() || !f.flush()) {
        f.cancelWriting();
        return false;
    }
    return f.commit();
}
