// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef QUANTAURA_EIGENFUNCTIONS_H
#define QUANTAURA_EIGENFUNCTIONS_H

#include <vector>

// The eigenfunctions of the bound states that EigenSolver has found, one on request, each
// orthogonal to its neighbours to 1e-8 however close their eigenvalues lie:
// - On a mirror-symmetric potential (to the last bit) state k is symmetric for even k and
//   antisymmetric for odd k (it has k nodes). It is computed on half the grid, with that symmetry
//   as the condition at the centre, and reflected, so a pair split by less than the eigenvalues'
//   precision still comes back as the two states of opposite symmetry, orthogonal exactly.
// - Otherwise eigenvalues closer than about 1e-6 of the matrix's scale form a cluster, whose
//   eigenfunctions are found together by inverse iteration with orthogonalisation.
// - An isolated state comes from the recurrence from the right wall, its tail growing towards the
//   left wall set to 0, where that meets the grid equation well enough to be orthogonal to its
//   neighbours; else (across high or wide barriers, or where the trimming cut too early) it is
//   refined by inverse iteration.
class EigenFunctions
{
public:
    // Borrows `pot` (GridPoints samples, each finite) and the `count` eigenvalues in `values`, in
    // ascending order; both must outlive this object unchanged. `scale` is the solver's kinetic
    // scale S (the matrix is (S/2) tridiag(-1, 2, -1) + diag(pot)).
    EigenFunctions(const double *pot, const double *values, int count, double scale);
    EigenFunctions(const EigenFunctions &) = delete;
    EigenFunctions &operator=(const EigenFunctions &) = delete;

    // Eigenfunction k on the grid (entries 0..1023) plus the wall entry 1024 = 0, normalised to
    // sum psi^2 = 400000 and positive towards the right wall. Out-of-range k: all zeros.
    std::vector<double> state(int k) const;
    bool mirrorSymmetric() const { return mirrored; }

private:
    double diagonal(int i, double e) const { return ((pot[i] - e) / scale + 1.0) * 2.0; }
    std::vector<double> diagonals(double e, int parity) const;
    std::vector<double> recurrence(int k) const;
    // The eigenvalue indices k0, k0 + step, ..., k1 of the cluster holding k, among the states
    // k + step * j (step 2: those of one symmetry).
    void clusterOf(int k, int step, int &k0, int &k1) const;
    bool clusterState(int k, int step, std::vector<double> &psi) const;

    const double *pot;
    const double *values;
    int count;
    const double scale;
    bool mirrored = false;

    // The last cluster computed (of either symmetry): its members are asked for one after another.
    struct Cache
    {
        int step = 0;
        int k0 = -1;
        int k1 = -1;
        std::vector<std::vector<double>> vectors;
    };
    mutable Cache caches[2];
};

#endif
