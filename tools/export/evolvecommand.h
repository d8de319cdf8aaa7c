// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef QUANTAURA_EVOLVECOMMAND_H
#define QUANTAURA_EVOLVECOMMAND_H

#include "physics/grid.h"

#include <QString>

#include <array>
#include <functional>
#include <string>
#include <vector>

class CsvWriter;
class QCommandLineParser;

// quantaura-export evolve FILE.pot --x0 I --p P [--dx D] [--dp Q] [--steps N] [--every K] [--line I]:
// the packet the main window places at grid index I with the sliders' momentum P, width D and
// momentum spread Q, run by the window's own simulation for N steps of dt = 50; every K steps
// (and after the last) one CSV row of time, norm, <x>, <p>, <E>, Delta E and the probabilities
// left and right of the measuring line (by default the potential's highest point).
// With --states 0,1 instead of the packet (--x0, --p, --dx, --dp): the normalised sum of those
// bound states of the time evolution's particle, as the eigenfunction window puts it in.
namespace EvolveCommand {
// Adds the options above to the parser.
void addOptions(QCommandLineParser &parser);
// Whether any of them was given (they belong to evolve alone).
bool optionsSet(const QCommandLineParser &parser);
// Checks the options and runs; the table goes to `csv` (its header names the packet or the states
// and the line), what is wrong to `complain`. Returns the exit status: 0, 2 for bad options, 1 for
// states the potential does not have.
int run(const QCommandLineParser &parser, const std::array<double, GridPoints> &pot, CsvWriter &csv,
        const std::function<void(const QString &)> &complain);
} // namespace EvolveCommand

#endif
