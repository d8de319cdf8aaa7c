// SPDX-License-Identifier: GPL-3.0-or-later
#include "physics/grid.h"
#include "physics/eigensolver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <sstream>
#include <utility>
#include <vector>

namespace {
constexpr int N = GridPoints;
const double Pi = std::acos(-1.0);
using Pot = std::vector<double>;
std::ostream sink(nullptr);
int countBelow(const Pot &V, double E) // Sturm count of eigenvalues of 20000*T + diag(V) below E (LDL^T pivots)
{
    int c = 0;
    double q = 1.0;
    for (int i = 0; i < N; ++i) {
        q = 2.0 + (V[i] - E) / 20000.0 - (i > 0 ? 1.0 / q : 0.0);
        c += (q = q == 0.0 ? -1e-300 : q) < 0.0;
    }
    return c;
}
double plainDet(const Pot &V, double E) // the characteristic determinant by the plain recurrence
{
    double prev = 0.0, d = 1.0;
    for (int i = 0; i < N; ++i)
        prev = std::exchange(d, ((2 * V[i] - 2 * E) / 40000.0 + 2.0) * d - prev);
    return d;
}
double box(int n, int points) { return 40000.0 * (1.0 - std::cos(n * Pi / points)); } // free states
Pot wells(int from, int to, double inside, double outside, int from2 = 0, int to2 = 0, double inside2 = 0)
{
    Pot V(N, outside);
    std::fill(V.begin() + from, V.begin() + to, inside);
    std::fill(V.begin() + from2, V.begin() + to2, inside2);
    return V;
}

TEST(EigenSolver, FlatPotentialsTwoSineStatesTraceScanPointsAndAZeroStoredOnce)
{
    const double amp = std::sqrt(400000.0 * 2.0 / 1025.0); // 27.94: the sum of sin^2 over the grid is 1025/2
    for (double v : {0.0, 0.37, -250.5, 1234.25}) {
        SCOPED_TRACE(::testing::Message() << "level " << v);
        std::vector<std::pair<double, double>> traced; // eigenvalue, determinant there
        EigenSolver s(Pot(N, v).data(), [&traced](double e, double det) { traced.emplace_back(e, det); });
        const EigenSolver::BoundStates &states = s.boundStates();
        ASSERT_EQ(s.getEigenCount(), 2);
        ASSERT_EQ(states.energies.size(), 2u);
        ASSERT_EQ(traced.size(), 2u) << "one report per eigenvalue";
        for (int k = 0; k < 2; ++k) {
            EXPECT_NEAR(states.energies[k], v + box(k + 1, 1025), 1e-9 * std::max(1.0, std::fabs(v))) << k;
            EXPECT_EQ(s.eigenValue(k), states.energies[k]) << k;
            EXPECT_EQ(traced[k].first, states.energies[k]) << k;
            EXPECT_EQ(traced[k].second, plainDet(Pot(N, v), states.energies[k])) << k;
            double e = 0.0;
            const std::vector<double> psi = states.eigenFunction(k);
            EXPECT_EQ(psi, s.getEigenFunction(k, &e)) << k;
            EXPECT_EQ(e, states.energies[k]) << k;
            ASSERT_EQ(psi.size(), 1025u);
            EXPECT_EQ(psi[1024], 0.0) << "the wall";
            EXPECT_NEAR(std::inner_product(psi.begin(), psi.end(), psi.begin(), 0.0), 400000.0, 1e-6);
            for (int j = 0; j < N; ++j)
                ASSERT_NEAR(std::fabs(psi[j]), amp * std::fabs(std::sin((j + 1) * (k + 1) * Pi / 1025.0)), 1e-4) << j;
        }
    }
    // The trace on a stream, by default standard output: as the plain scan finds the zero potential's states.
    std::ostringstream trace, expect;
    const EigenSolver zero(Pot(N, 0.0).data(), trace);
    EXPECT_EQ(zero.eigenValue(0), 0x1.80c77bb28550ep-3);
    EXPECT_EQ(zero.eigenValue(1), 0x1.80c74079a2d2dp-1);
    expect << "EW=0.18788 det=" << plainDet(Pot(N, 0.0), zero.eigenValue(0)) << "\nEW=0.75152 det="
           << plainDet(Pot(N, 0.0), zero.eigenValue(1)) << "\n";
    EXPECT_EQ(trace.str(), expect.str());
    for (double e0 : {-70000.3, -1.05, -0.37, 0.0, 3.0, 12345.678, 4.5e9, -2.0e7}) {
        double E = e0 + 0.1;
        for (std::int64_t n = 1; n <= 300000; ++n, E += 0.1) // scan points against repeated addition
            if (n <= 10 || n == 999 || n % 40000 == 0) {
                ASSERT_EQ(EigenSolver::scanPoint(e0, n), E) << e0 << '/' << n;
            }
    }
    EXPECT_EQ(EigenSolver::scanPoint(1e17, 1000), 1e17); // 0.1 below half an ulp: the sum stops
    // With d_i = 1 every third minor vanishes, so d_1023 = 0 gives D = 0 exactly at scan point E: stored once.
    double E = -60000.0;
    std::int64_t steps = 0;
    for (; !(E > -20000.0 && (E - 20000.0) + 20000.0 == E && (E - 40000.0) + 40000.0 == E); ++steps)
        E += 0.1;
    const Pot V = wells(1022, 1023, -60000.0, E - 20000.0, 1023, 1024, E - 40000.0); // D_1021 = 0 hides d_1022
    ASSERT_EQ(plainDet(V, E), 0.0);
    ASSERT_EQ(EigenSolver::scanPoint(-60000.0, steps), E);
    const EigenSolver s(V.data(), EigenSolver::Trace());
    const std::vector<double> &found = s.boundStates().energies;
    EXPECT_EQ(std::count(found.begin(), found.end(), E), 1) << "stored once";
}

TEST(EigenSolver, WellsMatchTheSturmCountAndTheGridEquationUnusableSamplesGiveNone)
{
    Pot h(N), g(N); // harmonic; g reaches below 0
    for (int i = 0; i < N; ++i)
        h[i] = 0.002 * (i - 511.5) * (i - 511.5), g[i] = 0.0004 * (i - 511.5) * (i - 511.5) - 300.0;
    // Square and double wells (false position from below); the symmetric double well of the
    // tunnel splitting and a double barrier with mirrored outer regions hold pairs far closer
    // than the 0.1 step: 55 and 54 eigenvalues, of which a plain scan finds 33 and 32. The triple
    // well puts three into one step. In the last double well the lowest pair lies on both sides
    // of a scan point, where plain false position would crawl towards the root.
    const Pot dw = wells(201, 450, -400.0, 0.0, 575, 824, -400.0), db = wells(300, 360, 300.0, 0.0, 664, 724, 300.0);
    Pot tw = wells(100, 300, -400.0, 0.0, 400, 600, -400.0);
    std::fill(tw.begin() + 700, tw.begin() + 900, -400.0);
    // A barrier of 1e6, where the plain recurrence overflows, and a potential with more than the 500
    // eigenvalues kept (all box states lie below the limit 2e5 + 1).
    for (const Pot &V : {h, g, wells(380, 640, 0.0, 300.0), wells(100, 300, -150.0, 120.0),
                         wells(200, 450, 0.0, 400.0, 560, 810, 0.0), wells(200, 380, -400.0, 0.0, 560, 820, -397.0), dw, db,
                         tw, wells(356, 463, 0.0, 100.0, 561, 668, 0.0), wells(400, 520, 0.0, 1e6), wells(700, 701, 1e5, 0.0)}) {
        std::ostringstream trace;
        EigenSolver s(V.data(), trace);
        // Every eigenvalue below E_lim is found (the 500 lowest at most), the k-th within 1e-9 (relative)
        // of eigenvalue k by the independent count.
        const auto range = std::minmax_element(V.begin(), V.end());
        const double eLim = 2 * (*range.second - *range.first) + *range.first + 1.0;
        ASSERT_EQ(s.getEigenCount(), std::min(countBelow(V, eLim), int(EigenSolver::MaxEigen)));
        for (int k = 0; k < s.getEigenCount(); ++k) {
            const double x = s.eigenValue(k), tol = 1e-9 * std::max(1.0, std::fabs(x));
            EXPECT_LE(countBelow(V, x - tol), k) << "eigenvalue " << k << " too high: " << x;
            EXPECT_GT(countBelow(V, x + tol), k) << "eigenvalue " << k << " too low: " << x;
        }
        const std::string text = trace.str(); // one line per eigenvalue
        EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), s.getEigenCount());
        EXPECT_EQ(text.rfind("EW=", 0), 0u) << text.substr(0, 40);
        EXPECT_EQ(text.find("nan"), std::string::npos) << text;
        EXPECT_EQ(s.determinant(V[0] + 1.23), plainDet(V, V[0] + 1.23)); // no rescaling in range
        for (double E : {-5.0, 37.3, 5e4, 9.99e5, 1.5e6}) // where the plain recurrence overflows too: exact signs
            EXPECT_EQ(s.determinant(E) < 0 ? 1 : s.determinant(E) > 0 ? 0 : -1, countBelow(V, E) % 2) << E;
    }
    // The close pairs and the triple are real, and the last potential holds more than 500 eigenvalues.
    EXPECT_EQ(countBelow(dw, EigenSolver(dw.data(), sink).eigenValue(0) + 1e-7), 2);
    EXPECT_EQ(countBelow(db, EigenSolver(db.data(), sink).eigenValue(1) + 1e-6), 3);
    EXPECT_EQ(countBelow(tw, EigenSolver(tw.data(), sink).eigenValue(0) + 1e-3), 3);
    EXPECT_GT(countBelow(wells(700, 701, 1e5, 0.0), 2e5 + 1.0), int(EigenSolver::MaxEigen));
    // Square wells whose states decay into a wide left barrier, up to walls where the recurrence
    // swamps them with the solution growing towards the left wall or rescales them to nothing, and
    // (W < 0) a double well whose states k = 1, 2, 9 it swamps: each state has the norm, solves the
    // grid equation wherever it is not negligible and has k nodes there (in the double well some lie
    // where it is negligible). At 1e8 it is the box's sine.
    for (double W : {250.0, 1e4, 3e4, 3e5, 1e8, -1.0}) {
        const Pot V = W > 0 ? wells(600, 900, 0.0, W) : wells(0, 180, -400.0, 0.0, 560, 820, -397.0);
        EigenSolver s(V.data(), sink);
        for (int k : {0, 1, 2, 9}) {
            double e = 0.0, top = 0.0, res = 0.0, sum = 0.0;
            const std::vector<double> p = s.getEigenFunction(k, &e);
            for (double x : p)
                top = std::max(top, std::fabs(x)), sum += x * x;
            int nodes = 0;
            for (int i = 0, last = 0; i < N; ++i)
                if (std::fabs(p[i]) > 1e-6 * top) {
                    nodes += last * p[i] < 0, last = p[i] > 0 ? 1 : -1;
                    res = std::max(res, std::fabs((2 + (V[i] - e) / 20000) * p[i] - (i > 0 ? p[i - 1] : 0.0) - p[i + 1]));
                }
            SCOPED_TRACE(::testing::Message() << "walls " << W << ", state " << k);
            EXPECT_EQ(p.size(), 1025u);
            EXPECT_EQ(p[1024], 0.0) << "the wall";
            EXPECT_NEAR(sum, 400000.0, 1e-6) << "norm";
            EXPECT_LT(res, 1e-10 * top) << "grid equation";
            if (W > 0) {
                EXPECT_EQ(nodes, k);
            }
            for (int j = 600; j < 900 && W == 1e8; ++j)
                ASSERT_NEAR(std::fabs(p[j]), std::sqrt(800000 / 301.0) * std::fabs(std::sin((j - 599) * (k + 1) * Pi / 301)), 5e-3);
        }
    }
    // Unusable samples: no eigenvalues and no trace; infinite walls: the free points decouple.
    std::ostringstream trace;
    EXPECT_EQ(EigenSolver(wells(17, 18, std::nan(""), 0.0).data(), trace).getEigenCount(), 0);
    Pot pit = wells(500, 530, 0.0, HUGE_VAL, 100, 101, -HUGE_VAL); // a bottomless pit: nothing to scan
    EXPECT_EQ(EigenSolver(pit.data(), trace).getEigenCount(), 0);
    EigenSolver nul(nullptr, trace);
    EXPECT_EQ(nul.getEigenCount(), 0);
    EXPECT_TRUE(nul.boundStates().energies.empty());
    EXPECT_EQ(nul.eigenValue(3), 0.0);
    EXPECT_EQ(nul.getEigenFunction(0, nullptr), Pot(1025));
    EXPECT_EQ(nul.boundStates().eigenFunction(0), Pot(1025));
    EXPECT_EQ(trace.str(), "");
    pit[100] = HUGE_VAL;
    EigenSolver walls(pit.data(), sink);
    for (int n = 1; n <= 5; ++n)
        EXPECT_NEAR(walls.eigenValue(n - 1), box(n, 31), 1e-9 * box(n, 31)) << n;
}

TEST(EigenSolver, TheEvolutionsScaleGivesItsBoxStatesAndTheTraceNamesTheParticle)
{
    // (S/2) T with S = 10000: 5000 (2 - 2 cos(n pi / 1025)), four of them below the limit 1; the
    // eigenfunctions keep the window's norm. A scale that is no positive number is the window's.
    std::ostringstream trace;
    const EigenSolver s(Pot(N, 0.0).data(), EigenSolver::EvolutionScale,
                        EigenSolver::traceLines(trace, " (Teilchen wie in der Zeitentwicklung)"));
    ASSERT_EQ(s.getEigenCount(), 4);
    for (int n = 1; n <= 4; ++n) {
        EXPECT_NEAR(s.eigenValue(n - 1), box(n, 1025) / 4, 1e-12) << n;
        const std::vector<double> psi = s.getEigenFunction(n - 1, nullptr);
        EXPECT_NEAR(std::inner_product(psi.begin(), psi.end(), psi.begin(), 0.0), 400000.0, 1e-6) << n;
        EXPECT_NEAR(std::fabs(psi[511]), std::sqrt(800000.0 / 1025.0) * std::fabs(std::sin(512 * n * Pi / 1025.0)), 1e-6) << n;
    }
    std::istringstream lines(trace.str());
    int count = 0;
    for (std::string line; std::getline(lines, line); ++count)
        EXPECT_EQ(line.substr(line.size() - 38), " (Teilchen wie in der Zeitentwicklung)") << line;
    EXPECT_EQ(count, 4);
    for (double bad : {0.0, -1.0, std::nan("")})
        EXPECT_EQ(EigenSolver(Pot(N, 0.0).data(), bad, EigenSolver::Trace()).getEigenCount(), 2) << bad;
}

// The sign changes of psi where it is not negligible (above 1e-6 of its peak), and the largest miss
// of the grid equation there, relative to the peak.
std::pair<int, double> nodesAndResidual(const Pot &V, const std::vector<double> &p, double e)
{
    const double top = std::fabs(*std::max_element(p.begin(), p.end(), [](double a, double b) { return std::fabs(a) < std::fabs(b); }));
    int nodes = 0;
    double res = 0.0;
    for (int i = 0, last = 0; i < N; ++i)
        if (std::fabs(p[i]) > 1e-6 * top) {
            nodes += last * p[i] < 0, last = p[i] > 0 ? 1 : -1;
            res = std::max(res, std::fabs((2 + (V[i] - e) / 20000) * p[i] - (i > 0 ? p[i - 1] : 0.0) - p[i + 1]));
        }
    return {nodes, res / top};
}

double overlap(const std::vector<double> &a, const std::vector<double> &b) // relative to the norm 400000
{
    return std::inner_product(a.begin(), a.end(), b.begin(), 0.0) / 400000.0;
}

TEST(EigenSolver, PairsOfMirroredWellsComeBackSymmetricAndAntisymmetricOrthogonalWithTheirNodes)
{
    // Double wells mirrored to the last bit, with barriers up to the drawing's full height, and two
    // equal boxes behind walls of 1e6: the partners of a pair split by less than the eigenvalues'
    // precision (equal to the last digit here), yet state k is symmetric for even k and
    // antisymmetric for odd k, exactly, orthogonal to its neighbours, with k nodes, and solves the
    // grid equation.
    const Pot issue = wells(262, 412, -240.0, 240.0, 612, 762, -240.0); // barrier 480 high
    const Pot full = wells(200, 450, -540.0, 540.0, 574, 824, -540.0);  // barrier 1080 high
    const Pot boxes = wells(100, 300, 0.0, 1e6, 724, 924, 0.0);
    for (const auto &[V, count] : {std::pair{&issue, 56}, {&full, 91}, {&boxes, 60}}) {
        const EigenSolver s(V->data(), sink);
        ASSERT_GE(s.getEigenCount(), count);
        EXPECT_EQ(s.eigenValue(0), s.eigenValue(1)) << "the lowest pair cannot be told apart by its energies";
        std::vector<double> before;
        for (int k = 0; k < count; ++k) {
            SCOPED_TRACE(::testing::Message() << "barrier " << (*V)[0] << ", state " << k);
            double e = 0.0;
            const std::vector<double> p = s.getEigenFunction(k, &e);
            int mirrored = 0;
            for (int i = 0; i < N; ++i)
                mirrored += p[N - 1 - i] == (k % 2 ? -p[i] : p[i]);
            EXPECT_EQ(mirrored, N) << (k % 2 ? "antisymmetric" : "symmetric");
            const auto [nodes, res] = nodesAndResidual(*V, p, e);
            EXPECT_EQ(nodes, k);
            EXPECT_LT(res, 1e-10) << "grid equation";
            if (k > 0) {
                EXPECT_LT(std::fabs(overlap(before, p)), 1e-8) << "overlap with state " << k - 1;
            }
            before = p;
        }
    }
}

TEST(EigenSolver, CloseAndDistantNeighboursOfUnequalWellsAreOrthogonal)
{
    // Not mirrored: wells of unequal depth (pairs 1e-3 apart, which the recurrence from the right
    // wall alone left overlapping by up to 7e-4) or width (pairs 0.02 to 1 apart, left overlapping
    // by 2e-5, and neighbours 20 apart by 2e-7): every state is orthogonal to its neighbours to
    // 1e-8 and solves the grid equation.
    const Pot depth = wells(200, 450, 0.0, 500.0, 574, 824, 0.001);
    const Pot width = wells(200, 450, 0.0, 500.0, 574, 823, 0.0);
    const Pot third = wells(200, 450, 0.0, 300.0, 574, 823, 0.0);
    for (const Pot *V : {&depth, &width, &third}) {
        const EigenSolver s(V->data(), sink);
        ASSERT_GT(s.getEigenCount(), 40);
        std::vector<double> before;
        for (int k = 0; k < s.getEigenCount(); ++k) {
            SCOPED_TRACE(::testing::Message() << "barrier " << (*V)[0] << ", right well " << (*V)[600] << ", state " << k);
            double e = 0.0;
            const std::vector<double> p = s.getEigenFunction(k, &e);
            EXPECT_NEAR(std::inner_product(p.begin(), p.end(), p.begin(), 0.0), 400000.0, 1e-6) << "norm";
            EXPECT_LT(nodesAndResidual(*V, p, e).second, 1e-10) << "grid equation";
            if (k > 0) {
                EXPECT_LT(std::fabs(overlap(before, p)), 1e-8) << "overlap with state " << k - 1;
            }
            before = p;
        }
    }
}
} // namespace
