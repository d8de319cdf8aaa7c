#include "propagator.h"
#include "wavepacket.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <cstdint>
#include <vector>

namespace {
using cd = std::complex<double>;
constexpr int N = 1024;

struct Lcg
{
    std::uint64_t s = 12345;
    double next()  // uniform in [-1, 1)
    {
        s = s * 6364136223846793005ULL + 1442695040888963407ULL;
        return double(s >> 11) / double(1ULL << 52) - 1.0;
    }
};

double norm2(const std::vector<cd> &psi)
{
    double sum = 0.0;
    for (const cd &z : psi)
        sum += std::norm(z);
    return sum;
}

double centre(const std::vector<cd> &psi)
{
    double sum = 0.0;
    for (int k = 0; k < int(psi.size()); ++k)
        sum += k * std::norm(psi[k]);
    return sum / norm2(psi);
}

double spread(const std::vector<cd> &psi)
{
    const double c = centre(psi);
    double sum = 0.0;
    for (int k = 0; k < int(psi.size()); ++k)
        sum += (k - c) * (k - c) * std::norm(psi[k]);
    return std::sqrt(sum / norm2(psi));
}

// Mean wave number per grid point from the central difference.
double momentum(const std::vector<cd> &psi)
{
    double sum = 0.0;
    for (int k = 1; k + 1 < int(psi.size()); ++k)
        sum += (std::conj(psi[k]) * (psi[k + 1] - psi[k - 1])).imag() * 0.5;
    return sum / norm2(psi);
}

// Reference: dense (1 + i dt H/2) x = (1 - i dt H/2) psi, solved by Gaussian elimination
// with partial pivoting on the full matrix.
std::vector<cd> denseStep(const std::vector<double> &V, const std::vector<cd> &psi, double dt)
{
    const int n = int(V.size());
    const cd I(0.0, 1.0);
    std::vector<std::vector<cd>> H(n, std::vector<cd>(n, 0.0));
    for (int i = 0; i < n; ++i) {
        H[i][i] = 1.0 + V[i];
        if (i > 0)
            H[i][i - 1] = -0.5;
        if (i + 1 < n)
            H[i][i + 1] = -0.5;
    }
    std::vector<std::vector<cd>> L(n, std::vector<cd>(n + 1, 0.0));
    for (int i = 0; i < n; ++i) {
        cd rhs = 0.0;
        for (int j = 0; j < n; ++j) {
            const cd delta = (i == j) ? 1.0 : 0.0;
            L[i][j] = delta + I * dt * 0.5 * H[i][j];
            rhs += (delta - I * dt * 0.5 * H[i][j]) * psi[j];
        }
        L[i][n] = rhs;
    }
    for (int col = 0; col < n; ++col) {
        int piv = col;
        for (int r = col + 1; r < n; ++r)
            if (std::abs(L[r][col]) > std::abs(L[piv][col]))
                piv = r;
        std::swap(L[col], L[piv]);
        for (int r = col + 1; r < n; ++r) {
            const cd f = L[r][col] / L[col][col];
            for (int c = col; c <= n; ++c)
                L[r][c] -= f * L[col][c];
        }
    }
    std::vector<cd> x(n);
    for (int i = n - 1; i >= 0; --i) {
        cd s = L[i][n];
        for (int j = i + 1; j < n; ++j)
            s -= L[i][j] * x[j];
        x[i] = s / L[i][i];
    }
    return x;
}

TEST(Propagator, StepEqualsDenseCrankNicolsonSolve)
{
    Lcg rng;
    for (int n : {1, 2, 3, 17}) {
        for (double dt : {0.7, 50.0}) {
            std::vector<double> V(n);
            std::vector<cd> psi(n);
            for (int i = 0; i < n; ++i) {
                V[i] = 0.3 * rng.next();
                psi[i] = cd(rng.next(), rng.next());
            }
            const std::vector<cd> expected = denseStep(V, psi, dt);
            Propagator prop(V.data(), psi.data(), n);
            prop.step(dt);
            for (int i = 0; i < n; ++i) {
                EXPECT_NEAR(psi[i].real(), expected[i].real(), 1e-12) << "n=" << n << " i=" << i;
                EXPECT_NEAR(psi[i].imag(), expected[i].imag(), 1e-12) << "n=" << n << " i=" << i;
            }
        }
    }
    // One point between two walls: a pure phase factor (1 - i g) / (1 + i g), g = dt (V + 1) / 2.
    double v = 0.25;
    cd one(0.6, -0.8);
    Propagator single(&v, &one, 1);
    single.step(2.0);
    const cd g(0.0, 1.25);
    const cd expected = (1.0 - g) / (1.0 + g) * cd(0.6, -0.8);
    EXPECT_NEAR(std::abs(one - expected), 0.0, 1e-15);
}

TEST(Propagator, PotentialEditActsOnTheNextStep)
{
    std::vector<double> pot(N, 0.0);
    std::vector<cd> psi(N);
    initPacket(psi.data(), 400, 100, 100, 100, 10, 400);
    Propagator prop(pot.data(), psi.data(), N);
    prop.step(50.0);

    for (int k = 450; k < 500; ++k)
        pot[k] = 0.002;
    std::vector<cd> fresh = psi;
    std::vector<cd> stale = psi;
    std::vector<double> edited = pot;
    std::vector<double> zero(N, 0.0);
    Propagator freshProp(edited.data(), fresh.data(), N);
    Propagator staleProp(zero.data(), stale.data(), N);

    prop.step(50.0);
    freshProp.step(50.0);
    staleProp.step(50.0);
    bool differsFromStale = false;
    for (int k = 0; k < N; ++k) {
        ASSERT_EQ(psi[k], fresh[k]) << k;
        differsFromStale = differsFromStale || psi[k] != stale[k];
    }
    EXPECT_TRUE(differsFromStale);
}

TEST(Propagator, NormConservedOverThousandsOfStepsWithPotential)
{
    std::vector<double> pot(N);
    for (int k = 0; k < N; ++k)
        pot[k] = 0.00002 * (k - 512) / 512.0 + (k > 600 && k < 640 ? 0.003 : 0.0)
                 - (k > 200 && k < 320 ? 0.002 : 0.0);
    std::vector<cd> psi(N);
    initPacket(psi.data(), 400, 150, 80, 150, 20, 400);
    const std::vector<cd> start = psi;
    const double n0 = norm2(psi);
    Propagator prop(pot.data(), psi.data(), N);
    for (int i = 0; i < 3000; ++i)
        prop.step(50.0);
    EXPECT_LT(std::fabs(norm2(psi) - n0) / n0, 1e-10);
    // The wave function did evolve away from the start (the test is not vacuous).
    cd overlap = 0.0;
    for (int k = 0; k < N; ++k)
        overlap += std::conj(start[k]) * psi[k];
    EXPECT_LT(std::abs(overlap) / n0, 0.5);
}

TEST(Propagator, FreeChirpedPacketNarrowsThenSpreads)
{
    std::vector<double> pot(N, 0.0);
    std::vector<cd> psi(N);
    initPacket(psi.data(), 512, 100, 100, 0, 10, 400);
    EXPECT_NEAR(spread(psi), 50.0, 1e-6);
    Propagator prop(pot.data(), psi.data(), N);
    for (int i = 0; i < 46; ++i)
        prop.step(50.0);
    EXPECT_NEAR(spread(psi), 41.8, 0.05);
    EXPECT_NEAR(centre(psi), 512.0, 1e-6);
    for (int i = 46; i < 120; ++i)
        prop.step(50.0);
    EXPECT_NEAR(spread(psi), 60.9, 0.05);
    EXPECT_NEAR(centre(psi), 512.0, 1e-6);
}

TEST(Propagator, MovingPacketTravelsAndReflectsAtBothWalls)
{
    std::vector<double> pot(N, 0.0);
    std::vector<cd> psi(N);
    initPacket(psi.data(), 300, 100, 100, 100, 1, 400);
    Propagator prop(pot.data(), psi.data(), N);
    for (int i = 0; i < 40; ++i)
        prop.step(50.0);
    EXPECT_NEAR(centre(psi), 339.0, 0.5);

    // Fast packets towards either wall: momentum reverses, the packet comes back, norm stays.
    for (int dir : {1, -1}) {
        const int start = dir > 0 ? 800 : 224;
        initPacket(psi.data(), start, 100, 200, dir * 400, 1, 400);
        const double n0 = norm2(psi);
        const double p0 = momentum(psi);
        EXPECT_GT(dir * p0, 0.07);
        for (int i = 0; i < 150; ++i)
            prop.step(50.0);
        EXPECT_LT(dir * momentum(psi), -0.07) << dir;
        EXPECT_LT(dir * (centre(psi) - start), -100.0) << dir;
        EXPECT_NEAR(norm2(psi) / n0, 1.0, 1e-12);
    }
}

TEST(Propagator, DegenerateArgumentsDoNothing)
{
    std::vector<double> pot(4, 0.0);
    std::vector<cd> psi(4, cd(1.0, 0.0));
    for (Propagator prop : {Propagator(pot.data(), psi.data(), 0), Propagator(pot.data(), psi.data(), -5),
                            Propagator(nullptr, psi.data(), 4), Propagator(pot.data(), nullptr, 4)})
        prop.step(50.0);
    EXPECT_EQ(psi, std::vector<cd>(4, cd(1.0, 0.0)));
}
}
