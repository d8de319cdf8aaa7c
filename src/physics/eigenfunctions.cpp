// SPDX-License-Identifier: GPL-3.0-or-later
#include "physics/eigenfunctions.h"

#include "physics/grid.h"
#include "physics/tridiagonal.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr int Half = GridPoints / 2;

// The eigenfunction from the recurrence is kept while the grid equation holds to this, relative to
// its norm. Where the trimming met the growing solution a row misses by up to about 3e-8; a state
// swamped by that solution misses by far more.
constexpr double Tolerance = 1e-7;

// Largest angle between a returned eigenfunction and the true one, over the distance to the next
// eigenvalue in units of the grid equation: two neighbours then overlap by less than 1e-8.
constexpr double AngleBudget = 2e-9;

// Eigenvalues closer than this share a cluster, relative to the matrix's scale at them (the kinetic
// coupling, and |E| where V - E loses digits): below it, rounding alone could tilt an eigenvector
// computed by itself towards its neighbour by more than the budget above.
constexpr double ClusterWidth = 1e-6;

// A longer chain of close eigenvalues (only absurd potentials, with samples near 1e10, have one) is
// cut into clusters of this many; the cost grows with the square of the size.
constexpr int MaxCluster = 64;

// Sum of psi[j]^2 over the grid (the wall entry is 0).
double squares(const std::vector<double> &psi)
{
    double s = 0.0;
    for (const double v : psi)
        s += v * v;
    return s;
}

// Multiplies the grid entries by the factor that makes sum psi^2 = 400000, given s = sum (psi / m)^2.
void normalise(std::vector<double> &psi, double s, double m)
{
    const double factor = 100.0 * std::sqrt(40.0 / s) / m;
    for (std::size_t j = 0; j + 1 < psi.size(); ++j)
        psi[j] *= factor;
}

} // namespace

EigenFunctions::EigenFunctions(const double *pot, const double *values, int count, double scale)
    : pot(pot), values(values), count(std::max(count, 0)), scale(scale)
{
    mirrored = true;
    for (int i = 0; i < Half && mirrored; ++i)
        mirrored = pot[i] == pot[GridPoints - 1 - i];
}

std::vector<double> EigenFunctions::diagonals(double e, int parity) const
{
    if (parity < 0) {
        std::vector<double> d(GridPoints);
        for (int i = 0; i < GridPoints; ++i)
            d[i] = diagonal(i, e);
        return d;
    }
    // Half the grid: psi_512 = +-psi_511 folds the last row's right neighbour into its diagonal.
    std::vector<double> d(Half);
    for (int i = 0; i < Half; ++i)
        d[i] = diagonal(i, e);
    d[Half - 1] += parity == 0 ? -1.0 : 1.0;
    return d;
}

void EigenFunctions::clusterOf(int k, int step, int &k0, int &k1) const
{
    auto linked = [&](int i) { // i and i + step
        const double a = values[i];
        const double b = values[i + step];
        return b - a <= ClusterWidth * (scale + std::max(std::fabs(a), std::fabs(b)));
    };
    int first = k;
    while (first - step >= 0 && linked(first - step))
        first -= step;
    int last = k;
    while (last + step < count && linked(last))
        last += step;
    k0 = first + (k - first) / (step * MaxCluster) * (step * MaxCluster);
    k1 = std::min(last, k0 + (MaxCluster - 1) * step);
}

bool EigenFunctions::clusterState(int k, int step, std::vector<double> &psi) const
{
    int k0 = 0;
    int k1 = 0;
    clusterOf(k, step, k0, k1);
    const int parity = step == 2 ? k % 2 : -1;
    // One cluster of each symmetry is kept: the states are asked for in turn, alternating.
    Cache &cache = caches[parity < 0 ? 0 : parity];
    if (cache.step != step || cache.k0 != k0 || cache.k1 != k1) {
        std::vector<std::vector<double>> diags;
        for (int j = k0; j <= k1; j += step)
            diags.push_back(diagonals(values[j], parity));
        cache = {step, k0, k1, Tridiagonal::cluster(diags)};
    }
    if (cache.vectors.empty())
        return false;
    const std::vector<double> &x = cache.vectors[(k - k0) / step];
    std::fill(psi.begin(), psi.end(), 0.0);
    if (parity < 0) {
        std::copy(x.begin(), x.end(), psi.begin());
    } else {
        for (int i = 0; i < Half; ++i) {
            psi[i] = x[i];
            psi[GridPoints - 1 - i] = parity == 0 ? x[i] : -x[i];
        }
        // Positive towards the right wall, as the recurrence from there gives it.
        double top = 0.0;
        for (int i = 0; i < Half; ++i)
            top = std::max(top, std::fabs(x[i]));
        int i = 0;
        while (i + 1 < Half && std::fabs(x[i]) <= 1e-3 * top)
            ++i;
        if (psi[GridPoints - 1 - i] < 0.0)
            for (double &v : psi)
                v = -v;
    }
    normalise(psi, squares(psi), 1.0);
    return true;
}

std::vector<double> EigenFunctions::state(int k) const
{
    std::vector<double> psi(GridPoints + 1, 0.0);
    if (k < 0 || k >= count)
        return psi;
    if (mirrored && clusterState(k, 2, psi))
        return psi;
    int k0 = 0;
    int k1 = 0;
    clusterOf(k, 1, k0, k1);
    if (k0 < k1 && clusterState(k, 1, psi))
        return psi;
    psi = recurrence(k);
    // Kept if its residual bounds its angle to the true eigenvector within the budget: the
    // neighbours' eigenvalues lie at least `gap` away.
    const double e = values[k];
    double gap = std::numeric_limits<double>::infinity();
    if (k > 0)
        gap = e - values[k - 1];
    if (k + 1 < count)
        gap = std::min(gap, values[k + 1] - e);
    const std::vector<double> d = diagonals(e, -1);
    const std::vector<double> x(psi.begin(), psi.begin() + GridPoints);
    const double norm = std::sqrt(squares(x));
    if (!(norm > 0.0) || Tridiagonal::residual(d, x) / norm * (scale / 2.0) <= AngleBudget * gap)
        return psi;
    const std::vector<double> y = Tridiagonal::refine(d, x);
    if (!y.empty()) {
        std::copy(y.begin(), y.end(), psi.begin());
        normalise(psi, squares(psi), 1.0);
    }
    return psi;
}

std::vector<double> EigenFunctions::recurrence(int k) const
{
    std::vector<double> psi(GridPoints + 1, 0.0);
    const double E = values[k];
    psi[GridPoints - 1] = 1.0;
    double d = diagonal(GridPoints - 1, E);
    for (int i = GridPoints - 2; i >= 0; --i) {
        psi[i] = d * psi[i + 1] - psi[i + 2];
        d = diagonal(i, E);
        const double a = std::fabs(psi[i]);
        if (a > 100.0) {
            // Keep the growing solution in range. One factor 0.01 suffices unless the potential
            // is enormous; then enough of them are combined into one so the next step stays finite.
            double factor = 0.01;
            for (double r = a * 0.01; r > 100.0; r *= 0.01)
                factor *= 0.01;
            for (int j = i; j < GridPoints; ++j)
                psi[j] *= factor;
        }
    }
    // Drop the part that grows towards the left wall when E is not exactly an eigenvalue.
    int t = 0;
    for (; t < GridPoints - 1 && std::fabs(psi[t + 1]) < std::fabs(psi[t]); ++t)
        psi[t] = 0.0;
    // s = sum (psi / m)^2. Far below magnitude 1 the squares leave the double range, so there m is
    // the largest magnitude; below 2^-900 the entries that matter may have lost precision, subnormal.
    double s = squares(psi);
    double m = 1.0;
    if (!(s >= 0x1p-800)) {
        m = 0.0;
        for (int j = t; j < GridPoints; ++j)
            m = std::max(m, std::fabs(psi[j]));
        s = 0.0;
        if (m >= 0x1p-900)
            for (int j = t; j < GridPoints; ++j)
                s += (psi[j] / m) * (psi[j] / m);
    }
    // Each step solved a row of the grid equation, so only rows t - 1 and t (the first entry kept,
    // with a zero or the wall to its left) can miss.
    const double miss = std::max(t > 0 ? std::fabs(psi[t]) : 0.0, std::fabs(diagonal(t, E) * psi[t] - psi[t + 1]));
    if (s > 0.0)
        normalise(psi, s, m); // now: should the replacement below fail too, this result stands, normalised
    if (s > 0.0 && miss / m <= Tolerance * std::sqrt(s))
        return psi;
    // The recurrence failed: E's rounding error excited the solution that grows towards the left
    // wall, and across a high or wide barrier that swamped the state or rescaled it to nothing. The
    // replacement meets both walls by construction, so there is no tail to trim (trimming would cut
    // true entries where |psi| drops from the wall, as at wavelengths below six points).
    const std::vector<double> x = Tridiagonal::nullVector(diagonals(E, -1));
    if (!x.empty()) {
        std::copy(x.begin(), x.end(), psi.begin());
        normalise(psi, squares(psi), 1.0);
    }
    return psi;
}
