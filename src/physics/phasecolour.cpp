#include "phasecolour.h"

#include <algorithm>
#include <cmath>

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
}

PhaseColour phaseColour(std::complex<double> z)
{
    if (!std::isfinite(z.real()) || !std::isfinite(z.imag()))
        return {103, 103, 183};
    const double m = std::abs(z);
    const double theta = std::arg(z);  // atan2, 0 for z = 0
    const double s = 1.0 - std::exp(-5.0 * m);
    const double c0 = std::cos(theta);
    const double c1 = std::cos(theta + 2.1);
    const double c2 = std::cos(theta + 4.2);
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
