#ifndef QUANTAURA_TEST_SCATTERREFERENCE_H
#define QUANTAURA_TEST_SCATTERREFERENCE_H

#include <cmath>
#include <complex>
#include <vector>

// Independent reference for the scattering tests: exact transfer through constant slabs of
// psi'' = -c (E - V) psi over the samples joined by straight lines. A sample interval with equal
// ends is one slab, a sloped one 16 to 400 slabs at their midpoint values, more the steeper it is
// (T to about 2e-6). T comes
// from the flux, 4 k_L Re k_R / |psi' + i k_L psi|^2, not from 1 - R.
struct ReferenceRT
{
    double r, t;
};

inline ReferenceRT transferReference(const std::vector<double> &v, int xStart, int xEnd, double e, double c)
{
    using C = std::complex<double>;
    C psi = 1.0, dpsi = C(0.0, 1.0) * std::sqrt(C(c * (e - v[xStart])));
    const double kR = std::sqrt(C(c * (e - v[xStart]))).real();
    auto slab = [&](double q, double d) {  // q = k^2, over a length d
        const double k = std::sqrt(std::fabs(q)), cs = q > 0 ? std::cos(k * d) : std::cosh(k * d);
        const double sn = q == 0.0 ? d : (q > 0 ? std::sin(k * d) : std::sinh(k * d)) / k;
        const C p = cs * psi + sn * dpsi;
        dpsi = -q * sn * psi + cs * dpsi;
        psi = p;
    };
    for (int i = xStart; i > xEnd; --i)
        for (int n = v[i] == v[i - 1] ? 1 : int(std::fmin(400, std::ceil(16 + 1e5 * c * std::fabs(v[i] - v[i - 1])))),
                 s = 0; s < n; ++s)
            slab(c * (e - (v[i] + (v[i - 1] - v[i]) * (s + 0.5) / n)), -1.0 / n);
    const double kL = std::sqrt(c * (e - v[xEnd]));
    const C S = dpsi + C(0.0, kL) * psi, D = C(0.0, kL) * psi - dpsi;
    return {std::norm(D / S), 4.0 * kL * kR / std::norm(S)};
}

#endif
