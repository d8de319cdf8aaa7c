// SPDX-License-Identifier: GPL-3.0-or-later
// The evolution's own bound states ("In die Zeitentwicklung", the export's --states):
//   state k, energy k -> orthonormal eigenvectors of the propagator's matrix, leftmost lobe up; outside: none, 0
//   superposition     -> normalised sum of weight e^(i phase) state; bad parts ignored; nothing left: empty
//   in the evolution  -> a pair swings with the step's phase difference
#include "physics/stationarystates.h"
#include "physics/packetmeasurement.h"
#include "physics/packetsimulation.h"
#include "coretestutil.h"

namespace {
using namespace coretest;

// Wells of depth -0.02 and `width` points either side of a wall of height h and `wall` points, centred.
Pot doubleWell(int width, double h, int wall)
{
    Pot V(N, 0.0);
    for (int j = 0; j < N; ++j) {
        const double d = std::fabs(j - 511.5);
        V[j] = d < wall / 2.0 ? h : (d < wall / 2.0 + width ? -0.02 : 0.0);
    }
    return V;
}

// The propagator's matrix: (H psi)_n = (V_n + 1) psi_n - (psi_n-1 + psi_n+1) / 2.
double residual(const Pot &V, const std::vector<double> &x, double E)
{
    double r = 0.0;
    for (int n = 0; n < N; ++n) {
        const double side = (n > 0 ? x[n - 1] : 0.0) + (n + 1 < N ? x[n + 1] : 0.0);
        r = std::max(r, std::fabs((V[n] + 1.0 - E) * x[n] - 0.5 * side));
    }
    return r;
}

// Eigenvalue k of that matrix by bisection on the Sturm count (LDL^T pivots below E).
double sturmEigenvalue(const Pot &V, int k)
{
    double lo = -1.0, hi = 3.0;
    for (double mid = 1.0; mid != lo && mid != hi; mid = 0.5 * (lo + hi))
        (countBelow(V, 1.0, 0.5, mid) > k ? hi : lo) = mid;
    return 0.5 * (lo + hi);
}

TEST(StationaryStates, TheEmptyBoxGivesTheClosedFormEvenRaised)
{
    // sin(pi k (n + 1) / 1025), energies 1 - cos(pi k / 1025) (+ the level): four below the limit.
    for (double level : {0.0, -0.0123}) {
        SCOPED_TRACE(::testing::Message() << "level " << level);
        const StationaryStates s(Pot(N, level).data(), EigenSolver::Trace());
        ASSERT_EQ(s.count(), 4);
        for (int k = 1; k <= 4; ++k) {
            const double exact = 1.0 - std::cos(Pi * k / 1025.0);
            EXPECT_NEAR(s.energy(k - 1) - level, exact, 1e-9 * exact) << k;
            EXPECT_NEAR(s.solver().eigenValue(k - 1), 10000.0 * (level + exact), 1e-9) << "the solver, window units, " << k;
            EXPECT_NEAR(s.state(k - 1).at(511), std::sqrt(2.0 / 1025.0) * std::sin(Pi * k * 512 / 1025.0), 1e-9) << k;
        }
    }
    const StationaryStates box(Pot(N, 0.0).data(), EigenSolver::Trace());
    for (int k : {-1, 4}) {
        EXPECT_TRUE(box.state(k).empty()) << k;
        EXPECT_EQ(box.energy(k), 0.0) << k;
    }
    EXPECT_EQ(StationaryStates(nullptr, EigenSolver::Trace()).count(), 0);
}

TEST(StationaryStates, StatesAreOrthonormalEigenvectorsOfThePropagatorsMatrixClosePairsIncluded)
{
    // The square well, the examples' double well (pair split by 5.4e-8), a wall of 1e6 beside a well.
    Pot walled = doubleWell(100, 0.0, 40);
    std::fill(walled.begin(), walled.begin() + 200, 1e6);
    for (const Pot &V : {doubleWell(100, -0.02, 0), doubleWell(100, 0.0, 40), walled}) {
        int traced = 0;
        const StationaryStates s(V.data(), [&traced](double, double) { ++traced; });
        ASSERT_GT(s.count(), 7);
        EXPECT_EQ(traced, s.count()) << "one report per eigenvalue";
        for (int k = 0; k < 12; ++k) {
            const std::vector<double> &x = s.state(k);
            EXPECT_NEAR(s.energy(k), sturmEigenvalue(V, k), 1e-15) << k;
            EXPECT_LT(residual(V, x, s.energy(k)), 1e-15) << k;
            const double peak = absMax(x);
            const auto first = std::find_if(x.begin(), x.end(), [peak](double v) { return std::fabs(v) > 0.01 * peak; });
            EXPECT_GT(*first, 0.0) << "the leftmost lobe upwards, " << k;
            for (int j = std::max(0, k - 3); j <= k; ++j)
                EXPECT_NEAR(std::inner_product(x.begin(), x.end(), s.state(j).begin(), 0.0), j == k ? 1.0 : 0.0, 1e-10) << j << ", " << k;
        }
    }
    const StationaryStates pair(doubleWell(100, 0.0, 40).data(), EigenSolver::Trace());
    EXPECT_NEAR(pair.energy(1) - pair.energy(0), 5.4227e-8, 1e-11);
}

TEST(StationaryStates, SuperpositionsAreNormalisedSumsOfTheGivenWeightsAndPhases)
{
    const StationaryStates s(doubleWell(100, 0.0040, 8).data(), EigenSolver::Trace());
    const Vec psi = s.superposition({{0, 3.0, 0.0}, {1, 4.0, Pi / 2}, {99999, 1.0, 0.0}});
    ASSERT_EQ(psi.size(), std::size_t(N));
    for (const auto &[k, want] : {std::pair{0, cd(0.6)}, {1, cd(0.0, 0.8)}, {2, cd(0.0)}}) // orthonormal to ~1e-12
        EXPECT_NEAR(std::abs(std::inner_product(psi.begin(), psi.end(), s.state(k).begin(), cd(0.0)) - want), 0.0, 1e-11) << k;
    // Equal weights of the lowest pair: the left well (both lobes upwards there).
    const Vec left = s.superposition({{0}, {1}});
    EXPECT_GT(PacketMeasurement::of(left.data(), Pot(N, 0.0).data(), N, 512).left, 0.99);
    EXPECT_EQ(s.superposition({{0, std::nan("")}, {1, 2.0, HUGE_VAL}, {1}, {2}}), s.superposition({{1}, {2}})) << "not finite: nothing";
    EXPECT_TRUE(s.superposition({}).empty());
    EXPECT_TRUE(s.superposition({{-1}, {0, 0.0}}).empty()) << "nothing left";
}

TEST(StationaryStates, AStateOnlyTurnsItsPhaseForTenThousandSteps)
{
    // The square well's ground state (the shifted step) and the empty box's (the plain step).
    for (const Pot &V : {doubleWell(100, -0.02, 0), Pot(N, 0.0)}) {
        const StationaryStates s(V.data(), EigenSolver::Trace());
        PacketSimulation sim(V.data()); // with its own choice of sub-steps
        place(sim, {512, 100, 40, 0, 10, 0});
        ASSERT_TRUE(sim.placeWave(s.superposition({{0}})));
        EXPECT_EQ(sim.subSteps(), 1);
        EXPECT_EQ(sim.referenceEnergy(), std::fabs(s.energy(0)) < 4e-4 ? 0.0 : sim.measure(0).meanE);
        const Vec start = wave(sim);
        const double peak = std::pow(absMax(start), 2);
        double change = 0.0;
        for (int block = 0; block < 10; ++block) {
            sim.advance(1000);
            for (int n = 0; n < N; ++n)
                change = std::max(change, std::fabs(std::norm(sim.wave()[n]) - std::norm(start[n])));
        }
        EXPECT_LT(change / peak, 1e-10) << "E = " << s.energy(0);
        EXPECT_NEAR(sim.measure(0).meanE, s.energy(0), 1e-15);
    }
}

TEST(StationaryStates, APairSwapsWellsWithTheCrankNicolsonPhaseDifference)
{
    // Split by 2.8e-4: two sub-steps from the mean energy; phase Theta(E) = 2 n atan((E - E0) dt / 2n) + E0 dt.
    const Pot V = doubleWell(60, 0.0, 4);
    const StationaryStates s(V.data(), EigenSolver::Trace());
    PacketSimulation sim(V.data());
    place(sim, {512, 100, 40, 0, 10, 0});
    ASSERT_TRUE(sim.placeWave(s.superposition({{0}, {1}})));
    const int n = sim.subSteps();
    const double e0 = sim.referenceEnergy();
    EXPECT_EQ(n, 2);
    EXPECT_NEAR(e0, 0.5 * (s.energy(0) + s.energy(1)), 1e-15);
    auto theta = [&](double E) { return 2.0 * n * std::atan((E - e0) * 50.0 / (2.0 * n)) + e0 * 50.0; };
    const double period = 2.0 * Pi / (theta(s.energy(1)) - theta(s.energy(0)));
    // P_left - 1/2 = cos(2 pi t / T) / 2: left at first, right after half a period.
    EXPECT_GT(sim.measure(512).left, 0.95);
    sim.advance(int(std::lround(period / 2)));
    EXPECT_LT(sim.measure(512).left, 0.05);
    sim.advance(int(0.8 * period));
    const cd c0 = std::inner_product(sim.wave(), sim.wave() + N, s.state(0).begin(), cd(0.0));
    const cd c1 = std::inner_product(sim.wave(), sim.wave() + N, s.state(1).begin(), cd(0.0));
    const double turned = std::arg(c1 / c0), want = -sim.stepCount() * (theta(s.energy(1)) - theta(s.energy(0)));
    EXPECT_NEAR(std::remainder(turned - want, 2.0 * Pi), 0.0, 1e-8) << "the amplitudes' relative phase";
}
} // namespace
