// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef QUANTAURA_SCATTERSWEEP_H
#define QUANTAURA_SCATTERSWEEP_H

#include <functional>

class ScatterSolver;

// Receives the points of an energy sweep: the coefficient plot is one sink, a test another.
class ScatterSink
{
public:
    virtual ~ScatterSink() = default;
    virtual void reset() = 0;
    virtual void addPoint(double r, double t, double e, int index) = 0;
};

class ScatterSweep
{
public:
    // The plot stores at most this many points; the sweep never hands it an index at or above.
    static constexpr int MaxPoints = 50000;

    struct Result
    {
        int energies = 0;         // energies solved (flagged ones included)
        int points = 0;           // addPoint calls, the first point (index 0) included
        bool overflowed = false;  // some energy's T lay below the double range (its point: R 1, T 0)
        bool unresolved = false;  // some energy needed more steps than the solver allows
        bool truncated = false;   // stopped at MaxPoints before reaching eMax
        bool cancelled = false;   // the progress hook asked to stop
    };

    struct Hooks
    {
        std::function<void()> firstOverflow;    // once, at the first energy with T below the double range
        std::function<void()> firstUnresolved;  // once, at the first energy beyond the step limit
        // Called every few energies with the share of the energy range done (0..1); returning
        // false ends the sweep there, keeping the points so far.
        std::function<bool(double)> progress;
    };

    // The energy sweep: reset, point (1, 0, V_rightEdge, 0), setPotential, then
    // E = V_rightEdge + dE, V_rightEdge + 2 dE, ... while E <= eMax, with dE = eMax * 0.0005
    // accumulated by addition, the point of energy number j getting index j. Energies below the
    // left-hand level (no incoming wave from the left) are not solved; they, energies beyond the
    // step limit and results that are not finite numbers get no point but still use up their
    // index. Where T changes steeply from one energy to the next, those energies are solved again
    // with the step count that steepness needs (see ScatterSolver::stepsPerSample) before their
    // points go out, each after its right-hand neighbour has been solved.
    // eMax <= 0 (or not finite) computes no energies. Edges outside the solver's grid give
    // no points at all.
    static Result run(ScatterSolver &solver, const double *samples, int rightEdge, int leftEdge,
                      double widthFactor, double eMax, ScatterSink &sink, const Hooks &hooks);
    static Result run(ScatterSolver &solver, const double *samples, int rightEdge, int leftEdge,
                      double widthFactor, double eMax, ScatterSink &sink,
                      const std::function<void()> &onFirstOverflow = {});
};

#endif
