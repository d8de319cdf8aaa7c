#include "scattersolver.h"
#include "scatterreference.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {
constexpr int N = ScatterSolver::GridSize;
using Samples = std::vector<double>;
using Triple = std::vector<double>;
Triple triple(const double *res) { return {res[0], res[1], res[2]}; }

// `height` on [from, from + width), 0 elsewhere; the integration limits are the outermost changes.
Samples block(int from, int width, double height)
{
    Samples v(N, 0.0);
    std::fill(v.begin() + from, v.begin() + from + width, height);
    return v;
}

TEST(ScatterSolver, SquareBarriersAndWellsMatchTheTransferMatrixAtEveryEnergy)
{
    ScatterSolver solver;
    for (int width : {10, 200, 1100})
        for (double height : {50.0, -50.0, 3.0})
            for (double c : {0.0002, 0.002, 0.05}) {
                const int from = 600 - width / 2, xStart = from + width, xEnd = from - 1;
                const Samples v = block(from, width, height);
                solver.setPotential(v.data());
                // Across the sweep to 2 Vmax (the depth for a well), and close to the thresholds.
                // Descending, as an overflow under the barrier flags every later energy.
                const double eMax = height > 0 ? 2 * height : -height;
                std::vector<double> energies{std::fabs(height) + 1e-3, std::fabs(height) - 1e-3, 1e-4};
                for (int j = 1; j <= 24; ++j)
                    energies.push_back(eMax * j / 24.0);
                std::sort(energies.rbegin(), energies.rend());
                std::vector<double> out(3 * energies.size());
                solver.solveSeries(xStart, xEnd, energies.data(), int(energies.size()), c, out.data());
                for (std::size_t j = 0; j < energies.size(); ++j) {
                    const double *res = &out[3 * j], e = energies[j];
                    ASSERT_TRUE(res[0] <= 1.0 + 1e-9 && res[1] >= -1e-9 && res[1] == 1.0 - res[0]) << res[0];
                    if (res[2] != 0.0) {  // only growth under a barrier may stop the integration
                        EXPECT_TRUE(res[2] == 1.0 && e < height) << width << " " << height << " " << c << " E=" << e;
                        continue;
                    }
                    const ReferenceRT ref = transferReference(v, xStart, xEnd, e, c);
                    ASSERT_NEAR(ref.r + ref.t, 1.0, 1e-9);
                    EXPECT_NEAR(res[1], ref.t, 1e-4) << width << " " << height << " " << c << " E=" << e;
                }
            }
}

TEST(ScatterSolver, StepMatchesTheAnalyticStepAndOddEnergies)
{
    Samples v(N, 3.0);  // a constant potential: no reflection
    ScatterSolver solver;
    EXPECT_TRUE(std::isnan(solver.solve(800, 400, 4.0, 0.002)[0]));  // no potential yet
    solver.setPotential(v.data());
    for (double e : {3.5, 10.0, 50.0}) {
        const double *res = solver.solve(1000, 100, e, 0.002);
        EXPECT_TRUE(res[0] < 1e-20 && std::fabs(res[1] - 1.0) < 1e-15) << e;
    }
    EXPECT_TRUE(std::isnan(solver.solve(N, 400, 4.0, 0.002)[0]));  // an end outside the samples
    EXPECT_TRUE(std::isnan(solver.solve(800, -1, 4.0, 0.002)[1]));
    EXPECT_TRUE(std::isnan(solver.solve(800, 400, 3.0, 0.002)[0]));  // E = V: zero denominator
    EXPECT_FALSE(std::isnan(solver.solve(400, 800, 4.0, 0.002)[0]));  // reversed or empty: no step
    EXPECT_FALSE(std::isnan(solver.solveReference(400, 400, 4.0, 0.002)[0]));
    EXPECT_TRUE(std::isnan(solver.solveReference(800, -1, 4.0, 0.002)[0]));  // not the state of the last one
    // A step 0 -> 10 between two samples: R = ((k1 - k2) / (k1 + k2))^2 up to the one-sample ramp.
    v = block(600, 600, 10.0);
    solver.setPotential(v.data());
    for (double e = 10.05; e <= 20.0; e += 0.5) {
        const double k1 = std::sqrt(e), k2 = std::sqrt(e - 10.0), r = std::pow((k1 - k2) / (k1 + k2), 2);
        EXPECT_NEAR(solver.solve(600, 599, e, 0.002)[0], r, 2e-3) << e;
        EXPECT_NEAR(solver.solve(600, 599, e, 0.002)[1], transferReference(v, 600, 599, e, 0.002).t, 1e-6) << e;
    }
    EXPECT_EQ(triple(solver.solve(600, 599, 5.0, 0.002)), (Triple{1.0, 0.0, 0.0}));  // below the right level
    v.assign(N, 3.0);
    for (int i = 400; i < N; ++i)  // level 3 on the left, 0 on the right, a ramp between
        v[i] = i < 600 ? 3.0 * (600 - i) / 200.0 : 0.0;
    solver.setPotential(v.data());
    EXPECT_EQ(triple(solver.solve(900, 200, 3.0, 0.002)), (Triple{1.0, 0.0, 0.0}));  // at the left level
    const double *res = solver.solve(900, 200, 2.0, 0.002);  // below it: still a real pair
    EXPECT_EQ(res[1], 1.0 - res[0]);
    v.assign(N, 0.0);
    v[600] = -1e9;  // a pit far beyond anything drawable: too many steps, said at once
    solver.setPotential(v.data());
    EXPECT_EQ(solver.stepsPerSample(601, 599, 1.0, 1.0), ScatterSolver::TooManySteps);
    EXPECT_EQ(solver.solve(601, 599, 1.0, 1.0)[2], ScatterSolver::Unresolved);
    EXPECT_EQ(solver.solve(601, 599, 1.0, 1e-12)[2], 0.0);  // fine again with a tiny factor
}

TEST(ScatterSolver, TooWideBarrierOverflowsAndTheFlagSticksUntilTheNextPotential)
{
    const Samples v = block(451, 349, 0.5);  // far too wide for c = 4
    ScatterSolver solver;
    solver.setPotential(v.data());
    for (double e : {0.01, 0.6, 1.0}) {  // 0.01 overflows; 0.6 and 1.0 would pass on their own
        EXPECT_EQ(triple(solver.solve(800, 450, e, 4.0)), (Triple{1.0, 0.0, 1.0})) << e;
        EXPECT_EQ(solver.solveReference(800, 450, e, 4.0)[2], 1.0);
    }
    solver.setPotential(v.data());  // clears the flag
    const double *res = solver.solve(800, 450, 0.6, 4.0);
    EXPECT_TRUE(res[2] == 0.0 && res[0] > 0.0 && res[0] < 1.0) << res[0];
    const double series[] = {0.6, 0.7, 0.01, 0.8, 0.9};  // side by side as one at a time
    double out[15];
    solver.setPotential(v.data());
    solver.solveSeries(800, 450, series, 5, 4.0, out);
    solver.setPotential(v.data());
    EXPECT_TRUE(out[2] == 0.0 && out[5] == 0.0 && out[0] == solver.solve(800, 450, 0.6, 4.0)[0]);
    for (int j = 2; j < 5; ++j)
        EXPECT_EQ(triple(out + 3 * j), (Triple{1.0, 0.0, 1.0})) << j;
}

TEST(ScatterSolver, SpecialisedLoopsAgreeWithGeneralIntegrator)
{
    // A tent, a slope and a raised right level; spans of 731 (steps per sample) and 50 and 20
    // (a hundred steps of a hundredth where the wave is long enough).
    Samples v(N, 0.0);
    for (int i = 300; i < 900; ++i)
        v[i] = i < 700 ? 8.0 - std::fabs(i - 500) * 0.04 : i >= 800 ? 7.0 - 0.01 * i : 0.0;
    v[1050] = 1.5;
    ScatterSolver fast, literal;
    fast.setPotential(v.data());
    literal.setPotential(v.data());
    for (double e : {0.3, 2.0, 6.0, 7.99, 8.5, 20.0, 1.0})  // 1.0 lies below the right level
        for (double c : {0.002, 0.0005}) {
            const double *a = fast.solve(1050, 319, e, c), *b = literal.solveReference(1050, 319, e, c);
            EXPECT_NEAR(a[0], b[0], 1e-11) << e << " " << c;
            EXPECT_NEAR(a[1], b[1], 1e-11) << e << " " << c;
            for (int span : {50, 20}) {  // the hundredths loop repeats the general step bit for bit
                ASSERT_EQ(fast.stepsPerSample(480 + span, 480, e, c), ScatterSolver::HundredthSteps);
                EXPECT_EQ(triple(fast.solve(480 + span, 480, e, c)), triple(literal.solveReference(480 + span, 480, e, c)));
            }
        }
    // The step count: 100 steps where they fall on the samples, more where the wave is short.
    // k = sqrt(c max |E - V|), Phi = span k: m = ceil(k (Phi / 1e-3)^(1/4)), at least 100 / span.
    EXPECT_EQ(fast.stepsPerSample(1050, 319, 0.3, 0.002), 3);  // k = 0.124, Phi = 90.7
    EXPECT_EQ(fast.stepsPerSample(530, 480, 2.0, 0.05), 8);    // 50 samples, k = 0.548: hundredths too coarse
    EXPECT_EQ(fast.stepsPerSample(519, 480, 0.3, 0.0005), 3);  // 39 samples: at least 100 steps
}
} // namespace
