// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef QUANTAURA_PACKETSIMULATION_H
#define QUANTAURA_PACKETSIMULATION_H

#include "physics/packetmeasurement.h"
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
//
// Accuracy of a step. A Crank-Nicolson step of length dt turns the phase E dt of an energy E
// into 2 atan(E dt / 2): the rate dPhase/d(E dt) is 1 / (1 + (E dt / 2)^2), too slow by about
// (E dt / 2)^2, and the parts of a packet with different energies drift apart (a coherent state
// of the oscillator example widened threefold in ten periods). A step is therefore made of n
// Crank-Nicolson sub-steps of dt / n, measured from a reference energy E0:
//     psi <- exp(-i E0 dt) [CN(H - E0, dt / n)]^n psi,
// whose rate error is ((E - E0) dt / (2 n))^2. It is kept below PhaseRateBound over the
// packet's energies, taken as <E> +- 3 Delta E:
//   - if that holds for E0 = 0 and n = 1, the step is the plain Crank-Nicolson step of the
//     propagator, unchanged (slow free packets);
//   - otherwise E0 = <E> and n = ceil(3 Delta E dt / (2 sqrt(PhaseRateBound))), at most
//     MaxSubSteps. Measured from the packet's own energy, only its spread matters, not where
//     the potential's zero lies (a packet at the bottom of a -0.02 well needs no more steps
//     than one on the flat).
// Beyond MaxSubSteps (Delta E > 0.0085, a packet across a wall of a file's samples far off the
// screen) the bound is not kept; the step stays unitary. The plan is made when the packet is
// built or restarted and whenever the potential has changed before a step: <E> and Delta E do
// not change in between.
class PacketSimulation
{
public:
    // Length of one step, in units of m dx^2 / hbar.
    static constexpr double TimeStep = 50.0;
    // Largest relative error of the phase rate over the packet's energies.
    static constexpr double PhaseRateBound = 1e-4;
    static constexpr int MaxSubSteps = 64;

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
    // `psi` (GridPoints values) in place of a packet, as the wave restart() returns to, with step
    // count and time from 0: scaled so that its largest modulus is that of a packet of the current
    // height (2 height / viewHeight: as tall on the screen). The sub-steps follow the same rule as
    // for a packet. False, and nothing changed, for a wave of another length, zero or not finite.
    bool placeWave(const std::vector<std::complex<double>> &psi);
    // Back to the packet (or wave) as last built, bit for bit (whatever the view's height is now), at 0.
    void restart();
    // One step of TimeStep.
    void step();
    // n steps; none for n <= 0.
    void advance(int n);

    const std::complex<double> *wave() const { return wave_.data(); }
    long long stepCount() const { return steps_; }
    double time() const { return time_; }
    // A packet has been built and is not zero.
    bool hasPacket() const { return initialNorm_ > 0.0; }

    // The sub-steps the next step takes and the energy E0 they are measured from (see above).
    int subSteps() const { return subSteps_; }
    double referenceEnergy() const { return reference_; }

    // The packet now, over the potential now, with the probabilities left of and from grid
    // index `line` on. Its norm is relative to the packet as built (1 while it lasts).
    PacketMeasurement measure(int line) const;

private:
    // Chooses sub-steps and reference energy for the packet over the potential as it is now.
    void plan();

    const double *potential_;
    std::vector<std::complex<double>> wave_;
    std::vector<std::complex<double>> initial_;
    // The potential as last planned for, and that potential minus E0, which the propagator uses.
    std::vector<double> planned_;
    std::vector<double> shifted_;
    Propagator propagator_;
    PacketParams params_;
    int viewHeight_ = 10;
    long long steps_ = 0;
    double time_ = 0.0;
    double initialNorm_ = 0.0;
    int subSteps_ = 1;
    double reference_ = 0.0;
    std::complex<double> phase_ = 1.0; // exp(-i E0 TimeStep)
};

#endif
