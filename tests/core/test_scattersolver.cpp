// SPDX-License-Identifier: GPL-3.0-or-later
// What "Calc" and the export's scattering compute on the window's grid (1200 samples x 1000):
//   R, T of an energy -> 1e-5 of the exact transfer; in [0, 1], T = 1 - R; below the right level (1, 0)
//   wide barriers     -> every energy a point; only a T below the double range flagged (1, 0)
//   bad input         -> no potential, an end outside: NaN, Invalid; too short a wave: Unresolved
//   the sweep         -> (1, 0) at V_right, then V_right + j eMax / 2000; below V_left skipped; hooks once; cancel
//   resonances        -> within 1e-5 of the converged T, also those narrower than the energy step
#include "physics/scattersolver.h"
#include "physics/scattersweep.h"
#include "coretestutil.h"

std::ostream &operator<<(std::ostream &o, ScatterResult::Status s)
{
    const char *names[] = {"Ok", "Overflow", "Unresolved", "Invalid"};
    return o << names[int(s)];
}

namespace {
constexpr int N = ScatterSolver::GridSize;
using Samples = std::vector<double>;
using Status = ScatterResult::Status;
using C = std::complex<double>;
std::tuple<double, double, Status> fields(const ScatterResult &res) { return {res.r, res.t, res.status}; }
const std::tuple<double, double, Status> Overflowed{1.0, 0.0, Status::Overflow};

Samples block(int from, int width, double height, double outside = 0.0) // height on [from, from + width)
{
    Samples v(N, outside);
    std::fill(v.begin() + from, v.begin() + from + width, height);
    return v;
}

// The reference: exact transfer of psi'' = -c (E - V) psi through constant slabs over the samples joined by
// lines (a sloped interval in `slabs`, by default 16..400); T from the flux 4 k_L Re k_R / |psi' + i k_L psi|^2.
double referenceT(const Samples &v, int xStart, int xEnd, double e, double c, int slabs = 0)
{
    const C kR = std::sqrt(C(c * (e - v[xStart])));
    C psi = 1.0, dpsi = C(0.0, 1.0) * kR;
    double lost = 0.0; // the state is the true one times e^-lost
    for (int i = xStart; i > xEnd; --i) {
        if (std::abs(psi) + std::abs(dpsi) > 1e100)
            psi *= 1e-100, dpsi *= 1e-100, lost += 100.0 * std::log(10.0);
        const int n = v[i] == v[i - 1] ? 1 : slabs ? slabs : int(std::fmin(400, std::ceil(16 + 1e5 * c * std::fabs(v[i] - v[i - 1]))));
        for (int s = 0; s < n; ++s) { // a slab of k^2 = q over the length d (k imaginary under a barrier)
            const C q = c * (e - (v[i] + (v[i - 1] - v[i]) * (s + 0.5) / n)), k = std::sqrt(q), d = -1.0 / n;
            const C cs = std::cos(k * d), sn = q == 0.0 ? d : std::sin(k * d) / k;
            std::tie(psi, dpsi) = std::pair(cs * psi + sn * dpsi, -q * sn * psi + cs * dpsi);
        }
    }
    const double kL = std::sqrt(c * (e - v[xEnd]));
    return 4.0 * kL * kR.real() / std::norm(dpsi + C(0.0, kL) * psi) * std::exp(-2.0 * lost);
}

// The slabs' error falls as 1/n^2: two counts extrapolated give T to 1e-9 near a sharp resonance too.
double convergedT(const Samples &v, int xStart, int xEnd, double e, double c)
{
    return (4.0 * referenceT(v, xStart, xEnd, e, c, 800) - referenceT(v, xStart, xEnd, e, c, 400)) / 3.0;
}

// A sweep's summary: energies solved, points given out, overflowed, unresolved, truncated, cancelled.
using Summary = std::tuple<int, int, bool, bool, bool, bool>;
Summary summary(const ScatterSweep::Result &r) { return {r.energies, r.points, r.overflowed, r.unresolved, r.truncated, r.cancelled}; }

struct Sink : ScatterSink
{
    std::vector<std::array<double, 4>> points; // r, t, e, index
    void reset() override { points.clear(); }
    void addPoint(double r, double t, double e, int index) override { points.push_back({r, t, e, double(index)}); }
};

// R and T of a point are a physical pair: both in [0, 1], T = 1 - R, or where T is tiny R = 1 - T.
void expectPhysical(double r, double t, double e)
{
    EXPECT_GE(r, 0.0) << "E=" << e;
    EXPECT_LE(r, 1.0) << "E=" << e;
    EXPECT_GE(t, 0.0) << "E=" << e;
    EXPECT_LE(t, 1.0) << "E=" << e;
    EXPECT_EQ(t < 1e-8 ? r : t, t < 1e-8 ? 1.0 - t : 1.0 - r) << "E=" << e;
}

TEST(ScatterSolver, SquareBarriersAndWellsMatchTheTransferMatrixAtEveryEnergy)
{
    ScatterSolver solver;
    for (int width : {10, 200, 1100})
        for (double height : {50.0, -50.0, 3.0})
            for (double c : {0.0002, 0.002, 0.05}) {
                SCOPED_TRACE(::testing::Message() << "width " << width << ", height " << height << ", c " << c);
                const int from = 600 - width / 2, xStart = from + width, xEnd = from - 1;
                const Samples v = block(from, width, height);
                solver.setPotential(v.data());
                const double eMax = height > 0 ? 2 * height : -height;
                std::vector<double> e{std::fabs(height) + 1e-3, std::fabs(height) - 1e-3, 1e-4};
                for (int j = 1; j <= 24; ++j)
                    e.push_back(eMax * j / 24.0);
                std::vector<ScatterResult> out(e.size());
                solver.solveSeries(xStart, xEnd, e.data(), int(e.size()), c, out.data());
                for (std::size_t j = 0; j < e.size(); ++j) {
                    const double want = referenceT(v, xStart, xEnd, e[j], c);
                    if (out[j].status != Status::Ok) { // only a T below the double range is not given
                        EXPECT_EQ(fields(out[j]), Overflowed) << "E=" << e[j];
                        EXPECT_LT(want, 1e-300) << "E=" << e[j];
                        continue;
                    }
                    expectPhysical(out[j].r, out[j].t, e[j]);
                    EXPECT_NEAR(out[j].t, want, 1e-5) << "E=" << e[j];
                }
            }
}

TEST(ScatterSolver, ConstantPotentialStepLevelsInterpolationAndBadSpans)
{
    Samples v(N, 3.0);
    ScatterSolver solver;
    EXPECT_EQ(solver.coefficients(800, 400, 4.0, 0.002).status, Status::Invalid) << "no potential yet";
    const double *res = solver.solve(800, 400, 4.0, 0.002);
    EXPECT_TRUE(std::isnan(res[0])) << res[0];
    EXPECT_EQ(res[2], 0.0) << "the triple has no flag for it";
    EXPECT_TRUE(std::isnan(solver.potentialAt(3.0)));
    solver.setPotential(v.data());
    for (double e : {3.5, 10.0, 50.0}) // a constant potential: no reflection
        EXPECT_LT(solver.coefficients(1000, 100, e, 0.002).r, 1e-20) << e;
    EXPECT_EQ(solver.coefficients(400, 800, 4.0, 0.002).status, Status::Ok) << "reversed: no step";
    EXPECT_EQ(solver.coefficients(400, 400, 4.0, 0.002).status, Status::Ok) << "empty: no step";
    for (const auto &[from, to] : {std::array{N, 400}, std::array{800, -1}}) { // an end outside, after a good span
        EXPECT_EQ(solver.coefficients(from, to, 4.0, 0.002).status, Status::Invalid) << from << ".." << to;
        EXPECT_TRUE(std::isnan(solver.solve(from, to, 4.0, 0.002)[1])) << from << ".." << to;
    }
    // A step 0 -> 10: R = ((k1 - k2) / (k1 + k2))^2 up to the one-sample ramp.
    v = block(600, 600, 10.0);
    v[1199] = 12.0;
    solver.setPotential(v.data());
    for (double e = 10.05; e <= 20.0; e += 0.5) {
        const double k1 = std::sqrt(e), k2 = std::sqrt(e - 10.0);
        res = solver.solve(600, 599, e, 0.002);
        EXPECT_NEAR(res[0], std::pow((k1 - k2) / (k1 + k2), 2), 2e-3) << e;
        EXPECT_NEAR(res[1], referenceT(v, 600, 599, e, 0.002), 1e-6) << e;
    }
    res = solver.solve(600, 599, 5.0, 0.002);
    EXPECT_EQ(std::vector<double>(res, res + 3), std::vector<double>({1.0, 0.0, 0.0})) << "below the right level";
    // Between samples the straight line through them; beyond the ends the end samples.
    for (const auto &[x, want] : {std::pair{599.0, 0.0}, {600.0, 10.0}, {599.25, 2.5}, {1198.5, 11.0}, {-7.0, 0.0}, {1300.0, 12.0}})
        EXPECT_EQ(solver.potentialAt(x), want) << x;
}
TEST(ScatterSolver, StepsPerSampleFromThePhaseAndTheSlopeOfT)
{
    // A tent, a slope, a raised right level over 731 samples.
    Samples v(N, 0.0);
    for (int i = 300; i < 900; ++i)
        v[i] = i < 700 ? 8.0 - std::fabs(i - 500) * 0.04 : i >= 800 ? 7.0 - 0.01 * i : 0.0;
    v[1050] = 1.5;
    ScatterSolver fast;
    fast.setPotential(v.data());
    EXPECT_EQ(fast.stepsPerSample(480 + 20, 480, 2.0, 0.002), ScatterSolver::HundredthSteps) << "a short span";
    // m = ceil(k max((Phi / 1e-3)^(1/4), (1 / 3.5e-6)^(1/4))), k = sqrt(c max |E - V|), Phi = span k;
    // at least 100 / span; above 16 rounded up to four significant bits.
    EXPECT_EQ(fast.stepsPerSample(1050, 319, 0.3, 0.002), 3); // k = 0.124, Phi = 90.7
    EXPECT_EQ(fast.stepsPerSample(530, 480, 2.0, 0.05), 13);  // 50 samples, k = 0.548: hundredths too coarse
    EXPECT_EQ(fast.stepsPerSample(519, 480, 0.3, 0.0005), 3); // 39 samples: at least 100 steps
    // Where T is steep: theta^4 <= 2.4e-4 c / (|dT/dE| k^2), up to the step limit but never refused.
    EXPECT_EQ(fast.stepsPerSample(1050, 319, 0.3, 0.002, 100.0), 6);  // ceil(0.124 (3.2e6)^(1/4))
    EXPECT_EQ(fast.stepsPerSample(1050, 319, 0.3, 0.002, 1e4), 18);   // ceil(0.124 (3.2e8)^(1/4)) = 17 -> 18
    EXPECT_EQ(fast.stepsPerSample(1050, 319, 0.3, 0.002, 1e30), int(ScatterSolver::MaxSteps / 731));
    EXPECT_EQ(fast.stepsPerSample(1050, 319, 0.3, 0.002, 1e-3), 3) << "a gentle slope asks for nothing";
}

TEST(ScatterSolver, GrowthUnderWideBarriersIsRescaledAndOnlyAnUnrepresentableTIsFlagged)
{
    // Barrier 50 x 400 at c = 0.02: T ~ 16 k^2 kappa^2 / (k^2 + kappa^2)^2 e^(-800 kappa); 2^-1044 at E = 9
    // (rescaled, still a double), 2^-1094 at E = 5 (flagged).
    const Samples barrier = block(400, 400, 50.0);
    ScatterSolver solver;
    solver.setPotential(barrier.data());
    const double c = 0.02;
    for (double e : {9.0, 13.0}) {
        const double k2 = c * e, kappa2 = c * (50.0 - e);
        const double log2T = (std::log(16.0 * k2 * kappa2 / std::pow(k2 + kappa2, 2)) - 800.0 * std::sqrt(kappa2)) / std::log(2.0);
        const ScatterResult res = solver.coefficients(800, 399, e, c);
        EXPECT_EQ(res.status, Status::Ok) << e;
        EXPECT_EQ(res.r, 1.0) << e;
        EXPECT_NEAR(std::log2(res.t), log2T, 1.0) << e;
    }
    EXPECT_EQ(fields(solver.coefficients(800, 399, 5.0, c)), Overflowed);
    EXPECT_EQ(solver.solve(800, 399, 5.0, c)[2], 1.0) << "the triple's flag";
}

TEST(ScatterSweep, EveryEnergyOfAWidePotentialGetsItsPointAndTheHooksReportOnce)
{
    // Barrier 20 x 200 at c = 0.5 (growth up to e^632): every energy a point; dE = 1/64 exactly.
    const Samples wide = block(500, 200, 20.0);
    ScatterSolver solver;
    int overflows = 0, unresolved = 0;
    std::vector<double> shares;
    ScatterSweep::Hooks hooks{[&] { ++overflows; }, [&] { ++unresolved; }, [&](double f) { shares.push_back(f); return true; }};
    Sink sink;
    ASSERT_EQ(summary(ScatterSweep::run(solver, wide.data(), 700, 499, 0.5, 31.25, sink, hooks)), Summary(2000, 2001, true, false, false, false));
    EXPECT_EQ(std::pair(overflows, unresolved), std::pair(1, 0)) << "hooks called";
    ASSERT_EQ(sink.points.size(), 2001u) << "every energy and the first point";
    int total = 0;
    for (std::size_t k = 1; k < sink.points.size(); ++k) {
        const auto &p = sink.points[k];
        ASSERT_EQ(p[3], double(k)) << "index of point " << k;
        expectPhysical(p[0], p[1], p[2]);
        total += p[0] == 1.0 && p[1] == 0.0;
    }
    EXPECT_GT(total, 500) << "total reflection under the barrier";
    EXPECT_GE(shares.size(), 100u);
    EXPECT_TRUE(std::is_sorted(shares.begin(), shares.end())) << "progress never goes back";
    EXPECT_GT(shares.front(), 0.0);
    EXPECT_EQ(shares.back(), 1.0);

    Samples pit(N, 0.0);
    pit[600] = -1e9; // a pit far beyond anything drawable: too many steps for every energy, said at once
    EXPECT_EQ(summary(ScatterSweep::run(solver, pit.data(), 601, 599, 1.0, 1.0, sink, hooks)), Summary(2000, 1, false, true, false, false));
    EXPECT_EQ(std::pair(overflows, unresolved), std::pair(1, 1)) << "hooks called";
    EXPECT_EQ(solver.stepsPerSample(601, 599, 1.0, 1.0), ScatterSolver::TooManySteps);
    EXPECT_EQ(solver.coefficients(601, 599, 1.0, 1.0).status, Status::Unresolved);
    EXPECT_EQ(solver.solve(601, 599, 1.0, 1.0)[2], ScatterSolver::Unresolved) << "the triple's flag";
    EXPECT_EQ(solver.solve(601, 599, 1.0, 1e-12)[2], 0.0) << "fine again with a tiny factor";
    for (double eMax : {0.0, -3.0, std::nan(""), HUGE_VAL}) // no energies, only the first point
        EXPECT_EQ(ScatterSweep::run(solver, wide.data(), 700, 499, 1e-4, eMax, sink).points, 1) << eMax;
    EXPECT_EQ(ScatterSweep::run(solver, wide.data(), 700, 499, 0.0, 1.0, sink).points, 1) << "c = 0: every r is 0/0";
    EXPECT_EQ(ScatterSweep::run(solver, nullptr, 700, 499, 1e-4, 1.0, sink).points, 0);
    EXPECT_EQ(ScatterSweep::run(solver, wide.data(), N, 499, 1e-4, 1.0, sink).points, 0);
    EXPECT_TRUE(sink.points.empty()) << "reset all the same";
    hooks.progress = [](double) { return false; }; // stop at the first report
    EXPECT_EQ(summary(ScatterSweep::run(solver, block(503, 245, 0.5).data(), 800, 450, 1e-4, 1.0, sink, hooks)), Summary(16, 17, false, false, false, true));
}

TEST(ScatterSweep, SharpResonancesOfADoubleBarrierWithin1e5OfTheConvergedT)
{
    // The handbook's double barrier at c = 0.05: the resonance at E = 5.21 is far narrower than the energy
    // step; a lone energy's step count misses it, the sweep sees the peak and takes enough steps.
    Samples v(N, 0.0);
    std::fill(v.begin() + 569, v.begin() + 579, 10.0);
    std::fill(v.begin() + 619, v.begin() + 629, 10.0);
    ScatterSolver solver;
    Sink sink;
    ScatterSweep::run(solver, v.data(), 629, 568, 0.05, 20.0, sink, ScatterSweep::Hooks{});
    ASSERT_GE(sink.points.size(), 2000u) << "every energy";
    double peak = 0.0;
    for (std::size_t k = 1; k < sink.points.size(); ++k) {
        const auto &p = sink.points[k];
        expectPhysical(p[0], p[1], p[2]);
        if (k % 20 == 0 || p[1] > 0.005) { // every resonance, and between them
            ASSERT_NEAR(p[1], convergedT(v, 629, 568, p[2], 0.05), 1e-5) << "E=" << p[2];
        }
        if (std::fabs(p[2] - 5.21) < 1e-9)
            peak = p[1];
    }
    EXPECT_NEAR(peak, 0.4427, 1e-4) << "the resonance's point";
    EXPECT_GT(std::fabs(solver.coefficients(629, 568, 5.21, 0.05).t - peak), 1e-3) << "a lone energy misses it";
}

TEST(ScatterSweep, DrawnPotentialExactEnergiesFromTheRightLevelToEMaxPhysicalAndAccurate)
{
    // Pen strokes in -50..50, left level 4, right -2.5; eMax = 125: dE = 1/16 exactly.
    Samples v(N, -2.5);
    unsigned seed = 12345;
    auto next = [&seed](int n) { return int((seed = seed * 1103515245u + 12345u) >> 16) % n; };
    for (int stroke = 0; stroke < 8; ++stroke) {
        const int at = 100 + next(1000), w = 5 + next(120);
        const double h = 0.1 * (next(1001) - 500);
        for (int i = std::max(100, at - w); i < std::min(1100, at + w); ++i)
            v[i] = stroke % 2 ? h : h * (1.0 - std::fabs(i - at) / double(w));
    }
    std::fill(v.begin(), v.begin() + 100, 4.0);
    v[100] = v[1099] = 0.0; // the integration limits, the outermost changes, are 99 and 1100
    const int left = 99, right = 1100;
    ScatterSolver solver;
    Sink sink;
    int reports = 0; // a sweep that stopped moving ends at the 1000th report instead of hanging
    const ScatterSweep::Hooks hooks{{}, {}, [&reports](double) { return ++reports % 1000 != 0; }};
    for (double c : {0.0002, 0.002}) {
        SCOPED_TRACE(::testing::Message() << "c " << c);
        // (125 + 2.5) * 16 = 2040 energies, of which the 103 below the left level 4 are not solved.
        EXPECT_EQ(summary(ScatterSweep::run(solver, v.data(), right, left, c, 125.0, sink, hooks)), Summary(1937, 1938, false, false, false, false));
        ASSERT_EQ(sink.points.size(), 1938u);
        EXPECT_EQ(sink.points[0], (std::array<double, 4>{1.0, 0.0, -2.5, 0.0}));
        EXPECT_EQ(sink.points[1], (std::array<double, 4>{1.0, 0.0, 4.0, 104.0})); // k_L = 0: R = 1
        for (std::size_t k = 1; k < sink.points.size(); ++k) {
            const auto &p = sink.points[k];
            ASSERT_EQ(p[3], 103.0 + k) << "index of point " << k;
            ASSERT_EQ(p[2], -2.5 + p[3] / 16) << "energy of point " << k;
            expectPhysical(p[0], p[1], p[2]);
            if (k % 199 == 0) {
                EXPECT_NEAR(p[1], referenceT(v, right, left, p[2], c), 1e-5) << "E=" << p[2];
            }
        }
    }
}
} // namespace
