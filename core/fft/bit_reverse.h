// Bit-reversal permutations of complex points z_j = (a[2j], a[2j+1]), in place, without tables.
// rev(j) reverses the log2(N) bits of j, N = n/2 points.
#pragma once
#include <cstdint>

void bit_reverse(int32_t n, double* a);       // z'[j] = z[rev(j)], n >= 16 doubles
void bit_reverse_conj(int32_t n, double* a);  // z'[j] = conj(z[rev(j)]), every point conjugated once
void bit_reverse_16(double* a);               // 16 points: z'[j] = z[rev(j)]
void bit_reverse_16_neg(double* a);           // 16 points: z'[j] = z[rev((16 - j) mod 16)]
void bit_reverse_8(double* a);                // 8 points:  z'[j] = z[rev(j)]
void bit_reverse_8_neg(double* a);            // 8 points:  z'[j] = z[rev((8 - j) mod 8)]
