// SPDX-License-Identifier: GPL-3.0-or-later
// The evolution's packet (surface, export's evolve):
//   rebuild / restart -> the packet of the parameters / as last placed, bit for bit, at t = 0
//   placeWave         -> scaled as a packet of the height; refused if zero, not finite, wrong length, no view
//   step / advance(n) -> 50 each (none for n <= 0); phase rate within 1e-4 (sub-steps from <E>, at most 64)
//   physics           -> free packets, a coherent state, a barrier's T: closed forms
#include "physics/packetsimulation.h"
#include "physics/scattersolver.h"
#include "coretestutil.h"

namespace {
using namespace coretest;

TEST(PacketSimulation, RebuildPlacesThePacketTheParametersDescribeAndRestartReturnsToIt)
{
    Pot pot(N, 0.0);
    PacketSimulation sim(pot.data());
    sim.setViewHeight(400);
    sim.setParams({300, 100, 80, 50, 10, 7});
    EXPECT_EQ(wave(sim), Vec(N)) << "parameters alone change nothing";
    EXPECT_FALSE(sim.hasPacket());
    sim.rebuild(); // z is the caller's to run
    EXPECT_EQ(wave(sim), packet(300, 100, 80, 50, 10)) << "the packet of the parameters";
    EXPECT_EQ(sim.stepCount(), 0);
    EXPECT_TRUE(sim.hasPacket());
    sim.advance(3);
    sim.setViewHeight(200); // the same height would now be a larger share of the view
    sim.restart();
    EXPECT_EQ(wave(sim), packet(300, 100, 80, 50, 10)) << "restart: the packet as built, bit for bit";
    EXPECT_EQ(sim.stepCount(), 0);
    EXPECT_EQ(sim.time(), 0.0);
    sim.rebuild();
    EXPECT_EQ(wave(sim), packet(300, 100, 80, 50, 10, 200));
}

TEST(PacketSimulation, AStepIsThePlainStepWhereThatKeepsTheBoundElseSubStepsFromThePacketsEnergy)
{
    // A slow free packet keeps (E dt / 2)^2 below 1e-4: the propagator's step.
    Pot pot(N, 0.0);
    PacketSimulation sim(pot.data());
    place(sim, {512, 100, 100, 0, 10, 0});
    EXPECT_EQ(sim.subSteps(), 1);
    EXPECT_EQ(sim.referenceEnergy(), 0.0);
    Vec ref = wave(sim);
    Propagator prop(pot.data(), ref.data(), N);
    sim.step();
    prop.step(50.0);
    EXPECT_EQ(wave(sim), ref) << "the propagator's step of 50, bit for bit";
    pot[1000] = 0.01; // far from the packet; acts at once
    Vec before = wave(sim);
    sim.step();
    EXPECT_LT(crankNicolsonResidual(pot, before.data(), sim.wave(), 50.0), 1e-13);
    sim.advance(3);
    before = wave(sim);
    sim.advance(0);
    sim.advance(-4);
    EXPECT_EQ(wave(sim), before) << "no steps for n <= 0";
    EXPECT_EQ(sim.stepCount(), 5);
    EXPECT_EQ(sim.time(), 250.0);
    // Well 0.01 deep: n sub-steps over V - <E>, n least with (3 Delta E 25 / n)^2 <= 1e-4, then exp(-i <E> 50).
    std::fill(pot.begin() + 200, pot.begin() + 800, -0.01);
    place(sim, {450, 100, 60, 50, 10, 0});
    const PacketMeasurement m = sim.measure(0);
    const int n = sim.subSteps();
    EXPECT_EQ(sim.referenceEnergy(), m.meanE);
    EXPECT_LE(std::pow(3 * m.spreadE * 25.0 / n, 2), 1e-4) << n;
    EXPECT_GT(std::pow(3 * m.spreadE * 25.0 / (n - 1), 2), 1e-4) << n;
    Pot shifted = pot;
    for (double &v : shifted)
        v -= m.meanE;
    ref = wave(sim);
    Propagator sub(shifted.data(), ref.data(), N);
    for (int k = 0; k < n; ++k)
        sub.step(50.0 / n);
    for (cd &z : ref)
        z *= std::polar(1.0, -m.meanE * 50.0);
    sim.step();
    EXPECT_EQ(wave(sim), ref) << "n shifted sub-steps, then the phase of <E>, bit for bit";
    // Across a wall of 1e6 more than 64 would be needed: 64, norm kept, values finite.
    std::fill(pot.begin() + 440, pot.begin() + 460, 1e6);
    place(sim, {450, 100, 60, 50, 10, 0});
    EXPECT_EQ(sim.subSteps(), 64);
    sim.advance(20);
    EXPECT_NEAR(sim.measure(0).norm, 1.0, 1e-12);
    EXPECT_LT(std::fabs(sim.measure(0).meanE), 1e6);
}

TEST(PacketSimulation, AWaveInPlaceOfThePacketIsScaledAsAPacketOfItsHeightWithThePacketsRule)
{
    Pot pot(N, 0.0);
    std::fill(pot.begin() + 200, pot.begin() + 800, -0.01);
    PacketSimulation sim(pot.data());
    place(sim, {450, 100, 60, 50, 10, 0});
    const int n = sim.subSteps();
    const double e0 = sim.referenceEnergy();
    Vec shape = wave(sim);
    for (cd &z : shape)
        z *= cd(-3.0, 4.0); // five times as large, another phase: the same shape
    sim.advance(4);
    PacketParams params = sim.params();
    params.height = 50;
    sim.setParams(params);
    ASSERT_TRUE(sim.placeWave(shape));
    EXPECT_NEAR(std::abs(sim.wave()[450]), 0.25, 1e-15);
    EXPECT_NEAR(std::abs(sim.wave()[450] / shape[450] - sim.wave()[300] / shape[300]), 0.0, 1e-15) << "the shape kept";
    EXPECT_EQ(sim.stepCount(), 0);
    EXPECT_EQ(sim.time(), 0.0);
    EXPECT_NEAR(sim.measure(0).norm, 1.0, 1e-15);
    EXPECT_EQ(sim.subSteps(), n) << "as for the packet of that shape";
    EXPECT_NEAR(sim.referenceEnergy(), e0, 1e-15);
    const Vec placed = wave(sim);
    sim.advance(3);
    sim.restart();
    EXPECT_EQ(wave(sim), placed) << "restart: back to the wave";
    sim.step();
    const Vec now = wave(sim);
    Vec partly(N, 1.0);
    partly[7] = cd(0.0, HUGE_VAL);
    for (const Vec &bad : {Vec(N - 1, 1.0), Vec(N, 0.0), partly})
        EXPECT_FALSE(sim.placeWave(bad)) << bad.size();
    for (const auto &[height, view] : {std::pair{0, 400}, {50, 0}}) {
        sim.setParams({450, height, 60, 50, 10, 0});
        sim.setViewHeight(view);
        EXPECT_FALSE(sim.placeWave(shape)) << "height " << height << ", view " << view;
    }
    EXPECT_EQ(wave(sim), now);
    EXPECT_EQ(sim.stepCount(), 1);
}

// The free grid's Heisenberg equations: v psi = (psi_n+1 - psi_n-1) / 2i, <x>(t) = <x> + <v> t,
// Var x(t) = Var x + (<xv + vx> - 2 <x><v>) t + Var v t^2.
struct Heisenberg
{
    double x = 0, varX = 0, v = 0, cross = 0, varV = 0;
    explicit Heisenberg(const cd *psi)
    {
        const auto at = [psi](int n) { return n >= 0 && n < N ? psi[n] : cd(); };
        const Moments m = moments(psi);
        x = m.centre, varX = m.spread * m.spread;
        double v2 = 0;
        for (int n = 0; n < N; ++n) {
            const cd vpsi = (at(n + 1) - at(n - 1)) / cd(0.0, 2.0);
            v += (std::conj(psi[n]) * vpsi).real() / m.norm;
            v2 += std::norm(vpsi) / m.norm;
            cross += 2.0 * (n - x) * (std::conj(psi[n]) * vpsi).real() / m.norm;
        }
        varV = v2 - v * v;
    }
    double spread(double t) const { return std::sqrt(varX + cross * t + varV * t * t); }
};

TEST(PacketSimulation, FreePacketsMoveAndSpreadAsTheGridsHeisenbergEquationsSay)
{
    // A slider packet (p 100) and a fast one (k = 0.3: a plain step would be 2.3 times slow).
    Pot pot(N, 0.0);
    for (const auto &[params, steps] : {std::pair{PacketParams{470, 100, 80, 100, 1, 0}, 60}, {{330, 100, 80, 1540, 1, 0}, 20}}) {
        PacketSimulation sim(pot.data());
        place(sim, params);
        const Heisenberg ref(sim.wave());
        const double p0 = sim.measure(0).meanP;
        for (int n = 10; n <= steps; n += 10) {
            sim.advance(10);
            const double t = n * 50.0;
            const Moments m = moments(sim.wave());
            SCOPED_TRACE(::testing::Message() << "p " << params.p << ", step " << n);
            EXPECT_NEAR(m.centre - ref.x, ref.v * t, 0.005 * ref.v * t);
            EXPECT_NEAR(m.spread, ref.spread(t), 0.01 * ref.spread(t));
            EXPECT_NEAR(sim.measure(0).meanP, p0, 1e-9);
            EXPECT_LT(std::norm(sim.wave()[0]) + std::norm(sim.wave()[N - 1]), 1e-15);
        }
    }
    // Energy and norm over 2000 steps, the reflections at the walls included.
    PacketSimulation sim(pot.data());
    place(sim, {512, 100, 200, 0, 1, 0});
    const PacketMeasurement m0 = sim.measure(0);
    sim.advance(2000);
    EXPECT_NEAR(sim.measure(0).meanE, m0.meanE, 1e-9 * m0.meanE);
    EXPECT_NEAR(sim.measure(0).norm, 1.0, 1e-9);
    EXPECT_GT(moments(sim.wave()).spread, 200.0) << "it has spread to the walls";
}

TEST(PacketSimulation, OscillatorKeepsACoherentPacketForTenPeriods)
{
    // V = -0.01 + omega^2 d^2 / 2: a displaced ground-state Gaussian swings as x0 cos(omega t), keeps
    // its width (the grid's dispersion: 0.5 % and 0.8 %).
    const double omega = 0.0005;
    Pot pot(N);
    for (int n = 0; n < N; ++n)
        pot[n] = -0.01 + 0.5 * omega * omega * (n - 511.5) * (n - 511.5);
    PacketSimulation sim(pot.data());
    place(sim, {551, 100, 63, 0, 0, 0}); // no chirp
    const Moments m0 = moments(sim.wave());
    const double x0 = m0.centre - 511.5, e0 = sim.measure(0).meanE;
    double worstX = 0, worstSpread = 0;
    for (int n = 1; n <= int(std::lround(10 * 2 * std::acos(-1.0) / omega / 50.0)); ++n) {
        sim.step();
        const Moments m = moments(sim.wave());
        worstX = std::max(worstX, std::fabs(m.centre - 511.5 - x0 * std::cos(omega * n * 50.0)));
        worstSpread = std::max(worstSpread, std::fabs(m.spread - m0.spread));
    }
    EXPECT_LT(worstX, 0.01 * x0);
    EXPECT_LT(worstSpread, 0.02 * m0.spread);
    EXPECT_NEAR(sim.measure(0).meanE, e0, 1e-9 * std::fabs(e0));
}

TEST(PacketSimulation, TransmittedProbabilityIsTheScatteringWindowsTAveragedOverThePacket)
{
    // A packet runs into a barrier 12 wide: P_right = sum T(1 - cos k) |phi(k)|^2 over its exact spectrum,
    // T by the scattering solver (samples, energies x 1000, width factor 0.002).
    constexpr int From = 506, To = 517, Offset = (ScatterSolver::GridSize - N) / 2;
    for (double share : {0.7, 1.0, 1.3}) {
        Pot pot(N, 0.0);
        PacketSimulation sim(pot.data());
        place(sim, {230, 100, 100, 1020, 0, 0});
        const PacketMeasurement m0 = sim.measure(0);
        ASSERT_LE(m0.spreadP, 0.05 * m0.meanP);
        std::fill(pot.begin() + From, pot.begin() + To + 1, share * m0.meanE);
        sim.restart();
        sim.advance(50);
        const double right = sim.measure((From + To) / 2).right;
        Pot samples(ScatterSolver::GridSize, 0.0);
        for (int n = 0; n < N; ++n)
            samples[Offset + n] = 1000.0 * pot[n];
        ScatterSolver solver;
        solver.setPotential(samples.data());
        const Vec psi = packet(230, 100, 100, 1020, 0);
        const double k0 = 102.0 / 512, width = 0.06; // +- 6 deviations of k
        double sum = 0, weights = 0;
        for (int j = 0; j <= 240; ++j) {
            const double k = k0 - width + 2 * width * j / 240;
            cd phi = 0, turn = std::polar(1.0, -k), e = 1.0;
            for (int n = 0; n < N; ++n, e *= turn)
                phi += psi[n] * e;
            const double w = std::norm(phi) * (j % 240 ? 1.0 : 0.5);
            sum += w * solver.solve(Offset + To + 5, Offset + From - 5, 1000.0 * (1 - std::cos(k)), 0.002)[1];
            weights += w;
        }
        EXPECT_NEAR(right, sum / weights, 0.02) << "barrier at " << share << " of the packet's energy";
        EXPECT_GT(right, 0.1) << share;
        EXPECT_LT(right, 0.9) << share;
    }
}

} // namespace
