#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Writes the example potentials shipped with Quantaura, each from its formula.

    examples/make-examples.py           write the *.pot files next to this script
    examples/make-examples.py --check   exit 1 if a file differs from what the formula gives

The files are exactly what File -> Save would write for the same potential: the header line,
the count 1024 and one sample per line as "%.6g". Only IEEE additions, multiplications and
comparisons are used, so every machine writes the same bytes.

Units are the drawing surface's: one pixel row is 0.0001, the middle row is 0, and everything
stays within +-0.02 so that it fits the surface at its opening size. Grid index j = 0..1023;
d = j - 511.5 is the distance from the middle of the grid, so shapes centred there are symmetric
sample for sample.
"""
import os
import sys

N = 1024
MIDDLE = 511.5
DEPTH = -0.02  # wells: 200 pixel rows deep


def d(j):
    return j - MIDDLE


def square_well(j):
    # 200 samples wide: 7 bound states in the eigenfunction window
    return DEPTH if abs(d(j)) < 100 else 0.0


def oscillator(j):
    # V = 5e-7 d^2, i.e. 0.005 d^2 in the eigenfunction window's units: levels 20 (n + 1/2) there;
    # flat at 0.02 beyond |d| = 200
    return min(5e-7 * d(j) * d(j), 0.02)


def double_well(j):
    # two wells 100 samples wide, 40 apart: the lowest pair is split by 0.5 % of the gap above it
    return DEPTH if 20 <= abs(d(j)) < 120 else 0.0


def tunnelling_pair(j):
    # two wells 100 samples wide either side of a wall 8 samples wide and 0.004 high (the highest
    # point, where the measuring line stands): for the time evolution's particle the lowest pair is
    # split by 2.46e-5, so a particle starting in one well is in the other after 2557 steps, 20 s
    # at "Normal", and back after 40 s; the next state lies 48 times the splitting higher
    d = abs(j - MIDDLE)
    if d < 4:
        return 0.004
    return DEPTH if d < 104 else 0.0


def lattice(j):
    # Kronig-Penney: 8 wells 52 samples wide, barriers 20 wide between them; two bands of eight
    # states below the rim
    length = 8 * 52 + 7 * 20
    x = j - (MIDDLE - length / 2)
    if x < 0 or x >= length:
        return 0.0
    return DEPTH if x % 72 < 52 else 0.0


def step(j):
    return 0.01 if j >= 512 else 0.0


def barrier(j):
    # 8 samples wide, 50 pixel rows high: a wave packet tunnels through in part
    return 0.005 if abs(d(j)) < 4 else 0.0


def double_barrier(j):
    # barriers 10 samples wide, 100 pixel rows high, 40 samples apart
    return 0.01 if 20 <= abs(d(j)) < 30 else 0.0


EXAMPLES = {
    "rechteckmulde.pot": square_well,
    "oszillator.pot": oscillator,
    "doppelmulde.pot": double_well,
    "tunnelpendel.pot": tunnelling_pair,
    "gitter.pot": lattice,
    "stufe.pot": step,
    "barriere.pot": barrier,
    "doppelbarriere.pot": double_barrier,
}


def text(formula):
    lines = ["Quantaura Potential", str(N)]
    for j in range(N):
        v = formula(j) + 0.0  # never "-0"
        lines.append("%.6g" % v)
    return "\n".join(lines) + "\n"


def main(argv):
    here = os.path.dirname(os.path.abspath(__file__))
    check = argv[1:] == ["--check"]
    if argv[1:] and not check:
        sys.stderr.write(__doc__)
        return 2
    stale = []
    for name, formula in EXAMPLES.items():
        path = os.path.join(here, name)
        want = text(formula).encode("ascii")
        if check:
            try:
                with open(path, "rb") as f:
                    if f.read() != want:
                        stale.append(name)
            except OSError:
                stale.append(name)
        else:
            with open(path, "wb") as f:
                f.write(want)
    if stale:
        sys.stderr.write("differ from their formulas: %s\n" % " ".join(stale))
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
