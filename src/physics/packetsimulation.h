// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef QUANTAURA_PACKETSIMULATION_H
#define QUANTAURA_PACKETSIMULATION_H

#include "physics/propagator.h"

#include <complex>
#include <vector>

// Where and how the Gaussian packet is placed (see initPacket): its centre `x` (grid index),
// its `height` in pixels above the middle row of the view, the width `dx`, the momentum `p`,
// the momentum spread `dp`, and `z`, the number of steps it is run ahead after a rebuild.
struct PacketParams
{
    int x = 512;
    int height = 200;
    int dx = 40;
    int p = 0;
    int dp = 10;
    int z = 10;
};

// The wave packet on the grid and its time evolution over a potential that belongs to someone
// else and is read afresh at every step, so edits act on the next one. Counts the steps and the
// simulated time since the packet was last built.
class PacketSimulation
{
public:
    // Length of one Crank-Nicolson step, in units of m dx^2 / hbar.
    static constexpr double TimeStep = 50.0;

    // `potential`: GridPoints samples that outlive the simulation.
    explicit PacketSimulation(const double *potential);
    // The propagator keeps a pointer into the wave function.
    PacketSimulation(const PacketSimulation &) = delete;
    PacketSimulation &operator=(const PacketSimulation &) = delete;

    const PacketParams &params() const { return params_; }
    // Takes effect at the next rebuild().
    void setParams(const PacketParams &params) { params_ = params; }
    // The height of the view in pixels: the packet's height is a share of it.
    int viewHeight() const { return viewHeight_; }
    void setViewHeight(int height) { viewHeight_ = height; }

    // The packet as the parameters place it; step count and time start again from 0.
    void rebuild();
    // One step of TimeStep.
    void step();
    // n steps; none for n <= 0.
    void advance(int n);

    const std::complex<double> *wave() const { return wave_.data(); }
    long long stepCount() const { return steps_; }
    double time() const { return time_; }

private:
    std::vector<std::complex<double>> wave_;
    Propagator propagator_;
    PacketParams params_;
    int viewHeight_ = 10;
    long long steps_ = 0;
    double time_ = 0.0;
};

#endif
