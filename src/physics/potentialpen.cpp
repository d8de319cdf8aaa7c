// SPDX-License-Identifier: GPL-3.0-or-later
#include "physics/potentialpen.h"

#include <algorithm>

void PotentialPen::apply(double *A, int n, Kind kind, int i, double v, int penRange, int &lastIndex)
{
    if (n <= 0)
        return;
    i = std::clamp(i, 0, n - 1);
    const int lo = std::max(i - penRange, 0);
    const int hi = std::min(i + penRange, n - 1);

    switch (kind) {
    case Tent: {
        // The tent's feet A[lo] and A[hi] keep their values; both flanks are straight lines.
        const double aLo = A[lo];
        const double aHi = A[hi];
        for (int j = lo; j < i; ++j)
            A[j] = aLo + double(j - lo) / double(i - lo) * (v - aLo);
        for (int j = i + 1; j <= hi; ++j)
            A[j] = aHi + double(hi - j) / double(hi - i) * (v - aHi);
        break;
    }
    case Plateau:
        for (int j = lo; j <= hi; ++j)
            A[j] = v;
        break;
    case Line: {
        if (lastIndex < 0)
            lastIndex = i;
        const int a = std::clamp(lastIndex, 0, n - 1);
        const double aVal = A[a];
        if (a < i) {
            for (int j = a; j <= i; ++j)
                A[j] = aVal + double(j - a) * (v - aVal) / double(i - a);
        } else if (a > i) {
            for (int j = a; j >= i; --j)
                A[j] = aVal + double(j - a) * (v - aVal) / double(i - a);
        }
        break;
    }
    }
    A[i] = v;
}
