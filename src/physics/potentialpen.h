// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef QUANTAURA_POTENTIALPEN_H
#define QUANTAURA_POTENTIALPEN_H

// The three pens that edit a sampled potential with the mouse.
class PotentialPen
{
public:
    enum Kind { Tent = 0, Plateau = 1, Line = 2 };

    // Applies pen `kind` at grid index i with value v to the n samples of A.
    // Tent and Plateau reach penRange points to each side (clamped to the grid);
    // Line joins the previous point lastIndex (-1: none, then i becomes it) to i.
    static void apply(double *A, int n, Kind kind, int i, double v, int penRange, int &lastIndex);
};

#endif
