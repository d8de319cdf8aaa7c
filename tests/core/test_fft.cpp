// SPDX-License-Identifier: GPL-3.0-or-later
// The transform behind "Fourier": scaled 1/sqrt(N), forward e^(+i w m k), w = 6.28318 / N (ppm off the exact
// one, yet the inverse undoes it to rounding); in place too; size 2^n clamped to 1..2^16.
#include "physics/fft.h"
#include "coretestutil.h"

namespace {
using namespace coretest;

TEST(FFT, SizesImpulseDirectTransformInverseAndInPlace)
{
    for (const auto &[log2, size] : {std::pair{10, N}, {-3, 1}, {99, 1 << FFT::MaxLog2}})
        EXPECT_EQ(FFT(log2).size(), size) << log2;
    FFT fft(10);
    Vec in(N), out(N);
    in[1] = 1.0; // the impulse at 1 gives (1/32) exp(i w k) with w = 6.28318 / N, a running product of exp(i w)
    fft.transform(in.data(), out.data(), 0);
    EXPECT_LT(std::abs(out[1] * 32.0 - std::polar(1.0, 6.28318 / N)), 1e-15);
    EXPECT_LT(std::abs(out[300] * 32.0 - std::polar(1.0, 300 * 6.28318 / N)), 1e-13);
    for (int n = 0; n <= 10; ++n) { // odd and even numbers of stages
        FFT f(n);
        const Vec data = randomData(1 << n, 7 + n);
        for (short direction : {0, 3}) { // any non-zero direction is the inverse
            Vec res(data.size()), back(data.size()), inPlace = data;
            f.transform(data.data(), res.data(), direction);
            const Vec exact = directDft(data, direction == 0 ? 1 : -1);
            EXPECT_LT(maxDiff(res, exact), std::min(1e-5, 2e-5 * maxDiff(exact))) << n << " stages, direction " << direction;
            if (n == 10) { // 6.28318 < 2 pi: visibly not the exact transform
                EXPECT_GT(maxDiff(res, exact), 1e-6 * maxDiff(exact)) << "direction " << direction;
            }
            f.transform(res.data(), back.data(), short(direction == 0));
            EXPECT_LT(maxDiff(back, data), 5e-15 * maxDiff(data)) << n << " stages, back from direction " << direction;
            f.transform(inPlace.data(), inPlace.data(), direction);
            EXPECT_EQ(inPlace, res) << n << " stages in place, direction " << direction;
        }
    }
    cd z(2.0, -1.0); // missing arrays ignored
    FFT(0).transform(nullptr, &z, 0), FFT(0).transform(&z, nullptr, 1);
    EXPECT_EQ(z, cd(2.0, -1.0));
}
} // namespace
