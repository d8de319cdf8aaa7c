// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef QUANTAURA_POTENTIALFILE_H
#define QUANTAURA_POTENTIALFILE_H

#include "physics/grid.h"

#include <QByteArray>
#include <QString>

class QIODevice;

// The "*.pot" text file: a header line, the count 1024, then one sample per line.
class PotentialFile
{
public:
    // The range of a sample: far beyond anything the surface shows, and every calculation on
    // such a potential stays finite. Larger magnitudes are read as +-MaxSample, smaller nonzero
    // ones as 0.
    static constexpr double MaxSample = 1e6;
    static constexpr double MinSample = 1e-100;

    // A sample line longer than this many bytes (its line end not counted) is not a number.
    static constexpr qint64 MaxLineBytes = 4096;
    // The first 1026 lines (header, count, samples) may take this many bytes together.
    static constexpr qint64 MaxReadBytes = qint64(16) << 20;

    // BadFormat: no count line, or a count other than 1024. TooLarge: the first 1026 lines run
    // past MaxReadBytes.
    enum class ReadStatus { Ok, NotFound, CannotOpen, BadFormat, TooLarge };

    // What the reader changed while loading.
    struct ReadNotes
    {
        int notNumbers = 0;        // sample lines that were not a number, read as 0
        int clamped = 0;           // beyond +-MaxSample, read as +-MaxSample
        int flushed = 0;           // nonzero below MinSample in magnitude, read as 0
        bool decimalComma = false; // some non-number reads as a number with '.' for ','
        // For the status bar, German; empty when nothing was changed.
        QString message() const;
    };

    // Reads a potential of 1024 samples. The header line is ignored, the count line must be
    // exactly 1024, missing samples and non-numbers (also NaN) are 0, samples are brought into
    // the range above, extra lines are ignored. A line longer than MaxLineBytes is not a number,
    // and a file whose first 1026 lines run past MaxReadBytes is refused (TooLarge). out1024 and
    // notes are written only when the result is Ok.
    static ReadStatus read(const QString &path, double *out1024, ReadNotes *notes = nullptr);
    static ReadStatus read(QIODevice &in, double *out1024, ReadNotes *notes = nullptr);

    // What the user is told about a TooLarge file, German.
    static QString tooLargeMessage();

    // A name under which saving would replace something: a file, folder or other node, or a
    // link of any kind, also one that leads nowhere or in a circle.
    static bool nameTaken(const QString &path);

    // `v` brought into the sample range; NaN gives 0.
    static double inRange(double v);

    // The file's text for 1024 samples, each in range and written as "%.6g".
    static QByteArray text(const double *pot1024);

    // Writes text(pot1024). An existing file is replaced through a temporary file; where its
    // folder allows none, it is overwritten in place. On every failure an existing file keeps
    // its old contents.
    static bool write(const QString &path, const double *pot1024, bool *openFailed = nullptr);
};

#endif
