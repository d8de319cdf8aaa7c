// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef QUANTAURA_GRID_H
#define QUANTAURA_GRID_H

// The simulation grid: the potential, the wave function, the eigenfunctions and the potential
// file all hold this many samples, grid index 0 to GridPoints - 1, spacing 1.
constexpr int GridPoints = 1024;

#endif
