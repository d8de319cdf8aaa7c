// SPDX-License-Identifier: GPL-3.0-or-later
#include "physics/stationarystates.h"

#include "physics/grid.h"
#include "physics/tridiagonal.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numeric>

namespace {

// The propagator's off-diagonal: -1/2 (psi_{n+1} + psi_{n-1}).
constexpr double Off = -0.5;

// Previously refined states whose eigenvalues lie this close (relative to max(1, |E|)) are kept
// orthogonal explicitly: rounding alone cannot tell such eigenvalues' vectors apart.
constexpr double Cluster = 1e-6;

double dot(const std::vector<double> &a, const std::vector<double> &b)
{
    return std::inner_product(a.begin(), a.end(), b.begin(), 0.0);
}

// Scales x to unit norm; false (x unchanged) if its norm is 0 or not finite.
bool normalise(std::vector<double> &x)
{
    const double s = std::sqrt(dot(x, x));
    if (!(s > 0.0) || !std::isfinite(s))
        return false;
    for (double &v : x)
        v /= s;
    return true;
}

void orthogonalise(std::vector<double> &x, const std::vector<const std::vector<double> *> &against)
{
    for (const std::vector<double> *q : against) {
        const double c = dot(*q, x);
        for (std::size_t i = 0; i < x.size(); ++i)
            x[i] -= c * (*q)[i];
    }
}

// A start without structure, for when nothing better is at hand.
std::vector<double> irregular(std::size_t n)
{
    std::vector<double> x(n);
    std::uint64_t z = 0x9E3779B97F4A7C15ULL;
    for (double &v : x) {
        z = z * 6364136223846793005ULL + 1442695040888963407ULL;
        v = 0.5 + double(z >> 11) * 0x1p-54;
    }
    return x;
}

} // namespace

std::vector<double> StationaryStates::refine(const std::vector<double> &V, double E, std::vector<double> start,
                                             const std::vector<const std::vector<double> *> &against, double *eigenvalue)
{
    const std::size_t n = V.size();
    // H - E is half of tridiag(-1, 2 (V + 1 - E), -1): the factor the eigenfunctions use serves,
    // as the scale drops out when each iterate is normalised.
    std::vector<double> diag(n);
    for (std::size_t i = 0; i < n; ++i)
        diag[i] = 2.0 * ((V[i] + 1.0) - E); // the diagonal as the propagator forms it, shifted
    const Tridiagonal factor(diag);

    std::vector<double> x = std::move(start);
    x.resize(n);
    const double before = std::sqrt(dot(x, x));
    orthogonalise(x, against);
    // A start that was (nearly) one of the vectors to avoid, or none at all, is replaced.
    if (!(std::sqrt(dot(x, x)) > 1e-3 * before) || !normalise(x)) {
        x = irregular(n);
        orthogonalise(x, against);
        normalise(x);
    }
    // Each solve shrinks the other eigenvectors' share by (distance of E to the eigenvalue) / (to
    // theirs): from the solver's 1e-8 to rounding in two, a third only confirms it.
    for (int it = 0; it < 4; ++it) {
        std::vector<double> y = x;
        factor.solve(y);
        orthogonalise(y, against);
        if (!normalise(y))
            break;
        if (dot(y, x) < 0.0)
            for (double &v : y)
                v = -v;
        double change = 0.0;
        for (std::size_t i = 0; i < n; ++i)
            change = std::max(change, std::fabs(y[i] - x[i]));
        x = std::move(y);
        if (it >= 1 && change < 1e-14)
            break;
    }
    if (eigenvalue) {
        // The Rayleigh quotient, with the propagator's matrix.
        double e = 0.0;
        for (std::size_t i = 0; i < n; ++i) {
            const double left = i > 0 ? x[i - 1] : 0.0;
            const double right = i + 1 < n ? x[i + 1] : 0.0;
            e += x[i] * ((V[i] + 1.0) * x[i] + Off * (left + right));
        }
        *eigenvalue = e;
    }
    return x;
}

StationaryStates::StationaryStates(const double *surfacePot, const EigenSolver::Trace &trace)
    : potential(GridPoints, 0.0)
{
    std::vector<double> scaled(GridPoints, 0.0);
    if (surfacePot) {
        std::copy(surfacePot, surfacePot + GridPoints, potential.begin());
        for (int j = 0; j < GridPoints; ++j)
            scaled[j] = potential[j] * WindowUnits;
    }
    search = std::make_unique<EigenSolver>(surfacePot ? scaled.data() : nullptr, EigenSolver::EvolutionScale, trace);
    const EigenSolver::BoundStates &found = search->boundStates();
    const int n = int(found.energies.size());
    vectors.reserve(n);
    energies.reserve(n);
    for (int k = 0; k < n; ++k) {
        const double E = found.energies[k] / WindowUnits;
        std::vector<const std::vector<double> *> close;
        for (int j = 0; j < k; ++j)
            if (std::fabs(energies[j] - E) <= Cluster * std::max(1.0, std::fabs(E)))
                close.push_back(&vectors[j]);
        double e = E;
        std::vector<double> x = refine(potential, E, found.eigenFunction(k), close, &e);
        // The sign of a picture in a book: the leftmost lobe upwards.
        double peak = 0.0;
        for (double v : x)
            peak = std::max(peak, std::fabs(v));
        const auto first = std::find_if(x.begin(), x.end(), [peak](double v) { return std::fabs(v) > 1e-3 * peak; });
        if (first != x.end() && *first < 0.0)
            for (double &v : x)
                v = -v;
        vectors.push_back(std::move(x));
        energies.push_back(e);
    }
}

double StationaryStates::energy(int k) const
{
    return k >= 0 && k < count() ? energies[k] : 0.0;
}

const std::vector<double> &StationaryStates::state(int k) const
{
    static const std::vector<double> none;
    return k >= 0 && k < count() ? vectors[k] : none;
}

std::vector<std::complex<double>> StationaryStates::superposition(const std::vector<Part> &parts) const
{
    std::vector<std::complex<double>> psi(GridPoints, 0.0);
    bool any = false;
    for (const Part &p : parts) {
        if (p.index < 0 || p.index >= count() || !std::isfinite(p.weight) || !std::isfinite(p.phase))
            continue;
        const std::complex<double> c = p.weight * std::polar(1.0, p.phase);
        const std::vector<double> &v = vectors[p.index];
        for (int j = 0; j < GridPoints; ++j)
            psi[j] += c * v[j];
        any = true;
    }
    double norm = 0.0;
    for (const std::complex<double> &z : psi)
        norm += std::norm(z);
    if (!any || !(norm > 0.0) || !std::isfinite(norm))
        return {};
    const double s = 1.0 / std::sqrt(norm);
    for (std::complex<double> &z : psi)
        z *= s;
    return psi;
}
