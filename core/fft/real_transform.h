// Real DFT of n doubles x[0..n-1] (n a power of two, 2 <= n <= 2^25), in place, into the packed spectrum
//   a[0] = R(0) = sum_j x[j],   a[1] = R(n/2) = sum_j (-1)^j x[j],
//   a[2k] = R(k), a[2k+1] = I(k) for 1 <= k < n/2,   R(k) + i I(k) = sum_j x[j] e^{+2 pi i jk/n}.
// The backward direction (direction < 0) maps a packed spectrum a to
//   b[j] = a[0]/2 + (-1)^j a[1]/2 + sum_{k=1}^{n/2-1} (a[2k] cos(2 pi jk/n) + a[2k+1] sin(2 pi jk/n)),
// so backward(forward(x)) = (n/2) x; neither direction is normalised (the caller applies 2/n).
// Convolution: if P is the pointwise product of the packed spectra of x and y (real products at
// positions 0 and 1, complex products of the pairs (a[2k], a[2k+1])), (2/n) backward(P) is the cyclic
// convolution of x and y.
// One complex transform of n/2 points plus one linear pass; no work array, no tables, no state.
#pragma once
#include <cstdint>

void real_transform(int32_t n, int32_t direction, double* a);

// real_transform(n, +1, a) of x whose upper half x[n/2..n-1] is zero (a zero-padded factor): that half
// is not read, it may hold anything, and the spectrum is the same doubles.
void real_forward_upper_half_zero(int32_t n, double* a);

// The separation passes between the spectrum Z of the n/2 points x[2j] + i x[2j+1] and the packed real
// spectrum (called by real_transform for n > 4 only, n >= 8): real_post_forward after complex_forward,
// real_pre_inverse, its inverse (in exact arithmetic) on bins 1 .. n/4 - 1 and their mirrors, before
// complex_backward. Positions 0, 1 and n/2, n/2 + 1 are not touched.
void real_post_forward(int32_t n, double* a);
void real_pre_inverse(int32_t n, double* a);
