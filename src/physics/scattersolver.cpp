#include "scattersolver.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {
const std::complex<double> I(0.0, 1.0);
constexpr double NaN = std::numeric_limits<double>::quiet_NaN();
// The span is cut into a hundred steps; rounding of x may add one more.
constexpr int ExpectedSteps = 101;
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
    if (!validSpan(xStart, xEnd)) {
        result = {NaN, NaN, 0.0};
        return false;
    }
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

const double *ScatterSolver::finish(int xEnd)
{
    if (overflow) {
        result = {1.0, 0.0, 1.0};
        return result.data();
    }
    const double kL = std::sqrt(widthFactor * std::fabs(energy - potentialAt(double(xEnd))));
    const std::complex<double> ikL = I * std::complex<double>(kL, 0.0);
    const std::complex<double> psi = y[0];
    const std::complex<double> dpsi = y[1];
    std::complex<double> d = ikL * psi;
    d -= dpsi;
    std::complex<double> s = dpsi;
    s += ikL * psi;
    std::complex<double> r = d;
    r /= s;
    // std::abs scales, so a huge r does not overflow before it is squared.
    const double m = std::abs(r);
    result[0] = m * m;
    result[1] = 1.0 - result[0];
    result[2] = 0.0;
    return result.data();
}

const double *ScatterSolver::solveReference(int xStart, int xEnd, double e, double c)
{
    if (!begin(xStart, xEnd, e, c))
        return result.data();
    const double h = double(xStart - xEnd) * (-0.01);
    while (x > xEnd && !overflow) {
        step(h);
        if (y[0].real() > bound || y[0].imag() > bound || y[1].real() > bound ||
            y[1].imag() > bound)
            overflow = true;
    }
    return finish(xEnd);
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

const double *ScatterSolver::solve(int xStart, int xEnd, double e, double c)
{
    if (!begin(xStart, xEnd, e, c))
        return result.data();
    if (overflow)
        return finish(xEnd);
    if (!tabulated || xStart != tabulatedStart || xEnd != tabulatedEnd)
        tabulateSteps(xStart, xEnd);

    // `step` and `derivatives` spelt out for two components in real arithmetic, operation for
    // operation: deriv = (psi', q psi) with q = -c (E - V); (h, 0) times a complex number is
    // h times each part.
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
    return finish(xEnd);
}
