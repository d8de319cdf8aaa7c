#ifndef QUANTAURA_SCATTERSOLVER_H
#define QUANTAURA_SCATTERSOLVER_H

#include "complexrk4.h"

#include <array>
#include <vector>

// Reflection and transmission of a plane wave by a sampled potential (grid spacing 1).
// The stationary equation psi'' = -c (E - V(x)) psi is integrated backwards, from a purely
// transmitted wave at xStart to xEnd, where the solution is split into incoming and reflected
// parts. Component 0 of the state is psi, component 1 is psi'.
class ScatterSolver : public ComplexRK4
{
public:
    // The scattering window's grid.
    static constexpr int GridSize = 1200;

    explicit ScatterSolver(int components = 2);

    // Borrows `count` samples (the caller keeps them alive and unchanged while solving; call
    // this again after changing them) and clears the overflow flag.
    void setPotential(const double *samples, int count = GridSize);

    // R and T for one energy: returns {R, T, flag}, valid until the next solve. flag is 1.0 when
    // the state grew past 1e150 (the potential is too wide or too high to tunnel through); that
    // result {1, 0, 1} then sticks until the next setPotential. Without a potential, or with an
    // end outside the samples, the result is {NaN, NaN, 0}. Expects xStart > xEnd.
    const double *solve(int xStart, int xEnd, double energy, double widthFactor);

    // The same calculation through the general integrator (`step` calling the virtual
    // `derivatives`). It is several times slower than `solve` and agrees with it to rounding;
    // it is kept as the reference for the specialised loop.
    const double *solveReference(int xStart, int xEnd, double energy, double widthFactor);

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
    const double *finish(int xEnd);
    void tabulateSteps(int xStart, int xEnd);

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
};

#endif
