// SPDX-License-Identifier: GPL-3.0-or-later
// Smoothing a dragged stretch ("Smooth:" f, c = f / 10000): the low pass exp(-c^2 j (1023 - j)), lines to
// the untouched samples 50 points away, the rest as it was; corners in either order, clamped.
#include "physics/smoothingfilter.h"
#include "coretestutil.h"

namespace {
using namespace coretest;

TEST(SmoothingFilter, FactorsSelectionDragDirectionAndGridEnds)
{
    const double c = 300.0 * 0.0001;
    const struct { int j; double f, tolerance; } factors[] = {{0, 1.0, 0.0}, {1023, 1.0, 0.0}, {1, 0.3986, 5e-5},
                                                              {1022, 0.3986, 5e-5}, {2, 0.1592, 5e-5}, {10, 0.000110, 5e-7}};
    for (const auto &f : factors)
        EXPECT_NEAR(SmoothingFilter::factor(f.j, c), f.f, f.tolerance) << f.j;
    // A box on a gentle slope with noise, and its low pass by exact transforms.
    const Vec noise = randomData(N, 99);
    std::vector<double> orig(N);
    for (int k = 0; k < N; ++k)
        orig[k] = 0.001 * k / N + (k >= 480 && k < 540 ? 0.01 : 0.0) + 0.002 * noise[k].real();
    Vec ref = directDft(Vec(orig.begin(), orig.end()), 1);
    for (int j = 0; j < N; ++j)
        ref[j] *= std::exp(-c * c * j * (1023.0 - j));
    ref = directDft(ref, -1);
    // Corners in either order, on one index, or beyond the grid.
    SmoothingFilter filter;
    for (const auto &[from, to] : {std::array{500, 500}, {470, 560}, {560, 470}, {10, 1000}, {2000, -20}}) {
        std::vector<double> v = orig;
        filter.smooth(v.data(), from, to, 300.0);
        const int a = std::clamp(std::min(from, to), 0, 1023), b = std::clamp(std::max(from, to), 0, 1023);
        const int lo = std::max(a - 50, 0), hi = std::min(b + 50, 1023);
        for (int k = 0; k < N; ++k) {
            double want = orig[k], tolerance = 0.0;
            if (k >= a && k <= b)
                want = ref[k].real(), tolerance = 1e-8;
            else if (k > lo && k < a)
                want = orig[lo] + (v[a] - orig[lo]) * (k - lo) / (a - lo), tolerance = 1e-15;
            else if (k > b && k < hi)
                want = v[b] + (orig[hi] - v[b]) * (k - b) / (hi - b), tolerance = 1e-15;
            ASSERT_NEAR(v[k], want, tolerance) << from << "-" << to << ": " << k;
        }
    }
    EXPECT_GT(std::fabs(ref[500].real() - orig[500]), 0.005); // the box is smoothed away: the test is not vacuous
    filter.smooth(nullptr, 0, 1023, 300.0);
}
} // namespace
