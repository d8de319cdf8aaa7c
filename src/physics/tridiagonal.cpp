// SPDX-License-Identifier: GPL-3.0-or-later
#include "physics/tridiagonal.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <utility>

namespace {

// An irregular start in [0.5, 1): no eigenvector is orthogonal to it by accident.
class Irregular
{
public:
    double next()
    {
        z = z * 6364136223846793005ULL + 1442695040888963407ULL;
        return 0.5 + double(z >> 11) * 0x1p-54;
    }

private:
    std::uint64_t z = 0x2545F4914F6CDD1DULL;
};

double dot(const std::vector<double> &a, const std::vector<double> &b)
{
    double s = 0.0;
    for (std::size_t i = 0; i < a.size(); ++i)
        s += a[i] * b[i];
    return s;
}

// Scales x to norm 1; false if it has none.
bool unit(std::vector<double> &x)
{
    const double m = *std::max_element(x.begin(), x.end(), [](double a, double b) { return std::fabs(a) < std::fabs(b); });
    if (!(std::fabs(m) > 0.0) || !std::isfinite(m))
        return false;
    const double toOne = 1.0 / std::fabs(m); // first to magnitude 1, so the squares below stay in range
    for (double &v : x)
        v *= toOne;
    const double toUnit = 1.0 / std::sqrt(dot(x, x));
    for (double &v : x)
        v *= toUnit;
    return true;
}

} // namespace

Tridiagonal::Tridiagonal(const std::vector<double> &d)
    : u0(d.size()), u1(d.size()), u2(d.size()), mult(d.size()), inverse(d.size()), swapped(d.size())
{
    const int n = int(d.size());
    if (n == 0)
        return;
    double ri = d[0]; // the row being eliminated, at columns i and i + 1
    double ri1 = -1.0;
    for (int i = 0; i + 1 < n; ++i) {
        if (std::fabs(ri) >= 1.0) {
            u0[i] = ri;
            u1[i] = ri1;
            mult[i] = -1.0 / ri;
            ri = d[i + 1] - mult[i] * ri1;
            ri1 = -1.0;
        } else {
            swapped[i] = 1;
            u0[i] = -1.0;
            u1[i] = d[i + 1];
            u2[i] = -1.0;
            mult[i] = -ri;
            ri = ri1 - mult[i] * d[i + 1];
            ri1 = mult[i];
        }
    }
    u0[n - 1] = std::fabs(ri) < 0x1p-80 ? 0x1p-80 : ri;
    // The back substitution multiplies by these instead of dividing: a chain of divisions would
    // set its pace.
    for (int i = 0; i < n; ++i)
        inverse[i] = 1.0 / u0[i];
}

double Tridiagonal::solve(std::vector<double> &x, int *peak) const
{
    const int n = size();
    for (int i = 0; i + 1 < n; ++i) {
        if (swapped[i])
            std::swap(x[i], x[i + 1]);
        x[i + 1] -= mult[i] * x[i];
    }
    double m = 0.0;
    for (int i = n - 1; i >= 0; --i) {
        const double next = i + 1 < n ? x[i + 1] : 0.0;
        const double after = i + 2 < n ? x[i + 2] : 0.0;
        x[i] = (x[i] - u1[i] * next - u2[i] * after) * inverse[i];
        const double a = std::fabs(x[i]);
        if (!std::isfinite(a))
            return 0.0;
        if (a > m) {
            m = a;
            if (peak)
                *peak = i;
        }
    }
    return m;
}

double Tridiagonal::residual(const std::vector<double> &d, const std::vector<double> &x)
{
    const int n = int(d.size());
    double s = 0.0;
    for (int i = 0; i < n; ++i) {
        const double r = d[i] * x[i] - (i > 0 ? x[i - 1] : 0.0) - (i + 1 < n ? x[i + 1] : 0.0);
        s += r * r;
    }
    return std::sqrt(s);
}

std::vector<double> Tridiagonal::nullVector(const std::vector<double> &d)
{
    const Tridiagonal t(d);
    const int n = t.size();
    std::vector<double> x(n);
    Irregular start;
    for (double &b : x)
        b = start.next();
    int peak = 0;
    for (int it = 0; it < 2; ++it) {
        const double m = t.solve(x, &peak);
        if (m == 0.0)
            return {};
        for (double &v : x)
            v /= m;
    }
    std::fill(x.begin(), x.end(), 0.0);
    x[peak] = 1.0;
    double m = t.solve(x);
    if (m == 0.0)
        return {};
    int last = n - 1;
    while (x[last] == 0.0)
        --last;
    if (x[last] < 0.0)
        m = -m;
    for (double &v : x)
        v /= m;
    return x;
}

std::vector<std::vector<double>> Tridiagonal::cluster(const std::vector<std::vector<double>> &diagonals)
{
    std::vector<std::vector<double>> out;
    Irregular start;
    for (const std::vector<double> &d : diagonals) {
        const Tridiagonal t(d);
        std::vector<double> x(d.size());
        for (double &b : x)
            b = start.next();
        // The first step leaves the other eigenvectors at 1e-11 or less of this one (the distance
        // to the eigenvalue over the distance to the others outside the cluster), the next one
        // squares that; those inside are removed by the orthogonalisation, twice for its rounding,
        // and a third step settles the rest.
        const int steps = diagonals.size() == 1 ? 2 : 3;
        for (int it = 0; it < steps; ++it) {
            if (t.solve(x) == 0.0 || !unit(x))
                return {};
            for (int pass = 0; pass < 2; ++pass)
                for (const std::vector<double> &q : out) {
                    const double c = dot(x, q);
                    for (std::size_t i = 0; i < x.size(); ++i)
                        x[i] -= c * q[i];
                }
            if (!unit(x))
                return {};
        }
        const double top = std::fabs(*std::max_element(x.begin(), x.end(), [](double a, double b) { return std::fabs(a) < std::fabs(b); }));
        int last = int(x.size()) - 1;
        while (last > 0 && std::fabs(x[last]) <= 1e-3 * top)
            --last;
        if (x[last] < 0.0)
            for (double &v : x)
                v = -v;
        out.push_back(std::move(x));
    }
    return out;
}

std::vector<double> Tridiagonal::refine(const std::vector<double> &d, const std::vector<double> &x)
{
    const Tridiagonal t(d);
    std::vector<double> y = x;
    for (int it = 0; it < 2; ++it)
        if (t.solve(y) == 0.0 || !unit(y))
            return {};
    if (dot(x, y) < 0.0)
        for (double &v : y)
            v = -v;
    return y;
}
