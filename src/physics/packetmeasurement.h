// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef QUANTAURA_PACKETMEASUREMENT_H
#define QUANTAURA_PACKETMEASUREMENT_H

#include <complex>

// What can be read off a wave function on the grid (spacing 1, hbar = m = 1), with the
// operators of the grid Hamiltonian that the propagator uses,
//     (H psi)_n = -1/2 (psi_{n+1} - 2 psi_n + psi_{n-1}) + V_n psi_n,  psi_{-1} = psi_count = 0.
// Position is the grid index. Momentum is the grid's velocity operator
//     (p psi)_n = (psi_{n+1} - psi_{n-1}) / (2 i),
// sin k on a plane wave exp(i k n), so that d<x>/dt = <p> holds exactly away from the walls;
// for the slow packets of the sliders (k <= 0.02) it is k to 1e-4. Energies are on the scale of
// the potential: a plane wave far from any potential has 1 - cos k >= 0. Means and spreads
// are of the normalised wave; the wave itself need not be normalised.
struct PacketMeasurement
{
    double norm = 0.0;    // sum |psi_n|^2; 0: no packet, and every other field 0
    double meanX = 0.0;   // <x>, grid points
    double spreadX = 0.0; // Delta x
    double meanP = 0.0;   // <p>, hbar / dx
    double spreadP = 0.0; // Delta p
    double meanE = 0.0;   // <H>, hbar^2 / (m dx^2)
    double spreadE = 0.0; // Delta E = ||(H - <H>) psi|| / ||psi||
    double left = 0.0;    // probability on the grid points left of `line`
    double right = 0.0;   // probability from `line` on

    // Measures `count` values of psi over the potential V (both at least `count` long). `line`
    // is clamped to 0..count.
    static PacketMeasurement of(const std::complex<double> *psi, const double *V, int count, int line);

    // The grid index of the potential's highest point: the middle of the first stretch of
    // samples that all have the largest value (on a flat potential the middle of the grid).
    static int highestPoint(const double *V, int count);
};

#endif
