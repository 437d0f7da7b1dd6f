// Reciprocal by Newton's iteration y' = y + y (1 - 10000 x y) on limb numbers.
//
// For 0.0001 < X < 1 (X[0] in 1..9999, X's first five limbs not within double rounding of 0.0001
// or 1)
//     Y = 1 / (10000 X),
// so Y[0] is the integer part of 1/X (1..9999) and Y[1..] its radix-10000 fraction digits.
// Examples: X = 0.5 gives Y = [2, 0, ...] (0.0002); X = 0.9139 gives [1, 942, 1162, 527, ...].
//
// A step at working length m (h = m/2) reads Y to h + 4 limbs (about h + 2 of them correct) and X to
// m + 4:
//   V = X Y               to m + 4 limbs: a transform of 2m doubles; V = 0.0001 (1 - e) with e below
//                         10000^-h, so only limbs h..m+3 of D = |0.0001 - V| carry anything;
//   C = Y D'              D' = D 10000^h, h + 4 limbs by h + 4: a transform of m doubles with
//                         seven wrapped terms (core/arith/wrapped_product.h);
//   Y' = Y +- C 10000^-(h-1)   (= Y + Y e), limbs 0..m+3.
// Four and a half real transforms of 2m doubles' worth per step, where two full products made five.
// Error: the Newton error e^2 is below 10000^-(2h+4); V's truncations give a few units of limb m+2 in
// 10000 V, times Y < 1; C's truncation one unit of limb m+2. The result is good to a few units of
// limb m+2.
#pragma once
#include <cstdint>

#include "core/arith/rounding_margin.h"

struct work_team;

// Y[0..n+3] := 1 / (10000 X) from X[0..n+3] (n = limbs). X, Y and T are distinct arrays of n + 4
// limbs; T is scratch (destroyed). limbs: a power of two, 8 <= limbs <= 2^26. W: 4n doubles. margin: the
// computation's record of the rounding margin, raised by every product.
// Inputs outside the range are not detected; X's first five limbs must not all be 0.
void reciprocal(const int16_t* X, int16_t* Y, int16_t* T, int32_t limbs, double* W, rounding_margin* margin,
                work_team* team = nullptr);

// One Newton step at working length m = limbs: reads X[0..m+3] and Y[0..m/2+3], writes Y[0..m+3],
// uses T[0..m+3] as scratch. Y[m+4..] is neither read nor written. W: 4m doubles.
void reciprocal_step(const int16_t* X, int16_t* Y, int16_t* T, int32_t limbs, double* W,
                     rounding_margin* margin, work_team* team = nullptr);
