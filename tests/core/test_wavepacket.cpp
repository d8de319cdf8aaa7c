// SPDX-License-Identifier: GPL-3.0-or-later
// The packet a click places (i0, h0 of H, dx, p, dp): peak 2 h0 / H, deviation dx / 2, wave number
// (p div 10) / 512, chirp dp; no width, height or view: none; extremes stay finite.
#include "physics/wavepacket.h"
#include "coretestutil.h"

namespace {
using namespace coretest;

TEST(WavePacket, DefaultNumbersAndClosedForm)
{
    const Vec def = packet(512, 100, 100, 0, 10);
    EXPECT_NEAR(std::abs(def[512]), 0.5, 1e-15);
    // |psi| = 0.5 exp(-a x^2) and phase -d x^2, read at x = 1/8 (64 points off centre).
    EXPECT_NEAR(-std::log(2.0 * std::abs(def[576])) * 64.0, 26.2144, 1e-9);
    EXPECT_NEAR(-std::arg(def[576]) * 64.0, 17.165, 5e-4);
    EXPECT_NEAR(moments(def).spread, 50.0, 1e-9);
    // Off centre, negative height and p: (2 |h0| / H) exp(-a (x - x0)^2 + i (q x - d (x - x0)^2 + d x0^2)).
    const Vec psi = packet(700, -90, 240, -37, 55, 600);
    const double a = 1024.0 * 1024.0 / (4.0 * 240 * 240), s = std::sqrt(a) + 5.5, d = std::sqrt((s * s - a) * a);
    for (int k = 0; k < N; k += 7) {
        const double x = (k - 512) / 512.0, x0 = 188 / 512.0, u = (x - x0) * (x - x0);
        EXPECT_LT(std::abs(psi[k] - 2.0 * 90 / 600 * std::exp(cd(-a * u, -3 * x - d * u + d * x0 * x0))), 1e-11) << k;
    }
    for (int p = -9; p <= 9; ++p) // the wave number is p div 10
        EXPECT_EQ(packet(400, 120, 150, p, 20), packet(400, 120, 150, 0, 20)) << p;
}

TEST(WavePacket, DegenerateAndExtremeParameters)
{
    for (int dp : {0, -5}) { // no chirp: a real, non-negative packet
        const Vec flat = packet(512, 100, 100, 0, dp);
        EXPECT_EQ(std::count_if(flat.begin(), flat.end(), [](cd z) { return z.imag() != 0.0; }), 0) << "imaginary parts, dp " << dp;
        EXPECT_EQ(std::count_if(flat.begin(), flat.end(), [](cd z) { return z.real() < 0.0; }), 0) << "negative parts, dp " << dp;
    }
    EXPECT_EQ(packet(512, 100, 0, 0, 10), Vec(N)) << "no width: no packet";
    EXPECT_EQ(packet(512, 100, 100, 0, 10, 0), Vec(N)) << "no view height: no packet";
    EXPECT_EQ(packet(512, 0, 100, 0, 10), Vec(N)) << "no height: no packet";
    for (const Vec &odd : {packet(-100000, 100, 100, 0, 10), packet(512, 100, 100, 0, -1000),
                           packet(512, 100, -100, INT_MAX, INT_MAX, -400)}) // extreme parameters stay finite
        EXPECT_EQ(std::count_if(odd.begin(), odd.end(), [](cd z) { return !std::isfinite(std::abs(z)); }), 0);
    initPacket(nullptr, 512, 100, 100, 0, 10, 400);
}
} // namespace
