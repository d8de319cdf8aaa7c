// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef QUANTAURA_STATIONARYSTATES_H
#define QUANTAURA_STATIONARYSTATES_H

#include "physics/eigensolver.h"

#include <complex>
#include <memory>
#include <vector>

// The bound states of the time evolution's own particle: eigenvectors of the grid Hamiltonian
// exactly as the propagator builds it (diagonal V_n + 1, off-diagonals -1/2, the surface's units,
// mass 1), so that a state put into the evolution only turns its phase.
//
// The eigenfunction window's solver finds them on its own scale: on the potential x 10000 this
// Hamiltonian x 10000 is 5000 T + diag(10000 V), the solver with kinetic scale 10000. Its vectors
// are good to about 1e-8, but ten thousand steps show every error of a state in |psi|^2, so each
// vector is refined by inverse iteration on the propagator's matrix itself, in the surface's units,
// until it is an eigenvector to rounding. A vector is then off by about 1e-16 divided by the
// distance to the next eigenvalue; for a pair split by far less than the level spacing (5e-8 in a
// double well with a wide wall) that leaves its two states mixed by up to 1e-8, which only the
// pair's own tunnelling could tell apart.
class StationaryStates
{
public:
    // One part of a superposition: state `index` with amplitude `weight` and phase `phase` (radians).
    struct Part
    {
        int index = 0;
        double weight = 1.0;
        double phase = 0.0;
    };

    // The window's scale factor: its energies are the surface's x WindowUnits.
    static constexpr double WindowUnits = 10000.0;

    // `surfacePot`: GridPoints samples in the surface's units (copied; null: no states). The search
    // reports each eigenvalue to `trace`, in the window's units.
    StationaryStates(const double *surfacePot, const EigenSolver::Trace &trace);
    StationaryStates(const StationaryStates &) = delete;
    StationaryStates &operator=(const StationaryStates &) = delete;

    int count() const { return int(vectors.size()); }
    // The solver behind them, on the potential x 10000 with the evolution's kinetic scale.
    const EigenSolver &solver() const { return *search; }
    // Eigenvalue k in the surface's units (of the refined vector); 0 out of range.
    double energy(int k) const;
    // State k: GridPoints values with sum psi^2 = 1, positive in its leftmost lobe; empty out of range.
    const std::vector<double> &state(int k) const;
    // The sum of weight * e^(i phase) * state for the parts, normalised to sum |psi|^2 = 1. Parts that
    // name no state count for nothing; empty if nothing is left.
    std::vector<std::complex<double>> superposition(const std::vector<Part> &parts) const;

    // The eigenvector of the propagator's matrix over `V` (GridPoints samples, surface units) whose
    // eigenvalue lies nearest `E`, by inverse iteration from `start`, orthogonal to the vectors in
    // `against` (normalised, for eigenvalues so close to E that rounding mixes them). Normalised,
    // with the sign that keeps it closest to `start`; its eigenvalue goes to *eigenvalue.
    static std::vector<double> refine(const std::vector<double> &V, double E, std::vector<double> start,
                                      const std::vector<const std::vector<double> *> &against, double *eigenvalue);

private:
    std::vector<double> potential;
    std::unique_ptr<EigenSolver> search;
    std::vector<std::vector<double>> vectors;
    std::vector<double> energies;
};

#endif
