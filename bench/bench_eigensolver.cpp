// SPDX-License-Identifier: GPL-3.0-or-later
#include "physics/grid.h"
#include "physics/eigensolver.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

namespace {

constexpr int N = GridPoints;
using Pot = std::vector<double>;

Pot zeroPot()
{
    return Pot(N, 0.0);
}

// Two wells 250 points wide, 400 units deep, below a zero surrounding (negative energies).
Pot doubleWellBelowZero()
{
    Pot V(N, 0.0);
    for (int i = 0; i < N; ++i)
        if ((i > 200 && i < 450) || (i > 574 && i < 824))
            V[i] = -400.0;
    return V;
}

// The same shape drawn upwards: wells at 0 inside a plateau at 400.
Pot doubleWellAboveZero()
{
    Pot V(N, 400.0);
    for (int i = 0; i < N; ++i)
        if ((i > 200 && i < 450) || (i > 574 && i < 824))
            V[i] = 0.0;
    return V;
}

// About the worst a mouse can draw on a 1080-pixel screen: the full depth -540 almost everywhere
// and a single sample at +540, so the scan covers 2161 units and half the states lie below 0.
Pot deepFloorWithSpike()
{
    Pot V(N, -540.0);
    V[300] = 540.0;
    return V;
}

// A well 224 points wide between walls of 1e10, a file's largest samples (1e6) as the eigenfunction
// window scales them: the recurrence from the right wall rescales at every step and fails for most
// of the 500 states kept, which then come from inverse iteration.
Pot squareWellHighWalls()
{
    Pot V(N, 1e10);
    for (int i = 400; i < 624; ++i)
        V[i] = 0.0;
    return V;
}

// The plain determinant recurrence, which overflows for huge samples (none of the potentials here).
double plainDet(const double *V, double E)
{
    double prev = 1.0;
    double d = (2 * V[0] - 2 * E) / 40000.0 + 2.0;
    for (int i = 1; i < N; ++i) {
        const double next = ((2 * V[i] - 2 * E) / 40000.0 + 2.0) * d - prev;
        prev = d;
        d = next;
    }
    return d;
}

// The scan as described, every point in turn, counting its sign changes (at most 500). The
// false-position refinement is left out (the solver does the same work there), so this is a lower
// bound on the time of the literal search.
int literalScan(const double *V)
{
    double vMin = V[0], vMax = V[0];
    for (int i = 1; i < N; ++i) {
        vMin = std::fmin(vMin, V[i]);
        vMax = std::fmax(vMax, V[i]);
    }
    const double eLim = 2 * (vMax - vMin) + vMin + 1.0;
    int count = 0;
    double fPrev = plainDet(V, vMin);
    for (double E = vMin; E < eLim && count < 500; E += 0.1) {
        const double f = plainDet(V, E);
        count += f * fPrev <= 0;
        fPrev = f;
    }
    return count;
}

template <Pot (*make)()>
void BM_EigenSolver(benchmark::State &state)
{
    const Pot V = make();
    int count = 0;
    for (auto _ : state) {
        EigenSolver s(V.data(), EigenSolver::Trace()); // no trace
        count = s.getEigenCount();
        benchmark::DoNotOptimize(count);
    }
    state.counters["eigenvalues"] = count;
}

template <Pot (*make)()>
void BM_LiteralScan(benchmark::State &state)
{
    const Pot V = make();
    int count = 0;
    for (auto _ : state) {
        count = literalScan(V.data());
        benchmark::DoNotOptimize(count);
    }
    state.counters["eigenvalues"] = count;
}

template <Pot (*make)()>
void BM_Eigenfunctions(benchmark::State &state)
{
    const Pot V = make();
    EigenSolver s(V.data(), EigenSolver::Trace());
    const EigenSolver::BoundStates &states = s.boundStates();
    for (auto _ : state)
        for (int k = 0; k < int(states.energies.size()); ++k)
            benchmark::DoNotOptimize(states.eigenFunction(k));
    state.counters["eigenvalues"] = s.getEigenCount();
}

} // namespace

BENCHMARK_TEMPLATE(BM_EigenSolver, zeroPot)->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_EigenSolver, doubleWellBelowZero)->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_EigenSolver, doubleWellAboveZero)->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_EigenSolver, deepFloorWithSpike)->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_LiteralScan, zeroPot)->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_LiteralScan, doubleWellBelowZero)->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_LiteralScan, doubleWellAboveZero)->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_LiteralScan, deepFloorWithSpike)->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_Eigenfunctions, deepFloorWithSpike)->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_Eigenfunctions, squareWellHighWalls)->Unit(benchmark::kMillisecond);
