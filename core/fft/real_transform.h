// Real DFT of `doubles` doubles x[0..doubles-1] (a power of two, 2 <= doubles <= 2^27), in place, into the
// packed spectrum (n = doubles)
//   a[0] = R(0) = sum_j x[j],   a[1] = R(n/2) = sum_j (-1)^j x[j],
//   a[2k] = R(k), a[2k+1] = I(k) for 1 <= k < n/2,   R(k) + i I(k) = sum_j x[j] e^{+2 pi i jk/n}.
// The backward direction (direction < 0) maps a packed spectrum a to
//   b[j] = a[0]/2 + (-1)^j a[1]/2 + sum_{k=1}^{n/2-1} (a[2k] cos(2 pi jk/n) + a[2k+1] sin(2 pi jk/n)),
// so backward(forward(x)) = (n/2) x; neither direction is normalised (the caller applies 2/n).
// Convolution: if P is the pointwise product of the packed spectra of x and y (real products at
// positions 0 and 1, complex products of the pairs (a[2k], a[2k+1])), (2/n) backward(P) is the cyclic
// convolution of x and y.
//
// One complex transform of n/2 points (complex_transform.h) plus one separation pass between its spectrum
// and the packed one (separation_body.h); no work array, and no table outlives a call.
#pragma once
#include <cstdint>

void real_transform(int32_t doubles, int32_t direction, double* a);

// real_transform(doubles, +1, a) of x whose upper half x[doubles/2..doubles-1] is zero (a zero-padded
// factor): that half is not read, it may hold anything, and the spectrum is the same doubles.
void real_forward_upper_half_zero(int32_t doubles, double* a);
