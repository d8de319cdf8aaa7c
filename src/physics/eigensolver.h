// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef QUANTAURA_EIGENSOLVER_H
#define QUANTAURA_EIGENSOLVER_H

#include "physics/grid.h"

#include <array>
#include <cstdint>
#include <functional>
#include <iostream>
#include <string>
#include <memory>
#include <vector>

class EigenFunctions;

// Bound states of the 1-D Schroedinger equation on the fixed grid of 1024 points with hard walls
// just outside both ends. The Hamiltonian is (S/2)*T + diag(V) with T = tridiag(-1, 2, -1) and the
// kinetic scale S = 40000 of the eigenfunction window's particle (20000*T), or any other S: with
// S = 10000 it is the time evolution's Hamiltonian x 10000 for the potential x 10000.
// Eigenvalues are the sign changes of the characteristic determinant along a scan in steps of 0.1
// from the potential minimum up to E_lim = 2 (vMax - vMin) + vMin + 1, each refined by false
// position. A step holding several eigenvalues (a close pair, as in a double well) is split by
// the Sturm count until each piece holds one, so every eigenvalue below E_lim is found (the 500
// lowest at most). The whole search runs in the constructor and reports each eigenvalue as it is
// stored: by default as one "EW=<value> det=<value>" line on standard output.
class EigenSolver
{
public:
    static constexpr int MaxEigen = 500;
    // The kinetic scale S of the eigenfunction window's particle, and that of the time evolution's
    // (mass 1: 1/2 T on the surface's units is 5000 T on the window's, potential x 10000).
    static constexpr double WindowScale = 40000.0;
    static constexpr double EvolutionScale = 10000.0;

    // Called once per eigenvalue stored, in ascending order, with the determinant found there.
    using Trace = std::function<void(double eigenValue, double determinant)>;

    // The eigenvalues, and the eigenfunctions on request, of a solver; valid while it lives.
    struct BoundStates
    {
        std::vector<double> energies; // ascending
        // Eigenfunction k as getEigenFunction gives it (GridPoints samples and the wall entry 0).
        std::vector<double> eigenFunction(int k) const;
        const EigenSolver *solver = nullptr;
    };

    // `pot` holds GridPoints samples; it is copied, so it need not outlive the solver. Samples beyond
    // +-1e100 (infinities included) count as +-1e100, i.e. as hard walls or bottomless pits; a null
    // pointer or a sample that is not a number gives no eigenvalues. An empty `trace` reports nothing.
    // `scale` is S (a positive finite number; anything else counts as WindowScale).
    EigenSolver(const double *pot, double scale, const Trace &trace);
    EigenSolver(const double *pot, const Trace &trace) : EigenSolver(pot, WindowScale, trace) {}
    // Writes the trace as lines to `trace` (see traceLines).
    explicit EigenSolver(const double *pot, std::ostream &trace = std::cout) : EigenSolver(pot, traceLines(trace)) {}
    // The trace as one line "EW=<value> det=<value>" per eigenvalue on `out`, in the stream's
    // default format, flushed at once; `out` must outlive the search. A `suffix` ends each line.
    static Trace traceLines(std::ostream &out, const std::string &suffix = std::string());
    // The bound states refer back to their solver.
    EigenSolver(const EigenSolver &) = delete;
    EigenSolver &operator=(const EigenSolver &) = delete;
    ~EigenSolver();

    const BoundStates &boundStates() const { return states; }
    int getEigenCount() const { return eigenCount; }
    // Eigenvalue k in ascending order; 0.0 for k outside 0..getEigenCount()-1.
    double eigenValue(int k) const { return (k >= 0 && k < eigenCount) ? eigenValues[k] : 0.0; }
    // Eigenfunction k on the grid (entries 0..1023) plus the wall entry 1024 = 0, normalised to
    // sum psi^2 = 400000; its eigenvalue goes to *energy (if not null). Out-of-range k: all zeros.
    // Orthogonal to its neighbours even where their eigenvalues agree to the last digit; on a
    // mirror-symmetric potential symmetric for even k, antisymmetric for odd k (see EigenFunctions).
    std::vector<double> getEigenFunction(int k, double *energy) const;
    // det(T + (2/S)(diag(V) - E)) by the three-term recurrence. The sign is always exact; the
    // magnitude saturates to +-inf where it leaves the double range.
    double determinant(double E) const;

    // The energy a running sum reaches after `steps` additions of the scan step 0.1 to `start`,
    // bit for bit as the repeated addition would give it, without performing every addition.
    static double scanPoint(double start, std::int64_t steps);

private:
    // D(E) = mant * 2^exp2 and the number of sign changes along the leading minors, which is the
    // number of eigenvalues below E (a zero minor counts as a change). sign(mant) has the parity
    // of `below` by construction, so both always agree.
    struct Probe
    {
        double mant;
        int exp2;
        int below;
    };

    Probe probe(double E) const;
    void searchEigen(const Trace &trace);
    std::int64_t lastScanIndex(double eLim) const;
    void scanRange(std::int64_t i0, double e0, const Probe &p0, std::int64_t i1, double e1, const Probe &p1,
                   const Trace &trace);
    struct Knot
    {
        double e;
        Probe p;
    };
    void splitRange(const Knot &lo, const Knot &hi, const Knot *outer, bool bisect, const Trace &trace);
    // Abscissa of the vertex of the parabola through three knots.
    static double vertex(const Knot &p, const Knot &q, const Knot &r);
    // False position in the scan step below E, from D at the previous scan point and at E.
    void refineAndStore(double E, const Probe &fPrev, const Probe &f, const Trace &trace);
    void bracketAndStore(const Knot &lo, const Knot &hi, const Knot *outer, const Trace &trace);
    void store(double value, const Probe &f, const Trace &trace);
    // A sign change that brackets exactly the roots in (a, b].
    static bool opposite(const Probe &a, const Probe &b);

    double vMax = 0.0;
    double vMin = 0.0;
    std::array<double, GridPoints> pot{};
    std::array<double, MaxEigen> eigenValues{};
    int eigenCount = 0;
    double scale = WindowScale;
    bool valid = false;
    BoundStates states;
    std::unique_ptr<EigenFunctions> functions; // on the samples and eigenvalues above
};

inline std::vector<double> EigenSolver::BoundStates::eigenFunction(int k) const
{
    return solver ? solver->getEigenFunction(k, nullptr) : std::vector<double>(GridPoints + 1, 0.0);
}

#endif
