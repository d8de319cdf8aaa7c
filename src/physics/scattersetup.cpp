// SPDX-License-Identifier: GPL-3.0-or-later
#include "physics/scattersetup.h"

#include "physics/scattersolver.h"

#include <algorithm>
#include <cmath>

static_assert(ScatterSetup::GridSize == ScatterSolver::GridSize, "the solver works on the window's grid");

namespace {
// Truncation toward zero that cannot overflow int, whatever the potential's values.
int truncated(double v)
{
    if (std::isnan(v))
        return 0;
    return int(std::fmax(-1.0e6, std::fmin(1.0e6, v)));
}
} // namespace

ScatterSetup ScatterSetup::prepare(const double *samples, int count)
{
    ScatterSetup s;
    s.raw.assign(GridSize, 0.0);
    std::vector<double> &raw = s.raw;
    const int n = samples ? std::clamp(count, 0, GridSize) : 0;
    const int m = int((GridSize - n) * 0.5);
    // A sample that is not a finite number (or overflows when scaled) counts as 0.
    auto finite = [](double v) { return std::isfinite(v) ? v : 0.0; };
    // The margins continue the end samples at the interior's scale, so that the potential ends
    // where the drawing ends and not in an artificial step.
    const double first = n > 0 ? finite(samples[0] * PotentialFactor) : 0.0;
    const double last = n > 0 ? finite(samples[n - 1] * PotentialFactor) : 0.0;
    for (int j = 0; j < m; ++j)
        raw[j] = first;
    for (int j = m; j < m + n; ++j) {
        raw[j] = finite(samples[j - m] * PotentialFactor);
        if (raw[j] != 0.0)
            s.refused = false;
    }
    for (int j = m + n; j < GridSize; ++j)
        raw[j] = last;
    if (s.refused)
        return s;

    s.vMax = -1e10;
    s.vMin = 1e10;
    for (double v : raw) {
        if (v > s.vMax)
            s.vMax = v;
        if (v < s.vMin)
            s.vMin = v;
    }
    double scaleSetting;
    if (s.vMax > 0) {
        s.vRef = s.vMax;
        s.eMax = 2 * s.vMax;
        s.eLow = 2 * s.vMin;
        scaleSetting = (1000.0 / s.eMax) * s.vMax;
    } else {
        s.vRef = s.eMax = std::fabs(s.vMax - s.vMin);
        // All samples equal (only possible when the grid is filled without margins): the level
        // itself is the unit, so nothing divides by zero.
        if (s.vRef == 0.0)
            s.vRef = s.eMax = std::fabs(s.vMin);
        s.eLow = 2 * s.vMin;
        scaleSetting = (1000.0 / s.eMax) * s.eMax;
    }
    s.scaleValue = truncated(scaleSetting);

    // Integrate exactly over the stretch where the samples change.
    int right = GridSize - 1;
    while (right > 0 && raw[right] == raw[right - 1])
        --right;
    int left = 0;
    while (left < GridSize - 1 && raw[left] == raw[left + 1])
        ++left;
    if (left >= right) { // a flat grid: integrate across all of it
        left = 0;
        right = GridSize - 1;
    }
    s.leftEdge = left;
    s.rightEdge = right;
    return s;
}

double ScatterSetup::widthFactor(int value)
{
    return value * 0.00001;
}

double ScatterSetup::potentialScale(double eMax, int value, double vRef)
{
    return eMax * value * 0.001 / vRef;
}

int ScatterSetup::scaleValueFor(double factor, double eMax, double vRef, bool *exact)
{
    const double value = factor * vRef * 1000.0 / eMax;
    const bool inside = value >= -0.5 && value < 1000.5; // false for NaN too
    if (exact)
        *exact = inside;
    if (!inside)
        return value < 0.0 ? 0 : 1000;
    return int(std::lround(value));
}

ScatterSetup::EnergyRange ScatterSetup::energyRange(int value, double vMax, double vMin, double vRef)
{
    const double f = 10 - value;
    // Without a positive sample f * vMax would not be positive: the slider then scales the
    // initial range vRef (set at f = 2) instead.
    const bool positive = vMax > 0.0;
    EnergyRange r;
    r.eMax = positive ? f * vMax : f * 0.5 * vRef;
    r.eLow = f * vMin;
    r.factor = positive ? r.eMax / vMax : f * 0.5; // in units of the depth vRef
    return r;
}
