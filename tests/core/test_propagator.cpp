// SPDX-License-Identifier: GPL-3.0-or-later
// A Crank-Nicolson step between walls over the potential as it is: solved to rounding, norm kept, packets
// reflected; nothing for a bad size or a missing array.
#include "physics/propagator.h"
#include "coretestutil.h"

namespace {
using namespace coretest;

Moments run(Propagator &prop, const Vec &psi, int n)
{
    while (n-- > 0)
        prop.step(50.0);
    return moments(psi);
}

TEST(Propagator, StepSolvesTheCrankNicolsonSystemWithThePotentialAsItIsAndConservesTheNorm)
{
    std::vector<double> pot(N);
    for (int k = 0; k < N; ++k)
        pot[k] = 0.00002 * (k - 512) / 512.0 + (k > 600 && k < 640 ? 0.003 : 0) - (k > 200 && k < 320 ? 0.002 : 0);
    Vec psi = packet(400, 150, 80, 150, 20), before = psi;
    const double n0 = moments(psi).norm;
    Propagator prop(pot.data(), psi.data(), N);
    prop.step(50.0);
    EXPECT_LT(crankNicolsonResidual(pot, before.data(), psi.data(), 50.0), 1e-13);
    EXPECT_LT(std::fabs(run(prop, psi, 2999).norm - n0) / n0, 1e-10);
    for (double &v : pot) // an edit acts on the very next step
        v += 0.001;
    before = psi;
    prop.step(50.0);
    EXPECT_LT(crankNicolsonResidual(pot, before.data(), psi.data(), 50.0), 1e-13);
    pot[400] += 0.01; // so does one sample alone
    before = psi;
    prop.step(50.0);
    EXPECT_LT(crankNicolsonResidual(pot, before.data(), psi.data(), 50.0), 1e-13);
    before = psi;
    prop.step(5.0); // and a new time step
    EXPECT_LT(crankNicolsonResidual(pot, before.data(), psi.data(), 5.0), 1e-13);
    before = psi;
    for (Propagator bad : {Propagator(pot.data(), psi.data(), 0), Propagator(pot.data(), psi.data(), -5),
                           Propagator(nullptr, psi.data(), N), Propagator(pot.data(), nullptr, N)})
        bad.step(50.0); // does nothing
    EXPECT_EQ(psi, before);
}

TEST(Propagator, FastPacketsReflectAtTheWalls)
{
    std::vector<double> pot(N, 0.0);
    Vec psi(N);
    Propagator prop(pot.data(), psi.data(), N);
    for (int dir : {1, -1}) { // fast packets towards either wall come back with reversed momentum
        initPacket(psi.data(), 512 + dir * 288, 100, 200, dir * 400, 1, 400);
        const Moments m0 = moments(psi), m = run(prop, psi, 150);
        EXPECT_GT(dir * m0.momentum, 0.07) << "towards the wall, direction " << dir;
        EXPECT_LT(dir * m.momentum, -0.07) << "back from the wall, direction " << dir;
        EXPECT_LT(dir * (m.centre - m0.centre), -100.0) << dir;
    }
}
} // namespace
