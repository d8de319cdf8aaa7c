#include "scattersweep.h"

#include "scattersolver.h"

#include <cmath>

ScatterSweep::Result ScatterSweep::run(ScatterSolver &solver, const double *samples, int rightEdge,
                                       int leftEdge, double widthFactor, double eMax,
                                       ScatterSink &sink,
                                       const std::function<void()> &onFirstOverflow)
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
    sink.addPoint(1.0, 0.0, vRight, 0);
    out.points = 1;

    // A step that is not positive would never carry E past eMax.
    if (!(std::isfinite(eMax) && eMax > 0.0 && dE > 0.0))
        return out;

    double e = vRight + dE;
    int j = 1;
    // The cap also ends a sweep whose step is lost against a huge |E| (E + dE == E).
    for (; e <= eMax && j < MaxPoints; e += dE, ++j) {
        const double *res = solver.solve(rightEdge, leftEdge, e, widthFactor);
        ++out.energies;
        if (res[2] == 1.0) {
            if (!out.overflowed) {
                out.overflowed = true;
                if (onFirstOverflow)
                    onFirstOverflow();
            }
            continue;
        }
        // A zero denominator gives NaN or infinity; such a point would spoil the curve.
        if (!std::isfinite(res[0]) || !std::isfinite(res[1]))
            continue;
        sink.addPoint(res[0], res[1], e, j);
        ++out.points;
    }
    out.truncated = e <= eMax && j >= MaxPoints;
    return out;
}
