// SPDX-License-Identifier: GPL-3.0-or-later
#include "physics/packetmeasurement.h"

#include "coretestutil.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {
using namespace coretest;

// exp(-(n - c)^2 / (4 s^2) + i k n) times `scale`: |psi|^2 has mean c and deviation s.
Vec gaussian(double c, double s, double k, double scale = 1.0)
{
    Vec psi(N);
    for (int n = 0; n < N; ++n)
        psi[n] = scale * std::exp(cd(-(n - c) * (n - c) / (4 * s * s), k * n));
    return psi;
}

TEST(PacketMeasurement, GaussianMomentsAreThoseOfTheGridOperators)
{
    // For the sampled Gaussian, sum conj(psi_n) psi_n+m = exp(i m k - m^2 / (8 s^2)) sum |psi_n|^2
    // (the sum of a Gaussian over shifted integers is the same to exp(-2 pi^2 s^2)). So with
    // g1 = exp(-1 / (8 s^2)), g2 = g1^4: <sin k> = g1 sin k0, <cos k> = g1 cos k0,
    // <cos 2k> = g2 cos 2k0, and on the flat the energy is 1 - cos k.
    const std::vector<double> flat(N, 0.0);
    for (double s : {12.0, 40.0})
        for (double k0 : {0.0, 0.02, -0.3, 1.2}) {
            const double g1 = std::exp(-1.0 / (8 * s * s)), g2 = std::pow(g1, 4.0);
            const Vec psi = gaussian(470.25, s, k0, 0.3);
            const PacketMeasurement m = PacketMeasurement::of(psi.data(), flat.data(), N, 0);
            const double meanCos = g1 * std::cos(k0), meanCos2 = (1 + g2 * std::cos(2 * k0)) / 2;
            const double meanSin = g1 * std::sin(k0), meanSin2 = (1 - g2 * std::cos(2 * k0)) / 2;
            const auto where = [&] { return "s " + std::to_string(s) + ", k " + std::to_string(k0); };
            EXPECT_NEAR(m.norm, 0.09 * s * std::sqrt(2 * std::acos(-1.0)), 1e-9 * m.norm) << where();
            EXPECT_NEAR(m.meanX, 470.25, 1e-9) << where();
            EXPECT_NEAR(m.spreadX, s, 1e-9) << where();
            EXPECT_NEAR(m.meanP, meanSin, 1e-12) << where();
            EXPECT_NEAR(m.spreadP, std::sqrt(meanSin2 - meanSin * meanSin), 1e-9) << where();
            EXPECT_NEAR(m.meanE, 1 - meanCos, 1e-13) << where();
            EXPECT_NEAR(m.spreadE, std::sqrt(meanCos2 - meanCos * meanCos), 1e-9) << where();
        }
}

TEST(PacketMeasurement, EnergyIsThePropagatorsHamiltonianWallsAndPotentialIncluded)
{
    // The walls' standing waves sin(pi m (n + 1) / (N + 1)) are eigenvectors of the free grid
    // Hamiltonian with E = 1 - cos(pi m / (N + 1)), and a constant potential adds its value.
    for (int mode : {1, 7, 500, 1024})
        for (double v0 : {0.0, -0.02}) {
            Vec psi(N);
            const double k = std::acos(-1.0) * mode / (N + 1);
            for (int n = 0; n < N; ++n)
                psi[n] = std::sin(k * (n + 1));
            const std::vector<double> V(N, v0);
            const PacketMeasurement m = PacketMeasurement::of(psi.data(), V.data(), N, 0);
            EXPECT_NEAR(m.meanE, v0 + 1 - std::cos(k), 1e-13) << mode << " " << v0;
            EXPECT_NEAR(m.spreadE, 0.0, 1e-12) << "an eigenvector: " << mode << " " << v0;
            EXPECT_NEAR(m.meanP, 0.0, 1e-15) << "a real wave carries no current: " << mode;
        }
    // A linear potential F n adds F <x>, and F Delta x to the spread in quadrature: for a real
    // packet symmetric about a grid point the cross term of kinetic and potential part vanishes.
    std::vector<double> ramp(N);
    for (int n = 0; n < N; ++n)
        ramp[n] = 1e-4 * (n - 300);
    const Vec psi = gaussian(400.0, 30.0, 0.0);
    const std::vector<double> flat(N, 0.0);
    const PacketMeasurement free = PacketMeasurement::of(psi.data(), flat.data(), N, 0);
    const PacketMeasurement m = PacketMeasurement::of(psi.data(), ramp.data(), N, 0);
    EXPECT_NEAR(m.meanE, free.meanE + 1e-4 * 100.0, 1e-14);
    EXPECT_NEAR(m.spreadE, std::hypot(1e-4 * 30.0, free.spreadE), 1e-6 * m.spreadE);
}

TEST(PacketMeasurement, ProbabilitiesEitherSideOfTheLine)
{
    const std::vector<double> flat(N, 0.0);
    const Vec psi = gaussian(511.5, 50.0, 0.1); // mirror-symmetric about 511.5 in |psi|
    const auto at = [&](int line) { return PacketMeasurement::of(psi.data(), flat.data(), N, line); };
    EXPECT_NEAR(at(512).left, 0.5, 1e-14) << "points 0..511 are the left half";
    EXPECT_NEAR(at(512).right, 0.5, 1e-14);
    EXPECT_NEAR(at(462).left, 0.5 * std::erfc(50.0 / (50.0 * std::sqrt(2.0))), 2e-3) << "one deviation left of the mean";
    for (int line : {-40, 0}) {
        EXPECT_EQ(at(line).left, 0.0) << line;
        EXPECT_EQ(at(line).right, 1.0) << line;
    }
    for (int line : {N, 5000}) {
        EXPECT_EQ(at(line).left, 1.0) << line;
        EXPECT_EQ(at(line).right, 0.0) << line;
    }
    // No packet: nothing to measure, and no division by zero.
    const Vec zero(N);
    const PacketMeasurement none = PacketMeasurement::of(zero.data(), flat.data(), N, 512);
    EXPECT_EQ(none.norm, 0.0);
    EXPECT_EQ(none.meanE, 0.0);
    EXPECT_EQ(none.right, 0.0);
    EXPECT_EQ(PacketMeasurement::of(nullptr, flat.data(), N, 0).norm, 0.0);
}

TEST(PacketMeasurement, HighestPointIsTheMiddleOfTheFirstHighestStretch)
{
    std::vector<double> V(N, 0.0);
    EXPECT_EQ(PacketMeasurement::highestPoint(V.data(), N), 512) << "flat";
    for (int j = 508; j <= 515; ++j) // the barrier example: 8 samples
        V[j] = 0.005;
    EXPECT_EQ(PacketMeasurement::highestPoint(V.data(), N), 511);
    V[900] = 0.005; // as high, later: the first stretch stays
    EXPECT_EQ(PacketMeasurement::highestPoint(V.data(), N), 511);
    V[3] = 0.0051;
    EXPECT_EQ(PacketMeasurement::highestPoint(V.data(), N), 3);
    std::fill(V.begin(), V.end(), -0.01);
    V[1023] = 0.0;
    EXPECT_EQ(PacketMeasurement::highestPoint(V.data(), N), 1023) << "at the edge";
    EXPECT_EQ(PacketMeasurement::highestPoint(nullptr, N), 0);
}
} // namespace
