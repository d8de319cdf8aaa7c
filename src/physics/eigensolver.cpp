// SPDX-License-Identifier: GPL-3.0-or-later
#include "physics/eigensolver.h"

#include "physics/eigenfunctions.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <utility>

namespace {

constexpr double Step = 0.1;

// Samples are limited to this magnitude (a file may hold anything, even inf). It is far beyond any
// meaningful potential, and it keeps every diagonal term d_i below about 2^322 (for S >= 10000),
// so the rescaled recurrences below never overflow.
constexpr double MaxSample = 1e100;

// The determinant recurrence is rescaled by 2^+-600 when it leaves [2^-600, 2^600]. Ordinary
// potentials stay far inside (about 1e103 at most for anything drawable), so for them the values
// are bit for bit those of the plain recurrence. The range is checked once per block of steps that
// together cannot move the minors by more than 2^400 (a single step at most 2^320, see above).
constexpr int RescaleBits = 600;
constexpr double Hi = 0x1p600;
constexpr double Lo = 0x1p-600;

} // namespace

EigenSolver::Trace EigenSolver::traceLines(std::ostream &out, const std::string &suffix)
{
    return [&out, suffix](double e, double det) { out << "EW=" << e << " det=" << det << suffix << std::endl; };
}

EigenSolver::EigenSolver(const double *potential, double kineticScale, const Trace &trace)
{
    states.solver = this;
    if (kineticScale > 0.0 && std::isfinite(kineticScale))
        scale = kineticScale;
    if (!potential)
        return;
    for (int i = 0; i < GridPoints; ++i) {
        const double v = potential[i];
        if (std::isnan(v))
            return;
        pot[i] = std::clamp(v, -MaxSample, MaxSample);
    }
    valid = true;
    vMin = vMax = pot[0];
    for (int i = 1; i < GridPoints; ++i) {
        if (pot[i] < vMin)
            vMin = pot[i];
        if (pot[i] > vMax)
            vMax = pot[i];
    }
    searchEigen(trace);
    states.energies.assign(eigenValues.begin(), eigenValues.begin() + eigenCount);
    functions = std::make_unique<EigenFunctions>(pot.data(), eigenValues.data(), eigenCount, scale);
}

EigenSolver::Probe EigenSolver::probe(double E) const
{
    const double twoE = 2.0 * E;
    double prev = 1.0;
    double cur = (2.0 * pot[0] - twoE) / scale + 2.0;
    int exp2 = 0;
    int neg = 0; // 1 if the previous minor counts as negative; D_-1 = 1
    int changes = 0;
    // A zero minor takes the sign opposite to its predecessor: the next minor is then exactly the
    // negated one before it, so the count stays that of a nearby non-singular matrix. Written
    // without branches: high in the spectrum the signs alternate unpredictably.
    auto account = [&](double x) {
        const int n = int(x < 0.0) | (int(x == 0.0) & (neg ^ 1));
        changes += n ^ neg;
        neg = n;
    };
    account(cur);
    // One step changes the larger of |D_i|, |D_i-1| by at most the factor |d| + 1 either way, so
    // the range needs checking only every `block` steps: 2^400 of headroom above Hi and below Lo.
    const double dMax = std::max(std::fabs((2.0 * vMax - twoE) / scale + 2.0),
                                 std::fabs((2.0 * vMin - twoE) / scale + 2.0));
    const int block = std::max(1, 400 / (std::ilogb(dMax + 1.0) + 1));
    for (int i = 1; i < GridPoints;) {
        for (const int end = std::min(GridPoints, i + block); i < end; ++i) {
            const double next = ((2.0 * pot[i] - twoE) / scale + 2.0) * cur - prev;
            prev = cur;
            cur = next;
            account(cur);
        }
        // Both values count: at a node |cur| is tiny while |prev| may be near the top of the range.
        const double a = std::max(std::fabs(cur), std::fabs(prev));
        if (a > Hi) {
            cur *= Lo;
            prev *= Lo;
            exp2 += RescaleBits;
        } else if (a < Lo) {
            cur *= Hi;
            prev *= Hi;
            exp2 -= RescaleBits;
        }
    }
    return {cur, exp2, changes};
}

double EigenSolver::determinant(double E) const
{
    const Probe p = probe(E);
    return std::ldexp(p.mant, p.exp2); // +-inf on overflow
}

double EigenSolver::scanPoint(double start, std::int64_t steps)
{
    double E = start;
    while (steps > 0 && std::isfinite(E)) {
        const double next = E + Step;
        if (next == E)
            return E; // the sum has stopped moving
        const double mag = std::fabs(E);
        if (mag >= 1.0 && next * E > 0.0) {
            // Inside one binade [lo, hi) of |E| (no rounding ties there for |E| >= 1) every
            // addition adds the same rounded increment, so a run of them is one exact addition.
            int ex = 0;
            std::frexp(mag, &ex);
            const double lo = std::ldexp(1.0, ex - 1);
            const double hi = std::ldexp(1.0, ex);
            const double nextMag = std::fabs(next);
            if (nextMag >= lo && nextMag < hi) {
                const double inc = next - E; // exact: both in one binade
                double room = (E > 0.0 ? hi - E : mag - lo) / inc;
                room -= room * 0x1p-40 + 3.0; // stay clear of the binade's end
                if (room >= 2.0) {
                    const std::int64_t m = std::min<std::int64_t>(steps, static_cast<std::int64_t>(room));
                    E += static_cast<double>(m) * inc;
                    steps -= m;
                    continue;
                }
            }
        }
        E = next;
        --steps;
    }
    return E;
}

std::int64_t EigenSolver::lastScanIndex(double eLim) const
{
    // Scan point n is processed while it lies below eLim. Far above the potential the sum may stop
    // growing (0.1 below half an ulp): the scan ends at that point instead of repeating it.
    auto pastEnd = [&](std::int64_t n) {
        const double before = scanPoint(vMin, n - 1);
        const double at = scanPoint(before, 1);
        return at >= eLim || at == before;
    };
    std::int64_t hi = 1;
    while (!pastEnd(hi) && hi < (std::int64_t(1) << 61))
        hi *= 2;
    std::int64_t lo = hi / 2; // pastEnd(lo) is false (or lo == 0)
    while (hi - lo > 1) {
        const std::int64_t mid = lo + (hi - lo) / 2;
        if (pastEnd(mid))
            hi = mid;
        else
            lo = mid;
    }
    return hi - 1;
}

void EigenSolver::searchEigen(const Trace &trace)
{
    if (!valid)
        return;
    const double eLim = 2.0 * (vMax - vMin) + vMin + 1.0;
    if (!(vMin < eLim))
        return;
    const Probe p0 = probe(vMin);
    // The first scan point is compared with itself: a bracket only if D is exactly 0 there.
    if (p0.mant == 0.0)
        refineAndStore(vMin, p0, p0, trace);
    const std::int64_t last = lastScanIndex(eLim);
    double eLast = vMin;
    Probe pLast = p0;
    if (last >= 1) {
        eLast = scanPoint(vMin, last);
        pLast = probe(eLast);
        scanRange(0, vMin, p0, last, eLast, pLast, trace);
    }
    // The part step from the last scan point up to E_lim (itself excluded) holds eigenvalues too.
    // Where 0.1 is lost against |E| the scan has stopped short; it ends there, as the sum does.
    if (!(eLim - eLast <= Step))
        return;
    double end = eLim;
    Probe pEnd = probe(end);
    if (pEnd.mant == 0.0) {
        end = std::nextafter(eLim, -HUGE_VAL);
        pEnd = probe(end);
    }
    if (eLast < end)
        splitRange({eLast, pLast}, {end, pEnd}, nullptr, true, trace);
}

// Visits, left to right, every scan step between scan points i0 and i1 whose ends differ in the
// number of eigenvalues below them; all other steps hold no eigenvalue.
void EigenSolver::scanRange(std::int64_t i0, double e0, const Probe &p0, std::int64_t i1, double e1,
                            const Probe &p1, const Trace &trace)
{
    if (eigenCount >= MaxEigen || p0.below >= p1.below)
        return;
    if (i1 - i0 == 1) {
        // One eigenvalue and a sign change: refined from the step's ends as the plain scan does it
        // (its lower end E - 0.1, which may differ from e0 by rounding). Anything else, such as
        // a close pair or a lower end with D exactly 0 (that eigenvalue belongs to the step
        // before), is first split.
        if (p1.below - p0.below == 1 && opposite(p0, p1))
            refineAndStore(e1, p0, p1, trace);
        else
            splitRange({e0, p0}, {e1, p1}, nullptr, true, trace);
        return;
    }
    const std::int64_t mid = i0 + (i1 - i0) / 2;
    const double em = scanPoint(e0, mid - i0);
    const Probe pm = probe(em);
    scanRange(i0, e0, p0, mid, em, pm, trace);
    scanRange(mid, em, pm, i1, e1, p1, trace);
}

bool EigenSolver::opposite(const Probe &a, const Probe &b)
{
    // D(b) exactly 0 makes b the root itself; D(a) = 0 is a root outside (a, b].
    return a.mant != 0.0 && (b.mant == 0.0 || (a.mant > 0.0) != (b.mant > 0.0));
}

// The eigenvalues in (lo, hi]: split on the count until each piece holds one, then refine in
// that piece. Near a close pair D(E) ~ (E - l1)(E - l2) is a parabola whose vertex lies between
// the two roots, so the split point is the vertex of the parabola through both ends and a third
// known point (`outer`, beyond one end); a guess that took off less than half the interval is
// followed by a bisection. Below about 1e-13 of |E| the count cannot tell eigenvalues apart (the
// recurrence rounds at that level): a piece that narrow holds eigenvalues equal to working
// precision, each stored at its upper end.
void EigenSolver::splitRange(const Knot &lo, const Knot &hi, const Knot *outer, bool bisect,
                             const Trace &trace)
{
    if (eigenCount >= MaxEigen || lo.p.below >= hi.p.below)
        return;
    if (hi.p.below - lo.p.below == 1 && opposite(lo.p, hi.p)) {
        bracketAndStore(lo, hi, outer, trace);
        return;
    }
    const double width = hi.e - lo.e;
    double x = lo.e + 0.5 * width;
    const bool guess = !bisect && outer;
    if (guess) {
        const double v = vertex(lo, hi, *outer);
        if (v > lo.e && v < hi.e)
            x = v;
    }
    if (!(x > lo.e && x < hi.e) || width <= 1e-13 * std::fmax(1.0, std::fabs(hi.e))) {
        for (int k = lo.p.below; k < hi.p.below && eigenCount < MaxEigen; ++k)
            store(hi.e, hi.p, trace);
        return;
    }
    Knot mid{x, probe(x)};
    // Rounding could make the count step back by one near a very close pair; keep it consistent.
    mid.p.below = std::clamp(mid.p.below, lo.p.below, hi.p.below);
    splitRange(lo, mid, &hi, guess && x - lo.e > 0.5 * width, trace);
    splitRange(mid, hi, &lo, guess && hi.e - x > 0.5 * width, trace);
}

double EigenSolver::vertex(const Knot &p, const Knot &q, const Knot &r)
{
    const int e = std::max({p.p.exp2, q.p.exp2, r.p.exp2});
    const double yp = std::ldexp(p.p.mant, p.p.exp2 - e);
    const double yq = std::ldexp(q.p.mant, q.p.exp2 - e);
    const double yr = std::ldexp(r.p.mant, r.p.exp2 - e);
    const double dp = q.e - p.e;
    const double dr = q.e - r.e;
    const double num = dp * dp * (yq - yr) - dr * dr * (yq - yp);
    const double den = dp * (yq - yr) - dr * (yq - yp);
    return q.e - 0.5 * num / den; // NaN or infinite when the points lie on a line
}

void EigenSolver::refineAndStore(double E, const Probe &fPrev, const Probe &f, const Trace &trace)
{
    if (eigenCount >= MaxEigen)
        return;
    double a = E - Step;
    double b = E;
    Probe fa = fPrev;
    Probe fb = f;
    // fa and fb on a common exponent (exactly the plain values when nothing was rescaled).
    auto aligned = [](const Probe &x, const Probe &y, double &xv, double &yv) {
        const int e = std::max(x.exp2, y.exp2);
        xv = std::ldexp(x.mant, x.exp2 - e);
        yv = std::ldexp(y.mant, y.exp2 - e);
    };
    // False position moves one end at a time. Next to another root (a close pair split across
    // two steps) it can crawl: the same end moves again and again, each move more than half as
    // long as the one before.
    // Then the kept end's value is halved for the secant (the Illinois rule) until the other end
    // moves. This only happens while the moves are clearly above rounding noise, so ordinary
    // brackets, which shrink much faster, refine exactly as the plain scan does.
    double weightA = 1.0;
    double weightB = 1.0;
    int lastSide = 0; // -1: a moved last, +1: b moved last
    double lastMove = 0.0;
    bool aMoved = false;
    for (int it = 0; it < 100; ++it) {
        if (fb.mant == 0.0)
            break;
        double fav = 0.0;
        double fbv = 0.0;
        aligned(fa, fb, fav, fbv);
        fav *= weightA;
        fbv *= weightB;
        const double delta = -((b - a) * fav / (fbv - fav));
        const double c = a + delta;
        // Once c falls on an end, the iteration has reached a fixed point: D is a pure function,
        // so every remaining iteration would repeat this one (and the stop test with it).
        // The starting fa belongs to the previous scan point, which may differ from a by rounding:
        // until a has moved, D(a) itself must be evaluated.
        const bool onA = aMoved && c == a && std::signbit(c) == std::signbit(a);
        const bool onB = c == b && std::signbit(c) == std::signbit(b);
        const Probe fc = onA ? fa : (onB ? fb : probe(c));
        const bool toA = (fc.mant > 0.0 && fa.mant > 0.0) || (fc.mant < 0.0 && fa.mant < 0.0);
        const double move = std::fabs(c - (toA ? a : b));
        const int side = toA ? -1 : 1;
        if (toA) {
            aMoved = true;
            a = c;
            fa = fc;
            weightA = 1.0;
        } else {
            b = c;
            fb = fc;
            weightB = 1.0;
        }
        if (side == lastSide && move > 0.5 * lastMove && move > 1e-11 * std::fmax(1.0, std::fabs(c)))
            (toA ? weightB : weightA) *= 0.5;
        lastSide = side;
        lastMove = move;
        if (std::fabs(delta) * 1e14 < b)
            break;
        if ((toA && onA) || (!toA && onB))
            break;
    }
    // False position often moves only one end; the end that reached the root is the one with the
    // smaller determinant (b on a tie, which includes every converged b).
    double fav = 0.0;
    double fbv = 0.0;
    aligned(fa, fb, fav, fbv);
    const bool takeA = std::fabs(fav) < std::fabs(fbv);
    store(takeA ? a : b, takeA ? fa : fb, trace);
}

// The root in a bracket [lo, hi] holding exactly one, down to 1e-12 of it, for the pieces split
// off a step. Their roots may lie next to another one just outside, where D is far from a
// straight line but close to a parabola: each step takes the root inside the bracket of the
// parabola through both ends and the point replaced last (initially `outer`, or none: then the
// chord). Such a step lands very near the root, but mostly on the same side, so a step that left
// more than half of the bracket is followed by one taken twice as far from the newest point,
// across the root, and if that fails too, by a bisection.
void EigenSolver::bracketAndStore(const Knot &lo, const Knot &hi, const Knot *outer, const Trace &trace)
{
    if (eigenCount >= MaxEigen)
        return;
    Knot a = lo, b = hi, t = outer ? *outer : lo;
    bool haveT = outer != nullptr;
    int stalls = 0;      // steps in a row that left more than half of the bracket
    double newest = 0.0; // the point probed last
    for (int it = 0; it < 100 && b.p.mant != 0.0 && a.p.mant != 0.0; ++it) {
        const double width = b.e - a.e;
        if (width <= 1e-12 * std::fmax(1.0, std::fmax(std::fabs(a.e), std::fabs(b.e))))
            break;
        const int scale = std::max({a.p.exp2, b.p.exp2, haveT ? t.p.exp2 : a.p.exp2});
        const double fa = std::ldexp(a.p.mant, a.p.exp2 - scale);
        const double fb = std::ldexp(b.p.mant, b.p.exp2 - scale);
        double x = a.e - fa * width / (fb - fa); // the chord
        if (haveT) {
            // p(x) = fa + s1 (x - a) + s2 (x - a)(x - b): roots from the stable quadratic formula.
            const double ft = std::ldexp(t.p.mant, t.p.exp2 - scale);
            const double s1 = (fb - fa) / width;
            const double s2 = ((ft - fa) / (t.e - a.e) - s1) / (t.e - b.e);
            // In u = x - a: s2 u^2 + (s1 - s2 width) u + fa = 0.
            const double B = s1 - s2 * width;
            const double disc = B * B - 4.0 * s2 * fa;
            if (s2 != 0.0 && disc >= 0.0) {
                const double qq = -0.5 * (B + std::copysign(std::sqrt(disc), B));
                const double u1 = qq / s2, u2 = fa / qq;
                x = a.e + ((u1 > 0.0 && u1 < width) ? u1 : u2);
            }
        }
        if (stalls == 1)
            x = newest + 2.0 * (x - newest);
        if (stalls >= 2 || !(x > a.e && x < b.e))
            x = a.e + 0.5 * width;
        if (!(x > a.e && x < b.e))
            break; // neighbouring doubles
        const Knot c{x, probe(x)};
        const bool toA = (c.p.mant > 0.0) == (a.p.mant > 0.0) && c.p.mant != 0.0;
        t = toA ? a : b;
        haveT = true;
        (toA ? a : b) = c;
        newest = x;
        stalls = b.e - a.e > 0.5 * width ? stalls + 1 : 0;
    }
    const bool takeA = a.p.mant == 0.0 || (b.p.mant != 0.0 && std::ldexp(std::fabs(a.p.mant), a.p.exp2) <
                                                                 std::ldexp(std::fabs(b.p.mant), b.p.exp2));
    store(takeA ? a.e : b.e, takeA ? a.p : b.p, trace);
}

void EigenSolver::store(double value, const Probe &f, const Trace &trace)
{
    eigenValues[eigenCount++] = value;
    if (trace)
        trace(value, std::ldexp(f.mant, f.exp2));
}

std::vector<double> EigenSolver::getEigenFunction(int k, double *energy) const
{
    if (energy)
        *energy = eigenValue(k);
    return functions ? functions->state(k) : std::vector<double>(GridPoints + 1, 0.0);
}

EigenSolver::~EigenSolver() = default;
