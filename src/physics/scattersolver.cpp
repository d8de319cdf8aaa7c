// SPDX-License-Identifier: GPL-3.0-or-later
#include "physics/scattersolver.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {
const std::complex<double> I(0.0, 1.0);
constexpr double NaN = std::numeric_limits<double>::quiet_NaN();
using Status = ScatterResult::Status;
constexpr ScatterResult Flagged{1.0, 0.0, Status::Overflow};
// The span is cut into a hundred steps; rounding of x may add one more.
constexpr int ExpectedSteps = 101;
// Largest Phi * theta^4 allowed (see stepsPerSample).
constexpr double PhaseBudget = 1e-3;
// The growth check of the aligned steps runs at the end of a sample once this many steps have
// passed (each with k h <= 0.26, see stepsPerSample, so 64 of them grow the state less than 1e8).
// A state that overflowed to infinity or NaN in between counts as grown as well.
constexpr int CheckInterval = 64;

// Energies integrated side by side: independent lanes of one vector, each lane doing exactly the
// arithmetic of a lone energy, so that a result never depends on its neighbours.
constexpr int Lanes = 4;
typedef double Vec __attribute__((vector_size(Lanes * sizeof(double))));

// R and T from the state at the left end, where k_L = sqrt(c |E - V|).
ScatterResult splitWave(std::complex<double> psi, std::complex<double> dpsi, double kL)
{
    const std::complex<double> ikL = I * std::complex<double>(kL, 0.0);
    std::complex<double> d = ikL * psi;
    d -= dpsi;
    std::complex<double> s = dpsi;
    s += ikL * psi;
    std::complex<double> r = d;
    r /= s;
    // std::abs scales, so a huge r does not overflow before it is squared.
    const double m = std::abs(r);
    const double reflected = m * m;
    return {reflected, 1.0 - reflected, Status::Ok};
}

// One step's matrix (see alignedSteps) from A, B, C = h^2 q at the step's start, middle and end.
// Inlined into both builds of alignedSteps; the vectors go by reference, never through the ABI.
struct StepMatrix
{
    Vec m00, m01, m10, m11;
};

__attribute__((always_inline)) inline void buildStep(const Vec &A, const Vec &B, const Vec &C, StepMatrix &s)
{
    const Vec t = B * (1.0 / 24.0) + 1.0 / 6.0;
    const Vec u = B * (1.0 / 3.0) + 1.0;
    s.m00 = A * t + u;
    s.m01 = B * (1.0 / 6.0) + 1.0;
    s.m10 = (A + C) * (B * (1.0 / 12.0) + 1.0 / 6.0) + B * (2.0 / 3.0);
    s.m11 = C * t + u;
}

__attribute__((always_inline)) inline void applyStep(const StepMatrix &s, Vec &pr, Vec &pi, Vec &wr, Vec &wi)
{
    const Vec nr = s.m00 * pr + s.m01 * wr;
    const Vec ni = s.m00 * pi + s.m01 * wi;
    wr = s.m10 * pr + s.m11 * wr;
    wi = s.m10 * pi + s.m11 * wi;
    pr = nr;
    pi = ni;
}

// The Runge-Kutta step for psi'' = q psi, with q taken at the step's start (a), middle (b) and
// end (c), is a real 2x2 matrix acting alike on the real and the imaginary part of (psi, psi').
// With the derivative carried as w = h psi' and A = h^2 a, B = h^2 b, C = h^2 c, the four stages
// multiply out to
//   psi <- (1 + A/6 + B/3 + AB/24) psi + (1 + B/6) w
//   w   <- ((A + C)(1/6 + B/12) + 2B/3) psi + (1 + C/6 + B/3 + BC/24) w,
// about a third of the arithmetic of the stages themselves. m steps per sample for up to Lanes
// energies; an energy whose state outgrew `bound` gets the flagged result.
// Built twice on x86-64, for AVX2 and for the baseline, chosen when the program loads. Neither
// has fused multiply-add, so both round every operation alike and give the same bits.
#if defined(__GNUC__) && defined(__x86_64__) && !defined(__clang__)
__attribute__((target_clones("avx2", "default")))
#endif
void alignedSteps(const double *pot, int xStart, int xEnd, int m, const double *energies, int count,
                  double c, double bound, ScatterResult *results)
{
    const double h = -1.0 / m;
    const double g = h * h * c; // h^2 q = g (V - E)
    const double inv2m = 1.0 / (2.0 * m);
    const double big = bound;
    const double bigW = bound / m; // |psi'| <= bound
    Vec ge, pr, pi, wr, wi;
    for (int l = 0; l < Lanes; ++l) {
        const double e = energies[std::min(l, count - 1)]; // spare lanes repeat the last energy
        ge[l] = g * e;
        const std::complex<double> kR =
            std::sqrt(std::complex<double>(c, 0.0) * std::complex<double>(e - pot[xStart], 0.0));
        const std::complex<double> w = h * (I * kR); // psi = 1, psi' = i k_R
        pr[l] = 1.0;
        pi[l] = 0.0;
        wr[l] = w.real();
        wi[l] = w.imag();
    }
    bool grown[Lanes] = {};
    Vec A = g * pot[xStart] - ge;
    // Where two samples are equal, A = B = C in every step of that sample (bit for bit, the
    // values being formed alike), so the matrix is built once for a whole flat stretch.
    StepMatrix flat{};
    bool flatBuilt = false;
    double flatLevel = 0.0;
    int sinceCheck = 0;
    for (int i = xStart; i > xEnd; --i) {
        if (pot[i - 1] == pot[i]) {
            if (!flatBuilt || !(pot[i] == flatLevel)) {
                buildStep(A, A, A, flat);
                flatBuilt = true;
                flatLevel = pot[i];
            }
            for (int j = 0; j < m; ++j)
                applyStep(flat, pr, pi, wr, wi);
        } else {
            flatBuilt = false;
            const double gv1 = g * pot[i];
            const double gd = g * (pot[i - 1] - pot[i]);
            const double gv0 = g * pot[i - 1];
            for (int j = 0; j < m; ++j) {
                const double vMid = gv1 + gd * ((2 * j + 1) * inv2m);
                const double vEnd = j + 1 < m ? gv1 + gd * ((2 * j + 2) * inv2m) : gv0;
                const Vec B = vMid - ge;
                const Vec C = vEnd - ge;
                StepMatrix step;
                buildStep(A, B, C, step);
                applyStep(step, pr, pi, wr, wi);
                A = C;
            }
        }
        sinceCheck += m;
        if (sinceCheck >= CheckInterval || i == xEnd + 1) {
            sinceCheck = 0;
            const auto fine = (pr <= big) & (pr >= -big) & (pi <= big) & (pi >= -big) & (wr <= bigW) &
                              (wr >= -bigW) & (wi <= bigW) & (wi >= -bigW);
            bool anyFine = false;
            for (int l = 0; l < Lanes; ++l) {
                grown[l] = grown[l] || !fine[l];
                anyFine = anyFine || !grown[l];
            }
            if (!anyFine)
                break;
        }
    }
    for (int l = 0; l < count; ++l) {
        if (grown[l]) {
            results[l] = Flagged;
            continue;
        }
        const double kL = std::sqrt(c * std::fabs(energies[l] - pot[xEnd]));
        results[l] = splitWave({pr[l], pi[l]}, {wr[l] / h, wi[l] / h}, kL);
    }
}
} // namespace

ScatterSolver::ScatterSolver(int components)
    : ComplexRK4(std::max(components, 2))
{
    steps.reserve(ExpectedSteps + 8);
}

void ScatterSolver::setPotential(const double *samples, int count)
{
    pot = samples;
    potCount = samples ? std::max(count, 0) : 0;
    overflow = false;
    result[2] = 0.0;
    tabulated = false;
    measured = false;
}

double ScatterSolver::potentialAt(double x) const
{
    if (potCount == 0 || std::isnan(x))
        return NaN;
    if (x <= 0.0)
        return pot[0];
    if (x >= double(potCount - 1))
        return pot[potCount - 1];
    const double up = std::ceil(x);
    const int i = int(up);
    if (up == x)
        return pot[i];
    return pot[i] + (pot[i] - pot[i - 1]) * (x - up);
}

void ScatterSolver::derivatives(double at)
{
    deriv[0] = work[1];
    deriv[1] = (-widthFactor * (energy - potentialAt(at))) * work[0];
}

bool ScatterSolver::validSpan(int xStart, int xEnd) const
{
    return xStart >= 0 && xStart < potCount && xEnd >= 0 && xEnd < potCount;
}

bool ScatterSolver::begin(int xStart, int xEnd, double e, double c)
{
    if (!validSpan(xStart, xEnd))
        return false;
    widthFactor = c;
    y[0] = std::complex<double>(1.0, 0.0);
    x = double(xStart);
    energy = e;
    // Principal root: below the right-hand level the transmitted wave decays to the right.
    const std::complex<double> kR = std::sqrt(std::complex<double>(c, 0.0) *
                                              std::complex<double>(e - potentialAt(x), 0.0));
    y[1] = I * kR * y[0];
    return true;
}

ScatterResult ScatterSolver::finish(int xEnd)
{
    if (overflow)
        return Flagged;
    const double kL = std::sqrt(widthFactor * std::fabs(energy - potentialAt(double(xEnd))));
    return splitWave(y[0], y[1], kL);
}

void ScatterSolver::measureSpan(int xStart, int xEnd)
{
    if (measured && xStart == measuredStart && xEnd == measuredEnd)
        return;
    spanLow = spanHigh = pot[xEnd];
    for (int i = xEnd + 1; i <= xStart; ++i) {
        spanLow = std::fmin(spanLow, pot[i]);
        spanHigh = std::fmax(spanHigh, pot[i]);
    }
    measuredStart = xStart;
    measuredEnd = xEnd;
    measured = true;
}

int ScatterSolver::stepsPerSample(int xStart, int xEnd, double e, double c)
{
    if (!validSpan(xStart, xEnd) || xStart <= xEnd)
        return HundredthSteps; // nothing to integrate, or only the error result
    measureSpan(xStart, xEnd);
    const int span = xStart - xEnd;
    const double k = std::sqrt(std::fabs(c) * std::fmax(e - spanLow, spanHigh - e));
    if (std::isnan(k))
        return HundredthSteps; // a NaN energy or factor gives NaN either way
    const double phi = span * k;
    // A hundredth of the span is a whole fraction of a sample only where the span divides 100;
    // elsewhere steps straddle the kinks of the interpolated potential, which costs up to 3e-4
    // in T even where k h is tiny.
    if (span <= 100 && 100 % span == 0) {
        const double theta = k * span * 0.01;
        if (phi * (theta * theta) * (theta * theta) <= PhaseBudget)
            return HundredthSteps;
    }
    // theta = k / m with phi * theta^4 <= budget; at least 100 steps in all.
    double m = std::fmax(std::ceil(k * std::sqrt(std::sqrt(phi / PhaseBudget))), std::ceil(100.0 / span));
    if (!(m * span <= double(MaxSteps)))
        return TooManySteps;
    // Above 16, m is rounded up to four significant bits (at most 1/8 more steps), so that
    // neighbouring energies share it and can be integrated side by side.
    if (m > 16.0) {
        const double grain = std::ldexp(1.0, std::ilogb(m) - 3);
        m = std::ceil(m / grain) * grain;
    }
    return int(std::fmin(m, double(MaxSteps / span)));
}

void ScatterSolver::tabulateSteps(int xStart, int xEnd)
{
    // Exactly the x sequence of `step`, rounding included, so that the stages see the same
    // potential values as through `derivatives`.
    const double h = double(xStart - xEnd) * (-0.01);
    steps.clear();
    double at = double(xStart);
    vFirst = potentialAt(at);
    while (at > xEnd) {
        StepPoint p;
        at += 0.5 * h;
        p.vMid = potentialAt(at);
        at += 0.5 * h;
        p.vEnd = potentialAt(at);
        p.xAfter = at;
        steps.push_back(p);
    }
    tabulatedStart = xStart;
    tabulatedEnd = xEnd;
    tabulated = true;
}

ScatterResult ScatterSolver::coefficients(int xStart, int xEnd, double e, double c)
{
    ScatterResult out;
    solveSeries(xStart, xEnd, &e, 1, c, &out);
    return out;
}

const double *ScatterSolver::solve(int xStart, int xEnd, double e, double c)
{
    const ScatterResult out = coefficients(xStart, xEnd, e, c);
    const double flag = out.status == Status::Overflow ? 1.0 : out.status == Status::Unresolved ? Unresolved : 0.0;
    result = {out.r, out.t, flag};
    return result.data();
}

ScatterResult ScatterSolver::solveHundredths(int xStart, int xEnd, double e, double c)
{
    if (!begin(xStart, xEnd, e, c))
        return {NaN, NaN, Status::Invalid};
    if (!overflow)
        integrateHundredths(xStart, xEnd);
    return finish(xEnd); // the flagged result once the state has grown too far
}

void ScatterSolver::solveSeries(int xStart, int xEnd, const double *energies, int count, double c,
                                ScatterResult *results)
{
    for (int j = 0; j < count;) {
        const int m = overflow ? HundredthSteps : stepsPerSample(xStart, xEnd, energies[j], c);
        if (m == TooManySteps) {
            results[j++] = {NaN, NaN, Status::Unresolved};
            continue;
        }
        if (m == HundredthSteps) {
            // Also the error results: a span outside the samples, or the sticking overflow.
            results[j] = solveHundredths(xStart, xEnd, energies[j], c);
            ++j;
            continue;
        }
        int n = 1;
        while (n < Lanes && j + n < count && stepsPerSample(xStart, xEnd, energies[j + n], c) == m)
            ++n;
        integrateAligned(xStart, xEnd, m, energies + j, n, c, results + j);
        for (int l = j; l < j + n; ++l) {
            if (overflow)
                results[l] = Flagged;
            else if (results[l].status == Status::Overflow)
                overflow = true; // every later energy of the sweep is flagged too
        }
        j += n;
    }
}

void ScatterSolver::integrateHundredths(int xStart, int xEnd)
{
    if (!tabulated || xStart != tabulatedStart || xEnd != tabulatedEnd)
        tabulateSteps(xStart, xEnd);

    // `step` and `derivatives` spelt out for two components in real arithmetic, operation for
    // operation: deriv = (psi', q psi) with q = -c (E - V); (h, 0) times a complex number is
    // h times each part.
    const double c = widthFactor;
    const double e = energy;
    const double h = double(xStart - xEnd) * (-0.01);
    const double halfH = h * 0.5;
    const double sixth = 0.16666666666666666;
    const double third = 0.3333333333333333;
    const double big = bound;

    double pr = y[0].real(), pi = y[0].imag();  // psi
    double dr = y[1].real(), di = y[1].imag();  // psi'
    double q0 = -c * (e - vFirst);
    double xNow = x;
    for (const StepPoint &p : steps) {
        const double qm = -c * (e - p.vMid);
        const double q1 = -c * (e - p.vEnd);

        // Stage 1 at the start.
        double f0r = dr, f0i = di, f1r = q0 * pr, f1i = q0 * pi;
        double kr0 = h * f0r, ki0 = h * f0i, kr1 = h * f1r, ki1 = h * f1i;
        double a0r = pr + kr0 * sixth, a0i = pi + ki0 * sixth;
        double a1r = dr + kr1 * sixth, a1i = di + ki1 * sixth;
        double w0r = pr + halfH * f0r, w0i = pi + halfH * f0i;
        double w1r = dr + halfH * f1r, w1i = di + halfH * f1i;

        // Stage 2 half a step on.
        f0r = w1r; f0i = w1i; f1r = qm * w0r; f1i = qm * w0i;
        kr0 = h * f0r; ki0 = h * f0i; kr1 = h * f1r; ki1 = h * f1i;
        a0r += kr0 * third; a0i += ki0 * third; a1r += kr1 * third; a1i += ki1 * third;
        w0r = pr + halfH * f0r; w0i = pi + halfH * f0i;
        w1r = dr + halfH * f1r; w1i = di + halfH * f1i;

        // Stage 3 at the same place.
        f0r = w1r; f0i = w1i; f1r = qm * w0r; f1i = qm * w0i;
        kr0 = h * f0r; ki0 = h * f0i; kr1 = h * f1r; ki1 = h * f1i;
        a0r += kr0 * third; a0i += ki0 * third; a1r += kr1 * third; a1i += ki1 * third;
        w0r = pr + kr0; w0i = pi + ki0;
        w1r = dr + kr1; w1i = di + ki1;

        // Stage 4 at the end.
        f0r = w1r; f0i = w1i; f1r = q1 * w0r; f1i = q1 * w0i;
        kr0 = h * f0r; ki0 = h * f0i; kr1 = h * f1r; ki1 = h * f1i;
        pr = a0r + kr0 * sixth; pi = a0i + ki0 * sixth;
        dr = a1r + kr1 * sixth; di = a1i + ki1 * sixth;

        q0 = q1;
        xNow = p.xAfter;
        if (pr > big || pi > big || dr > big || di > big) {
            overflow = true;
            break;
        }
    }
    y[0] = std::complex<double>(pr, pi);
    y[1] = std::complex<double>(dr, di);
    x = xNow;
}

void ScatterSolver::integrateAligned(int xStart, int xEnd, int m, const double *energies, int count,
                                     double c, ScatterResult *results)
{
    alignedSteps(pot, xStart, xEnd, m, energies, count, c, bound, results);
}
