#include "scattersolver.h"
#include "scattersweep.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <vector>

namespace {
struct Sink : ScatterSink
{
    std::vector<std::array<double, 4>> points;  // r, t, e, index
    void reset() override { points.clear(); }
    void addPoint(double r, double t, double e, int index) override { points.push_back({r, t, e, double(index)}); }
};

std::vector<double> barrier(int from, int to)  // height 0.5 on [from, to]
{
    std::vector<double> v(ScatterSolver::GridSize, 0.0);
    for (int i = from; i <= to; ++i)
        v[i] = 0.5;
    return v;
}

TEST(ScatterSweep, FirstPointThenEnergiesInStepsOfAFractionOfTheMaximumAndDegenerateSweeps)
{
    std::vector<double> v = barrier(503, 747);
    ScatterSolver solver;
    Sink sink;
    ScatterSweep::Result res = ScatterSweep::run(solver, v.data(), 800, 450, 1e-4, 1.0, sink);
    EXPECT_TRUE(res.energies == 1999 || res.energies == 2000) << res.energies;
    ASSERT_EQ(int(sink.points.size()), res.energies + 1);
    EXPECT_EQ(sink.points[0], (std::array<double, 4>{1.0, 0.0, 0.0, 0.0}));
    for (int j = 1; j <= res.energies; ++j) {
        ASSERT_EQ(sink.points[j][3], j);
        EXPECT_NEAR(sink.points[j][2], j * 0.0005, 1e-12);
        EXPECT_EQ(sink.points[j][0], solver.solve(800, 450, sink.points[j][2], 1e-4)[0]);
    }
    for (double eMax : {0.0, -3.0, std::nan(""), HUGE_VAL})  // no energies, only the first point
        EXPECT_EQ(ScatterSweep::run(solver, v.data(), 800, 450, 1e-4, eMax, sink).points, 1) << eMax;
    res = ScatterSweep::run(solver, v.data(), 800, 450, 0.0, 1.0, sink);  // c = 0: every r is 0/0
    EXPECT_TRUE(res.points == 1 && res.energies >= 1999) << res.points << " " << res.energies;
    v[800] = -1e20;  // adding dE no longer moves E: the index cap ends the sweep
    res = ScatterSweep::run(solver, v.data(), 800, 450, 1e-4, 1.0, sink);
    EXPECT_TRUE(res.truncated && res.energies == ScatterSweep::MaxPoints - 1) << res.energies;
    EXPECT_EQ(ScatterSweep::run(solver, nullptr, 800, 450, 1e-4, 1.0, sink).points, 0);
    EXPECT_EQ(ScatterSweep::run(solver, v.data(), ScatterSolver::GridSize, 450, 1e-4, 1.0, sink).points, 0);
    EXPECT_TRUE(sink.points.empty());  // reset all the same
}

TEST(ScatterSweep, OverflowReportsOnceAndFlaggedEnergiesKeepTheirIndex)
{
    const std::vector<double> wide = barrier(451, 799), v = barrier(503, 747);
    ScatterSolver solver;
    Sink sink;
    int calls = 0;
    ScatterSweep::Result res = ScatterSweep::run(solver, wide.data(), 800, 450, 4.0, 1.0, sink, [&] { ++calls; });
    EXPECT_TRUE(calls == 1 && res.overflowed && res.points == 1) << calls << " " << res.points;  // all flagged
    // A report that clears the flag lets later energies through; the flagged index stays unused.
    ScatterSweep::run(solver, wide.data(), 800, 450, 4.0, 1.0, sink, [&] { solver.setPotential(v.data()); });
    ASSERT_GE(sink.points.size(), 3u);
    for (std::size_t k = 1; k < sink.points.size(); ++k)
        ASSERT_EQ(sink.points[k][3], double(k + 1));
    EXPECT_FALSE(ScatterSweep::run(solver, v.data(), 800, 450, 1e-4, 1.0, sink).overflowed);  // clean again
}
} // namespace
