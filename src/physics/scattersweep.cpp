// SPDX-License-Identifier: GPL-3.0-or-later
#include "physics/scattersweep.h"

#include "physics/scattersolver.h"

#include <cmath>

namespace {
// Energies handed to the solver at once: enough to fill its lanes, few enough for a lively
// progress report.
constexpr int Chunk = 16;
} // namespace

ScatterSweep::Result ScatterSweep::run(ScatterSolver &solver, const double *samples, int rightEdge,
                                       int leftEdge, double widthFactor, double eMax,
                                       ScatterSink &sink, const std::function<void()> &onFirstOverflow)
{
    Hooks hooks;
    hooks.firstOverflow = onFirstOverflow;
    return run(solver, samples, rightEdge, leftEdge, widthFactor, eMax, sink, hooks);
}

ScatterSweep::Result ScatterSweep::run(ScatterSolver &solver, const double *samples, int rightEdge,
                                       int leftEdge, double widthFactor, double eMax,
                                       ScatterSink &sink, const Hooks &hooks)
{
    Result out;
    const double dE = eMax * 0.0005;

    // The potential goes to the solver first so that the right-hand level is read through its
    // bounds check rather than straight from a borrowed array.
    solver.setPotential(samples);
    sink.reset();
    const bool inside = samples && rightEdge >= 0 && rightEdge < ScatterSolver::GridSize &&
                        leftEdge >= 0 && leftEdge < ScatterSolver::GridSize;
    if (!inside)
        return out;
    const double vRight = samples[rightEdge];
    const double vLeft = samples[leftEdge];
    sink.addPoint(1.0, 0.0, vRight, 0);
    out.points = 1;

    // A step that is not positive would never carry E past eMax.
    if (!(std::isfinite(eMax) && eMax > 0.0 && dE > 0.0))
        return out;

    double e = vRight + dE;
    int j = 1;
    double energies[Chunk];
    int indices[Chunk];
    ScatterResult results[Chunk];
    // The cap also ends a sweep whose step is lost against a huge |E| (E + dE == E).
    while (e <= eMax && j < MaxPoints) {
        int n = 0;
        for (; n < Chunk && e <= eMax && j < MaxPoints; e += dE, ++j) {
            // Below the left-hand level there is no incoming wave; the split into incoming and
            // reflected wave would give R > 1.
            if (e < vLeft)
                continue;
            energies[n] = e;
            indices[n++] = j;
        }
        solver.solveSeries(rightEdge, leftEdge, energies, n, widthFactor, results);
        out.energies += n;
        for (int k = 0; k < n; ++k) {
            const ScatterResult &res = results[k];
            if (res.status == ScatterResult::Status::Overflow) {
                if (!out.overflowed) {
                    out.overflowed = true;
                    if (hooks.firstOverflow)
                        hooks.firstOverflow();
                }
                continue;
            }
            if (res.status == ScatterResult::Status::Unresolved) {
                if (!out.unresolved) {
                    out.unresolved = true;
                    if (hooks.firstUnresolved)
                        hooks.firstUnresolved();
                }
                continue;
            }
            // A zero denominator gives NaN or infinity; such a point would spoil the curve.
            if (!std::isfinite(res.r) || !std::isfinite(res.t))
                continue;
            sink.addPoint(res.r, res.t, energies[k], indices[k]);
            ++out.points;
        }
        if (hooks.progress && !hooks.progress(std::fmin(1.0, (e - vRight) / (eMax - vRight)))) {
            out.cancelled = true;
            break;
        }
    }
    out.truncated = !out.cancelled && e <= eMax && j >= MaxPoints;
    return out;
}
