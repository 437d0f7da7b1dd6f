// Inverse square root by Newton's iteration y := (3y - x y^3) / 2 on limb numbers.
//
// For 0.0001 < X < 3.2768 (X's first five limbs not within double rounding of 0.0001, so X[0] >= 1)
//     Y = 1 / sqrt(10000 X) = 1 / (100 sqrt(X)),   0.0055 < Y <= 1,
// so Y[0] lies in 55..9999 (10000 for X = 0.0001 exactly would be out of range). Example:
// X = 0.0002 gives Y = 1/sqrt(2) = [7071, 678, 1186, 5475, ...].
//
// Scale: each step forms Y^2, Y^3 and X Y^3 with working_product, which shifts a product up one
// limb when its limb 0 is 0. At Y = 1/sqrt(10000 X) exactly one of the three is below 0.0001
// (Y^2 for X > 1, Y^3 for X from 10^-4/3 to 1, X Y^3 below that), so the step's fixed point
// satisfies X Y^2 10000 = 1.
//
// Precision: the start estimate is good to about four limbs; steps at working lengths m = 16, 16, then
// 8, 16, 32, ..., n (n = limbs; every power of two up to n) double it each time, the last leaving
// Y[0..n+3].
// The error is a few units of limb n+2 (the products are truncated to m + 4 limbs, and the one
// that is shifted loses its last limb).
#pragma once
#include <cstdint>

#include "core/arith/rounding_margin.h"

// Y[0..n+3] := 1 / sqrt(10000 X) from X[0..n+3] (n = limbs). X, Y and T are distinct arrays of n + 4
// limbs; T is scratch (destroyed). limbs: a power of two, 16 <= limbs <= 2^26. W: 4n doubles; on
// return W[0..2n-1]
// holds the spectrum of X[0..n-1], for fft_multiply_kept_first (the drivers multiply by X next).
// margin: the computation's record of the rounding margin, raised by every product.
// Inputs outside the range are not detected (X = [1, 0, ...] gives [1, 0, ...]).
void inv_sqrt(const int16_t* X, int16_t* Y, int16_t* T, int32_t limbs, double* W, rounding_margin* margin);

// One Newton step at working length m = limbs: reads X[0..m+3], updates Y[0..m+3] in place
// (Y := (3Y - 10000^s X Y^3) / 2, s the number of shifts), uses T[0..m+3] as scratch.
// Y[m+4..] is neither read nor written. W: at least 4m doubles.
void inv_sqrt_step(const int16_t* X, int16_t* Y, int16_t* T, int32_t limbs, double* W,
                   rounding_margin* margin);
