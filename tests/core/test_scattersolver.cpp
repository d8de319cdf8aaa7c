#include "scattersolver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {
constexpr int N = ScatterSolver::GridSize;
using Triple = std::vector<double>;
Triple triple(const double *res) { return {res[0], res[1], res[2]}; }

// Closed-form transmission of a square barrier of height v0 and width w, with k^2 = c (E - V).
double squareBarrierT(double e, double v0, double c, double w)
{
    const double d = c * (v0 - e), a = std::sqrt(std::fabs(d));
    const double s = (d > 0 ? std::sinh(a * w) : std::sin(a * w)) / a;
    return 1.0 / (1.0 + c * v0 * v0 * s * s / (4.0 * e));
}

TEST(ScatterSolver, ConstantPotentialLeftHandLevelAndDegenerateInput)
{
    std::vector<double> v(N, 3.0);
    ScatterSolver solver;
    EXPECT_TRUE(std::isnan(solver.solve(800, 400, 4.0, 0.002)[0]));  // no potential yet
    solver.setPotential(v.data());
    for (double e : {3.5, 10.0, 50.0}) {
        EXPECT_LT(solver.solve(1000, 100, e, 0.002)[0], 1e-24) << e;
        EXPECT_NEAR(solver.solve(1000, 100, e, 0.002)[1], 1.0, 1e-15) << e;
    }
    EXPECT_TRUE(std::isnan(solver.solve(N, 400, 4.0, 0.002)[0]));  // an end outside the samples
    EXPECT_TRUE(std::isnan(solver.solve(800, -1, 4.0, 0.002)[1]));
    EXPECT_TRUE(std::isnan(solver.solve(800, 400, 3.0, 0.002)[0]));  // E = V: zero denominator
    EXPECT_FALSE(std::isnan(solver.solve(400, 800, 4.0, 0.002)[0]));  // reversed or empty: no step
    EXPECT_FALSE(std::isnan(solver.solveReference(400, 400, 4.0, 0.002)[0]));
    for (int i = 400; i < N; ++i)  // level 3 on the left, 0 on the right, a ramp between
        v[i] = i < 600 ? 3.0 * (600 - i) / 200.0 : 0.0;
    solver.setPotential(v.data());
    EXPECT_EQ(triple(solver.solve(900, 200, 3.0, 0.002)), (Triple{1.0, 0.0, 0.0}));
    const double *res = solver.solve(900, 200, 2.0, 0.002);  // below the level: still a real pair
    EXPECT_EQ(res[1], 1.0 - res[0]);
}

TEST(ScatterSolver, SquareBarrierMatchesClosedFormAndTooWideOneOverflows)
{
    // The ramps put the edges at 502.5 and 747.5, on step boundaries (steps of 3.5): width 245.
    std::vector<double> v(N, 0.0);
    std::fill(v.begin() + 503, v.begin() + 748, 0.5);
    ScatterSolver solver;
    solver.setPotential(v.data());
    for (double e : {0.05, 0.25, 0.45, 0.55, 1.0, 2.0})
        EXPECT_NEAR(solver.solve(800, 450, e, 1e-4)[1], squareBarrierT(e, 0.5, 1e-4, 245.0), 1e-8) << e;
    EXPECT_FALSE(solver.overflowed());
    std::fill(v.begin() + 451, v.begin() + 800, 0.5);  // far too wide for c = 4
    solver.setPotential(v.data());
    for (double e : {0.01, 0.6, 1.0}) {  // 0.01 overflows; 0.6 and 1.0 would pass on their own
        EXPECT_EQ(triple(solver.solve(800, 450, e, 4.0)), (Triple{1.0, 0.0, 1.0})) << e;
        EXPECT_EQ(solver.solveReference(800, 450, e, 4.0)[2], 1.0);
    }
    solver.setPotential(v.data());  // clears the flag
    const double *res = solver.solve(800, 450, 0.6, 4.0);
    EXPECT_TRUE(res[2] == 0.0 && res[0] > 0.0 && res[0] < 1.0) << res[0];
}

TEST(ScatterSolver, SpecialisedLoopAgreesWithGeneralIntegrator)
{
    // A tent, a slope and a raised right level; span 731 gives fractional stage positions.
    std::vector<double> v(N, 0.0);
    for (int i = 300; i < 900; ++i)
        v[i] = i < 700 ? 8.0 - std::fabs(i - 500) * 0.04 : i >= 800 ? 7.0 - 0.01 * i : 0.0;
    v[1050] = 1.5;
    ScatterSolver fast, literal;
    fast.setPotential(v.data());
    literal.setPotential(v.data());
    for (double e : {0.3, 2.0, 6.0, 7.99, 8.5, 20.0, 1.0})  // 1.0 lies below the right level
        for (double c : {0.002, 0.0005}) {
            const double *a = fast.solve(1050, 319, e, c), *b = literal.solveReference(1050, 319, e, c);
            EXPECT_NEAR(a[0], b[0], 1e-12) << e << " " << c;
            EXPECT_NEAR(a[1], b[1], 1e-12) << e << " " << c;
        }
}
} // namespace
