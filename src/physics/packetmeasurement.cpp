// SPDX-License-Identifier: GPL-3.0-or-later
#include "physics/packetmeasurement.h"

#include <algorithm>
#include <cmath>

namespace {
using cd = std::complex<double>;
}

PacketMeasurement PacketMeasurement::of(const cd *psi, const double *V, int count, int line)
{
    PacketMeasurement m;
    if (!psi || !V || count <= 0)
        return m;
    line = std::clamp(line, 0, count);
    const auto at = [psi, count](int n) { return n >= 0 && n < count ? psi[n] : cd(); };

    // Sums that need no mean. The kinetic energy is summed as differences, not as 1 - Re <psi_n,
    // psi_n+1>: for slow packets that is 1 - 0.9999..., and would lose four digits.
    double norm = 0.0, left = 0.0, x = 0.0, potential = 0.0, kinetic = 0.0, velocity2 = 0.0;
    cd hop = 0.0;
    for (int n = 0; n < count; ++n) {
        const double w = std::norm(psi[n]);
        norm += w;
        if (n < line)
            left += w;
        x += n * w;
        potential += V[n] * w;
        kinetic += 0.5 * std::norm(at(n + 1) - psi[n]);
        velocity2 += 0.25 * std::norm(at(n + 1) - at(n - 1));
        hop += std::conj(psi[n]) * at(n + 1);
    }
    kinetic += 0.5 * std::norm(psi[0]); // the walls: psi_-1 = 0 on the left as well
    if (!(norm > 0.0) || !std::isfinite(norm))
        return m;
    m.norm = norm;
    m.meanX = x / norm;
    m.meanP = hop.imag() / norm;
    m.spreadP = std::sqrt(std::max(velocity2 / norm - m.meanP * m.meanP, 0.0));
    m.meanE = (potential + kinetic) / norm;
    m.left = left / norm;
    m.right = (norm - left) / norm;

    // Spreads about the means, so that a packet far out (or high up) loses no digits.
    double varX = 0.0, varE = 0.0;
    for (int n = 0; n < count; ++n) {
        const double d = n - m.meanX;
        varX += d * d * std::norm(psi[n]);
        const cd h = (V[n] - m.meanE) * psi[n] - 0.5 * (at(n + 1) - 2.0 * psi[n] + at(n - 1));
        varE += std::norm(h);
    }
    m.spreadX = std::sqrt(varX / norm);
    m.spreadE = std::sqrt(varE / norm);
    return m;
}

int PacketMeasurement::highestPoint(const double *V, int count)
{
    if (!V || count <= 0)
        return 0;
    int first = 0;
    for (int n = 1; n < count; ++n)
        if (V[n] > V[first])
            first = n;
    int last = first;
    while (last + 1 < count && V[last + 1] == V[first])
        ++last;
    if (first == 0 && last == count - 1)
        return count / 2;
    return (first + last) / 2;
}
