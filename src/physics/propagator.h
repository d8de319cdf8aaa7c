// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef QUANTAURA_PROPAGATOR_H
#define QUANTAURA_PROPAGATOR_H

#include <complex>
#include <vector>

// Advances a wave function on a grid of `count` points (spacing 1, hbar = 1, mass 1) by
// Crank-Nicolson steps of the three-point Hamiltonian
//     (H psi)_n = -1/2 (psi_{n+1} - 2 psi_n + psi_{n-1}) + V_n psi_n,
// with hard walls just outside both ends (psi_{-1} = psi_count = 0).
// Both arrays belong to the caller; the potential is read afresh at every step, so an edit
// between two steps acts on the next one. The step is unitary up to rounding and does not
// renormalise.
class Propagator
{
public:
    Propagator(const double *pot, std::complex<double> *psi, int count);

    // Solves (1 + i dt H / 2) psi_new = (1 - i dt H / 2) psi_old in place.
    void step(double dt);
    // `times` such steps over the potential as it is now, bit for bit the same as `times` calls
    // of step(dt). The elimination of the left-hand matrix, whose divisions are the serial chain
    // of a step, is done only when the potential or dt differ from the step before. None for
    // times <= 0.
    void step(double dt, int times);

    int size() const { return count_; }

private:
    void factor(double dt);

    int count_;
    const double *pot_;
    std::complex<double> *psi_;
    // Per row after elimination, both divided by the row's main diagonal: the right-hand side
    // and the coupling to the next row. One real division per row replaces the two complex
    // divisions of the textbook solve, which would dominate the step.
    std::vector<std::complex<double>> solved_;
    std::vector<std::complex<double>> coupling_;
    // Per row the reciprocal of the eliminated main diagonal, kept with the potential and dt it
    // was made from: it is made again only when either has changed since the last step.
    std::vector<std::complex<double>> reciprocal_;
    std::vector<double> factoredPot_;
    double factoredDt_;
};

#endif
