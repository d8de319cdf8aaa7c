#include "scattersolver.h"
#include "scattersweep.h"
#include "scatterreference.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <vector>

namespace {
constexpr int N = ScatterSolver::GridSize;
struct Sink : ScatterSink
{
    std::vector<std::array<double, 4>> points;  // r, t, e, index
    void reset() override { points.clear(); }
    void addPoint(double r, double t, double e, int index) override { points.push_back({r, t, e, double(index)}); }
};

std::vector<double> barrier(int from, int to, double height = 0.5)  // height on [from, to]
{
    std::vector<double> v(N, 0.0);
    for (int i = from; i <= to; ++i)
        v[i] = height;
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
    for (int j = 1; j <= res.energies; ++j) {  // side by side in the sweep, as one at a time
        ASSERT_EQ(sink.points[j][3], j);
        EXPECT_NEAR(sink.points[j][2], j * 0.0005, 1e-12);
        EXPECT_EQ(sink.points[j][0], solver.solve(800, 450, sink.points[j][2], 1e-4)[0]);
    }
    for (double eMax : {0.0, -3.0, std::nan(""), HUGE_VAL})  // no energies, only the first point
        EXPECT_EQ(ScatterSweep::run(solver, v.data(), 800, 450, 1e-4, eMax, sink).points, 1) << eMax;
    res = ScatterSweep::run(solver, v.data(), 800, 450, 0.0, 1.0, sink);  // c = 0: every r is 0/0
    EXPECT_TRUE(res.points == 1 && res.energies >= 1999) << res.points << " " << res.energies;
    v[800] = -1e20;  // adding dE no longer moves E: the index cap ends the sweep
    v[450] = -2e20;
    res = ScatterSweep::run(solver, v.data(), 800, 450, 1e-4, 1.0, sink);
    EXPECT_TRUE(res.truncated && res.energies == ScatterSweep::MaxPoints - 1) << res.energies;
    EXPECT_EQ(ScatterSweep::run(solver, nullptr, 800, 450, 1e-4, 1.0, sink).points, 0);
    EXPECT_EQ(ScatterSweep::run(solver, v.data(), ScatterSolver::GridSize, 450, 1e-4, 1.0, sink).points, 0);
    EXPECT_TRUE(sink.points.empty());  // reset all the same
}

TEST(ScatterSweep, NoPointBelowTheLeftLevelOrForFlaggedEnergiesAndTheHooksReportOnce)
{
    ScatterSolver solver;
    Sink sink;
    std::vector<double> step = barrier(0, 599, 0.5);  // 0.5 on the left, 0 on the right
    ScatterSweep::Result res = ScatterSweep::run(solver, step.data(), 600, 599, 0.002, 1.0, sink);
    ASSERT_GT(sink.points.size(), 900u);
    EXPECT_EQ(res.points, int(sink.points.size()));
    EXPECT_EQ(sink.points[1][3], std::round(sink.points[1][2] / 0.0005));  // indices below 0.5 stay unused
    for (std::size_t k = 1; k < sink.points.size(); ++k)
        ASSERT_TRUE(sink.points[k][2] >= 0.5 && sink.points[k][0] <= 1.0 && sink.points[k][3] == sink.points[1][3] + k - 1);

    int overflows = 0, unresolved = 0;
    std::vector<double> shares;
    ScatterSweep::Hooks hooks{[&] { ++overflows; }, [&] { ++unresolved; }, [&](double f) { shares.push_back(f); return true; }};
    const std::vector<double> wide = barrier(451, 799);  // far too wide for c = 4: every energy flagged
    res = ScatterSweep::run(solver, wide.data(), 800, 450, 4.0, 1.0, sink, hooks);
    EXPECT_TRUE(overflows == 1 && unresolved == 0 && res.overflowed && res.points == 1 && res.energies >= 1999);
    ASSERT_GE(shares.size(), 2000u / 16);
    EXPECT_TRUE(std::is_sorted(shares.begin(), shares.end()) && shares.front() > 0.0 && shares.back() == 1.0);
    std::vector<double> pit(N, 0.0);
    pit[600] = -1e9;  // too many steps for every energy
    res = ScatterSweep::run(solver, pit.data(), 601, 599, 1.0, 1.0, sink, hooks);
    EXPECT_TRUE(overflows == 1 && unresolved == 1 && res.unresolved && res.points == 1);
    hooks.progress = [](double) { return false; };  // stop at the first report
    res = ScatterSweep::run(solver, barrier(503, 747).data(), 800, 450, 1e-4, 1.0, sink, hooks);
    EXPECT_TRUE(res.cancelled && !res.truncated && res.energies == 16 && res.points == 17) << res.energies;
}

TEST(ScatterSweep, DrawnLikePotentialStaysPhysicalAndAccurateOverWholeSweeps)
{
    // Tents and plateaus between -50 and +50 as the pens draw them, different levels at both ends.
    std::vector<double> v(N, 0.0);
    unsigned seed = 12345;
    auto next = [&seed](int n) { return int((seed = seed * 1103515245u + 12345u) >> 16) % n; };
    for (int stroke = 0; stroke < 8; ++stroke) {
        const int at = 100 + next(1000), w = 5 + next(120);
        const double h = 0.1 * (next(1001) - 500);
        for (int i = std::max(100, at - w); i < std::min(1100, at + w); ++i)
            v[i] = stroke % 2 ? h : h * (1.0 - std::fabs(i - at) / double(w));
    }
    std::fill(v.begin() + 1100, v.end(), v[1099]);
    std::fill(v.begin(), v.begin() + 100, 4.0);
    int right = N - 1, left = 0;
    while (v[right] == v[right - 1])
        --right;
    while (v[left] == v[left + 1])
        ++left;
    ScatterSolver solver;
    Sink sink;
    for (double c : {0.0002, 0.002}) {
        ScatterSweep::run(solver, v.data(), right, left, c, 100.0, sink);
        ASSERT_GT(sink.points.size(), 1000u);
        for (std::size_t k = 1; k < sink.points.size(); ++k) {
            const auto &p = sink.points[k];
            ASSERT_TRUE(p[0] >= 0.0 && p[0] <= 1.0 + 1e-9 && p[2] >= v[left]) << p[0] << " at " << p[2];
            if (k % 199 == 0) {
                EXPECT_NEAR(p[1], transferReference(v, right, left, p[2], c).t, 1e-4) << c << " E=" << p[2];
            }
        }
    }
}
} // namespace
