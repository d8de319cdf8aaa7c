// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef QUANTAURA_TRIDIAGONAL_H
#define QUANTAURA_TRIDIAGONAL_H

#include <vector>

// The grid equation's matrix tridiag(-1, d, -1) at one energy (d_i = 2 + (V_i - E) / 20000, walls
// beyond both ends), factored by Gaussian elimination with row exchanges for inverse iteration.
// The elimination is stable for any diagonal: every pivot but the last is at least 1 in magnitude,
// the off-diagonal being -1. The last pivot is about the distance to the nearest eigenvalue; an
// exact 0 is moved off by a trifle.
class Tridiagonal
{
public:
    explicit Tridiagonal(const std::vector<double> &d);

    int size() const { return int(u0.size()); }
    // x <- the solution of M y = x. Returns the largest magnitude and its index in *peak, or 0
    // if an entry is not finite.
    double solve(std::vector<double> &x, int *peak = nullptr) const;

    // Euclidean norm of tridiag(-1, d, -1) x.
    static double residual(const std::vector<double> &d, const std::vector<double> &x);

    // The eigenvector whose eigenvalue lies nearest 0, scaled to largest magnitude 1 and positive
    // towards the right wall; empty if that fails. Two steps of inverse iteration from an
    // irregular start find where the vector peaks; the last solve has its source there alone. On
    // either side of the source that solution is the one of the three-term recurrence that meets
    // the wall on that side, grown from it (the stable direction), so its tails decay cleanly.
    static std::vector<double> nullVector(const std::vector<double> &d);

    // Orthonormal eigenvectors of a cluster of m eigenvalues (ascending, with the diagonals at
    // them in `diagonals`): for each in turn, inverse iteration at its own eigenvalue from an
    // irregular start, orthogonalised against those before it at every step. Eigenvalues apart
    // by more than working precision give their own eigenvectors; for those that are not, any
    // orthonormal basis of their eigenspace is the answer. Each vector has norm 1, and its last
    // entry above 1e-3 of its largest magnitude is positive; empty if a solve fails.
    static std::vector<std::vector<double>> cluster(const std::vector<std::vector<double>> &diagonals);

    // Starting from x, two steps of inverse iteration (an eigenvector to working precision even
    // where x missed it by 1e-7), with norm 1 and the sign of x. Empty if a solve fails.
    static std::vector<double> refine(const std::vector<double> &d, const std::vector<double> &x);

private:
    std::vector<double> u0, u1, u2, mult, inverse;
    std::vector<char> swapped;
};

#endif
