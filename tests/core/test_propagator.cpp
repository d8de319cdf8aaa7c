#include "phasecolour.h"
#include "propagator.h"
#include "wavepacket.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <climits>

namespace {
using cd = std::complex<double>;
using Psi = std::vector<cd>;
constexpr int N = PacketPoints;

Psi packet(int i0, int h0, int dx, int p, int dp, int viewHeight = 400)
{
    Psi psi(N, cd(7.0, 7.0));
    initPacket(psi.data(), i0, h0, dx, p, dp, viewHeight);
    return psi;
}

struct Moments { double norm = 0, centre = 0, spread = 0, momentum = 0; };
Moments moments(const Psi &psi)  // of |psi|^2; momentum: mean wave number per grid point
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
Moments run(Propagator &prop, const Psi &psi, int n) { while (n-- > 0) prop.step(50.0); return moments(psi); }

TEST(WavePacket, DefaultNumbersClosedFormAndDegenerateParameters)
{
    const Psi def = packet(512, 100, 100, 0, 10);
    EXPECT_NEAR(std::abs(def[512]), 0.5, 1e-15);
    // |psi| = 0.5 exp(-a x^2) and phase -d x^2, read at x = 1/8 (64 points off centre).
    EXPECT_NEAR(-std::log(2.0 * std::abs(def[576])) * 64.0, 26.2144, 1e-9);
    EXPECT_NEAR(-std::arg(def[576]) * 64.0, 17.165, 5e-4);
    EXPECT_NEAR(moments(def).spread, 50.0, 1e-9);
    // Off centre, negative height and p: (2 |h0| / H) exp(-a (x - x0)^2 + i (q x - d (x - x0)^2 + d x0^2)).
    const Psi psi = packet(700, -90, 240, -37, 55, 600);
    const double a = 1024.0 * 1024.0 / (4.0 * 240 * 240), s = std::sqrt(a) + 5.5, d = std::sqrt((s * s - a) * a);
    for (int k = 0; k < N; k += 7) {
        const double x = (k - 512) / 512.0, x0 = 188 / 512.0, u = (x - x0) * (x - x0);
        EXPECT_LT(std::abs(psi[k] - 2.0 * 90 / 600 * std::exp(cd(-a * u, -3 * x - d * u + d * x0 * x0))), 1e-11) << k;
    }
    for (int p = -9; p <= 9; ++p)  // the wave number is p div 10
        EXPECT_EQ(packet(400, 120, 150, p, 20), packet(400, 120, 150, 0, 20)) << p;
    for (int dp : {0, -1, -5}) {  // no chirp where the square root's argument would be negative
        const Psi flat = packet(512, 100, 100, 0, dp);
        EXPECT_NEAR(flat[512].real(), 0.5, 1e-15);
        EXPECT_TRUE(std::all_of(flat.begin(), flat.end(), [](cd z) { return z.imag() == 0.0 && z.real() >= 0.0; }));
    }
    for (const Psi &none : {packet(512, 100, 0, 0, 10), packet(512, 100, 100, 0, 10, 0), packet(512, 0, 100, 0, 10)})
        EXPECT_EQ(none, Psi(N));  // no width, view height or height: no packet
    for (const Psi &odd : {packet(-100000, 100, 100, 0, 10), packet(512, 100, 100, 0, -1000),
                           packet(512, 100, -100, INT_MAX, INT_MAX, -400)})  // extreme parameters stay finite
        EXPECT_TRUE(std::all_of(odd.begin(), odd.end(), [](cd z) { return std::isfinite(std::abs(z)); }));
    initPacket(nullptr, 512, 100, 100, 0, 10, 400);
}

TEST(PhaseColour, ReferenceTableFormulaAndColumnMapping)
{
    auto rgb = [](cd z) { const PhaseColour c = phaseColour(z); return std::vector<int>{c.red, c.green, c.blue}; };
    const struct { cd z; std::vector<int> rgb; } colours[] = {
        {{0, 0}, {103, 103, 183}}, {{1, 0}, {253, 28, 31}}, {{0, 1}, {4, 199, 111}}, {{-1, 0}, {154, 77, 81}},
        {{0, -1}, {4, 112, 196}}, {{0.5, 0}, {242, 34, 42}}, {{0.1, 0}, {162, 74, 123}},
        {{std::nan(""), 1}, {103, 103, 183}}, {{HUGE_VAL, -HUGE_VAL}, {103, 103, 183}}};
    for (const auto &t : colours)
        EXPECT_EQ(rgb(t.z), t.rgb) << t.z;
    // Against the formula evaluated with long double trigonometry: equal, except for a difference
    // of 1 where the exact value of a channel's truncated term lies within 1e-6 of a whole number.
    auto terms = [](cd z) {
        const long double m = std::hypot((long double)z.real(), (long double)z.imag());
        const long double t = std::atan2((long double)z.imag(), (long double)z.real());
        const long double s = 1 - std::exp(-5 * m), c0 = std::cos(t), c1 = std::cos(t + 2.1L), c2 = std::cos(t + 4.2L);
        return std::vector<long double>{((202 * c0 + 50) * c0 - 100) * s, ((202 * c2 + 50) * c2 - 100) * s,
                                        ((202 * c1 + 50) * c1 - 180) * s};
    };
    std::vector<std::pair<double, int>> moduli;  // and the number of phases to try
    for (double m : {1e-320, 1e-300, 1e-5, 0.000999, 0.001, 0.0011, 0.01, 0.3, 1.0, 7.0, 8.0, 200.0, 1e300, 1.7e308})
        moduli.push_back({m, 3600});
    for (double m = 0.0009; m < 12; m *= 1.07)  // the saturation's whole range
        moduli.push_back({m, 360});
    for (auto [m, phases] : moduli)
        for (int step = 0; step < phases + 4; ++step) {  // the last four: exactly on the axes
            const cd axes[] = {{m, 0}, {0, m}, {-m, 0}, {0, -m}};
            const cd z = step < phases ? std::polar(m, step * 6.283185307 / phases) : axes[step - phases];
            const std::vector<int> got = rgb(z), base{103, 103, 183};
            const std::vector<long double> want = terms(z);
            for (int c = 0; c < 3; ++c) {
                const bool near = std::fabs(want[c] - std::round(want[c])) < 1e-6L;
                const int d = got[c] - base[c] - int(want[c]);
                ASSERT_TRUE(d == 0 || (near && std::abs(d) == 1)) << z << " channel " << c << ": " << got[c];
                ASSERT_TRUE(got[c] >= 0 && got[c] <= 255);
            }
        }
    for (int i = 0; i < 2048; ++i)
        ASSERT_TRUE(columnIndex(i, 2048) == i / 2 && (i >= 1024 || columnIndex(i, 1024) == i)
                    && (i >= 512 || columnIndex(i, 512) == 2 * i)) << i;
    const struct { int (*f)(int, int); int x, width, expected; } indices[] = {  // clamped outside the view
        {columnIndex, 999, 1000, 1022}, {columnIndex, 1000, 1000, 1023}, {columnIndex, 5000, 1000, 1023},
        {columnIndex, 10, -4, 0}, {gridIndex, 250, 500, 512}, {gridIndex, 499, 500, 1021}, {gridIndex, -1, 500, 0},
        {gridIndex, 700, 500, 1023}, {gridIndex, INT_MAX, 500, 1023}, {gridIndex, INT_MIN, 500, 0},
        {gridIndex, 10, 0, 0}};
    for (const auto &t : indices)
        EXPECT_EQ(t.f(t.x, t.width), t.expected) << t.x << " " << t.width;
}

TEST(Propagator, StepSolvesTheCrankNicolsonSystemAndConservesTheNorm)
{
    std::vector<double> pot(N);
    for (int k = 0; k < N; ++k)
        pot[k] = 0.00002 * (k - 512) / 512.0 + (k > 600 && k < 640 ? 0.003 : 0) - (k > 200 && k < 320 ? 0.002 : 0);
    Psi psi = packet(400, 150, 80, 150, 20);
    const Psi start = psi;
    Propagator prop(pot.data(), psi.data(), N);
    prop.step(50.0);
    auto row = [&](const Psi &x, int k, double s) {  // row k of (1 + s i dt H / 2) x, walls outside the ends
        const cd side = (k > 0 ? x[k - 1] : 0.0) + (k + 1 < N ? x[k + 1] : 0.0);
        return x[k] + cd(0.0, s * 25.0) * ((1.0 + pot[k]) * x[k] - 0.5 * side);
    };
    for (int k = 0; k < N; ++k)  // singular values >= 1: the residual bounds the error
        ASSERT_LT(std::abs(row(psi, k, 1) - row(start, k, -1)), 1e-13) << k;
    const double n0 = moments(start).norm;
    EXPECT_LT(std::fabs(run(prop, psi, 2999).norm - n0) / n0, 1e-10);
    cd overlap = 0.0;
    for (int k = 0; k < N; ++k)
        overlap += std::conj(start[k]) * psi[k];
    EXPECT_LT(std::abs(overlap) / n0, 0.5);  // the packet did move away: the test is not vacuous
}

TEST(Propagator, PotentialEditActsOnTheNextStepAndBadArgumentsDoNothing)
{
    std::vector<double> pot(N, 0.0), zero(N, 0.0);
    Psi psi = packet(400, 100, 100, 100, 10);
    Propagator prop(pot.data(), psi.data(), N);
    prop.step(50.0);
    std::fill(pot.begin() + 450, pot.begin() + 500, 0.002);
    Psi fresh = psi, stale = psi;
    for (Propagator bad : {Propagator(pot.data(), fresh.data(), 0), Propagator(pot.data(), fresh.data(), -5),
                           Propagator(nullptr, fresh.data(), N), Propagator(pot.data(), nullptr, N)})
        bad.step(50.0);  // does nothing
    Propagator(pot.data(), fresh.data(), N).step(50.0);
    Propagator(zero.data(), stale.data(), N).step(50.0);
    prop.step(50.0);
    EXPECT_EQ(psi, fresh);
    EXPECT_NE(psi, stale);
}

TEST(Propagator, FreePacketNarrowsAndSpreadsMovingPacketTravelsAndReflects)
{
    std::vector<double> pot(N, 0.0);
    Psi psi = packet(512, 100, 100, 0, 10);
    Propagator prop(pot.data(), psi.data(), N);
    EXPECT_NEAR(run(prop, psi, 46).spread, 41.8, 0.05);
    EXPECT_NEAR(run(prop, psi, 74).spread, 60.9, 0.05);
    initPacket(psi.data(), 300, 100, 100, 100, 1, 400);
    EXPECT_NEAR(run(prop, psi, 40).centre, 339.0, 0.5);
    for (int dir : {1, -1}) {  // fast packets towards either wall come back with reversed momentum
        initPacket(psi.data(), 512 + dir * 288, 100, 200, dir * 400, 1, 400);
        const Moments m0 = moments(psi), m = run(prop, psi, 150);
        EXPECT_TRUE(dir * m0.momentum > 0.07 && dir * m.momentum < -0.07) << dir;
        EXPECT_LT(dir * (m.centre - m0.centre), -100.0) << dir;
    }
}
}
