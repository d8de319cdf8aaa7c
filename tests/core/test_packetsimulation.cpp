// SPDX-License-Identifier: GPL-3.0-or-later
// The evolution's packet (surface, export's evolve):
//   rebuild / restart -> the packet of the parameters / as last placed, bit for bit, at t = 0
//   placeWave         -> scaled as a packet of the height; refused if zero, not finite, wrong length, no view
//   step / advance(n) -> 50 each (none for n <= 0); phase rate within 1e-4 (sub-steps from <E>, at most 64)
#include "physics/packetsimulation.h"
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

} // namespace
