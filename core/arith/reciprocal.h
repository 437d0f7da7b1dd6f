// Reciprocal by Newton's iteration y := 2y - x y^2 on limb numbers.
//
// For 0.0001 < X < 1 (X[0] in 1..9999, X's first five limbs not within double rounding of 0.0001
// or 1)
//     Y = 1 / (10000 X),
// so Y[0] is the integer part of 1/X (1..9999) and Y[1..] its radix-10000 fraction digits.
// Examples: X = 0.5 gives Y = [2, 0, ...] (0.0002); X = 0.9139 gives [1, 942, 1162, 527, ...].
// For 1 < X < 3.2768 the same routine yields Y = 1/X (Y[0] in 3051..9999): the start estimate lands
// one power of 10000 higher and no product is ever shifted.
//
// Scale: each step forms Y^2 and X Y^2 with working_product. At Y = 1/(10000 X) exactly one of them
// is below 0.0001 and shifted up one limb (Y^2 for X > 0.01, X Y^2 below that), so the step's fixed
// point satisfies X Y 10000 = 1.
//
// Precision: start estimate and schedule as in core/arith/inv_sqrt.h.
#pragma once
#include <cstdint>

#include "core/arith/rounding_margin.h"

// Y[0..n+3] := 1 / (10000 X) from X[0..n+3] (n = limbs). X, Y and T are distinct arrays of n + 4
// limbs; T is scratch (destroyed). limbs: a power of two, 16 <= limbs <= 2^26. W: 4n doubles. margin: the
// computation's record of the rounding margin, raised by every product.
// Inputs outside the range are not detected; X's first five limbs must not all be 0.
void reciprocal(const int16_t* X, int16_t* Y, int16_t* T, int32_t limbs, double* W, rounding_margin* margin);

// One Newton step at working length m = limbs: reads X[0..m+3], updates Y[0..m+3] in place
// (Y := 2Y - 10000^s X Y^2), uses T[0..m+3] as scratch. Y[m+4..] is neither read nor written.
void reciprocal_step(const int16_t* X, int16_t* Y, int16_t* T, int32_t limbs, double* W,
                     rounding_margin* margin);

// p := 2p - q over limbs 0..limbs-1, in place; q unchanged. Limb 0 keeps its full value (not reduced),
// the borrow out of limb 0 is discarded.
// Preconditions: 2 p[0] + 1 <= 32767 and 2p >= q.
void limb_double_sub(int16_t* p, const int16_t* q, int32_t limbs);
