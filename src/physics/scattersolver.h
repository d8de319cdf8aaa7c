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
        Ok,         // r and t hold R and T = 1 - R
        Overflow,   // the state grew past the bound: too wide or too high to tunnel through; {1, 0}
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
// the interpolated potential and k*h stays small. The error of T is then below about 5e-5.
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
    // this again after changing them) and clears the overflow flag.
    void setPotential(const double *samples, int count = GridSize);

    // R and T for one energy. Expects xStart > xEnd. An Overflow (the state grew past 1e150)
    // sticks: every later energy is flagged alike, without integrating, until the next
    // setPotential.
    ScatterResult coefficients(int xStart, int xEnd, double energy, double widthFactor);

    // The same as the triple {R, T, flag}, valid until the next solve: flag 1.0 for an Overflow,
    // Unresolved for an Unresolved energy, 0.0 otherwise (an Invalid span gives {NaN, NaN, 0}).
    const double *solve(int xStart, int xEnd, double energy, double widthFactor);

    // `count` energies in the given order, as `count` calls of coefficients would give them (bit
    // for bit, the sticking overflow included), into results[0..count-1]. Energies that need the
    // same number of steps are integrated side by side.
    void solveSeries(int xStart, int xEnd, const double *energies, int count, double widthFactor,
                     ScatterResult *results);

    // Steps per sample that `solve` takes for this energy: HundredthSteps for a hundred steps of a
    // hundredth of the span, TooManySteps beyond MaxSteps. The error model behind it, measured
    // against converged references: with k the largest local wave number sqrt(c |E - V|) over
    // the span, Phi = span * k and theta = k * h, |T - T_exact| <= 0.05 * Phi * theta^4, as long as
    // no step straddles a sample. The count keeps Phi * theta^4 <= 1e-3 and at least 100 steps.
    int stepsPerSample(int xStart, int xEnd, double energy, double widthFactor);

    // The samples joined by straight lines; held constant beyond both ends.
    double potentialAt(double x) const;

    bool overflowed() const { return overflow; }

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
    // m steps per sample for up to `Lanes` energies at once; an Overflow there is that energy's
    // alone, without the sticking.
    void integrateAligned(int xStart, int xEnd, int m, const double *energies, int count, double c,
                          ScatterResult *results);

    double energy = 0.0;
    double bound = 1e150;
    bool overflow = false;
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
