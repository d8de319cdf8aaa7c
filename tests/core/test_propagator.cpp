// SPDX-License-Identifier: GPL-3.0-or-later
// The numbers behind the simulation surface: the pens, the smoothing tool and its transform, the
// wave packet, the phase colours and the propagation.
#include "physics/grid.h"
#include "physics/fft.h"
#include "physics/phasecolour.h"
#include "physics/potentialpen.h"
#include "physics/propagator.h"
#include "physics/smoothingfilter.h"
#include "physics/wavepacket.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <cstdint>
#include <utility>
#include <vector>

namespace {
using cd = std::complex<double>;
using Vec = std::vector<cd>;
constexpr int N = GridPoints;

Vec randomData(int n, std::uint64_t s)
{
    auto rnd = [&s] { return double((s = s * 6364136223846793005ULL + 1442695040888963407ULL) >> 11) / 0x1p53 - 0.5; };
    Vec v(n);
    std::generate(v.begin(), v.end(), [&] { return cd{rnd(), rnd()}; });  // braces: real part drawn first
    return v;
}

Vec directDft(const Vec &in, int sign)  // exact, scaled by 1/sqrt(n), exponent sign +1 (forward) or -1
{
    const int n = int(in.size());
    Vec out(n);
    for (int k = 0; k < n; ++k)
        for (int m = 0; m < n; ++m)
            out[k] += in[m] * std::polar(1.0 / std::sqrt(n), sign * 2.0 * std::acos(-1.0) * (m * k % n) / n);
    return out;
}

double maxDiff(const Vec &a, const Vec &b = {})
{
    double d = 0.0;
    for (size_t i = 0; i < a.size(); ++i)
        d = std::max(d, std::abs(a[i] - (b.empty() ? 0.0 : b[i])));
    return d;
}

Vec packet(int i0, int h0, int dx, int p, int dp, int viewHeight = 400)
{
    Vec psi(N, cd(7.0, 7.0));
    initPacket(psi.data(), i0, h0, dx, p, dp, viewHeight);
    return psi;
}

struct Moments { double norm = 0, centre = 0, spread = 0, momentum = 0; };
Moments moments(const Vec &psi)  // of |psi|^2; momentum: mean wave number per grid point
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
Moments run(Propagator &prop, const Vec &psi, int n) { while (n-- > 0) prop.step(50.0); return moments(psi); }

// Tent: straight flanks from the untouched feet A[i - range] and A[i + range], clamped to the grid.
// Plateau: the whole clamped range. Line: the first click (last = -1) sets one point and becomes the
// last one; later clicks join from it in either direction, whatever the pen range. `want`: samples afterwards.
struct Stroke { PotentialPen::Kind kind; int i; double v; int range, last; std::vector<std::pair<int, double>> want; };

TEST(PotentialPen, TentsPlateausAndLinesAgainstTheirClosedForms)
{
    using P = PotentialPen;
    const std::vector<Stroke> tents{{P::Tent, 10, 1.0, 50, -1, {{0, 0.2}, {5, 0.6}, {10, 1.0}, {35, 0.5}, {60, 0.0}}},
                                    {P::Tent, 1020, 0.6, 50, -1, {{969, 0.0}, {995, 0.3}, {1021, 0.3}, {1023, -0.3}}}};
    const std::vector<Stroke> plateaus{{P::Plateau, 500, 0.25, 30, -1, {{469, 0.0}, {470, 0.25}, {530, 0.25}, {531, 0.0}}},
                                       {P::Plateau, 3, -0.5, 30, -1, {{0, -0.5}, {33, -0.5}, {34, 0.0}, {470, 0.25}}}};
    const std::vector<Stroke> lines{{P::Line, 100, 1.0, 5, -1, {{99, 0.0}, {100, 1.0}, {101, 0.0}}},
                                    {P::Line, 200, 3.0, 5, 100, {{100, 1.0}, {150, 2.0}, {200, 3.0}, {201, 0.0}}},
                                    {P::Line, 0, -1.0, 5, 200, {{200, 3.0}, {100, 1.0}, {50, 0.0}, {0, -1.0}}}};
    for (const std::vector<Stroke> &strokes : {tents, plateaus, lines}) {
        std::vector<double> A(1024, 0.0);
        A[0] = 0.2, A[1023] = -0.3;
        for (const Stroke &s : strokes) {
            int last = s.last;
            PotentialPen::apply(A.data(), 1024, s.kind, s.i, s.v, s.range, last);
            EXPECT_EQ(last, s.kind == P::Line && s.last < 0 ? s.i : s.last);
            for (const auto &[j, want] : s.want)
                EXPECT_NEAR(A[j], want, 1e-15) << s.kind << " at " << s.i << ": " << j;
        }
    }
}

TEST(FFT, ImpulseDirectTransformInverseAndInPlace)
{
    FFT fft(10);
    ASSERT_TRUE(fft.size() == N && FFT(-3).size() == 1 && FFT(99).size() == 1 << FFT::MaxLog2);  // sizes clamped
    Vec in(N), out(N);
    in[1] = 1.0;  // the impulse at 1 gives (1/32) exp(i w k) with w = 6.28318 / N, a running product of exp(i w)
    fft.transform(in.data(), out.data(), 0);
    EXPECT_LT(std::abs(out[1] * 32.0 - std::polar(1.0, 6.28318 / N)), 1e-15);
    EXPECT_LT(std::abs(out[300] * 32.0 - std::polar(1.0, 300 * 6.28318 / N)), 1e-13);
    for (int n = 0; n <= 10; ++n) {  // odd and even numbers of stages
        FFT f(n);
        const Vec data = randomData(1 << n, 7 + n);
        for (short direction : {0, 3}) {  // any non-zero direction is the inverse
            Vec res(data.size()), back(data.size()), inPlace = data;
            f.transform(data.data(), res.data(), direction);
            const Vec exact = directDft(data, direction == 0 ? 1 : -1);
            EXPECT_LT(maxDiff(res, exact), std::min(1e-5, 2e-5 * maxDiff(exact))) << n;
            EXPECT_TRUE(n < 10 || maxDiff(res, exact) > 1e-6 * maxDiff(exact)) << direction;  // 6.28318 < 2 pi
            f.transform(res.data(), back.data(), short(direction == 0));
            EXPECT_LT(maxDiff(back, data), 5e-15 * maxDiff(data)) << n;
            f.transform(inPlace.data(), inPlace.data(), direction);
            EXPECT_EQ(inPlace, res) << n;
        }
    }
    cd z(2.0, -1.0);  // missing arrays ignored
    FFT(0).transform(nullptr, &z, 0), FFT(0).transform(&z, nullptr, 1);
    EXPECT_EQ(z, cd(2.0, -1.0));
}

TEST(SmoothingFilter, FactorsSelectionDragDirectionAndGridEnds)
{
    const double c = 300.0 * 0.0001;
    const struct { int j; double f, tolerance; } factors[] = {{0, 1.0, 0.0}, {1023, 1.0, 0.0}, {1, 0.3986, 5e-5},
                                                              {1022, 0.3986, 5e-5}, {2, 0.1592, 5e-5}, {10, 0.000110, 5e-7}};
    for (const auto &f : factors)
        EXPECT_NEAR(SmoothingFilter::factor(f.j, c), f.f, f.tolerance) << f.j;
    // A box on a gentle slope with noise, and its low pass by exact transforms.
    const Vec noise = randomData(N, 99);
    std::vector<double> orig(N);
    for (int k = 0; k < N; ++k)
        orig[k] = 0.001 * k / N + (k >= 480 && k < 540 ? 0.01 : 0.0) + 0.002 * noise[k].real();
    Vec ref = directDft(Vec(orig.begin(), orig.end()), 1);
    for (int j = 0; j < N; ++j)
        ref[j] *= std::exp(-c * c * j * (1023.0 - j));
    ref = directDft(ref, -1);
    // The selection takes the low pass; straight lines join its ends to the untouched feet 50 points
    // away (fewer at the grid's ends); the rest stays bit-identical. The corners in either order,
    // on one index, or beyond the grid (clamped).
    SmoothingFilter filter;
    for (const auto &[from, to] : {std::array{500, 500}, {470, 560}, {560, 470}, {10, 1000}, {2000, -20}}) {
        std::vector<double> v = orig;
        filter.smooth(v.data(), from, to, 300.0);
        const int a = std::clamp(std::min(from, to), 0, 1023), b = std::clamp(std::max(from, to), 0, 1023);
        const int lo = std::max(a - 50, 0), hi = std::min(b + 50, 1023);
        for (int k = 0; k < N; ++k) {
            double want = orig[k], tolerance = 0.0;
            if (k >= a && k <= b)
                want = ref[k].real(), tolerance = 1e-8;
            else if (k > lo && k < a)
                want = orig[lo] + (v[a] - orig[lo]) * (k - lo) / (a - lo), tolerance = 1e-15;
            else if (k > b && k < hi)
                want = v[b] + (orig[hi] - v[b]) * (k - b) / (hi - b), tolerance = 1e-15;
            ASSERT_NEAR(v[k], want, tolerance) << from << "-" << to << ": " << k;
        }
    }
    EXPECT_GT(std::fabs(ref[500].real() - orig[500]), 0.005);  // the box is smoothed away: the test is not vacuous
    filter.smooth(nullptr, 0, 1023, 300.0);
}

TEST(WavePacket, DefaultNumbersClosedFormAndDegenerateParameters)
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
    for (int p = -9; p <= 9; ++p)  // the wave number is p div 10
        EXPECT_EQ(packet(400, 120, 150, p, 20), packet(400, 120, 150, 0, 20)) << p;
    for (const Vec &flat : {packet(512, 100, 100, 0, 0), packet(512, 100, 100, 0, -5)})  // no chirp: a real packet
        EXPECT_TRUE(std::all_of(flat.begin(), flat.end(), [](cd z) { return z.imag() == 0.0 && z.real() >= 0.0; }));
    for (const Vec &none : {packet(512, 100, 0, 0, 10), packet(512, 100, 100, 0, 10, 0), packet(512, 0, 100, 0, 10)})
        EXPECT_EQ(none, Vec(N));  // no width, view height or height: no packet
    for (const Vec &odd : {packet(-100000, 100, 100, 0, 10), packet(512, 100, 100, 0, -1000),
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
    // Against the formula in long double: equal, except for a difference of 1 where the exact value
    // of a channel's truncated term lies within 1e-6 of a whole number. Special moduli and the
    // saturation's whole range, at 720 phases and exactly on the four axes.
    std::vector<double> moduli{1e-320, 1e-300, 1e-5, 0.000999, 0.001, 0.0011, 0.01, 0.3, 1.0, 7.0, 8.0, 200.0, 1e300, 1.7e308};
    for (double m = 0.0009; m < 12; m *= 1.07)
        moduli.push_back(m);
    for (double m : moduli)
        for (int step = 0; step < 724; ++step) {
            const cd axes[] = {{m, 0}, {0, m}, {-m, 0}, {0, -m}};
            const cd z = step < 720 ? std::polar(m, step * 6.283185307 / 720) : axes[step - 720];
            const long double re = z.real(), im = z.imag(), t = std::atan2(im, re), s = 1 - std::exp(-5 * std::hypot(re, im));
            const std::vector<int> got = rgb(z);
            for (int c = 0; c < 3; ++c) {  // red at t, green at t + 4.2, blue at t + 2.1
                const long double cs = std::cos(t + (c == 0 ? 0 : c == 1 ? 4.2L : 2.1L));
                const long double want = ((202 * cs + 50) * cs - (c == 2 ? 180 : 100)) * s;
                const int d = got[c] - (c == 2 ? 183 : 103) - int(want);
                ASSERT_TRUE(d == 0 || (std::fabs(want - std::round(want)) < 1e-6L && std::abs(d) == 1)) << z << " channel " << c << ": " << got[c];
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

TEST(Propagator, StepSolvesTheCrankNicolsonSystemWithThePotentialAsItIsAndConservesTheNorm)
{
    std::vector<double> pot(N);
    for (int k = 0; k < N; ++k)
        pot[k] = 0.00002 * (k - 512) / 512.0 + (k > 600 && k < 640 ? 0.003 : 0) - (k > 200 && k < 320 ? 0.002 : 0);
    Vec psi = packet(400, 150, 80, 150, 20), before = psi;
    const double n0 = moments(psi).norm;
    auto residual = [&] {  // of (1 + i dt H / 2) psi = (1 - i dt H / 2) before, walls outside the ends
        double r = 0.0;
        for (int k = 0; k < N; ++k) {
            const cd side = (k > 0 ? psi[k - 1] + before[k - 1] : 0.0) + (k + 1 < N ? psi[k + 1] + before[k + 1] : 0.0);
            r = std::max(r, std::abs(psi[k] - before[k] + cd(0.0, 25.0) * ((1.0 + pot[k]) * (psi[k] + before[k]) - 0.5 * side)));
        }
        return r;  // the matrix's singular values are >= 1: this bounds the error
    };
    Propagator prop(pot.data(), psi.data(), N);
    prop.step(50.0);
    EXPECT_LT(residual(), 1e-13);
    EXPECT_LT(std::fabs(run(prop, psi, 2999).norm - n0) / n0, 1e-10);
    for (double &v : pot)  // an edit acts on the very next step
        v += 0.001;
    before = psi;
    prop.step(50.0);
    EXPECT_LT(residual(), 1e-13);
    before = psi;
    for (Propagator bad : {Propagator(pot.data(), psi.data(), 0), Propagator(pot.data(), psi.data(), -5),
                           Propagator(nullptr, psi.data(), N), Propagator(pot.data(), nullptr, N)})
        bad.step(50.0);  // does nothing
    EXPECT_EQ(psi, before);
}

TEST(Propagator, FreePacketNarrowsAndSpreadsMovingPacketTravelsAndReflects)
{
    std::vector<double> pot(N, 0.0);
    Vec psi = packet(512, 100, 100, 0, 10);
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
} // namespace
