// Complex DFT of N = n/2 points z_j = a[2j] + i a[2j+1] held as n doubles, in place, natural order in and
// out, unnormalised, no work array and no tables:
//   complex_forward:  X_k = sum_j z_j e^{+2 pi i jk/N}
//   complex_backward: X_k = sum_j z_j e^{-2 pi i jk/N}
// so backward(forward(z)) = N z. n is a power of two, 2 <= n <= 2^25 (n = 2 leaves a unchanged); the
// relative error is a small multiple of log2(N) 2^-53. Nothing outside [a, a + n) is touched.
//
// Above 32 doubles the transform is one radix-4 stage over the whole array (or, for 2^even doubles, a
// split into two halves), the block recursion, and a bit-reversal permutation; the backward direction
// is the conjugate of the forward transform of the conjugated input. Every size argument counts doubles.
#pragma once
#include <cstdint>

void complex_forward(int32_t n, double* a);
void complex_backward(int32_t n, double* a);
// complex_forward of points whose upper half, a[n/2..n-1], is zero: that half is not read (it may
// hold anything) and the doubles are those of complex_forward on the zero-padded array.
void complex_forward_upper_half_zero(int32_t n, double* a);

