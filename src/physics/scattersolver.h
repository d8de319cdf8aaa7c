// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef QUANTAURA_SCATTERSOLVER_H
#define QUANTAURA_SCATTERSOLVER_H

#include "physics/complexrk4.h"

#include <array>
#include <vector>

// R and T of one energy, and whether they could be computed.
struct ScatterResult
{
    enum class Status
    {
        Ok,         // r and t hold R and T, both in [0, 1] unless the integration failed
        Overflow,   // too wide or too high to tunnel through: T lies below the double range; {1, 0}
        Unresolved, // the wave is too short for the step limit; {NaN, NaN}
        Invalid,    // no potential, or an end outside the samples; {NaN, NaN}
    };
    double r;
    double t;
    Status status;
};

// Reflection and transmission of a plane wave by a sampled potential (grid spacing 1).
// The stationary equation psi'' = -c (E - V(x)) psi is integrated backwards, from a purely
// transmitted wave at xStart to xEnd, where the solution is split into incoming and reflected
// parts. Component 0 of the state is psi, component 1 is psi'.
//
// Step size. Each energy gets as many Runge-Kutta steps as its accuracy needs (see
// stepsPerSample): a hundred steps of a hundredth of the span where those fall on the samples
// and the wave is long enough, otherwise m steps per sample, so that no step straddles a kink of
// the interpolated potential and k*h stays small. Told how steep T(E) is there (near a sharp
// resonance), it takes enough steps that the error of T stays below 1e-5.
//
// R and T. T = 1 - R with R = |r|^2 from the split into incoming and reflected wave; where T is
// below 1e-8, where that difference would be rounding noise, T comes from the fluxes instead
// and R = 1 - T. R above 1 by less than 1e-9 (rounding where reflection is total) is given as 1.
//
// Growth. Under a barrier the solution grows exponentially towards the left; the state is
// rescaled by a power of two whenever it outgrows 2^500, the exponent kept, so every energy gets
// its R and T. Where T falls below the double range the result is flagged (Overflow) as {1, 0}.
class ScatterSolver : public ComplexRK4
{
public:
    // The scattering window's grid.
    static constexpr int GridSize = 1200;
    // result[2] of an energy whose wave is too short to be integrated within MaxSteps.
    static constexpr double Unresolved = 2.0;
    // The most steps one energy may take (about 5 ms); only absurdly high or deep potentials
    // with a large width factor need more.
    static constexpr long MaxSteps = 1L << 22;
    // stepsPerSample's answers besides a positive count.
    static constexpr int HundredthSteps = 0;
    static constexpr int TooManySteps = -1;

    explicit ScatterSolver(int components = 2);

    // Borrows `count` samples (the caller keeps them alive and unchanged while solving; call
    // this again after changing them).
    void setPotential(const double *samples, int count = GridSize);

    // R and T for one energy. Expects xStart > xEnd.
    ScatterResult coefficients(int xStart, int xEnd, double energy, double widthFactor);

    // The same as the triple {R, T, flag}, valid until the next solve: flag 1.0 for an Overflow,
    // Unresolved for an Unresolved energy, 0.0 otherwise (an Invalid span gives {NaN, NaN, 0}).
    const double *solve(int xStart, int xEnd, double energy, double widthFactor);

    // `count` energies in the given order, as `count` calls of coefficients would give them (bit
    // for bit), into results[0..count-1]. Energies that need the same number of steps are
    // integrated side by side. steps[j] > 0 (if given) sets energy j's steps per sample instead of
    // the rule (at most MaxSteps in all).
    void solveSeries(int xStart, int xEnd, const double *energies, int count, double widthFactor,
                     ScatterResult *results, const int *steps = nullptr);

    // Steps per sample that `solve` takes for this energy: HundredthSteps for a hundred steps of a
    // hundredth of the span, TooManySteps beyond MaxSteps. The error model behind it, measured
    // against converged references: with k the largest local wave number sqrt(c |E - V|) over
    // the span, Phi = span * k and theta = k * h, |T - T_exact| <= 0.8 theta^4 where T changes
    // slowly (the computed phase runs short by Phi theta^4 / 120, but T does not follow the phase
    // over the whole span), as long as no step straddles a sample. The count keeps theta^4 <= 1e-5,
    // also Phi * theta^4 <= 1e-3, and at least 100 steps. Near a resonance T is steep, and the
    // same error shifts the resonance by E_kin theta^4 / 60 (E_kin = k^2 / c): given `steepness`
    // = |dT/dE| there, the count also keeps that shift times 4 |dT/dE| below 5e-6 (4 for a
    // steepness measured between neighbouring energies of a sweep), up to MaxSteps.
    int stepsPerSample(int xStart, int xEnd, double energy, double widthFactor, double steepness = 0.0);

    // The samples joined by straight lines; held constant beyond both ends.
    double potentialAt(double x) const;

protected:
    void derivatives(double x) override;

private:
    bool validSpan(int xStart, int xEnd) const;
    // Sets the transmitted wave at xStart; returns false for a span outside the samples.
    bool begin(int xStart, int xEnd, double energy, double widthFactor);
    // Splits the state at xEnd into incoming and reflected wave.
    ScatterResult finish(int xEnd);
    void tabulateSteps(int xStart, int xEnd);
    // Extremes of the samples over the span, for the step count.
    void measureSpan(int xStart, int xEnd);
    // One energy in a hundred equal steps; integrateHundredths is its loop, after begin().
    ScatterResult solveHundredths(int xStart, int xEnd, double energy, double widthFactor);
    void integrateHundredths(int xStart, int xEnd);
    // m steps per sample for up to `Lanes` energies at once.
    void integrateAligned(int xStart, int xEnd, int m, const double *energies, int count, double c,
                          ScatterResult *results);

    double energy = 0.0;
    double transmittedK = 0.0; // Re k_R of the energy being integrated
    int scaledBits = 0;        // the state is the true one times 2^-scaledBits
    const double *pot = nullptr;
    int potCount = 0;
    std::array<double, 3> result{};
    double widthFactor = 1.0;

    // The positions of the Runge-Kutta stages depend only on the span, not on the energy, so
    // the potential there is looked up once per span and potential instead of four times per
    // step and energy.
    struct StepPoint
    {
        double vMid;    // potential half a step on
        double vEnd;    // potential at the step's end
        double xAfter;  // x after the step
    };
    std::vector<StepPoint> steps;
    double vFirst = 0.0;  // potential at xStart
    int tabulatedStart = 0;
    int tabulatedEnd = 0;
    bool tabulated = false;

    double spanLow = 0.0;   // smallest and largest sample over the measured span
    double spanHigh = 0.0;
    int measuredStart = 0;
    int measuredEnd = 0;
    bool measured = false;
};

#endif
