#include "fft.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdint>
#include <vector>

namespace {
using cd = std::complex<double>;
constexpr int N = 1024;
const double Pi = std::acos(-1.0);

std::vector<cd> randomData(int n, std::uint64_t seed)
{
    std::vector<cd> v(n);
    for (cd &z : v) {
        seed = seed * 6364136223846793005ULL + 1442695040888963407ULL;
        const double re = double(seed >> 11) / double(1ULL << 53) - 0.5;
        seed = seed * 6364136223846793005ULL + 1442695040888963407ULL;
        const double im = double(seed >> 11) / double(1ULL << 53) - 0.5;
        z = cd(re, im);
    }
    return v;
}

// Exact discrete transform, scaled by 1/sqrt(n), exponent sign +1 (forward) or -1.
std::vector<cd> directDft(const std::vector<cd> &in, int sign)
{
    const int n = int(in.size());
    std::vector<cd> out(n);
    for (int k = 0; k < n; ++k) {
        cd sum = 0.0;
        for (int m = 0; m < n; ++m) {
            const long long t = (static_cast<long long>(m) * k) % n;  // exact reduction of the angle
            sum += in[m] * std::polar(1.0, sign * 2.0 * Pi * double(t) / n);
        }
        out[k] = sum / std::sqrt(double(n));
    }
    return out;
}

double maxAbsDiff(const std::vector<cd> &a, const std::vector<cd> &b)
{
    double d = 0.0;
    for (size_t i = 0; i < a.size(); ++i)
        d = std::max(d, std::abs(a[i] - b[i]));
    return d;
}

TEST(FFT, ImpulsesAndConstant)
{
    FFT fft(10);
    ASSERT_EQ(fft.size(), N);
    std::vector<cd> in(N, 0.0), out(N);

    in[0] = 1.0;
    fft.transform(in.data(), out.data(), 0);
    for (int k = 0; k < N; ++k) {
        ASSERT_NEAR(out[k].real(), 1.0 / 32.0, 1e-17) << k;
        ASSERT_NEAR(out[k].imag(), 0.0, 1e-17) << k;
    }

    in[0] = 0.0;
    in[1] = 1.0;
    fft.transform(in.data(), out.data(), 0);
    const double w = 6.28318 / 1024.0;
    EXPECT_NEAR(out[1].real() * 32.0, std::cos(w), 1e-15);
    EXPECT_NEAR(out[1].imag() * 32.0, std::sin(w), 1e-15);
    // All outputs are powers of exp(i w) along the running product.
    EXPECT_NEAR(std::abs(out[300] * 32.0 - std::polar(1.0, 300 * w)), 0.0, 1e-13);
    EXPECT_NEAR(std::abs(out[1000] * 32.0 - std::polar(1.0, 1000 * 2.0 * Pi / 1024)), 0.0, 1e-5);

    std::fill(in.begin(), in.end(), cd(0.75, -0.25));
    fft.transform(in.data(), out.data(), 0);
    EXPECT_NEAR(std::abs(out[0] - 32.0 * cd(0.75, -0.25)), 0.0, 1e-13);
    for (int k = 1; k < N; ++k)
        ASSERT_NEAR(std::abs(out[k]), 0.0, 1e-14) << k;
}

TEST(FFT, AgreesWithDirectTransformToAFewPartsPerMillion)
{
    const std::vector<cd> in = randomData(N, 7);
    FFT fft(10);
    std::vector<cd> out(N);
    for (short direction : {0, 1}) {
        fft.transform(in.data(), out.data(), direction);
        const std::vector<cd> exact = directDft(in, direction == 0 ? 1 : -1);
        double scale = 0.0;
        for (const cd &z : exact)
            scale = std::max(scale, std::abs(z));
        const double rel = maxAbsDiff(out, exact) / scale;
        // The base angle 6.28318 is short of 2 pi by about 5e-6: close, and visibly not exact.
        EXPECT_LT(rel, 2e-5) << direction;
        EXPECT_GT(rel, 1e-6) << direction;
    }
    // Small sizes, odd and even numbers of stages.
    for (int n = 0; n <= 5; ++n) {
        FFT small(n);
        const std::vector<cd> x = randomData(1 << n, 100 + n);
        std::vector<cd> y(1 << n);
        small.transform(x.data(), y.data(), 0);
        EXPECT_LT(maxAbsDiff(y, directDft(x, 1)), 1e-5) << n;
    }
}

TEST(FFT, InverseUndoesForwardAndInPlaceEqualsOutOfPlace)
{
    for (int n : {9, 10}) {
        FFT fft(n);
        const int size = 1 << n;
        const std::vector<cd> in = randomData(size, 42 + n);
        std::vector<cd> spec(size), back(size);
        fft.transform(in.data(), spec.data(), 0);
        fft.transform(spec.data(), back.data(), 1);
        double scale = 0.0;
        for (const cd &z : in)
            scale = std::max(scale, std::abs(z));
        EXPECT_LT(maxAbsDiff(back, in) / scale, 5e-15) << n;

        for (short direction : {0, 3}) {
            std::vector<cd> separate(size), inPlace = in;
            fft.transform(in.data(), separate.data(), direction);
            fft.transform(inPlace.data(), inPlace.data(), direction);
            EXPECT_EQ(inPlace, separate) << n << " " << direction;
        }
    }
}

TEST(FFT, OutOfRangeSizesAreClamped)
{
    EXPECT_EQ(FFT(-3).size(), 1);
    EXPECT_EQ(FFT(0).size(), 1);
    EXPECT_EQ(FFT(99).size(), 1 << FFT::MaxLog2);
    FFT one(0);
    cd z(2.0, -1.0);
    one.transform(&z, &z, 0);
    EXPECT_EQ(z, cd(2.0, -1.0));
    one.transform(nullptr, &z, 0);
    one.transform(&z, nullptr, 1);
}
}
