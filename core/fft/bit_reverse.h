// Bit-reversal permutations of complex points z_j = (a[2j], a[2j+1]), in place, without index tables
// and without allocation (the general ones copy tiles of up to 32 x 32 points through two 16 KiB local
// buffers). N = n/2 points, n a power of two; rev(j) reverses the log2 N bits of j and is an
// involution. z denotes the points before, z' after the call; conj negates the imaginary part.
//
//   bit_reverse:        z'[j] = z[rev(j)]
//   bit_reverse_conj:   z'[j] = conj(z[rev(j)])        (every point conjugated exactly once, fixed points too)
//   bit_reverse_16/_8:  z'[j] = z[rev(j)]              for N = 16 / 8
//   bit_reverse_16_neg: z'[j] = z[rev((16 - j) mod 16)], no sign change
//   bit_reverse_8_neg:  z'[j] = z[rev((8 - j) mod 8)],   no sign change
//
// The _neg twins turn a forward transform left in bit-reversed order (value for index k at point
// rev(k)) into the backward one in natural order, since the backward value for index k is the
// forward value for index (N - k) mod N.
#pragma once
#include <cstdint>

void bit_reverse(int32_t n, double* a);       // n >= 4 doubles
void bit_reverse_conj(int32_t n, double* a);  // n >= 4 doubles
void bit_reverse_16(double* a);               // 16 points (32 doubles)
void bit_reverse_16_neg(double* a);           // 16 points (32 doubles)
void bit_reverse_8(double* a);                // 8 points (16 doubles)
void bit_reverse_8_neg(double* a);            // 8 points (16 doubles)
