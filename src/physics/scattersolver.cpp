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
// The state is rescaled by 2^-RescaleBits whenever a component outgrows 2^RescaleBits; the
// exponent is kept for T.
constexpr int RescaleBits = 500;
constexpr double RescaleAbove = 0x1p500;
constexpr double RescaleBy = 0x1p-500;
// log2 of the smallest double above 0: a T below it is 0.
constexpr double MinLog2 = -1074.0;
// Below about 1e-8 (2^-27) T is taken from the flux instead of 1 - R.
constexpr double FluxBelowLog2 = -27.0;
// R above 1 by less than this is rounding and is given as 1.
constexpr double RoundingExcess = 1e-9;
// The span is cut into a hundred steps; rounding of x may add one more.
constexpr int ExpectedSteps = 101;
// Largest Phi * theta^4 and theta^4 allowed (see stepsPerSample).
constexpr double PhaseBudget = 1e-3;
constexpr double ThetaBudget = 3.5e-6;
// Largest |dT/dE| E_kin theta^4 allowed: T shifted by E_kin theta^4 / 60 in energy stays within
// 4e-6 (on the flanks of resonances between narrow barriers the error measured up to 2.2 times
// the shift; where T oscillates over a wide potential, a seventh of it).
constexpr double SteepBudget = 60.0 * 4e-6;
// The growth check of the aligned steps runs at the end of a sample once this many steps have
// passed (each with k h <= 0.26, see stepsPerSample, so 64 of them grow the state less than 1e8,
// far below the headroom of 2^523 above RescaleAbove).
constexpr int CheckInterval = 64;

// Energies integrated side by side: independent lanes of one vector, each lane doing exactly the
// arithmetic of a lone energy, so that a result never depends on its neighbours. (The steps are
// bound by the latency of their chain of products: one lane costs as much as four, eight spill.)
constexpr int Lanes = 4;
typedef double Vec __attribute__((vector_size(Lanes * sizeof(double))));

// R and T from the state at the left end, where k_L = sqrt(c |E - V|). The state there is the
// true one times 2^-scaled (kept in range by rescaling); transmitted = Re k_R, the flux of the
// transmitted wave of amplitude 1.
ScatterResult splitWave(std::complex<double> psi, std::complex<double> dpsi, double kL, int scaled,
                        double transmitted)
{
    const std::complex<double> ikL = I * std::complex<double>(kL, 0.0);
    std::complex<double> d = ikL * psi;
    d -= dpsi;
    std::complex<double> s = dpsi;
    s += ikL * psi;
    // T = 4 k_L Re k_R / |S|^2 from the flux, with S = psi' + i k_L psi of the true state. Where
    // it is tiny, 1 - R would be rounding noise: T comes from the flux then, and R is 1 - T. Below
    // the double range T is 0 (flagged when the state had to be rescaled for it).
    const double log2T = std::log2(4.0 * kL * transmitted) - 2.0 * (std::log2(std::abs(s)) + scaled);
    if (scaled > 0 && !(log2T >= MinLog2))
        return Flagged;
    if (log2T < FluxBelowLog2) {
        const double t = std::exp2(log2T);
        return {1.0 - t, t, Status::Ok};
    }
    std::complex<double> r = d;
    r /= s;
    // std::abs scales, so a huge r does not overflow before it is squared.
    const double m = std::abs(r);
    double reflected = m * m;
    // |r| just above 1 is rounding (total reflection); more than that would be a fault, left visible.
    if (reflected > 1.0 && reflected < 1.0 + RoundingExcess)
        reflected = 1.0;
    return {reflected, 1.0 - reflected, Status::Ok};
}

// One step's matrix (see alignedSteps) from A, B, C = h^2 q at the step's start, middle and end.
// Inlined into both builds of alignedSteps; the vectors go by reference, never through the ABI.
template <class V> struct StepMatrix
{
    V m00, m01, m10, m11;
};

template <class V>
__attribute__((always_inline)) inline void buildStep(const V &A, const V &B, const V &C, StepMatrix<V> &s)
{
    const V t = B * (1.0 / 24.0) + 1.0 / 6.0;
    const V u = B * (1.0 / 3.0) + 1.0;
    s.m00 = A * t + u;
    s.m01 = B * (1.0 / 6.0) + 1.0;
    s.m10 = (A + C) * (B * (1.0 / 12.0) + 1.0 / 6.0) + B * (2.0 / 3.0);
    s.m11 = C * t + u;
}

template <class V>
__attribute__((always_inline)) inline void applyStep(const StepMatrix<V> &s, V &pr, V &pi, V &wr, V &wi)
{
    const V nr = s.m00 * pr + s.m01 * wr;
    const V ni = s.m00 * pi + s.m01 * wi;
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
// about a third of the arithmetic of the stages themselves. m steps per sample for up to W
// energies, the lanes of V; a lane whose state outgrows RescaleAbove is rescaled on its own.
template <class V, int W>
__attribute__((always_inline)) inline void alignedSteps(const double *pot, int xStart, int xEnd, int m,
                                                        const double *energies, int count, double c,
                                                        ScatterResult *results)
{
    const double h = -1.0 / m;
    const double g = h * h * c; // h^2 q = g (V - E)
    const double inv2m = 1.0 / (2.0 * m);
    const double bigW = RescaleAbove / m; // |psi'| alike
    V ge, pr, pi, wr, wi;
    for (int l = 0; l < W; ++l) {
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
    V scaled{}; // binary exponents taken out of each lane
    V A = g * pot[xStart] - ge;
    // Where two samples are equal, A = B = C in every step of that sample (bit for bit, the
    // values being formed alike), so the matrix is built once for a whole flat stretch.
    StepMatrix<V> flat{};
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
                const V B = vMid - ge;
                const V C = vEnd - ge;
                StepMatrix<V> step;
                buildStep(A, B, C, step);
                applyStep(step, pr, pi, wr, wi);
                A = C;
            }
        }
        sinceCheck += m;
        if (sinceCheck >= CheckInterval) {
            // Lanes whose state outgrew the bound are scaled down, without a branch; times 1
            // leaves the others' bits as they were. A lane that is not a number (from a NaN
            // energy) never counts as grown.
            sinceCheck = 0;
            const auto grown = (pr > RescaleAbove) | (pr < -RescaleAbove) | (pi > RescaleAbove) | (pi < -RescaleAbove) |
                               (wr > bigW) | (wr < -bigW) | (wi > bigW) | (wi < -bigW);
            const V f = grown ? V{} + RescaleBy : V{} + 1.0;
            scaled += grown ? V{} + double(RescaleBits) : V{};
            pr *= f;
            pi *= f;
            wr *= f;
            wi *= f;
        }
    }
    for (int l = 0; l < count; ++l) {
        const double kL = std::sqrt(c * std::fabs(energies[l] - pot[xEnd]));
        const double kR = std::sqrt(std::complex<double>(c * (energies[l] - pot[xStart]), 0.0)).real();
        results[l] = splitWave({pr[l], pi[l]}, {wr[l] / h, wi[l] / h}, kL, int(scaled[l]), kR);
    }
}

// Built twice on x86-64, for AVX2 and for the baseline, chosen when the program loads. Neither
// has fused multiply-add, so both round every operation alike and give the same bits.
#if defined(__GNUC__) && defined(__x86_64__) && !defined(__clang__)
__attribute__((target_clones("avx2", "default")))
#endif
void alignedLanes(const double *pot, int xStart, int xEnd, int m, const double *energies, int count, double c,
                  ScatterResult *results)
{
    alignedSteps<Vec, Lanes>(pot, xStart, xEnd, m, energies, count, c, results);
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
    transmittedK = kR.real();
    scaledBits = 0;
    return true;
}

ScatterResult ScatterSolver::finish(int xEnd)
{
    const double kL = std::sqrt(widthFactor * std::fabs(energy - potentialAt(double(xEnd))));
    return splitWave(y[0], y[1], kL, scaledBits, transmittedK);
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

int ScatterSolver::stepsPerSample(int xStart, int xEnd, double e, double c, double steepness)
{
    if (!validSpan(xStart, xEnd) || xStart <= xEnd)
        return HundredthSteps; // nothing to integrate, or only the error result
    measureSpan(xStart, xEnd);
    const int span = xStart - xEnd;
    const double k = std::sqrt(std::fabs(c) * std::fmax(e - spanLow, spanHigh - e));
    if (std::isnan(k))
        return HundredthSteps; // a NaN energy or factor gives NaN either way
    const double phi = span * k;
    // Where T is steep, the step also keeps the shift of the energy scale, E_kin theta^4 / 60,
    // below what T would feel: theta^4 <= steep.
    const double steep = steepness > 0.0 && k > 0.0 ? SteepBudget * std::fabs(c) / (steepness * k * k) : HUGE_VAL;
    // A hundredth of the span is a whole fraction of a sample only where the span divides 100;
    // elsewhere steps straddle the kinks of the interpolated potential, which costs up to 3e-4
    // in T even where k h is tiny.
    if (span <= 100 && 100 % span == 0) {
        const double theta = k * span * 0.01;
        const double theta4 = (theta * theta) * (theta * theta);
        if (phi * theta4 <= PhaseBudget && theta4 <= ThetaBudget && theta4 <= steep)
            return HundredthSteps;
    }
    // theta = k / m within both budgets (and within `steep`); at least 100 steps in all. Only the
    // phase decides that an energy cannot be resolved; a steep T asks for at most MaxSteps.
    double m = std::fmax(std::ceil(k * std::sqrt(std::sqrt(phi / PhaseBudget))), std::ceil(100.0 / span));
    m = std::fmax(m, std::ceil(k / std::sqrt(std::sqrt(ThetaBudget))));
    if (!(m * span <= double(MaxSteps)))
        return TooManySteps;
    if (steep < HUGE_VAL)
        m = std::fmax(m, std::fmin(std::ceil(k / std::sqrt(std::sqrt(steep))), double(MaxSteps / span)));
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
    integrateHundredths(xStart, xEnd);
    return finish(xEnd);
}

void ScatterSolver::solveSeries(int xStart, int xEnd, const double *energies, int count, double c,
                                ScatterResult *results, const int *steps)
{
    auto stepsOf = [&](int j) {
        if (!steps || steps[j] <= 0 || !validSpan(xStart, xEnd) || xStart <= xEnd)
            return stepsPerSample(xStart, xEnd, energies[j], c);
        return std::min(steps[j], int(MaxSteps / (xStart - xEnd)));
    };
    for (int j = 0; j < count;) {
        const int m = stepsOf(j);
        if (m == TooManySteps) {
            results[j++] = {NaN, NaN, Status::Unresolved};
            continue;
        }
        if (m == HundredthSteps) {
            // Also the error result of a span outside the samples.
            results[j] = solveHundredths(xStart, xEnd, energies[j], c);
            ++j;
            continue;
        }
        int n = 1;
        while (n < Lanes && j + n < count && stepsOf(j + n) == m)
            ++n;
        integrateAligned(xStart, xEnd, m, energies + j, n, c, results + j);
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
        if (std::fabs(pr) > RescaleAbove || std::fabs(pi) > RescaleAbove || std::fabs(dr) > RescaleAbove ||
            std::fabs(di) > RescaleAbove) {
            pr *= RescaleBy;
            pi *= RescaleBy;
            dr *= RescaleBy;
            di *= RescaleBy;
            scaledBits += RescaleBits;
        }
    }
    y[0] = std::complex<double>(pr, pi);
    y[1] = std::complex<double>(dr, di);
    x = xNow;
}

void ScatterSolver::integrateAligned(int xStart, int xEnd, int m, const double *energies, int count,
                                     double c, ScatterResult *results)
{
    alignedLanes(pot, xStart, xEnd, m, energies, count, c, results);
}
