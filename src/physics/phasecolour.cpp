#include "phasecolour.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {
constexpr int GridPoints = 1024;

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
    const double s = 1.0 - std::exp(-5.0 * modulus);
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
