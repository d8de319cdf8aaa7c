#include "wavepacket.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <vector>

namespace {
using cd = std::complex<double>;
constexpr int N = PacketPoints;

std::vector<cd> packet(int i0, int h0, int dx, int p, int dp, int viewHeight)
{
    std::vector<cd> psi(N, cd(7.0, 7.0));
    initPacket(psi.data(), i0, h0, dx, p, dp, viewHeight);
    return psi;
}

TEST(WavePacket, DefaultPacketHeightWidthAndChirp)
{
    const std::vector<cd> psi = packet(512, 100, 100, 0, 10, 400);
    // Peak modulus 2 h0 / viewHeight at the centre.
    EXPECT_NEAR(std::abs(psi[512]), 0.5, 1e-15);
    // |psi| = 0.5 exp(-a x^2): recover a at x = 1/8 (64 points off centre), both sides.
    const double x = 64.0 / 512.0;
    EXPECT_NEAR(-std::log(2.0 * std::abs(psi[576])) / (x * x), 26.2144, 1e-9);
    EXPECT_NEAR(-std::log(2.0 * std::abs(psi[448])) / (x * x), 26.2144, 1e-9);
    // Phase -d x^2 for a centred packet without momentum: d = sqrt(((5.12 + 1)^2 - 5.12^2) 5.12^2).
    EXPECT_NEAR(-std::arg(psi[576]) / (x * x), 17.165, 5e-4);
    EXPECT_NEAR(-std::arg(psi[576]) / (x * x), std::sqrt((6.12 * 6.12 - 26.2144) * 26.2144), 1e-9);
    // Standard deviation of |psi|^2 is dx / 2 grid points.
    double n = 0.0, m2 = 0.0;
    for (int k = 0; k < N; ++k) {
        n += std::norm(psi[k]);
        m2 += (k - 512.0) * (k - 512.0) * std::norm(psi[k]);
    }
    EXPECT_NEAR(std::sqrt(m2 / n), 50.0, 1e-9);
}

TEST(WavePacket, MatchesClosedForm)
{
    // (2 h0 / H) exp(-a (x - x0)^2) exp(i (q x - d (x - x0)^2 + d x0^2))
    struct Case { int i0, h0, dx, p, dp, height; };
    for (const Case &t : {Case{300, 50, 100, 100, 1, 400}, Case{700, -90, 240, -37, 55, 600},
                          Case{0, 300, 40, 999, 100, 600}}) {
        const std::vector<cd> psi = packet(t.i0, t.h0, t.dx, t.p, t.dp, t.height);
        const double a = 1024.0 * 1024.0 / (4.0 * t.dx * t.dx);
        const double sigmaP = std::sqrt(a) + 0.1 * t.dp;
        const double d = std::sqrt((sigmaP * sigmaP - a) * a);
        const double q = std::trunc(t.p / 10.0);
        const double x0 = (t.i0 - 512) / 512.0;
        const double peak = 2.0 * std::abs(t.h0) / double(t.height);
        for (int k = 0; k < N; k += 7) {
            const double x = (k - 512) / 512.0;
            const cd expected = peak * std::exp(-a * (x - x0) * (x - x0))
                                * std::exp(cd(0.0, q * x - d * (x - x0) * (x - x0) + d * x0 * x0));
            EXPECT_NEAR(psi[k].real(), expected.real(), 1e-11) << k;
            EXPECT_NEAR(psi[k].imag(), expected.imag(), 1e-11) << k;
        }
    }
}

TEST(WavePacket, MomentumParameterIsTruncatedToTens)
{
    const std::vector<cd> still = packet(400, 120, 150, 0, 20, 500);
    for (int p = -9; p <= 9; ++p)
        EXPECT_EQ(packet(400, 120, 150, p, 20, 500), still) << p;
    EXPECT_NE(packet(400, 120, 150, 10, 20, 500), still);
    EXPECT_EQ(packet(400, 120, 150, 19, 20, 500), packet(400, 120, 150, 10, 20, 500));
    EXPECT_EQ(packet(400, 120, 150, -19, 20, 500), packet(400, 120, 150, -10, 20, 500));
}

TEST(WavePacket, QuarterHeightGivesHalfModulusInAnyView)
{
    for (int height : {400, 600, 1000})
        EXPECT_NEAR(std::abs(packet(200, height / 4, 100, 50, 10, height)[200]), 0.5, 1e-14);
}

TEST(WavePacket, DegenerateParametersGiveFiniteValues)
{
    // Non-positive spread: no chirp at all where the square root's argument would be negative.
    for (int dp : {0, -1, -5}) {
        const std::vector<cd> psi = packet(512, 100, 100, 0, dp, 400);
        for (int k = 0; k < N; ++k) {
            ASSERT_EQ(psi[k].imag(), 0.0) << dp << " " << k;
            ASSERT_GE(psi[k].real(), 0.0) << dp << " " << k;
        }
        EXPECT_NEAR(psi[512].real(), 0.5, 1e-15);
    }
    // No defined packet without width or view height, and none with zero height.
    for (const std::vector<cd> &psi : {packet(512, 100, 0, 0, 10, 400), packet(512, 100, 100, 0, 10, 0),
                                       packet(512, 0, 100, 0, 10, 400)})
        for (const cd &z : psi)
            ASSERT_EQ(z, cd(0.0, 0.0));
    // Extreme but finite parameters.
    for (const std::vector<cd> &psi : {packet(-100000, 100, 100, 0, 10, 400), packet(512, 100, 100, 0, -1000, 400),
                                       packet(512, 100, -100, 2147483647, 2147483647, -400)})
        for (const cd &z : psi)
            ASSERT_TRUE(std::isfinite(z.real()) && std::isfinite(z.imag()));
    initPacket(nullptr, 512, 100, 100, 0, 10, 400);
}
}
