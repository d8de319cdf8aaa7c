// SPDX-License-Identifier: GPL-3.0-or-later
// The bound states of the eigenfunction window and the export's eigen / eigenfunctions:
//   energies        -> all of (S/2) T + V below 2 (Vmax - Vmin) + Vmin + 1, to 1e-9 of a Sturm count; 500 at most
//   trace           -> one "EW=<E> det=<D>" line per eigenvalue, a suffix if asked
//   samples         -> NaN: no states; +-inf: walls and pits
//   eigenfunction k -> 1025 values, norm 400000, grid equation, k nodes, orthogonal, right lobe up, mirrored
//   kinetic scale   -> S = 10000 for the evolution's particle; not positive: 40000
#include "physics/grid.h"
#include "physics/eigensolver.h"
#include "coretestutil.h"

namespace {
using namespace coretest;
std::ostream sink(nullptr);
int countBelow(const Pot &V, double E) { return coretest::countBelow(V, 40000.0, 20000.0, E); } // of 20000 T + diag(V)
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

TEST(EigenSolver, FlatPotentialsTwoSineStatesAndTheTrace)
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
            for (int j = 0; j < N; ++j) // one and two arcs, the last upwards
                ASSERT_NEAR(psi[j], amp * std::sin((j + 1) * (k + 1) * Pi / 1025.0) * (k ? -1 : 1), 1e-4) << j;
        }
        for (int k : {-1, 2}) {
            EXPECT_EQ(s.eigenValue(k), 0.0) << k;
            EXPECT_EQ(s.getEigenFunction(k, nullptr), Pot(1025)) << k;
        }
    }
    // The trace on a stream: as the plain scan finds the zero potential's states.
    std::ostringstream trace, expect;
    const EigenSolver zero(Pot(N, 0.0).data(), trace);
    expect << "EW=0.18788 det=" << plainDet(Pot(N, 0.0), zero.eigenValue(0)) << "\nEW=0.75152 det="
           << plainDet(Pot(N, 0.0), zero.eigenValue(1)) << "\n";
    EXPECT_EQ(trace.str(), expect.str());
}

TEST(EigenSolver, EveryEigenvalueBelowTheLimitByTheSturmCountUnusableSamplesGiveNone)
{
    Pot h(N), g(N); // harmonic; g reaches below 0
    for (int i = 0; i < N; ++i)
        h[i] = 0.002 * (i - 511.5) * (i - 511.5), g[i] = 0.0004 * (i - 511.5) * (i - 511.5) - 300.0;
    // Wells; pairs (dw, db) and a triple (tw) inside one 0.1 scan step; a pair astride a scan point;
    // a barrier of 1e6 (plain recurrence overflows); a spike of 1e5 with over 500 eigenvalues.
    const Pot dw = wells(201, 450, -400.0, 0.0, 575, 824, -400.0), db = wells(300, 360, 300.0, 0.0, 664, 724, 300.0);
    Pot tw = wells(100, 300, -400.0, 0.0, 400, 600, -400.0);
    std::fill(tw.begin() + 700, tw.begin() + 900, -400.0);
    for (const Pot &V : {h, g, wells(380, 640, 0.0, 300.0), wells(100, 300, -150.0, 120.0),
                         wells(200, 450, 0.0, 400.0, 560, 810, 0.0), wells(200, 380, -400.0, 0.0, 560, 820, -397.0), dw, db,
                         tw, wells(356, 463, 0.0, 100.0, 561, 668, 0.0), wells(400, 520, 0.0, 1e6), wells(700, 701, 1e5, 0.0)}) {
        std::ostringstream trace;
        EigenSolver s(V.data(), trace);
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
    // The close pairs and the triple are real, and the spike has more than 500 eigenvalues.
    EXPECT_EQ(countBelow(dw, EigenSolver(dw.data(), sink).eigenValue(0) + 1e-7), 2);
    EXPECT_EQ(countBelow(db, EigenSolver(db.data(), sink).eigenValue(1) + 1e-6), 3);
    EXPECT_EQ(countBelow(tw, EigenSolver(tw.data(), sink).eigenValue(0) + 1e-3), 3);
    EXPECT_GT(countBelow(wells(700, 701, 1e5, 0.0), 2e5 + 1.0), int(EigenSolver::MaxEigen));
    // Unusable samples: no eigenvalues and no trace; infinite walls: the free points decouple.
    std::ostringstream trace;
    EXPECT_EQ(EigenSolver(wells(17, 18, std::nan(""), 0.0).data(), trace).getEigenCount(), 0);
    Pot pit = wells(500, 530, 0.0, HUGE_VAL, 100, 101, -HUGE_VAL); // a bottomless pit: nothing to scan
    EXPECT_EQ(EigenSolver(pit.data(), trace).getEigenCount(), 0);
    EigenSolver nul(nullptr, trace);
    EXPECT_EQ(nul.getEigenCount(), 0);
    EXPECT_TRUE(nul.boundStates().energies.empty());
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
    // (S/2) T with S = 10000: four box states below the limit 1.
    std::ostringstream trace;
    const EigenSolver s(Pot(N, 0.0).data(), EigenSolver::EvolutionScale,
                        EigenSolver::traceLines(trace, " (Teilchen wie in der Zeitentwicklung)"));
    ASSERT_EQ(s.getEigenCount(), 4);
    EXPECT_NEAR(s.eigenValue(3), box(4, 1025) / 4, 1e-12);
    const double amp = std::sqrt(800000.0 / 1025.0) * std::fabs(std::sin(2048 * Pi / 1025.0)); // the window's norm
    EXPECT_NEAR(std::fabs(s.getEigenFunction(3, nullptr)[511]), amp, 1e-6);
    std::istringstream lines(trace.str());
    int count = 0;
    for (std::string line; std::getline(lines, line); ++count)
        EXPECT_EQ(line.substr(line.size() - 38), " (Teilchen wie in der Zeitentwicklung)") << line;
    EXPECT_EQ(count, 4);
    for (double bad : {0.0, -1.0, std::nan("")})
        EXPECT_EQ(EigenSolver(Pot(N, 0.0).data(), bad, EigenSolver::Trace()).getEigenCount(), 2) << bad;
}

TEST(EigenSolver, EigenfunctionsSolveTheGridEquationWithTheirNodesOrthogonalAndSignedOnEveryPath)
{
    // Every path a state is made by: the recurrence, its replacement (walls to 1e8, a swamped double well),
    // mirrored potentials (pairs equal to the last digit), unequal wells' clusters. `states` empty: all;
    // `lobe`: the last lobe above 1e-3 of the peak is up (not for a state alone in the left of unequal wells).
    struct Case
    {
        const char *what;
        Pot V;
        std::vector<int> states;
        bool nodes, mirrored, lobe = true;
    };
    const auto upTo = [](int n) { std::vector<int> k(n); std::iota(k.begin(), k.end(), 0); return k; };
    std::vector<Case> cases;
    for (double W : {250.0, 1e4, 3e4, 3e5, 1e8})
        cases.push_back({"walls", wells(600, 900, 0.0, W), {0, 1, 2, 9}, true, false});
    cases.push_back({"swamped double well", wells(0, 180, -400.0, 0.0, 560, 820, -397.0), {0, 1, 2, 9}, false, false});
    cases.push_back({"mirrored, barrier 480", wells(262, 412, -240.0, 240.0, 612, 762, -240.0), upTo(56), true, true});
    cases.push_back({"mirrored, barrier 1080", wells(200, 450, -540.0, 540.0, 574, 824, -540.0), upTo(91), true, true});
    cases.push_back({"mirrored boxes", wells(100, 300, 0.0, 1e6, 724, 924, 0.0), upTo(60), true, true});
    cases.push_back({"unequal depth", wells(200, 450, 0.0, 500.0, 574, 824, 0.001), {}, false, false});
    cases.push_back({"unequal width", wells(200, 450, 0.0, 500.0, 574, 823, 0.0), {}, false, false, false});
    cases.push_back({"unequal width, lower", wells(200, 450, 0.0, 300.0, 574, 823, 0.0), {}, false, false, false});
    for (Case &c : cases) {
        const EigenSolver s(c.V.data(), sink);
        ASSERT_GT(s.getEigenCount(), c.states.empty() ? 40 : c.states.back()) << c.what;
        if (c.mirrored) {
            EXPECT_EQ(s.eigenValue(0), s.eigenValue(1)) << c.what << ": the lowest pair, equal in every digit";
        }
        if (c.states.empty())
            for (int k = 0; k < s.getEigenCount(); ++k)
                c.states.push_back(k);
        std::vector<double> before;
        for (std::size_t n = 0; n < c.states.size(); ++n) {
            const int k = c.states[n];
            SCOPED_TRACE(::testing::Message() << c.what << " " << c.V[0] << ", state " << k);
            double e = 0.0;
            const std::vector<double> p = s.getEigenFunction(k, &e);
            ASSERT_EQ(p.size(), 1025u);
            EXPECT_EQ(p[1024], 0.0) << "the wall";
            EXPECT_NEAR(std::inner_product(p.begin(), p.end(), p.begin(), 0.0), 400000.0, 1e-6) << "norm";
            const double top = absMax(p);
            int nodes = 0, last = 0, mirrored = 0, lobe = 0;
            double res = 0.0;
            for (int i = 0; i < N; ++i) {
                mirrored += p[N - 1 - i] == (k % 2 ? -p[i] : p[i]);
                lobe = std::fabs(p[i]) > 1e-3 * top ? (p[i] > 0 ? 1 : -1) : lobe;
                if (std::fabs(p[i]) > 1e-6 * top) { // where it is not negligible
                    nodes += last * p[i] < 0, last = p[i] > 0 ? 1 : -1;
                    res = std::max(res, std::fabs((2 + (c.V[i] - e) / 20000) * p[i] - (i > 0 ? p[i - 1] : 0.0) - p[i + 1]));
                }
            }
            EXPECT_LT(res, 1e-10 * top) << "grid equation";
            if (c.lobe) {
                EXPECT_EQ(lobe, 1) << "positive towards the right wall";
            }
            if (c.nodes) {
                EXPECT_EQ(nodes, k);
            }
            if (c.mirrored) {
                EXPECT_EQ(mirrored, N) << (k % 2 ? "antisymmetric" : "symmetric");
            }
            if (n > 0 && c.states[n - 1] == k - 1) {
                EXPECT_LT(std::fabs(std::inner_product(before.begin(), before.end(), p.begin(), 0.0)), 4e-3) << "overlap with " << k - 1;
            }
            for (int j = 600; j < 900 && c.V[0] == 1e8; ++j) // the box's sine
                ASSERT_NEAR(p[j], std::sqrt(800000 / 301.0) * std::sin((j - 599) * (k + 1) * Pi / 301) * (k % 2 ? -1 : 1), 5e-3);
            before = p;
        }
    }
}
} // namespace
