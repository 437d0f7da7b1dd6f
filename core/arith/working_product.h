// The truncated product at working length m = `limbs` used by the Newton iterations.
//
// At working length m a limb number is read as its first m + 4 limbs: the main part, limbs
// 0..m-1; the head block, limbs 0..3; the tail block, limbs m..m+3. With P = Pm + Pt 10000^-m
// (Pm the main part, Pt the tail block read as a four-limb fraction) and likewise Q,
//     P Q = Pm Qm + (Ph Qt + Pt Qh) 10000^-m + Pt Qt 10000^-2m  (+ smaller terms of the heads),
// where Ph, Qh are the head blocks. working_product keeps Pm Qm to m + 4 limbs (an FFT product of
// length 2m), adds the two cross terms formed by eight-point block products at limb m, and
// neglects the tail-times-tail term, which lies below limb 2m. The cross terms are added with their
// carry released as far up as it goes, so limbs 1..m+3 of the result are always in 0..9999, also
// when a head block exceeds 1 (a block product's limb 0 then exceeds 9999).
//
// Normalisation: if the product's limb 0 is 0 (value below 0.0001) it is shifted up by one limb,
// i.e. multiplied by 10000. The Newton steps rely on this: at their fixed point exactly one of
// their products is shifted, which fixes the scale of the result.
//
// W is the caller's work area of at least 4m doubles: main products use W[0..2m-1] and
// W[2m..4m-1], block products W[0..15]. Every product, main and block, records its rounding margin
// in *margin (core/arith/rounding_margin.h).
#pragma once
#include <cstdint>

#include "core/arith/rounding_margin.h"

// H[0..3] := A[0..3] * B[0..3], both read as four-limb fractions, kept to four limbs: H[1..3]
// from c[0..2], H[0] the carry, c[3..7] only carried (exact truncation). Uses W[0..15]. H must not
// overlap A or B.
void block_product(const int16_t* A, const int16_t* B, int16_t* H, double* W, rounding_margin* margin);

// T[0..m+3] := P * Q at working length m = limbs, normalised as above; the main product is
// fft_multiply's. General form (P != Q): Q may be T, P is never T. Square form P == Q: one forward
// transform, the cross term added twice; T distinct from P. Limbs of P, Q, T beyond m + 3 are neither
// read nor written. limbs: a power of two, >= 8. Precondition: the product is below 3.2768
// (limb 0 <= 32767).
void working_product(const int16_t* P, const int16_t* Q, int16_t* T, int32_t limbs, double* W,
                     rounding_margin* margin);

// working_product(P, Q, T, limbs, W, margin) for P != Q that leaves the spectrum of P's main part in
// W[0..2m-1] (fft_multiply_keep_first).
void working_product_keep_first(const int16_t* P, const int16_t* Q, int16_t* T, int32_t limbs, double* W,
                                rounding_margin* margin);

// A square and a product by the same factor P with one forward transform of P: first
// working_square_keep_spectrum(P, T, limbs, W, margin), which is working_product(P, P, T, limbs, W,
// margin) that leaves the spectrum of P's main part in W[2m..4m-1]; then, with W[2m..4m-1] untouched
// in between, working_product_with_kept(P, Q, T, limbs, W, margin), which is working_product(P, Q, T,
// limbs, W, margin) (Q may be T). Both give exactly the limbs of working_product.
void working_square_keep_spectrum(const int16_t* P, int16_t* T, int32_t limbs, double* W,
                                  rounding_margin* margin);
void working_product_with_kept(const int16_t* P, const int16_t* Q, int16_t* T, int32_t limbs, double* W,
                               rounding_margin* margin);
