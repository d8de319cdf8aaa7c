// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef QUANTAURA_FFT_H
#define QUANTAURA_FFT_H

#include <complex>
#include <vector>

// Radix-2 fast Fourier transform of N = 2^n complex values, self-sorting (Stockham), so the
// output is in natural order without a reordering pass. Both directions are scaled by
// 1/sqrt(N), so the inverse undoes the forward transform:
//   forward: out[k] = N^(-1/2) sum_m in[m] e^(+i w m k),  inverse: the same with e^(-i w m k),
// where the twiddle factors are powers of exp(i 6.28318 / N) built by a running product; the
// results therefore deviate from the exact transform by a few parts in a million.
// Not reentrant: every call uses the object's scratch buffer.
class FFT
{
public:
    // n is log2 of the size; it is clamped to 0..MaxLog2.
    explicit FFT(int n);

    // direction 0: forward, anything else: inverse. in may be the same array as out
    // (other overlaps are not allowed); both hold size() values.
    void transform(const std::complex<double> *in, std::complex<double> *out, short direction);

    int size() const { return size_; }

    static constexpr int MaxLog2 = 16;

private:
    short n_;
    int half_;
    int size_;
    std::vector<std::complex<double>> twiddle_;
    // 1 / twiddle, so the inverse multiplies instead of dividing in every butterfly.
    std::vector<std::complex<double>> inverseTwiddle_;
    std::vector<std::complex<double>> scratch_;
    double norm_;
};

#endif
