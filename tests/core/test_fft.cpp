#include "fft.h"
#include "smoothingfilter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace {
using cd = std::complex<double>;
using Vec = std::vector<cd>;
constexpr int N = 1024;

Vec randomData(int n, std::uint64_t s)
{
    auto rnd = [&s] { return double((s = s * 6364136223846793005ULL + 1442695040888963407ULL) >> 11) / 0x1p53 - 0.5; };
    Vec v(n);
    std::generate(v.begin(), v.end(), [&] { return cd{rnd(), rnd()}; });  // braces: real part drawn first
    return v;
}

Vec directDft(const Vec &in, int sign)  // exact, scaled by 1/sqrt(n), exponent sign +1 (forward) or -1
{
    const int n = int(in.size());
    Vec out(n);
    for (int k = 0; k < n; ++k)
        for (int m = 0; m < n; ++m)
            out[k] += in[m] * std::polar(1.0 / std::sqrt(n), sign * 2.0 * std::acos(-1.0) * (m * k % n) / n);
    return out;
}

double maxDiff(const Vec &a, const Vec &b = {})
{
    double d = 0.0;
    for (size_t i = 0; i < a.size(); ++i)
        d = std::max(d, std::abs(a[i] - (b.empty() ? 0.0 : b[i])));
    return d;
}

TEST(FFT, ImpulsesConstantDirectTransformInverseAndInPlace)
{
    FFT fft(10);
    ASSERT_TRUE(fft.size() == N && FFT(-3).size() == 1 && FFT(99).size() == 1 << FFT::MaxLog2);  // sizes clamped
    Vec in(N), out(N);
    in[0] = 1.0;
    fft.transform(in.data(), out.data(), 0);
    EXPECT_LT(maxDiff(out, Vec(N, 1.0 / 32.0)), 1e-17);
    in[0] = 0.0, in[1] = 1.0;
    fft.transform(in.data(), out.data(), 0);
    EXPECT_LT(std::abs(out[1] * 32.0 - std::polar(1.0, 6.28318 / N)), 1e-15);  // (cos w, sin w), w = 6.28318 / N
    EXPECT_LT(std::abs(out[300] * 32.0 - std::polar(1.0, 300 * 6.28318 / N)), 1e-13);  // running product of exp(i w)
    std::fill(in.begin(), in.end(), cd(0.75, -0.25));
    fft.transform(in.data(), out.data(), 0);
    EXPECT_LT(std::abs(out[0] - 32.0 * in[0]), 1e-13);
    out[0] = 0.0;
    EXPECT_LT(maxDiff(out), 1e-14);
    for (int n = 0; n <= 10; ++n) {  // odd and even numbers of stages
        FFT f(n);
        const Vec data = randomData(1 << n, 7 + n);
        for (short direction : {0, 3}) {  // any non-zero direction is the inverse
            Vec res(data.size()), back(data.size()), inPlace = data;
            f.transform(data.data(), res.data(), direction);
            const Vec exact = directDft(data, direction == 0 ? 1 : -1);
            EXPECT_LT(maxDiff(res, exact), std::min(1e-5, 2e-5 * maxDiff(exact))) << n;
            EXPECT_TRUE(n < 10 || maxDiff(res, exact) > 1e-6 * maxDiff(exact)) << direction;  // 6.28318 < 2 pi
            f.transform(res.data(), back.data(), short(direction == 0));
            EXPECT_LT(maxDiff(back, data), 5e-15 * maxDiff(data)) << n;
            f.transform(inPlace.data(), inPlace.data(), direction);
            EXPECT_EQ(inPlace, res) << n;
        }
    }
    cd z(2.0, -1.0);  // missing arrays ignored
    FFT(0).transform(nullptr, &z, 0), FFT(0).transform(&z, nullptr, 1);
    EXPECT_EQ(z, cd(2.0, -1.0));
}

TEST(SmoothingFilter, FactorsSelectionDragDirectionAndGridEnds)
{
    const double c = 300.0 * 0.0001;
    EXPECT_TRUE(SmoothingFilter::factor(0, c) == 1.0 && SmoothingFilter::factor(1023, c) == 1.0);
    EXPECT_NEAR(SmoothingFilter::factor(1, c), 0.3986, 5e-5);
    EXPECT_NEAR(SmoothingFilter::factor(1022, c), 0.3986, 5e-5);
    EXPECT_NEAR(SmoothingFilter::factor(2, c), 0.1592, 5e-5);
    EXPECT_NEAR(SmoothingFilter::factor(10, c), 0.000110, 5e-7);
    // A box on a gentle slope with noise, and its low pass by exact transforms.
    const Vec noise = randomData(N, 99);
    std::vector<double> orig(N);
    for (int k = 0; k < N; ++k)
        orig[k] = 0.001 * k / N + (k >= 480 && k < 540 ? 0.01 : 0.0) + 0.002 * noise[k].real();
    Vec ref = directDft(Vec(orig.begin(), orig.end()), 1);
    for (int j = 0; j < N; ++j)
        ref[j] *= std::exp(-c * c * j * (1023.0 - j));
    ref = directDft(ref, -1);
    SmoothingFilter filter;
    std::vector<double> v = orig, forward = orig, backward = orig, wide = orig, whole = orig, edges = orig;
    filter.smooth(v.data(), 500, 500, 300.0);
    EXPECT_NEAR(v[500], ref[500].real(), 1e-8);  // far from orig[500]: the box is smoothed away
    for (int k = 0; k < N; ++k) {  // straight lines to the untouched feet at 450 and 550; the rest bit-identical
        const int off = std::abs(k - 500);
        const double foot = orig[k < 500 ? 450 : 550];
        ASSERT_NEAR(v[k], off >= 50 ? orig[k] : foot + (v[500] - foot) * (50 - off) / 50.0, off >= 50 ? 0 : 1e-15) << k;
    }
    filter.smooth(forward.data(), 470, 560, 300.0);
    filter.smooth(backward.data(), 560, 470, 300.0);
    EXPECT_EQ(forward, backward);
    for (int k : {470, 480, 510, 539, 560})
        EXPECT_NEAR(forward[k], ref[k].real(), 1e-8) << k;
    EXPECT_TRUE(std::equal(orig.begin(), orig.begin() + 421, forward.begin())
                && std::equal(orig.begin() + 610, orig.end(), forward.begin() + 610));
    filter.smooth(wide.data(), 2000, -20, 250.0);  // clamped to the grid
    filter.smooth(whole.data(), 0, 1023, 250.0);
    EXPECT_EQ(wide, whole);
    filter.smooth(edges.data(), 10, 1000, 250.0);  // blends from A[0] and to A[1023], shorter than 50
    EXPECT_TRUE(edges[0] == orig[0] && edges[1023] == orig[1023]);
    EXPECT_NEAR(edges[5], (orig[0] + edges[10]) / 2.0, 1e-15);
    EXPECT_NEAR(edges[1000] + (orig[1023] - edges[1000]) * 11.0 / 23.0, edges[1011], 1e-15);
    filter.smooth(nullptr, 0, 1023, 250.0);
}
}
