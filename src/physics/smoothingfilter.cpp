// SPDX-License-Identifier: GPL-3.0-or-later
#include "physics/smoothingfilter.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace {
constexpr int BlendWidth = 50;
}

SmoothingFilter::SmoothingFilter()
    : fft_(10), input_(GridPoints), spectrum_(GridPoints), filtered_(GridPoints), back_(GridPoints)
{
}

double SmoothingFilter::factor(int j, double c)
{
    return std::exp(-(c * c) * j * (GridPoints - 1 - j));
}

void SmoothingFilter::smooth(double *pot, int from, int to, double flevel)
{
    if (!pot)
        return;
    if (from > to)
        std::swap(from, to);
    from = std::clamp(from, 0, GridPoints - 1);
    to = std::clamp(to, 0, GridPoints - 1);

    const double c = flevel * 0.0001;
    for (int k = 0; k < GridPoints; ++k)
        input_[k] = {pot[k], 0.0};
    fft_.transform(input_.data(), spectrum_.data(), 0);
    for (int j = 0; j < GridPoints; ++j) {
        const double f = factor(j, c);
        filtered_[j] = {spectrum_[j].real() * f, spectrum_[j].imag() * f};
    }
    fft_.transform(filtered_.data(), back_.data(), 1);

    double *A = pot;
    for (int k = from; k <= to; ++k)
        A[k] = back_[k].real();

    // Straight line from the untouched A[lo] to the new A[from].
    const int lo = std::max(from - BlendWidth, 0);
    if (from > lo) {
        const double aFrom = A[from], aLo = A[lo];
        for (int k = lo + 1; k <= from; ++k)
            A[k] = aFrom + double(k - from) * (aLo - aFrom) / double(lo - from);
    }
    // And from the new A[to] to the untouched A[hi].
    const int hi = std::min(to + BlendWidth, GridPoints - 1);
    if (to < hi) {
        const double aTo = A[to], aHi = A[hi];
        for (int k = to; k < hi; ++k)
            A[k] = aTo + double(k - to) * (aHi - aTo) / double(hi - to);
    }
}
