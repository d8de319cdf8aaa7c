// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef QUANTAURA_WAVEPACKET_H
#define QUANTAURA_WAVEPACKET_H

#include "physics/grid.h"

#include <complex>


// Fills psi[0..1023] with the Gaussian packet centred on grid index i0 whose modulus peaks at
// 2 h0 / viewHeight (a line of h0 pixels in a view viewHeight pixels high): |psi|^2 has standard
// deviation dx / 2 grid points, the mean wave number is (p div 10) / 512 per grid point, and a
// chirp widens the momentum spread by 0.1 dp (per 512 grid points) so that the packet first
// narrows and then spreads. Not normalised.
// Where dp <= 0 would make the chirp imaginary it is taken as 0; dx == 0 or viewHeight == 0
// define no packet and give psi = 0.
void initPacket(std::complex<double> *psi, int i0, int h0, int dx, int p, int dp, int viewHeight);

#endif
