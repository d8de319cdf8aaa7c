#include "complexrk4.h"
#include "scattersolver.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <functional>
#include <vector>

namespace {
using cd = std::complex<double>;
constexpr int N = ScatterSolver::GridSize;

// A system y' = f(x, y) given as a function.
class Probe : public ComplexRK4
{
public:
    using F = std::function<void(double, const std::vector<cd> &, std::vector<cd> &)>;
    Probe(int n, F f) : ComplexRK4(n), f(std::move(f)) {}
    std::vector<cd> &state() { return y; }
    double position() const { return x; }

protected:
    void derivatives(double at) override { f(at, work, deriv); }

private:
    F f;
};

TEST(ComplexRK4, LinearSystemFollowsTheRungeKuttaPolynomialWithFourthOrderError)
{
    const cd lambda(0.0, 0.7);
    double previousError = 0.0;
    for (int steps : {20, 40, 80}) {
        const double h = -6.0 / steps;  // backwards, as in the scattering solver
        Probe rk(1, [&](double, const std::vector<cd> &w, std::vector<cd> &d) { d[0] = lambda * w[0]; });
        rk.state()[0] = 1.0;
        for (int s = 0; s < steps; ++s)
            rk.step(h);
        EXPECT_NEAR(rk.position(), -6.0, 1e-12);
        // The classical method multiplies by 1 + z + z^2/2 + z^3/6 + z^4/24 per step.
        const cd z = h * lambda;
        const cd discrete = std::pow(1.0 + z + z * z / 2.0 + z * z * z / 6.0 + z * z * z * z / 24.0, steps);
        EXPECT_LT(std::abs(rk.state()[0] - discrete), 1e-13);
        const double error = std::abs(rk.state()[0] - std::exp(lambda * -6.0));
        if (previousError > 0.0) {
            EXPECT_GT(previousError / error, 15.0);
            EXPECT_LT(previousError / error, 17.0);
        }
        previousError = error;
    }
}

TEST(ComplexRK4, StagesSitAtStartMiddleAndEndOfTheStep)
{
    // f depends on x alone: the step is Simpson's rule, exact for cubics.
    Probe rk(2, [](double x, const std::vector<cd> &, std::vector<cd> &d) {
        d[0] = cd(4.0 * x * x * x, 3.0 * x * x);
        d[1] = 2.0 * x;
    });
    for (int s = 0; s < 8; ++s)
        rk.step(0.25);
    EXPECT_DOUBLE_EQ(rk.position(), 2.0);
    EXPECT_LT(std::abs(rk.state()[0] - cd(16.0, 8.0)), 1e-13);
    EXPECT_LT(std::abs(rk.state()[1] - 4.0), 1e-14);
}

// Transmission of a square barrier of height v0 and width L, with k^2 = c (E - V).
double squareBarrierT(double e, double v0, double c, double width)
{
    const double d = c * (v0 - e);
    const double a = std::sqrt(std::fabs(d));
    const double s = a * width < 1e-8 ? width : (d > 0 ? std::sinh(a * width) : std::sin(a * width)) / a;
    return 1.0 / (1.0 + (c * v0) * (c * v0) * s * s / (4.0 * c * e));
}

TEST(ScatterSolver, ConstantPotentialPassesEverything)
{
    std::vector<double> v(N, 3.0);
    ScatterSolver solver;
    solver.setPotential(v.data());
    for (double e : {3.5, 10.0, 50.0}) {
        // The transmitted wave is an eigenvector of every step, so r vanishes up to rounding.
        const double *res = solver.solve(1000, 100, e, 0.002);
        EXPECT_LT(res[0], 1e-24) << e;
        EXPECT_NEAR(res[1], 1.0, 1e-15) << e;
        EXPECT_EQ(res[2], 0.0);
    }
}

TEST(ScatterSolver, EnergyAtTheLeftHandLevelIsReflectedCompletely)
{
    // Level 3 on the left, 0 on the right, a ramp between.
    std::vector<double> v(N, 0.0);
    for (int i = 0; i < 600; ++i)
        v[i] = i <= 400 ? 3.0 : 3.0 * (600 - i) / 200.0;
    ScatterSolver solver;
    solver.setPotential(v.data());
    const double *res = solver.solve(900, 200, 3.0, 0.002);
    EXPECT_EQ(res[0], 1.0);
    EXPECT_EQ(res[1], 0.0);
    EXPECT_EQ(res[2], 0.0);
    // Below the left-hand level k_L takes |E - V|: still a real pair.
    res = solver.solve(900, 200, 2.0, 0.002);
    EXPECT_TRUE(std::isfinite(res[0]));
    EXPECT_EQ(res[1], 1.0 - res[0]);
}

TEST(ScatterSolver, SquareBarrierMatchesClosedForm)
{
    // Samples 503..747 at 0.5; the linear ramps put the edges at 502.5 and 747.5. Over the span
    // 800 -> 450 the steps are 3.5 long, so both edges fall on step boundaries, where the stages
    // see the mean of both sides, and no stage lands inside a ramp: the solver integrates a sharp
    // barrier of width 245. The Runge-Kutta error here (k h <= 0.035) is a few 1e-9.
    std::vector<double> v(N, 0.0);
    for (int i = 503; i <= 747; ++i)
        v[i] = 0.5;
    ScatterSolver solver;
    solver.setPotential(v.data());
    for (double e : {0.05, 0.25, 0.45, 0.55, 1.0, 2.0}) {
        const double *res = solver.solve(800, 450, e, 1e-4);
        EXPECT_NEAR(res[1], squareBarrierT(e, 0.5, 1e-4, 245.0), 1e-8) << e;
        EXPECT_EQ(res[2], 0.0);
    }
}

TEST(ScatterSolver, SpecialisedLoopAgreesWithGeneralIntegrator)
{
    // A tent and a slope with fractional stage positions (span 731: x accumulates rounding).
    std::vector<double> v(N, 0.0);
    for (int i = 300; i < 700; ++i)
        v[i] = 8.0 - std::fabs(i - 500) * 0.04;
    for (int i = 800; i < 900; ++i)
        v[i] = 7.0 - 0.01 * i;
    v[1050] = 1.5;  // right-hand level
    ScatterSolver fast, literal;
    fast.setPotential(v.data());
    literal.setPotential(v.data());
    for (double e : {0.3, 2.0, 6.0, 7.99, 8.5, 20.0, 1.0}) {  // 1.0 lies below the right level
        for (double c : {0.002, 0.0005}) {
            const double *a = fast.solve(1050, 319, e, c);
            const double *b = literal.solveReference(1050, 319, e, c);
            EXPECT_NEAR(a[0], b[0], 1e-12) << e << " " << c;
            EXPECT_NEAR(a[1], b[1], 1e-12) << e << " " << c;
            EXPECT_EQ(a[2], b[2]);
        }
    }
}

TEST(ScatterSolver, TooWideBarrierFlagsFromTheOverflowingEnergyOn)
{
    std::vector<double> v(N, 0.0);
    for (int i = 451; i <= 799; ++i)
        v[i] = 0.5;
    const double c = 4.0;
    ScatterSolver fresh;
    fresh.setPotential(v.data());
    const double rAlone = fresh.solve(800, 450, 0.6, c)[0];
    ASSERT_FALSE(fresh.overflowed());

    ScatterSolver solver;
    solver.setPotential(v.data());
    for (double e : {0.01, 0.6, 1.0}) {  // 0.6 and 1.0 would pass on their own
        const double *res = solver.solve(800, 450, e, c);
        EXPECT_EQ(res[0], 1.0);
        EXPECT_EQ(res[1], 0.0);
        EXPECT_EQ(res[2], 1.0);
        EXPECT_EQ(solver.solveReference(800, 450, e, c)[2], 1.0);
    }
    solver.setPotential(v.data());
    EXPECT_FALSE(solver.overflowed());
    const double *res = solver.solve(800, 450, 0.6, c);
    EXPECT_EQ(res[2], 0.0);
    EXPECT_DOUBLE_EQ(res[0], rAlone);
}

TEST(ScatterSolver, PotentialIsInterpolatedAndHeldBeyondTheEnds)
{
    std::vector<double> v(N, 0.0);
    v[10] = 2.0;
    v[11] = 6.0;
    v[N - 1] = -1.0;
    ScatterSolver solver;
    EXPECT_TRUE(std::isnan(solver.potentialAt(3.0)));
    solver.setPotential(v.data());
    EXPECT_EQ(solver.potentialAt(10.0), 2.0);
    EXPECT_DOUBLE_EQ(solver.potentialAt(10.25), 3.0);
    EXPECT_DOUBLE_EQ(solver.potentialAt(9.5), 1.0);
    EXPECT_EQ(solver.potentialAt(-3.0), 0.0);
    EXPECT_EQ(solver.potentialAt(N + 5.0), -1.0);
}

TEST(ScatterSolver, DegenerateInputGivesNotANumberInsteadOfCrashing)
{
    std::vector<double> v(N, 1.0);
    ScatterSolver solver;
    EXPECT_TRUE(std::isnan(solver.solve(800, 400, 2.0, 0.002)[0]));  // no potential yet
    solver.setPotential(v.data());
    EXPECT_TRUE(std::isnan(solver.solve(N, 400, 2.0, 0.002)[0]));
    EXPECT_TRUE(std::isnan(solver.solve(800, -1, 2.0, 0.002)[1]));
    // Zero denominator: at E = V the wave is constant, psi' = 0 at both ends.
    EXPECT_TRUE(std::isnan(solver.solve(800, 400, 1.0, 0.002)[0]));
    // Reversed or empty spans take no step.
    EXPECT_FALSE(std::isnan(solver.solve(400, 800, 2.0, 0.002)[0]));
    EXPECT_FALSE(std::isnan(solver.solveReference(400, 400, 2.0, 0.002)[0]));
    ScatterSolver one(0);  // too few components are raised to two
    one.setPotential(v.data(), 10);
    EXPECT_LT(one.solve(9, 0, 2.0, 0.002)[0], 1e-24);
}
} // namespace
