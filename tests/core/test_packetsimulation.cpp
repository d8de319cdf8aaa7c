// SPDX-License-Identifier: GPL-3.0-or-later
#include "physics/packetsimulation.h"

#include "coretestutil.h"

#include <gtest/gtest.h>

namespace {
using namespace coretest;

TEST(PacketSimulation, RebuildPlacesThePacketTheParametersDescribe)
{
    std::vector<double> pot(N, 0.0);
    PacketSimulation sim(pot.data());
    sim.setViewHeight(400);
    sim.setParams({300, 100, 80, 0, 10, 7});
    EXPECT_EQ(Vec(sim.wave(), sim.wave() + N), Vec(N)) << "parameters alone change nothing";
    sim.rebuild();
    // Peak 2 h / H at the centre, |psi|^2 with standard deviation dx / 2; z is the caller's to run.
    EXPECT_NEAR(std::abs(sim.wave()[300]), 0.5, 1e-15);
    EXPECT_NEAR(moments(sim.wave()).centre, 300.0, 1e-9);
    EXPECT_NEAR(moments(sim.wave()).spread, 40.0, 1e-9);
    EXPECT_EQ(sim.stepCount(), 0);
    sim.setViewHeight(200); // the same height is now a larger share of the view
    sim.rebuild();
    EXPECT_NEAR(std::abs(sim.wave()[300]), 1.0, 1e-15);
}

TEST(PacketSimulation, StepsAreCrankNicolsonStepsOf50OnThePotentialAsItIs)
{
    std::vector<double> pot(N);
    for (int k = 0; k < N; ++k)
        pot[k] = k > 600 && k < 660 ? 0.004 : 0.0;
    PacketSimulation sim(pot.data());
    sim.setViewHeight(400);
    sim.setParams({400, 120, 90, 60, 15, 0});
    sim.rebuild();
    Vec before(sim.wave(), sim.wave() + N);
    sim.step();
    EXPECT_LT(crankNicolsonResidual(pot, before.data(), sim.wave(), 50.0), 1e-13);
    EXPECT_EQ(sim.time(), 50.0);
    pot[500] = 0.01; // an edit acts on the very next step
    before.assign(sim.wave(), sim.wave() + N);
    sim.step();
    EXPECT_LT(crankNicolsonResidual(pot, before.data(), sim.wave(), 50.0), 1e-13);
    sim.advance(3);
    before.assign(sim.wave(), sim.wave() + N);
    sim.advance(0);
    sim.advance(-4);
    EXPECT_EQ(Vec(sim.wave(), sim.wave() + N), before) << "no steps for n <= 0";
    EXPECT_EQ(sim.stepCount(), 5);
    EXPECT_EQ(sim.time(), 250.0);
    sim.rebuild(); // back to the packet as placed, counting from 0
    EXPECT_EQ(sim.stepCount(), 0);
    EXPECT_EQ(sim.time(), 0.0);
    EXPECT_NEAR(moments(sim.wave()).centre, 400.0, 1e-9);
}
} // namespace
