// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef QUANTAURA_PHASECOLOUR_H
#define QUANTAURA_PHASECOLOUR_H

#include <complex>

// 8-bit RGB colour of one wave-function column.
struct PhaseColour
{
    int red, green, blue;
};

// Hue from the phase (red at 0, green at +pi/2, blue at -pi/2), saturation 1 - exp(-5 |z|):
// small values fade to the grey-blue (103, 103, 183). Every component lies in 0..255.
// A non-finite z has no phase and gets the grey-blue.
PhaseColour phaseColour(std::complex<double> z);

// The same colour when the caller already has modulus == std::abs(z).
PhaseColour phaseColour(std::complex<double> z, double modulus);

// Below this modulus every z gets the grey-blue of z = 0.
constexpr double FadedModulus = 0.001;

// Grid index (of 1024) that column `column` of a view `viewWidth` pixels wide shows.
int columnIndex(int column, int viewWidth);

// Grid index (of 1024) under the pixel column x, clamped to the grid even outside the view.
int gridIndex(int x, int viewWidth);

#endif
