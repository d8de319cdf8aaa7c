// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef QUANTAURA_SMOOTHINGFILTER_H
#define QUANTAURA_SMOOTHINGFILTER_H

#include "physics/fft.h"
#include "physics/grid.h"

#include <complex>
#include <vector>

// Low-pass smoothing of a stretch of the 1024-point potential in the Fourier domain, blended
// into its untouched surroundings. Owns its transform and work buffers; not reentrant.
class SmoothingFilter
{
public:
    SmoothingFilter();

    // Weight of spectral index j: exp(-c^2 j (1023 - j)); 1 at both ends of the spectrum
    // (the lowest frequencies of either sign), smallest in the middle.
    static double factor(int j, double c);

    // Filters the whole of pot[0..1023] with c = flevel * 0.0001, writes the filtered values
    // back for from..to inclusive and joins them to the unchanged values up to 50 points away
    // on each side by straight lines. from and to may come in either order and are clamped
    // to the grid.
    void smooth(double *pot, int from, int to, double flevel);

private:
    FFT fft_;
    std::vector<std::complex<double>> input_;
    std::vector<std::complex<double>> spectrum_;
    std::vector<std::complex<double>> filtered_;
    std::vector<std::complex<double>> back_;
};

#endif
