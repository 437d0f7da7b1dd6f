// Products of limb numbers as cyclic convolutions through the real FFT.
//
// A limb number p of n = `limbs` working limbs has the value x = sum_{i=0}^{n-1} p[i] 10000^-(i+1)
// (core/numbers/limb.h). For two such numbers P and Q the linear convolution
//     c[k] = sum_{i+j=k} P[i] Q[j],   0 <= k <= 2n-2,
// gives P Q = sum_k c[k] 10000^-(k+2): c[k] belongs to product limb k+1, and product limb 0
// receives only the carry out of c[0]. Zero-padding both factors to 2n doubles makes the cyclic
// convolution of 2n doubles equal to the linear one.
//
// Balanced digits: the factors enter the transform with limbs 1.. rewritten to -5000..4999 (the
// same value, limb 0 taking the last carry; limbs_to_doubles), so the terms c[k] are sums of
// products of either sign with a mean near 0. Every exact term is an integer of magnitude at most
// n 5000^2 + 2 * 32768 * 5000 < 2^51 for every n <= 2^26; the transforms only approximate it, and
// integer_convolution rounds to the nearest integer. That rounding is correct while the transform's
// error stays below 0.5; every product records how close it came (core/arith/rounding_margin.h).
// Measured with bench/arith/bench_rounding_margin, a square of random limbs stays below 0.0006 up
// to n = 2^26 (0.00018 at n = 2^23, where limbs 0..9999 give 0.14); the worst case of balanced
// digits (all -5000, or -5000 and 4999 alternating) is nearly as large as that of limbs 0..9999
// (0.28 at n = 2^24, 0.5 from n = 2^25), but the limbs of pi do not form it.
//
// The transforms: each factor's spectrum is the unseparated spectrum of core/fft/convolution.h
// (the complex transform of its 2n doubles viewed as n points); multiply_spectra or square_spectrum
// forms the product's, and integer_convolution turns it into the convolution's terms, rounded.
//
// Trips over the work area. Once a factor's 2n doubles leave the caches, every pass over them is a
// trip to memory. In units of 2n doubles read (R) and written (W), a product of two factors makes:
//   each factor   limbs_to_doubles 0.5 W; the first pass (the split and both halves' stages for 2^even
//                 doubles, or the top stage, reading only the lower half) 0.5 R + 1 W; one R + W per
//                 level of stages whose blocks still leave the caches; the bit reversal R + W;
//   the product   multiply_spectra, both factors' separations and the product's: 2 R + 1 W;
//   the inverse   the first pass R + W; the levels of stages; the bit reversal, which also rounds the
//                 terms, R + W; release_limbs 0.5 R.
// With one level of stages out of the caches (2^25 digits here: 2n = 2^24 doubles) that is
// 10.5 R + 11 W; the same product made 17.5 R + 18 W when the separations, the pointwise product,
// the split and the rounding were passes of their own.
//
// The work area W of 4n doubles belongs to the caller: a product uses W[0..2n-1] for the first
// factor and W[2n..4n-1] for the second, and W holds nothing of value afterwards. So does the
// record of the rounding margin, lent with W: every product raises margin->max_distance to its own.
#pragma once
#include <cstdint>

#include "core/arith/rounding_margin.h"

struct work_team;

// Out[0..n+3] := P * Q from P[0..n-1] and Q[0..n-1] (n = limbs); the factors' guard limbs are not read.
// Limbs 1..n+3 come from c[0..n+2], limb 0 is the final carry; c[n+3..2n-1] are rounded and only
// feed the carry. So Out is exactly the truncation of P Q to n + 4 limbs.
// Out may be P, Q or both (the factors are read completely before Out is written). When P and Q are
// the same array the square takes one forward transform instead of two, with the same doubles.
// limbs: a power of two, 8 <= limbs <= 2^26. Precondition: the product is below 3.2768 (limb 0 <= 32767).
void fft_multiply(const int16_t* P, const int16_t* Q, int16_t* Out, int32_t limbs, double* W,
                  rounding_margin* margin, work_team* team = nullptr);

// The two halves of fft_multiply (the test build's fault hook changes the spectrum between them):
// a[0..2 limbs - 1] := the spectrum of P[0..limbs-1] zero-padded to 2 limbs doubles;
void limbs_spectrum(const int16_t* P, int32_t limbs, double* a, work_team* team = nullptr);
// Out[0..limbs+3] := the limbs of the product whose spectrum (multiply_spectra or square_spectrum of
// two such spectra) is a[0..2 limbs - 1] (a destroyed).
void spectrum_to_limbs(int16_t* Out, int32_t limbs, double* a, rounding_margin* margin,
                       work_team* team = nullptr);

// a[0..limbs-1] := the balanced digits of P[0..limbs-1]: the same value sum a[i] 10000^-(i+1), with
// a[1..limbs-1] in -5000..4999 (for limbs 1.. in 0..9999) and a[0] = P[0] or P[0] + 1;
// a[i] := 0 for limbs <= i < doubles.
void limbs_to_doubles(const int16_t* P, int32_t limbs, double* a, int32_t doubles, work_team* team = nullptr);

// Out[0..out_limbs-1] := the limbs of the convolution c whose terms are the integers a[0..doubles-1]
// (integer_convolution or round_to_integers rounded them, core/fft/convolution.h; terms may be
// negative), carries released in radix 10000 in both directions: Out[k] = c[k-1] + carry for
// 1 <= k < out_limbs, reduced to 0..9999, Out[0] = the final carry, not reduced. The terms
// c[out_limbs-1..doubles-1] beyond the ones stored only feed the carry, so Out is the exact truncation
// of sum_k c[k] 10000^-(k+2) to out_limbs limbs. Precondition: the final carry is in 0..32767.
void release_limbs(int16_t* Out, int32_t out_limbs, const double* a, int32_t doubles,
                   work_team* team = nullptr);

// The largest distance of a product's terms from integers (as integer_convolution returns it) raised
// into the record.
inline void record_rounding(rounding_margin* margin, double distance) {
  if (distance > margin->max_distance) margin->max_distance = distance;
}
