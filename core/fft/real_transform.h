// Real DFT of n doubles (n a power of two, 2 <= n <= 2^24), in place, into the packed spectrum:
//   a[0] = R(0), a[1] = R(n/2), a[2k] = R(k), a[2k+1] = I(k) for 1 <= k < n/2,
// with R(k) + i I(k) = sum_j x[j] e^{+2 pi i jk/n}. The backward direction (direction < 0) inverts
// it up to the factor n/2: backward(forward(x)) = (n/2) x. Neither direction is normalised.
#pragma once
#include <cstdint>

void real_transform(int32_t n, int32_t direction, double* a);

// The separation passes between the spectrum of n/2 complex points and the packed real spectrum
// (called by real_transform for n > 4 only).
void real_post_forward(int32_t n, double* a);
void real_pre_inverse(int32_t n, double* a);
