// SPDX-License-Identifier: GPL-3.0-or-later
#include "physics/scattersweep.h"

#include "physics/scattersolver.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

namespace {
// Energies handed to the solver at once: enough to fill its lanes, few enough for a lively
// progress report.
constexpr int Chunk = 16;
// A resonance peak lower than this in T (or R) cannot move T by 1e-5 wherever it shifts.
constexpr double MinPeak = 1e-6;
// The error of T aimed at where an energy is solved again (1e-5 with room for the estimate's own).
constexpr double Target = 4e-6;
} // namespace

ScatterSweep::Result ScatterSweep::run(ScatterSolver &solver, const double *samples, int rightEdge,
                                       int leftEdge, double widthFactor, double eMax,
                                       ScatterSink &sink, const std::function<void()> &onFirstOverflow)
{
    Hooks hooks;
    hooks.firstOverflow = onFirstOverflow;
    return run(solver, samples, rightEdge, leftEdge, widthFactor, eMax, sink, hooks);
}

namespace {

// An energy solved, waiting for its point until its right-hand neighbour is known.
struct Solved
{
    double e;
    int index;
    ScatterResult res;
};

bool usable(const ScatterResult &res)
{
    return res.status == ScatterResult::Status::Ok && std::isfinite(res.t);
}

bool neighbours(const Solved &a, const Solved *b)
{
    return b && std::abs(a.index - b->index) == 1 && usable(a.res) && usable(b->res);
}

// |dT/dE| towards a neighbouring energy of the sweep, or 0 if there is none to compare with.
double slope(const Solved &a, const Solved *b)
{
    return neighbours(a, b) ? std::fabs((a.res.t - b->res.t) / (a.e - b->e)) : 0.0;
}

// The steepest |dT/dE| of a resonance peaking within one energy step of s, in T or in R = 1 - T,
// from s and its two neighbours; 0 if there is none. A resonance narrower than the energy step
// shows up as one or two high points between low ones, and its flanks are far steeper than the
// differences between the points tell. A Lorentzian peak y0 / (1 + (E - E0)^2 / G^2) has
// 1 / y = a + b (E - E0)^2 with a = 1 / y0 and b = 1 / (y0 G^2), and its steepest slope is
// 0.65 y0 / G = 0.65 sqrt(b) y0^1.5; that counts where G is below the step.
double resonance(const Solved &l, const Solved &s, const Solved &r)
{
    double steepest = 0.0;
    for (const bool transmission : {true, false}) {
        auto y = [transmission](const Solved &x) { return std::fmax(transmission ? x.res.t : x.res.r, 1e-300); };
        const double yl = y(l), ys = y(s), yr = y(r);
        // A peak too low to matter, or one that is rounding noise on R = 1, tells nothing; nor do
        // points far out on a flank (where the differences tell enough) or under a barrier.
        if (ys < MinPeak || std::fmin(yl, yr) < MinPeak * MinPeak || (!transmission && s.res.t < MinPeak))
            continue;
        const double h = 0.5 * (r.e - l.e);
        const double b = (1.0 / yl - 2.0 / ys + 1.0 / yr) / (2.0 * h * h);
        const double d = (1.0 / yr - 1.0 / yl) / (2.0 * h);
        if (!(b > 0.0) || !(std::fabs(d) <= 2.0 * b * h))
            continue; // no peak, or its top more than a step away
        const double peak = std::fmin(1.0, 1.0 / std::fmax(1.0 / ys - d * d / (4.0 * b), 1.0));
        // A peak as wide as the step is resolved by the points: their differences tell its slopes.
        if (b * peak * h * h <= 1.0)
            continue;
        steepest = std::fmax(steepest, 0.65 * std::sqrt(b) * peak * std::sqrt(peak));
    }
    return steepest;
}

} // namespace

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

    auto emit = [&](const Solved &s) {
        const ScatterResult &res = s.res;
        if (res.status == ScatterResult::Status::Unresolved) {
            if (!out.unresolved) {
                out.unresolved = true;
                if (hooks.firstUnresolved)
                    hooks.firstUnresolved();
            }
            return;
        }
        if (res.status == ScatterResult::Status::Overflow && !out.overflowed) {
            out.overflowed = true;
            if (hooks.firstOverflow)
                hooks.firstOverflow();
        }
        // A zero denominator gives NaN or infinity; such a point would spoil the curve.
        if (!std::isfinite(res.r) || !std::isfinite(res.t))
            return;
        sink.addPoint(res.r, res.t, s.e, s.index);
        ++out.points;
    };

    // Where T turns out steep between neighbouring energies (near a resonance, or beside one
    // narrower than the energy step), the step count may not be enough: such an energy is solved
    // again with a third of its steps (with twice its steps where it has fewer than three). The
    // error of T falls as the fourth power of the step, so two results tell it; while it exceeds
    // the target the energy is solved once more with the steps that should meet it, and the last
    // two results tell again. Their points go out after that, each once its right-hand neighbour
    // is known.
    const int span = rightEdge - leftEdge;
    const int cap = span > 0 ? int(ScatterSolver::MaxSteps / span) : 1;
    std::vector<Solved> pending;
    Solved previous{0.0, -2, {}}; // the last energy given out, the left neighbour of pending[0]
    struct Task
    {
        std::size_t at;     // in pending
        int steps;          // to be solved with now
        int fine, coarse;   // the two latest step counts, and T with them
        double tFine, tCoarse;
        ScatterResult best; // with `fine` steps
    };
    std::vector<Task> tasks, open;
    std::vector<double> es;
    std::vector<int> ms;
    std::vector<ScatterResult> rs;
    auto solve = [&](std::vector<Task> &list) { // those with equal steps side by side
        std::stable_sort(list.begin(), list.end(), [](const Task &x, const Task &y) { return x.steps < y.steps; });
        es.resize(list.size());
        ms.resize(list.size());
        rs.resize(list.size());
        for (std::size_t k = 0; k < list.size(); ++k) {
            es[k] = pending[list[k].at].e;
            ms[k] = list[k].steps;
        }
        solver.solveSeries(rightEdge, leftEdge, es.data(), int(es.size()), widthFactor, rs.data(), ms.data());
    };
    auto flush = [&](std::size_t n) {
        tasks.clear();
        for (std::size_t i = 0; i < n; ++i) {
            const Solved &s = pending[i];
            const Solved *left = i > 0 ? &pending[i - 1] : &previous;
            const Solved *right = i + 1 < pending.size() ? &pending[i + 1] : nullptr;
            const double steep = std::fmax(slope(s, left), slope(s, right));
            const double peak = neighbours(s, left) && neighbours(s, right) ? resonance(*left, s, *right) : 0.0;
            if (steep == 0.0 && peak == 0.0)
                continue;
            int m = solver.stepsPerSample(rightEdge, leftEdge, s.e, widthFactor);
            if (m == ScatterSolver::TooManySteps ||
                solver.stepsPerSample(rightEdge, leftEdge, s.e, widthFactor, std::fmax(steep, peak)) <= m)
                continue;
            if (m == ScatterSolver::HundredthSteps)
                m = 100 / span; // a hundredth of the span is that many steps per sample
            tasks.push_back({i, m < 3 ? std::min(2 * m, cap) : (m + 2) / 3, m, m, s.res.t, s.res.t, s.res});
        }
        for (int round = 0; round < 4 && !tasks.empty(); ++round) {
            solve(tasks);
            open.clear();
            for (std::size_t k = 0; k < tasks.size(); ++k) {
                Task t = tasks[k];
                if (!usable(rs[k]) || t.steps == t.fine)
                    continue;
                if (t.steps > t.fine) {
                    t.coarse = t.fine;
                    t.tCoarse = t.tFine;
                    t.fine = t.steps;
                    t.tFine = rs[k].t;
                    t.best = rs[k];
                    pending[t.at].res = t.best;
                } else {
                    t.coarse = t.steps;
                    t.tCoarse = rs[k].t;
                }
                const double error = std::fabs(t.tFine - t.tCoarse) / (std::pow(double(t.fine) / t.coarse, 4) - 1.0);
                if (error > Target && t.fine < cap && round < 3) {
                    t.steps = std::min(cap, int(std::ceil(1.05 * t.fine * std::sqrt(std::sqrt(error / Target)))));
                    open.push_back(t);
                }
            }
            tasks.swap(open);
        }
        for (std::size_t i = 0; i < n; ++i)
            emit(pending[i]);
        if (n > 0)
            previous = pending[n - 1];
        pending.erase(pending.begin(), pending.begin() + std::ptrdiff_t(n));
    };

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
        for (int k = 0; k < n; ++k)
            pending.push_back({energies[k], indices[k], results[k]});
        // The last one waits for its right-hand neighbour, unless there is none to come.
        flush(pending.empty() ? 0 : pending.size() - 1);
        if (hooks.progress && !hooks.progress(std::fmin(1.0, (e - vRight) / (eMax - vRight)))) {
            out.cancelled = true;
            break;
        }
    }
    flush(pending.size());
    out.truncated = !out.cancelled && e <= eMax && j >= MaxPoints;
    return out;
}
