// Products of limb numbers through the real FFT, and the Newton iterations built on them.
//
// Limb numbers are those of core/numbers/limb.h (n + 4 limbs, value sum p[i] 10000^-(i+1)).
// W is the FFT work area of 4n doubles, owned by the caller and lent to every call; it holds
// nothing of value between calls. Nothing here allocates.
#pragma once
#include <cstdint>

// Out[0..n+3] := P * Q from P[0..n-1] and Q[0..n-1] (guard limbs of the factors are not read).
// Out may be P, Q or both.
void fft_multiply(const int16_t* P, const int16_t* Q, int16_t* Out, int32_t n, double* W);

// a[i] := P[i] for i < cnt, a[i] := 0 for cnt <= i < N.
void limbs_to_doubles(const int16_t* P, int32_t cnt, double* a, int32_t N);
// A := A (.) B, pointwise product of packed spectra of N doubles.
void spectrum_multiply(double* A, const double* B, int32_t N);
// A := A (.) A.
void spectrum_square(double* A, int32_t N);
// Out[0..m-1] := the limbs of the convolution (2/N) a, rounded and carried in radix 10000.
void doubles_to_limbs(int16_t* Out, int32_t m, const double* a, int32_t N);

// The largest distance of a convolution term from its nearest integer seen by doubles_to_limbs
// since the last reset (0 after a reset). A value approaching 0.5 means a term may have been
// rounded to the wrong integer.
double max_rounding_distance();
void reset_max_rounding_distance();

// H[0..3] := A[0..3] * B[0..3] as four-limb fractions; uses W[0..7] and W[2m..2m+7].
void block_product(const int16_t* A, const int16_t* B, int16_t* H, int32_t m, double* W);
// T[0..m+3] := P * Q at working length m, then shifted up one limb if T[0] = 0. Q may be T; P is
// never T, except in the square form P == Q (then T is distinct from P).
void working_product(const int16_t* P, const int16_t* Q, int16_t* T, int32_t m, double* W);

// Y := 1 / sqrt(10000 X) for 0.0001 < X < 3.2768. X, Y, T distinct; T is scratch; n >= 16.
void inv_sqrt(const int16_t* X, int16_t* Y, int16_t* T, int32_t n, double* W);
void inv_sqrt_step(const int16_t* X, int16_t* Y, int16_t* T, int32_t m, double* W);

// Y := 1 / (10000 X) for 0.0001 < X < 1. X, Y, T distinct; T is scratch; n >= 16.
void reciprocal(const int16_t* X, int16_t* Y, int16_t* T, int32_t n, double* W);
void reciprocal_step(const int16_t* X, int16_t* Y, int16_t* T, int32_t m, double* W);

// p := 2p - q over L limbs in place. Preconditions: 2 p[0] + 1 <= 32767 and 2p >= q.
void limb_double_sub(int16_t* p, const int16_t* q, int32_t L);
