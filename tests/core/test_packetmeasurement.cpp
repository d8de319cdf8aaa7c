// SPDX-License-Identifier: GPL-3.0-or-later
// The status bar's and the export's evolve numbers for psi over V:
//   norm, <x>, <p>, <E>, deviations -> sum |psi|^2, grid index, velocity (psi_n+1 - psi_n-1) / 2i, H of the step
//   "links" / "rechts" of L         -> points 0..L-1 / L..; L clamped; no wave: all 0
//   default line                    -> the middle of the first stretch of highest samples (flat: 512)
#include "physics/packetmeasurement.h"
#include "coretestutil.h"

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

TEST(PacketMeasurement, StandingWavesHaveExactEnergyAndNoCurrent)
{
    // Standing waves sin(k (n + 1)), k = pi m / (N + 1): E = V + 1 - cos k exactly, no current.
    for (int mode : {1, 7, 500, 1024})
        for (double v0 : {0.0, -0.02}) {
            Vec psi(N);
            const double k = std::acos(-1.0) * mode / (N + 1);
            for (int n = 0; n < N; ++n)
                psi[n] = std::sin(k * (n + 1));
            const PacketMeasurement m = PacketMeasurement::of(psi.data(), std::vector<double>(N, v0).data(), N, 0);
            EXPECT_NEAR(m.meanE, v0 + 1 - std::cos(k), 1e-13) << mode << " " << v0;
            EXPECT_NEAR(m.spreadE, 0.0, 1e-12) << mode << " " << v0;
            EXPECT_NEAR(m.meanP, 0.0, 1e-15) << mode;
        }
}

TEST(PacketMeasurement, AnyWaveOverAnyPotentialAgainstTheOperatorsAppliedDirectly)
{
    // Rubbish over a potential of either sign: each field from H psi and p psi formed row by row.
    const Vec psi = randomData(N, 5), v = randomData(N, 6);
    std::vector<double> V(N);
    for (int n = 0; n < N; ++n)
        V[n] = 0.04 * v[n].real() - (n < 300 ? 0.01 : 0.0);
    const auto at = [&](int n) { return n >= 0 && n < N ? psi[n] : cd(); };
    double norm = 0, x = 0, x2 = 0, p = 0, p2 = 0, e = 0, e2 = 0, left = 0;
    for (int n = 0; n < N; ++n) {
        const double w = std::norm(psi[n]);
        const cd h = V[n] * psi[n] - 0.5 * (at(n + 1) - 2.0 * psi[n] + at(n - 1)), vel = (at(n + 1) - at(n - 1)) / cd(0, 2);
        norm += w, x += n * w, x2 += double(n) * n * w, left += n < 700 ? w : 0.0;
        p += (std::conj(psi[n]) * vel).real(), p2 += std::norm(vel), e += (std::conj(psi[n]) * h).real(), e2 += std::norm(h);
    }
    const PacketMeasurement m = PacketMeasurement::of(psi.data(), V.data(), N, 700);
    EXPECT_NEAR(m.norm, norm, 1e-12 * norm);
    EXPECT_NEAR(m.meanX, x / norm, 1e-9);
    EXPECT_NEAR(m.spreadX, std::sqrt(x2 / norm - x * x / norm / norm), 1e-9);
    EXPECT_NEAR(m.meanP, p / norm, 1e-13);
    EXPECT_NEAR(m.spreadP, std::sqrt(p2 / norm - p * p / norm / norm), 1e-12);
    EXPECT_NEAR(m.meanE, e / norm, 1e-13);
    EXPECT_NEAR(m.spreadE, std::sqrt(e2 / norm - e * e / norm / norm), 1e-12);
    EXPECT_NEAR(m.left, left / norm, 1e-13);
    EXPECT_NEAR(m.right, 1 - left / norm, 1e-13);
}

TEST(PacketMeasurement, ProbabilitiesEitherSideOfTheLine)
{
    const std::vector<double> flat(N, 0.0);
    const Vec psi = gaussian(511.5, 50.0, 0.1); // mirror-symmetric about 511.5 in |psi|
    const auto at = [&](int line) { return PacketMeasurement::of(psi.data(), flat.data(), N, line); };
    EXPECT_NEAR(at(512).left, 0.5, 1e-14) << "points 0..511 are the left half";
    EXPECT_NEAR(at(512).right, 0.5, 1e-14);
    EXPECT_NEAR(at(462).left, 0.5 * std::erfc(1.0 / std::sqrt(2.0)), 2e-3) << "one deviation left of the mean";
    for (const auto &[line, left] : {std::pair{-40, 0.0}, {0, 0.0}, {N, 1.0}, {5000, 1.0}}) {
        EXPECT_EQ(at(line).left, left) << line;
        EXPECT_EQ(at(line).right, 1.0 - left) << line;
    }
    const PacketMeasurement none = PacketMeasurement::of(Vec(N).data(), flat.data(), N, 512); // no division by 0
    for (double field : {none.norm, none.meanX, none.meanE, none.left, none.right})
        EXPECT_EQ(field, 0.0);
    EXPECT_EQ(PacketMeasurement::of(nullptr, flat.data(), N, 0).norm, 0.0);
}

TEST(PacketMeasurement, HighestPointIsTheMiddleOfTheFirstHighestStretch)
{
    std::vector<double> V(N, 0.0);
    const auto line = [&V] { return PacketMeasurement::highestPoint(V.data(), N); };
    EXPECT_EQ(line(), 512) << "flat";
    std::fill(V.begin() + 508, V.begin() + 516, 0.005); // the barrier example: 8 samples
    EXPECT_EQ(line(), 511);
    V[900] = 0.005; // as high, later: the first stretch stays
    EXPECT_EQ(line(), 511);
    std::fill(V.begin(), V.begin() + 10, 0.0051); // at the left edge
    EXPECT_EQ(line(), 4);
    std::fill(V.begin(), V.end(), -0.01); // below 0, at the right edge
    V[1023] = -0.002;
    EXPECT_EQ(line(), 1023);
    EXPECT_EQ(PacketMeasurement::highestPoint(nullptr, N), 0);
}
} // namespace
