// Square root from an inverse square root of half the precision (Karp and Markstein).
//
// With h = n/2, Z = 1/sqrt(X) to h + 4 limbs (100 times inv_sqrt's result at working length h):
//   s = X Z               to h + 4 limbs; X's spectrum is the one inv_sqrt's last step left, Z's is kept
//                         (for X = 1/2, s is Z/2 and inv_sqrt's products by X are halvings too);
//   R = X - s^2           s^2 exact to n + 4 limbs; s is sqrt(X) (1 + e) with |e| below 10000^-(h+1),
//                         so R = -X (2e + e^2) has limbs 0..h-1 zero: R' = R 10000^h, h + 4 limbs;
//   sqrt(X) = s + Z R / 2 = s +- (Z R' / 2) 10000^-h.
// Four products of n doubles (one forward transform reused) instead of an inverse square root at n
// and a full product: three real transforms of 2n doubles' worth.
// Error: s (1 - 1.5 e^2 + ...) + the error of Z times R: both below 10000^-(n+4); the truncations of
// the correction and its halving, two units of limb n+3. The result is good to a few units of limb n+3.
#pragma once
#include <cstdint>

#include "core/arith/rounding_margin.h"

struct work_team;

// X[0..n+3] := sqrt(X) (n = limbs), for 0.1 <= X < 3.2768 (so 1/sqrt(X) fits a limb number). Y and T
// are scratch arrays of n + 4 limbs, distinct from X and from each other. limbs: a power of two,
// 16 <= limbs <= 2^26. W: 4n doubles. margin: the computation's record of the rounding margin.
//
// T[n/2+4..n+3], which the computation does not need, keeps the first n/2 limbs of the inverse square
// root for the next call. agreeing_limbs > 0 tells that X agrees with the X of the last call with
// the same T and limbs to about that many limbs, relative (an AGM's products of a and b do in its late
// iterations): the inverse square root then starts from the kept one and skips the Newton steps below
// (inv_sqrt's correct_limbs). 0: nothing is kept from an earlier call.
void square_root(int16_t* X, int16_t* Y, int16_t* T, int32_t limbs, double* W, rounding_margin* margin,
                 int32_t agreeing_limbs = 0, work_team* team = nullptr);
