// SPDX-License-Identifier: GPL-3.0-or-later
#include "physics/grid.h"
#include "physics/phasecolour.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

namespace {

int mapColumn(int x, int viewWidth)
{
    if (viewWidth <= 0)
        return 0;
    // 64-bit product: x * 1024 overflows int for columns beyond two million.
    const long long k = static_cast<long long>(x) * GridPoints / viewWidth;
    return static_cast<int>(std::clamp<long long>(k, 0, GridPoints - 1));
}

// The fixed rotations of the green and blue channels' phases.
const double cos21 = std::cos(2.1), sin21 = std::sin(2.1);
const double cos42 = std::cos(4.2), sin42 = std::sin(4.2);

// exp(x) for -40 <= x <= 0 to a few units in the last place, in plain arithmetic. A live frame needs up to 1024
// of them; the library's exp is a vector-instruction variant, and once the toolkit's own vector
// code had run, each call paid about 150 ns for the instruction-set transition on the development
// machine, thirty times its cost.
struct PowersOfTwo
{
    double of[32]; // 2^(j/32)
    PowersOfTwo()
    {
        for (int j = 0; j < 32; ++j)
            of[j] = std::exp2(j / 32.0);
    }
};
const PowersOfTwo twoTo;

double expNonPositive(double x)
{
    // x = (32 e + j) ln2/32 + r with |r| <= ln2/64, 0 <= j < 32; ln2/32 split in two so that
    // k ln2Hi is exact.
    constexpr double ln2Hi = 6.93147180369123816490e-01 / 32;
    constexpr double ln2Lo = 1.90821492927058770002e-10 / 32;
    constexpr double invLn2 = 32 * 1.44269504088896338700;
    const int k = static_cast<int>(x * invLn2 - 0.5); // nearest integer, x <= 0
    const double r = (x - k * ln2Hi) - k * ln2Lo;
    const int j = k & 31;
    const int e = (k - j) / 32; // -58 <= e <= 0: 2^e is a normal number, set by its bit pattern
    const std::uint64_t bits = std::uint64_t(1023 + e) << 52;
    double scale;
    std::memcpy(&scale, &bits, sizeof scale);
    // exp(r) to r^6/6! (the rest is below 1e-17), grouped in pairs to shorten the dependency chain.
    const double r2 = r * r;
    const double p = (1.0 + r) + r2 * ((0.5 + r * (1.0 / 6)) + r2 * (((1.0 / 24) + r * (1.0 / 120)) + r2 * (1.0 / 720)));
    return p * twoTo.of[j] * scale;
}
} // namespace

PhaseColour phaseColour(std::complex<double> z)
{
    return phaseColour(z, std::abs(z));
}

PhaseColour phaseColour(std::complex<double> z, double modulus)
{
    constexpr PhaseColour faded{103, 103, 183};
    double re = z.real();
    double im = z.imag();
    if (!std::isfinite(re) || !std::isfinite(im))
        return faded;
    // Each channel adds trunc(q(c) s) to its base, with |q| <= 183.1 for |c| <= 1; below
    // FadedModulus s < 0.005, so every product truncates to 0 (z = 0, with no phase, included).
    if (!(modulus >= FadedModulus))
        return faded;
    double m = modulus;
    if (!(m <= std::numeric_limits<double>::max())) { // |z| overflows although z is finite
        re = std::ldexp(re, -2);
        im = std::ldexp(im, -2);
        m = std::hypot(re, im);
    }
    // cos(theta + a) = cos theta cos a - sin theta sin a with cos theta = Re z/|z| and
    // sin theta = Im z/|z|: no trigonometry per value.
    const double c0 = re / m;
    const double s0 = im / m;
    const double c1 = c0 * cos21 - s0 * sin21;
    const double c2 = c0 * cos42 - s0 * sin42;
    // exp(-40) < 5e-18 leaves 1 - exp(-40) at 1.
    const double s = modulus < 8.0 ? 1.0 - expNonPositive(-5.0 * modulus) : 1.0;
    PhaseColour colour;
    colour.red = static_cast<int>(((202.0 * c0 + 50.0) * c0 - 100.0) * s) + 103;
    colour.green = static_cast<int>(((202.0 * c2 + 50.0) * c2 - 100.0) * s) + 103;
    colour.blue = static_cast<int>(((202.0 * c1 + 50.0) * c1 - 180.0) * s) + 183;
    return colour;
}

int columnIndex(int column, int viewWidth)
{
    return mapColumn(column, viewWidth);
}

int gridIndex(int x, int viewWidth)
{
    return mapColumn(x, viewWidth);
}
