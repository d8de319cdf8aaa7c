#include "scattersolver.h"
#include "scattersweep.h"

#include <gtest/gtest.h>

#include <limits>
#include <vector>

namespace {
constexpr int N = ScatterSolver::GridSize;

struct Point
{
    double r, t, e;
    int index;
};

class RecordingSink : public ScatterSink
{
public:
    void reset() override
    {
        ++resets;
        points.clear();
    }
    void addPoint(double r, double t, double e, int index) override { points.push_back({r, t, e, index}); }
    std::vector<Point> points;
    int resets = 0;
};

// A barrier of height 0.5; zero at both integration ends 800 and 450.
std::vector<double> barrier(int from, int to)
{
    std::vector<double> v(N, 0.0);
    for (int i = from; i <= to; ++i)
        v[i] = 0.5;
    return v;
}

TEST(ScatterSweep, SweepStartsAtTheRightHandLevelAndStepsByAFractionOfTheMaximum)
{
    const std::vector<double> v = barrier(503, 747);
    ScatterSolver solver, single;
    single.setPotential(v.data());
    RecordingSink sink;
    const double eMax = 1.0, c = 1e-4;
    const ScatterSweep::Result res = ScatterSweep::run(solver, v.data(), 800, 450, c, eMax, sink);

    EXPECT_EQ(sink.resets, 1);
    ASSERT_FALSE(sink.points.empty());
    EXPECT_EQ(sink.points[0].r, 1.0);
    EXPECT_EQ(sink.points[0].t, 0.0);
    EXPECT_EQ(sink.points[0].e, 0.0);
    EXPECT_EQ(sink.points[0].index, 0);

    EXPECT_TRUE(res.energies == 1999 || res.energies == 2000) << res.energies;
    EXPECT_EQ(res.points, res.energies + 1);
    EXPECT_EQ(int(sink.points.size()), res.points);
    EXPECT_FALSE(res.overflowed);
    for (int j = 1; j < int(sink.points.size()); ++j) {
        const Point &p = sink.points[j];
        ASSERT_EQ(p.index, j);
        EXPECT_NEAR(p.e, j * eMax * 0.0005, 1e-12);
        EXPECT_EQ(p.r, single.solve(800, 450, p.e, c)[0]);
    }
    EXPECT_LE(sink.points.back().e, eMax);
    EXPECT_GT(sink.points.back().e + eMax * 0.0005, eMax);
}

TEST(ScatterSweep, NoEnergiesWithoutAPositiveFiniteMaximum)
{
    const std::vector<double> v = barrier(503, 747);
    ScatterSolver solver;
    for (double eMax : {0.0, -3.0, std::numeric_limits<double>::quiet_NaN(),
                        std::numeric_limits<double>::infinity()}) {
        RecordingSink sink;
        const ScatterSweep::Result res = ScatterSweep::run(solver, v.data(), 800, 450, 1e-4, eMax, sink);
        EXPECT_EQ(sink.resets, 1);
        ASSERT_EQ(sink.points.size(), 1u);
        EXPECT_EQ(sink.points[0].index, 0);
        EXPECT_EQ(res.energies, 0);
    }
}

TEST(ScatterSweep, OverflowReportsOnceAndFlaggedEnergiesKeepTheirIndex)
{
    const std::vector<double> wide = barrier(451, 799);
    const std::vector<double> v = barrier(503, 747);
    ScatterSolver solver;
    RecordingSink sink;
    int calls = 0;
    ScatterSweep::Result res = ScatterSweep::run(solver, wide.data(), 800, 450, 4.0, 1.0, sink,
                                                 [&] { ++calls; });
    EXPECT_EQ(calls, 1);
    EXPECT_TRUE(res.overflowed);
    EXPECT_EQ(res.points, 1);  // the lowest energy overflows, so every later one is flagged
    EXPECT_GE(res.energies, 1999);

    // Clearing the flag from the report lets later energies through: the flagged energy's
    // index is skipped, not reused.
    calls = 0;
    res = ScatterSweep::run(solver, wide.data(), 800, 450, 4.0, 1.0, sink, [&] {
        ++calls;
        solver.setPotential(v.data());
    });
    EXPECT_EQ(calls, 1);
    ASSERT_GE(sink.points.size(), 3u);
    for (int k = 1; k < int(sink.points.size()); ++k)
        ASSERT_EQ(sink.points[k].index, k + 1);

    // The next sweep starts clean.
    res = ScatterSweep::run(solver, v.data(), 800, 450, 1e-4, 1.0, sink);
    EXPECT_FALSE(res.overflowed);
    EXPECT_EQ(res.points, res.energies + 1);
}

TEST(ScatterSweep, DegenerateSweepsEndWithoutBadPoints)
{
    std::vector<double> v = barrier(503, 747);
    ScatterSolver solver;
    RecordingSink sink;
    // Without a width factor psi stays 1 and psi' 0: every r is 0/0 and gets no point.
    ScatterSweep::Result res = ScatterSweep::run(solver, v.data(), 800, 450, 0.0, 1.0, sink);
    EXPECT_EQ(res.points, 1);
    EXPECT_GE(res.energies, 1999);

    // A right-hand level so low that adding dE no longer moves E: the index cap ends it.
    v[800] = -1e20;
    res = ScatterSweep::run(solver, v.data(), 800, 450, 1e-4, 1.0, sink);
    EXPECT_TRUE(res.truncated);
    EXPECT_EQ(res.energies, ScatterSweep::MaxPoints - 1);
    EXPECT_LT(sink.points.back().index, ScatterSweep::MaxPoints);

    EXPECT_EQ(ScatterSweep::run(solver, nullptr, 800, 450, 1e-4, 1.0, sink).points, 0);
    EXPECT_EQ(ScatterSweep::run(solver, v.data(), N, 450, 1e-4, 1.0, sink).points, 0);
    EXPECT_TRUE(sink.points.empty());
}
} // namespace
