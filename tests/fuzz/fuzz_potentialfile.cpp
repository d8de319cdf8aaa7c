// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target for the potential file reader. Whatever the bytes: no crash, no hang, no
// sanitizer report; and when a potential loads, every sample lies in the sample range and comes
// back from writing and reading as printed with 6 digits, and unchanged from then on.
#include "ui/app/potentialfile.h"

#include <QBuffer>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#define CHECK(ok) ((ok) ? void() : (std::fprintf(stderr, "violated: %s\n", #ok), std::abort()))

static PotentialFile::ReadStatus load(QByteArray bytes, double *pot, PotentialFile::ReadNotes &notes)
{
    QBuffer in(&bytes);
    in.open(QIODevice::ReadOnly);
    return PotentialFile::read(in, pot, &notes);
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    constexpr int N = GridPoints;
    double pot[N], back[N];
    PotentialFile::ReadNotes notes, none;
    if (load(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)), pot, notes) != PotentialFile::ReadStatus::Ok)
        return 0;
    const int mended = notes.notNumbers + notes.clamped + notes.flushed;
    CHECK(notes.notNumbers >= 0 && notes.clamped >= 0 && notes.flushed >= 0 && mended <= N);
    CHECK(notes.message().isEmpty() == (mended == 0));
    for (double v : pot)
        CHECK(std::isfinite(v) && std::fabs(v) <= PotentialFile::MaxSample && (v == 0.0 || std::fabs(v) >= PotentialFile::MinSample));
    const QByteArray once = PotentialFile::text(pot);
    CHECK(load(once, back, none) == PotentialFile::ReadStatus::Ok && none.message().isEmpty());
    for (int k = 0; k < N; ++k) {  // as printed with 6 digits
        char printed[32];
        std::snprintf(printed, sizeof printed, "%.6g", pot[k]);
        CHECK(back[k] == std::strtod(printed, nullptr));
    }
    CHECK(PotentialFile::text(back) == once);  // and stable from then on
    return 0;
}
