// SPDX-License-Identifier: GPL-3.0-or-later
// Independent references for the core tests: exact DFT, random data, packets, moments, CN residual, Sturm count.
#ifndef QUANTAURA_CORETESTUTIL_H
#define QUANTAURA_CORETESTUTIL_H

#include "physics/grid.h"
#include "physics/packetsimulation.h"
#include "physics/wavepacket.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <complex>
#include <cstdint>
#include <numeric>
#include <sstream>
#include <tuple>
#include <utility>
#include <vector>

namespace coretest {
using cd = std::complex<double>;
using Vec = std::vector<cd>;
constexpr int N = GridPoints;
const double Pi = std::acos(-1.0);
using Pot = std::vector<double>;

template <class C> double absMax(const C &v) // the largest magnitude
{
    double m = 0.0;
    for (const auto &x : v)
        m = std::max(m, double(std::abs(x)));
    return m;
}

inline Vec randomData(int n, std::uint64_t s)
{
    auto rnd = [&s] { return double((s = s * 6364136223846793005ULL + 1442695040888963407ULL) >> 11) / 0x1p53 - 0.5; };
    Vec v(n);
    std::generate(v.begin(), v.end(), [&] { return cd{rnd(), rnd()}; }); // braces: real part drawn first
    return v;
}

// Exact, scaled by 1/sqrt(n), exponent sign +1 (forward) or -1.
inline Vec directDft(const Vec &in, int sign)
{
    const int n = int(in.size());
    Vec out(n);
    for (int k = 0; k < n; ++k)
        for (int m = 0; m < n; ++m)
            out[k] += in[m] * std::polar(1.0 / std::sqrt(n), sign * 2.0 * std::acos(-1.0) * (m * k % n) / n);
    return out;
}

inline double maxDiff(const Vec &a, const Vec &b = {})
{
    double d = 0.0;
    for (size_t i = 0; i < a.size(); ++i)
        d = std::max(d, std::abs(a[i] - (b.empty() ? 0.0 : b[i])));
    return d;
}

// Every element overwritten: the array starts as rubbish.
inline Vec packet(int i0, int h0, int dx, int p, int dp, int viewHeight = 400)
{
    Vec psi(N, cd(7.0, 7.0));
    initPacket(psi.data(), i0, h0, dx, p, dp, viewHeight);
    return psi;
}

// Of |psi|^2; momentum: the mean wave number per grid point.
struct Moments { double norm = 0, centre = 0, spread = 0, momentum = 0; };
inline Moments moments(const cd *psi)
{
    Moments m;
    for (int k = 0; k < N; ++k) {
        m.norm += std::norm(psi[k]), m.centre += k * std::norm(psi[k]), m.spread += double(k) * k * std::norm(psi[k]);
        m.momentum += k > 0 && k < N - 1 ? 0.5 * (std::conj(psi[k]) * (psi[k + 1] - psi[k - 1])).imag() : 0.0;
    }
    m.centre /= m.norm, m.momentum /= m.norm;
    m.spread = std::sqrt(m.spread / m.norm - m.centre * m.centre);
    return m;
}
inline Moments moments(const Vec &psi) { return moments(psi.data()); }

// Largest residual of (1 + i dt H / 2) after = (1 - i dt H / 2) before, walls outside the ends.
// The matrix's singular values are >= 1, so this bounds the error of the solve.
inline double crankNicolsonResidual(const std::vector<double> &pot, const cd *before, const cd *after, double dt)
{
    double r = 0.0;
    const cd half(0.0, 0.5 * dt);
    for (int k = 0; k < N; ++k) {
        const cd side = (k > 0 ? after[k - 1] + before[k - 1] : 0.0) + (k + 1 < N ? after[k + 1] + before[k + 1] : 0.0);
        r = std::max(r, std::abs(after[k] - before[k] + half * ((1.0 + pot[k]) * (after[k] + before[k]) - 0.5 * side)));
    }
    return r;
}
// The number of eigenvalues below E of tridiag(-off, V_i + diagonal, -off), by the signs of its LDL^T
// pivots (a zero pivot counts as negative).
inline int countBelow(const std::vector<double> &V, double diagonal, double off, double E)
{
    int count = 0;
    double q = 1.0;
    for (std::size_t i = 0; i < V.size(); ++i) {
        q = V[i] + diagonal - E - (i > 0 ? off * off / q : 0.0);
        count += (q = q == 0.0 ? -1e-300 : q) < 0.0;
    }
    return count;
}

// The packet of `params` built in a view 400 high (a height of 100 peaks at 0.5).
inline void place(PacketSimulation &sim, const PacketParams &params)
{
    sim.setViewHeight(400);
    sim.setParams(params);
    sim.rebuild();
}
inline Vec wave(const PacketSimulation &sim) { return Vec(sim.wave(), sim.wave() + N); }
} // namespace coretest

#endif
