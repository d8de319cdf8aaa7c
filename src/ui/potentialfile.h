#ifndef QUANTAURA_POTENTIALFILE_H
#define QUANTAURA_POTENTIALFILE_H

#include <QString>

// The "*.pot" text file: a header line, the count 1024, then one sample per line.
class PotentialFile
{
public:
    static constexpr int Samples = 1024;

    enum class ReadStatus { Ok, NotFound, CannotOpen, BadFormat };

    // Reads a potential of 1024 samples. The header line is ignored, the count line must be
    // exactly 1024, missing samples and non-numbers (also inf/NaN) are 0, extra lines are
    // ignored. out1024 is written only when the result is Ok.
    static ReadStatus read(const QString &path, double *out1024);

    // Writes the 1024 samples as "%.6g", one per line. The target is replaced only when
    // everything was written; on failure an existing file keeps its old contents.
    static bool write(const QString &path, const double *pot1024, bool *openFailed = nullptr);
};

#endif
