// SPDX-License-Identifier: GPL-3.0-or-later
#include "physics/wavepacket.h"

#include <algorithm>
#include <cmath>

void initPacket(std::complex<double> *psi, int i0, int h0, int dx, int p, int dp, int viewHeight)
{
    if (!psi)
        return;
    if (dx == 0 || viewHeight == 0) {
        std::fill(psi, psi + GridPoints, std::complex<double>(0.0, 0.0));
        return;
    }

    // Packet coordinate x = (k - 512) / 512: one unit of x is 512 grid points.
    const double width = double(dx) / 1024.0;
    const double a = 1.0 / (4.0 * (width * width));
    const double x0 = double(i0 - 512) / 512.0;
    const double b = -2.0 * a * x0;
    const double height = double(h0) / double(viewHeight);
    const double c = b * b / (4.0 * a) - std::log(2.0 * std::fabs(height));
    const double sa = std::sqrt(a) + 0.1 * dp;
    // Rounding can push the argument just below zero when dp <= 0; no chirp then.
    const double d = std::sqrt(std::max((sa * sa - a) * a, 0.0));
    const double q = double(p / 10);  // integer division: |p| < 10 carries no momentum
    const double e = d * b / a - q;

    for (int k = 0; k < GridPoints; ++k) {
        const double x = double(k - 512) / 512.0;
        const double phi = -d * x * x - e * x;
        const double amp = std::exp(-a * x * x - b * x - c);
        psi[k] = {amp * std::cos(phi), amp * std::sin(phi)};
    }
}
