// Products of limb numbers as cyclic convolutions through the real FFT.
//
// A limb number p of n working limbs has the value x = sum_{i=0}^{n-1} p[i] 10000^-(i+1)
// (core/numbers/limb.h). For two such numbers P and Q the linear convolution
//     c[k] = sum_{i+j=k} P[i] Q[j],   0 <= k <= 2n-2,
// gives P Q = sum_k c[k] 10000^-(k+2): c[k] belongs to product limb k+1, and product limb 0
// receives only the carry out of c[0]. Zero-padding both factors to 2n doubles makes the cyclic
// convolution of 2n doubles equal to the linear one.
//
// Two limits, of which the second is the one that binds. Representation: every c[k] is an integer
// below n 9999^2 + 2 * 32767 * 9999 (limb 0 may reach 32767), below 2^53 for every n <= 2^24, so
// the interface accepts n up to 2^24. Rounding: the transforms only approximate c[k], and
// doubles_to_limbs rounds to the nearest integer, which is correct only while the transform's
// error stays below 0.5; nothing guarantees that at large n, so doubles_to_limbs records how close
// each product came (core/arith/rounding_margin.h) and the drivers refuse a run that came too close.
// Measured with all limbs 9999 (bench/arith/bench_rounding_margin) the error reaches 0.25 at
// n = 2^22 and 0.5 at n = 2^23, where such a square is rounded wrongly; the limbs of real runs stay
// at about 0.19 at n = 2^23 (2^25 digits), the largest size offered.
//
// The work area W of 4n doubles belongs to the caller: a product uses W[0..2n-1] for the first
// factor and W[2n..4n-1] for the second, and W holds nothing of value afterwards.
#pragma once
#include <cstdint>

// Out[0..n+3] := P * Q from P[0..n-1] and Q[0..n-1]; the factors' guard limbs are not read.
// Limbs 1..n+3 come from c[0..n+2], limb 0 is the final carry; c[n+3..n+5] are rounded and only
// feed the carry; c[n+6] and beyond are dropped. So Out is the truncation of P Q to n + 4 limbs,
// or one unit less in limb n+3: the dropped terms, each below n 9999^2 + 2^31 and weighing at most
// 10000^-4 of a unit of that limb, add up to less than one unit for every n <= 2^24.
// Out may be P, Q or both (the factors are read completely before Out is written). When P and Q are
// the same array the square takes one forward transform instead of two, with the same doubles.
// n: a power of two, 8 <= n <= 2^24. Precondition: the product is below 3.2768 (limb 0 <= 32767).
void fft_multiply(const int16_t* P, const int16_t* Q, int16_t* Out, int32_t n, double* W);

// A product whose first factor's spectrum serves again: fft_multiply_keep_first is fft_multiply
// (P != Q) that leaves the spectrum of P[0..n-1] in W[0..2n-1]; fft_multiply_kept_first(Q, Out, n, W)
// is then fft_multiply(P, Q, Out, n, W) without transforming P again, as long as W[0..2n-1] was left
// alone in between (inv_sqrt leaves its operand's spectrum there too). Both give exactly the limbs of
// fft_multiply; Out may be P or Q.
void fft_multiply_keep_first(const int16_t* P, const int16_t* Q, int16_t* Out, int32_t n, double* W);
void fft_multiply_kept_first(const int16_t* Q, int16_t* Out, int32_t n, double* W);

// The two halves of fft_multiply, for products that keep a spectrum for a second use:
// a[0..2 limbs - 1] := the packed spectrum of P[0..limbs-1] zero-padded to 2 limbs doubles;
void limbs_spectrum(const int16_t* P, int32_t limbs, double* a);
// Out[0..limbs+3] := the limbs of the product whose packed spectrum is a[0..2 limbs - 1] (a destroyed).
void spectrum_to_limbs(int16_t* Out, int32_t limbs, double* a);

// a[i] := P[i] for 0 <= i < cnt, a[i] := 0 for cnt <= i < N.
void limbs_to_doubles(const int16_t* P, int32_t cnt, double* a, int32_t N);

// A := A (.) B, the pointwise product of two packed spectra of `doubles` doubles
// (A[0], A[1] real bins 0 and doubles/2; (A[2k], A[2k+1]) complex bin k). B is unchanged; B != A.
void spectrum_multiply(double* A, const double* B, int32_t doubles);

// B := A (.) B: the doubles of spectrum_multiply(A, B), stored in B; A is unchanged.
void spectrum_multiply_into(const double* A, double* B, int32_t doubles);

// A := A (.) A.
void spectrum_square(double* A, int32_t doubles);

// A := B (.) B, B unchanged (B may be A): the square of a spectrum that is kept for another product.
void spectrum_square_of(double* A, const double* B, int32_t doubles);

// Out[0..m-1] := the limbs of the convolution c = (2/N) a (a backward transform of a pointwise
// product), each c[k] rounded to the nearest integer and carries released in radix 10000:
// Out[k] = c[k-1] + carry for 1 <= k < m, reduced to 0..9999, Out[0] = the final carry, not
// reduced. The e = min(N - m, 3) terms c[m-1..m+e-2] beyond the ones stored only feed the carry;
// later terms are dropped. a is only read. Records the largest distance of a rounded term from
// its nearest integer (core/arith/rounding_margin.h).
// Precondition: the final carry is at most 32767.
void doubles_to_limbs(int16_t* Out, int32_t m, const double* a, int32_t N);
