// SPDX-License-Identifier: GPL-3.0-or-later
#include "physics/propagator.h"

#include <algorithm>
#include <limits>

Propagator::Propagator(const double *pot, std::complex<double> *psi, int count)
    : count_(count > 0 ? count : 0), pot_(pot), psi_(psi), solved_(count_), coupling_(count_), reciprocal_(count_),
      factoredPot_(count_), factoredDt_(std::numeric_limits<double>::quiet_NaN())
{
}

// The matrices are
//   right:  main 1 - (i dt/2)(V_n + 1),  off-diagonals  +i dt/4
//   left:   main 1 + (i dt/2)(V_n + 1),  off-diagonals  -i dt/4
// The off-diagonals are the same in every row and the main diagonals follow from V_n, so they
// are formed on the fly from the current potential rather than stored: every step still starts
// from the potential as it is now. The arithmetic is spelt out in real and imaginary parts.
void Propagator::step(double dt)
{
    step(dt, 1);
}

// The left-hand matrix's elimination: per row the reciprocal of its main diagonal and the
// coupling to the next row divided by it.
void Propagator::factor(double dt)
{
    const int n = count_;
    const double h = 0.5 * dt;
    const double q = 0.25 * dt;
    const double qq = q * q;
    std::complex<double> *coupling = coupling_.data();
    std::complex<double> *reciprocal = reciprocal_.data();
    double sPrev = 0.0, qqdPrevRe = 0.0, qqdPrevIm = 0.0;
    for (int i = 0; i < n; ++i) {
        const double g = h * (pot_[i] + 1.0);
        double dRe = 1.0, dIm = g;
        if (i > 0) {
            dRe += qqdPrevRe * sPrev;
            dIm -= qqdPrevIm * sPrev;
        }
        const double s = 1.0 / (dRe * dRe + dIm * dIm);
        const double rRe = dRe * s, rIm = -dIm * s;
        reciprocal[i] = {rRe, rIm};
        coupling[i] = {q * rIm, -q * rRe};
        sPrev = s;
        qqdPrevRe = qq * dRe;
        qqdPrevIm = qq * dIm;
    }
}

// The left-hand matrix's elimination (it depends on the potential and dt only) when either has
// changed, then per step the right-hand side, its elimination and the back substitution. One step
// is the same code with times = 1, so single and repeated steps give the same bits by
// construction.
void Propagator::step(double dt, int times)
{
    const int n = count_;
    if (n == 0 || !pot_ || !psi_ || times <= 0)
        return;
    const double h = 0.5 * dt;
    const double q = 0.25 * dt;
    std::complex<double> *psi = psi_;
    std::complex<double> *solved = solved_.data();
    std::complex<double> *coupling = coupling_.data();
    std::complex<double> *reciprocal = reciprocal_.data();

    // A NaN sample never compares equal, so such a potential is eliminated afresh each time.
    if (!(dt == factoredDt_) || !std::equal(pot_, pot_ + n, factoredPot_.begin())) {
        factor(dt);
        std::copy(pot_, pot_ + n, factoredPot_.begin());
        factoredDt_ = dt;
    }

    for (int t = 0; t < times; ++t) {
        double prevRe = 0.0, prevIm = 0.0;
        double curRe = psi[0].real(), curIm = psi[0].imag();
        double wPrevRe = 0.0, wPrevIm = 0.0;
        double rPrevRe = 0.0, rPrevIm = 0.0;
        for (int i = 0; i < n; ++i) {
            double nextRe = 0.0, nextIm = 0.0;
            if (i + 1 < n) {
                nextRe = psi[i + 1].real();
                nextIm = psi[i + 1].imag();
            }
            const double g = h * (pot_[i] + 1.0);
            double wRe = -q * prevIm;
            double wIm = q * prevRe;
            wRe += curRe + g * curIm;
            wIm += curIm - g * curRe;
            wRe += -q * nextIm;
            wIm += q * nextRe;
            if (i > 0) {
                const double mRe = q * rPrevIm;
                const double mIm = -q * rPrevRe;
                wRe -= mRe * wPrevRe - mIm * wPrevIm;
                wIm -= mRe * wPrevIm + mIm * wPrevRe;
            }
            const double rRe = reciprocal[i].real(), rIm = reciprocal[i].imag();
            solved[i] = {wRe * rRe - wIm * rIm, wRe * rIm + wIm * rRe};
            wPrevRe = wRe;
            wPrevIm = wIm;
            rPrevRe = rRe;
            rPrevIm = rIm;
            prevRe = curRe;
            prevIm = curIm;
            curRe = nextRe;
            curIm = nextIm;
        }
        double upRe = 0.0, upIm = 0.0;
        for (int i = n - 1; i >= 0; --i) {
            const double uRe = coupling[i].real(), uIm = coupling[i].imag();
            const double re = solved[i].real() - (uRe * upRe - uIm * upIm);
            const double im = solved[i].imag() - (uRe * upIm + uIm * upRe);
            upRe = re;
            upIm = im;
            psi[i] = {re, im};
        }
    }
}
