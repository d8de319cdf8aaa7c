// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef QUANTAURA_COMPLEXRK4_H
#define QUANTAURA_COMPLEXRK4_H

#include <complex>
#include <vector>

// Classical fourth-order Runge-Kutta integrator for a system of `components` complex
// first-order equations y' = f(x, y). A subclass supplies f by overriding `derivatives`,
// which reads the argument from `work` and writes f into `deriv`. The user sets `x` and `y`
// before the first step.
class ComplexRK4
{
public:
    explicit ComplexRK4(int components);
    virtual ~ComplexRK4();

    // One step of size h (h may be negative): y <- y + (k1 + 2 k2 + 2 k3 + k4) / 6 and x <- x + h.
    virtual void step(double h);

protected:
    // Reads `work`, writes `deriv`, for the independent variable at x.
    virtual void derivatives(double x) = 0;

    int components;
    std::vector<std::complex<double>> work, deriv, acc, y;
    double x = 0.0;
};

#endif
