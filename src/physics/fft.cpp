// SPDX-License-Identifier: GPL-3.0-or-later
#include "physics/fft.h"

#include <algorithm>
#include <cmath>
#include <utility>

FFT::FFT(int n)
    : n_(static_cast<short>(std::clamp(n, 0, MaxLog2))),
      half_(0),
      size_(1 << n_),
      scratch_(size_),
      norm_(1.0 / std::sqrt(double(size_)))
{
    half_ = size_ >> 1;
    twiddle_.assign(half_, {0.0, 0.0});
    inverseTwiddle_.assign(half_, {0.0, 0.0});
    if (half_ == 0)
        return;

    // The base angle uses the constant 6.28318 and the powers come from a running product;
    // both are part of the transform's defined results.
    const double omega = 6.28318 / size_;
    const double wc = std::cos(omega), ws = std::sin(omega);
    twiddle_[0] = {1.0, 0.0};
    for (int k = 1; k < half_; ++k) {
        const double re = twiddle_[k - 1].real(), im = twiddle_[k - 1].imag();
        twiddle_[k] = {re * wc - im * ws, re * ws + im * wc};
    }
    for (int k = 0; k < half_; ++k)
        inverseTwiddle_[k] = std::complex<double>(1.0, 0.0) / twiddle_[k];
}

void FFT::transform(const std::complex<double> *in, std::complex<double> *out, short direction)
{
    if (!in || !out)
        return;

    // Buffers swap roles after every stage; start so that the last stage writes into out.
    std::complex<double> *a = (n_ % 2) ? scratch_.data() : out;
    std::complex<double> *b = (n_ % 2) ? out : scratch_.data();
    if (a != in)
        std::copy(in, in + size_, a);

    const std::complex<double> *tw = direction == 0 ? twiddle_.data() : inverseTwiddle_.data();
    for (int s = 0; s < n_; ++s) {
        const int len = 1 << s;
        const int mask = len - 1;
        for (int j = 0; j < half_; ++j) {
            const int k = j >> s;
            const int o1 = 2 * j - (j & mask);
            const int o2 = o1 + len;
            const std::complex<double> x = a[j];
            const std::complex<double> y = a[j + half_];
            b[o1] = {x.real() + y.real(), x.imag() + y.imag()};
            const double dRe = x.real() - y.real(), dIm = x.imag() - y.imag();
            const std::complex<double> w = tw[k * len];
            b[o2] = {dRe * w.real() - dIm * w.imag(), dRe * w.imag() + dIm * w.real()};
        }
        std::swap(a, b);
    }

    for (int k = 0; k < size_; ++k)
        out[k] = {out[k].real() * norm_, out[k].imag() * norm_};
}
