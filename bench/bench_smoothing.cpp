// SPDX-License-Identifier: GPL-3.0-or-later
#include "physics/grid.h"
#include "physics/fft.h"
#include "physics/smoothingfilter.h"

#include <benchmark/benchmark.h>

#include <complex>
#include <vector>

namespace {
constexpr int N = GridPoints;

void BM_SmoothWholeRange(benchmark::State &state)
{
    std::vector<double> base(N);
    for (int k = 0; k < N; ++k)
        base[k] = (k >= 300 && k < 700) ? 0.01 : 0.0;
    std::vector<double> pot = base;
    SmoothingFilter filter;
    for (auto _ : state) {
        filter.smooth(pot.data(), 0, 1023, 250.0);
        benchmark::DoNotOptimize(pot.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_SmoothWholeRange);

void BM_FFTForward1024(benchmark::State &state)
{
    FFT fft(10);
    std::vector<std::complex<double>> in(N, {0.5, -0.25}), out(N);
    for (auto _ : state) {
        fft.transform(in.data(), out.data(), 0);
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_FFTForward1024);
}
