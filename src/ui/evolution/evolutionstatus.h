// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef QUANTAURA_EVOLUTIONSTATUS_H
#define QUANTAURA_EVOLUTIONSTATUS_H

#include "physics/packetmeasurement.h"

#include <QString>

// The status bar's two lines on the running packet: the time in steps and in m dx^2 / hbar, the
// probabilities either side of the measuring line and the norm; then position, momentum and
// energy with their spreads.
QString evolutionStatusText(long long steps, double time, const PacketMeasurement &m);

// What the numbers are and in which units (the status line's tooltip).
QString evolutionStatusHelp();

#endif
