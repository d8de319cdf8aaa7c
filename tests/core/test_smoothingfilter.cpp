#include "smoothingfilter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <cstdint>
#include <vector>

namespace {
using cd = std::complex<double>;
constexpr int N = SmoothingFilter::Points;
const double Pi = std::acos(-1.0);

// A box on a gentle slope with some noise: plenty of high frequencies to remove.
std::vector<double> bumpyPotential()
{
    std::vector<double> v(N);
    std::uint64_t s = 99;
    for (int k = 0; k < N; ++k) {
        s = s * 6364136223846793005ULL + 1442695040888963407ULL;
        const double noise = double(s >> 11) / double(1ULL << 53) - 0.5;
        v[k] = 0.001 * k / N + (k >= 480 && k < 540 ? 0.01 : 0.0) + 0.002 * noise;
    }
    return v;
}

// Reference filter by exact discrete transforms: spectrum with e^{+i..}, weights, back with
// e^{-i..}, both scaled by 1/sqrt(N); real part at index i.
double referenceLowPass(const std::vector<double> &v, int i, double c)
{
    std::vector<cd> unit(N);
    for (int t = 0; t < N; ++t)
        unit[t] = std::polar(1.0, 2.0 * Pi * t / N);
    cd result = 0.0;
    for (int j = 0; j < N; ++j) {
        cd spectrum = 0.0;
        for (int m = 0; m < N; ++m)
            spectrum += v[m] * unit[(m * j) % N];
        result += spectrum * std::exp(-c * c * j * (1023.0 - j)) * std::conj(unit[(i * j) % N]);
    }
    return result.real() / N;
}

TEST(SmoothingFilter, Factors)
{
    const double c = 300.0 * 0.0001;
    EXPECT_EQ(SmoothingFilter::factor(0, c), 1.0);
    EXPECT_EQ(SmoothingFilter::factor(1023, c), 1.0);
    EXPECT_NEAR(SmoothingFilter::factor(1, c), 0.3986, 5e-5);
    EXPECT_NEAR(SmoothingFilter::factor(1022, c), 0.3986, 5e-5);
    EXPECT_NEAR(SmoothingFilter::factor(2, c), 0.1592, 5e-5);
    EXPECT_NEAR(SmoothingFilter::factor(10, c), 0.000110, 5e-7);
    EXPECT_LT(SmoothingFilter::factor(511, c), 1e-100);
}

TEST(SmoothingFilter, SingleIndexReplacesValueAndBlendsFiftyEachSide)
{
    const std::vector<double> orig = bumpyPotential();
    std::vector<double> v = orig;
    SmoothingFilter filter;
    filter.smooth(v.data(), 500, 500, 300.0);

    const double smoothed = referenceLowPass(orig, 500, 0.03);
    EXPECT_NEAR(v[500], smoothed, 1e-8);
    EXPECT_GT(std::fabs(v[500] - orig[500]), 1e-4);  // the filter did change it
    // Straight lines from the untouched feet at 450 and 550 to the new value.
    for (int k = 451; k < 550; ++k) {
        const double foot = k < 500 ? orig[450] : orig[550];
        const double expected = foot + (v[500] - foot) * (50 - std::abs(k - 500)) / 50.0;
        ASSERT_NEAR(v[k], expected, 1e-15) << k;
    }
    for (int k = 0; k < N; ++k) {
        if (k <= 450 || k >= 550) {
            ASSERT_EQ(v[k], orig[k]) << k;
        }
    }
}

TEST(SmoothingFilter, RangeIsFilteredAndOrderDoesNotMatter)
{
    const std::vector<double> orig = bumpyPotential();
    std::vector<double> forward = orig, backward = orig;
    SmoothingFilter filter;
    filter.smooth(forward.data(), 470, 560, 300.0);
    filter.smooth(backward.data(), 560, 470, 300.0);
    EXPECT_EQ(forward, backward);
    for (int k : {470, 480, 510, 539, 560})
        EXPECT_NEAR(forward[k], referenceLowPass(orig, k, 0.03), 1e-8) << k;
    for (int k = 0; k < N; ++k) {
        if (k <= 420 || k >= 610) {
            ASSERT_EQ(forward[k], orig[k]) << k;
        }
    }
}

TEST(SmoothingFilter, ConstantsAndZeroLevelPassUnchanged)
{
    SmoothingFilter filter;
    std::vector<double> flat(N, 0.0042);
    filter.smooth(flat.data(), 0, 1023, 900.0);
    for (int k = 0; k < N; ++k)
        ASSERT_NEAR(flat[k], 0.0042, 1e-16) << k;

    // Level 0: every weight is 1, so the transform pair must reproduce the potential.
    const std::vector<double> orig = bumpyPotential();
    std::vector<double> v = orig;
    filter.smooth(v.data(), 0, 1023, 0.0);
    for (int k = 0; k < N; ++k)
        ASSERT_NEAR(v[k], orig[k], 1e-16) << k;
}

TEST(SmoothingFilter, RangeIsClampedToTheGrid)
{
    const std::vector<double> orig = bumpyPotential();
    std::vector<double> wide = orig, whole = orig, nearEdges = orig;
    SmoothingFilter filter;
    filter.smooth(wide.data(), 2000, -20, 250.0);
    filter.smooth(whole.data(), 0, 1023, 250.0);
    EXPECT_EQ(wide, whole);

    // Blends shorter than 50 points where the grid ends: from A[0] and to A[1023].
    filter.smooth(nearEdges.data(), 10, 1000, 250.0);
    EXPECT_EQ(nearEdges[0], orig[0]);
    EXPECT_EQ(nearEdges[1023], orig[1023]);
    EXPECT_NEAR(nearEdges[5], (orig[0] + nearEdges[10]) / 2.0, 1e-15);
    EXPECT_NEAR(nearEdges[1000] + (orig[1023] - nearEdges[1000]) * 11.0 / 23.0, nearEdges[1011], 1e-15);

    filter.smooth(nullptr, 0, 1023, 250.0);
}
}
