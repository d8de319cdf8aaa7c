// SPDX-License-Identifier: GPL-3.0-or-later
#include "physics/grid.h"
#include "physics/propagator.h"
#include "physics/wavepacket.h"

#include <benchmark/benchmark.h>

#include <complex>
#include <vector>

namespace {
constexpr int N = GridPoints;

// One step of dt = 50 (argument 1), or a run of that many equal sub-steps of dt / n, as a step of
// the evolution makes them; time per sub-step.
void BM_PropagatorStep(benchmark::State &state)
{
    const int n = int(state.range(0));
    std::vector<double> pot(N, 0.0);
    for (int k = 600; k < 650; ++k)
        pot[k] = 0.002;
    std::vector<std::complex<double>> psi(N);
    initPacket(psi.data(), 400, 100, 100, 100, 10, 400);
    Propagator prop(pot.data(), psi.data(), N);
    for (auto _ : state) {
        prop.step(50.0 / n, n);
        benchmark::DoNotOptimize(psi.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_PropagatorStep)->Arg(1)->Arg(16);

void BM_InitPacket(benchmark::State &state)
{
    std::vector<std::complex<double>> psi(N);
    for (auto _ : state) {
        initPacket(psi.data(), 512, 100, 100, 0, 10, 400);
        benchmark::DoNotOptimize(psi.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_InitPacket);
}
