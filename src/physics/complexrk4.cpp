// SPDX-License-Identifier: GPL-3.0-or-later
#include "physics/complexrk4.h"

#include <algorithm>

ComplexRK4::ComplexRK4(int components)
    : components(std::max(components, 0)),
      work(this->components), deriv(this->components), acc(this->components), y(this->components)
{
}

ComplexRK4::~ComplexRK4() = default;

void ComplexRK4::step(double h)
{
    // The step size enters as the complex number (h, 0) and the weights as the doubles below,
    // so that a specialised integration loop can reproduce this step to the last bit.
    const std::complex<double> hc(h, 0.0);
    const double halfH = h * 0.5;
    const double sixth = 0.16666666666666666;
    const double third = 0.3333333333333333;
    const int n = components;

    for (int k = 0; k < n; ++k)
        work[k] = y[k];
    derivatives(x);
    for (int k = 0; k < n; ++k) {
        const std::complex<double> k1 = hc * deriv[k];
        acc[k] = y[k] + k1 * sixth;
        work[k] = y[k] + halfH * deriv[k];
    }

    x += 0.5 * h;
    derivatives(x);
    for (int k = 0; k < n; ++k) {
        const std::complex<double> k2 = hc * deriv[k];
        acc[k] += k2 * third;
        work[k] = y[k] + halfH * deriv[k];
    }

    derivatives(x);
    for (int k = 0; k < n; ++k) {
        const std::complex<double> k3 = hc * deriv[k];
        acc[k] += k3 * third;
        work[k] = y[k] + k3;
    }

    x += 0.5 * h;
    derivatives(x);
    for (int k = 0; k < n; ++k) {
        const std::complex<double> k4 = hc * deriv[k];
        y[k] = acc[k] + k4 * sixth;
    }
}
