// SPDX-License-Identifier: GPL-3.0-or-later
#include "physics/scattersolver.h"
#include "physics/scattersweep.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {
constexpr int N = ScatterSolver::GridSize;

// A barrier drawn on the surface (0.01 units, 60 of 1024 columns, with sloping flanks),
// placed on the scattering grid as the window does it: interior times 1000, margins unscaled.
struct Setup
{
    std::vector<double> samples = std::vector<double>(N, 0.0);
    int rightEdge = N - 1;
    int leftEdge = 0;
    double eMax = 0.0;

    Setup()
    {
        std::vector<double> surface(1024, 0.0);
        for (int i = 470; i < 530; ++i)
            surface[i] = 0.01;
        for (int i = 0; i < 20; ++i) {
            surface[450 + i] = 0.01 * i / 20.0;
            surface[549 - i] = 0.01 * i / 20.0;
        }
        const int m = (N - 1024) / 2;
        for (int j = 0; j < N; ++j)
            samples[j] = j < m ? surface[0] : j < m + 1024 ? surface[j - m] * 1000.0 : surface[1023];
        while (samples[rightEdge] == samples[rightEdge - 1])
            --rightEdge;
        while (samples[leftEdge] == samples[leftEdge + 1])
            ++leftEdge;
        eMax = 2.0 * *std::max_element(samples.begin(), samples.end());
    }
};

class NullSink : public ScatterSink
{
public:
    void reset() override {}
    void addPoint(double r, double t, double e, int index) override
    {
        benchmark::DoNotOptimize(r + t + e + index);
    }
};

void BM_ScatterSweep(benchmark::State &state)
{
    const Setup s;
    ScatterSolver solver;
    NullSink sink;
    int energies = 0;
    for (auto _ : state)
        energies = ScatterSweep::run(solver, s.samples.data(), s.rightEdge, s.leftEdge, 0.002, s.eMax, sink)
                       .energies;
    state.counters["energies"] = energies;
}
BENCHMARK(BM_ScatterSweep)->Unit(benchmark::kMillisecond);

// The widest, fastest cases: a span of 1100 samples between -50 and +50, energies up to twice the
// top (k up to 0.55 per sample at the default width factor). Plateaus: a well of -50 over most of
// the span and a barrier of +50. Slopes: a zigzag, no two neighbouring samples equal.
template <bool Sloped>
void BM_ScatterSweepWide(benchmark::State &state)
{
    std::vector<double> v(N, 0.0);
    for (int i = 50; i <= 1150; ++i)
        v[i] = Sloped ? 50.0 - std::fabs((i - 50) % 200 - 100.0) : i < 900 ? -50.0 : 50.0;
    ScatterSolver solver;
    NullSink sink;
    int energies = 0;
    for (auto _ : state)
        energies = ScatterSweep::run(solver, v.data(), 1151, 49, 0.002, 100.0, sink).energies;
    state.counters["energies"] = energies;
}
BENCHMARK_TEMPLATE(BM_ScatterSweepWide, false)->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_ScatterSweepWide, true)->Unit(benchmark::kMillisecond);

// The slowest sweep the sliders reach: a well of -0.05 across the whole surface (a full-screen
// drawing), "Energiemaximum" at its top (5 depths), "Potentialskala" at its top (factor 5) and
// "Potentialbreite" 1, so the well is 250 deep, the energies reach 250 and k 22 per sample.
void BM_ScatterSweepSlowest(benchmark::State &state)
{
    const int m = (N - 1024) / 2;
    std::vector<double> v(N, 0.0);
    for (int j = m + 12; j < m + 1012; ++j)
        v[j] = 5.0 * 1000.0 * -0.05;
    ScatterSolver solver;
    NullSink sink;
    int energies = 0;
    for (auto _ : state)
        energies = ScatterSweep::run(solver, v.data(), m + 1012, m + 11, 1.0, 250.0, sink).energies;
    state.counters["energies"] = energies;
}
BENCHMARK(BM_ScatterSweepSlowest)->Unit(benchmark::kMillisecond)->Iterations(1);

// The same settings over tents from -0.05 to +0.05 across the whole surface: the factor 10 makes
// them -500 to +500, the energies run from -500 to 500 and k reaches 32 per sample. Under the
// barriers T falls far below the double range; every energy is integrated all the same.
void BM_ScatterSweepSlowestBarriers(benchmark::State &state)
{
    const int m = (N - 1024) / 2;
    std::vector<double> v(N);
    for (int j = 0; j < N; ++j)
        v[j] = 10.0 * 1000.0 * 0.05 * (1.0 - std::fabs((std::clamp(j - m, 0, 1023) % 200) - 100) / 50.0);
    int right = N - 1, left = 0;
    while (v[right] == v[right - 1])
        --right;
    while (v[left] == v[left + 1])
        ++left;
    ScatterSolver solver;
    NullSink sink;
    int points = 0;
    for (auto _ : state)
        points = ScatterSweep::run(solver, v.data(), right, left, 1.0, 500.0, sink).points;
    state.counters["points"] = points;
}
BENCHMARK(BM_ScatterSweepSlowestBarriers)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace
