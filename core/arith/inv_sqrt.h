// Inverse square root by Newton's iteration y' = y + y (1 - 10000 x y^2) / 2 on limb numbers.
//
// For 0.0001 < X < 3.2768 (X's first five limbs not within double rounding of 0.0001, so X[0] >= 1)
//     Y = 1 / sqrt(10000 X) = 1 / (100 sqrt(X)),   0.0055 < Y <= 1,
// so Y[0] lies in 55..9999 (10000 for X = 0.0001 exactly would be out of range). Example:
// X = 0.0002 gives Y = 1/sqrt(2) = [7071, 678, 1186, 5475, ...].
//
// A step at working length m (h = m/2) starts from Y correct to about h + 2 limbs and reads it to
// h + 4 limbs, X to m + 4; every product takes its factors at those lengths:
//   U = Y^2               exact, cut to m + 4 limbs: a transform of m doubles (two wrapped terms
//                         of seven, core/arith/wrapped_product.h);
//   V = X U               to m + 4 limbs: a transform of 2m doubles; V = 0.0001 (1 - e), where e,
//                         the relative error of Y^2, is below 10000^-h, so V's limbs 0..h-1 are the
//                         known 0.0001 and only limbs h..m+3 of D = |0.0001 - V| carry anything;
//   C = Y D'              D' = D 10000^h, its h + 4 limbs, by Y's h + 4: a transform of m doubles,
//                         Y's spectrum from the square used again;
//   Y' = Y +- (C/2) 10000^-(h-1)   (= Y + Y e / 2), limbs 0..m+3.
// Five real transforms of 2m doubles' worth per step (three of 2m, four of m), where a step of
// three full products at 2m made seven.
//
// Error: the Newton error is 1.5 (relative error)^2, below 10^4 10000^-(2h+4) even for the smallest
// Y, so the step's truncations decide it: U and V exact truncations (below one unit of limb m+3
// each, and the limbs of X and U beyond m+3 missing: a few units of limb m+3 in V, a few of limb
// m+2 in 10000 V), C truncated and halved (two units of limb m+2). The result is good to a few units
// of limb m+2, so the next step's h + 4 limbs hold its h + 2 correct ones.
#pragma once
#include <cstdint>

#include "core/arith/rounding_margin.h"

struct work_team;

// Y[0..n+3] := 1 / sqrt(10000 X) from X[0..n+3] (n = limbs). X, Y and T are distinct arrays of n + 4
// limbs; T is scratch (destroyed). limbs: a power of two, 8 <= limbs <= 2^25. W: 5n doubles; on return
// W[0..2n-1] holds the spectrum of X[0..n+3] as a factor of a cyclic convolution of 2n terms
// (factor_spectrum), which square_root uses, unless X[0..n+3] is exactly 1/2: the products by X are
// then halvings. margin: the computation's record of the rounding margin, raised by every product.
// Inputs outside the range are not detected.
//
// correct_limbs > 0: Y already holds 1 / sqrt(10000 X) to about that many limbs (relative), e.g. the
// inverse square root of a nearby number. The iteration then starts at the longest working length m
// whose step needs no more (m/2 + 2 <= correct_limbs) and skips the steps below; if the first step
// finds Y less precise than that, it starts again from the estimate, so the result is the same in
// precision either way (its last limbs may differ).
void inv_sqrt(const int16_t* X, int16_t* Y, int16_t* T, int32_t limbs, double* W, rounding_margin* margin,
              int32_t correct_limbs = 0, work_team* team = nullptr);

// One Newton step at working length m = limbs: reads X[0..m+3] and Y[0..m/2+3], writes Y[0..m+3],
// uses T[0..m+3] as scratch. Y[m+4..] is neither read nor written. W: 5m doubles, left as inv_sqrt says.
// The step needs the residual D = |0.0001 - X Y^2| below 10000^-(m/2); when its first zero_limbs limbs
// (at least m/2) are not all 0, it returns false with Y unchanged. From the start estimate and along
// the schedule, zero_limbs = m/2 always holds; a start from another value asks for m/2 + 2, so that
// the step's result has the full precision of one that followed the schedule.
bool inv_sqrt_step(const int16_t* X, int16_t* Y, int16_t* T, int32_t limbs, double* W,
                   rounding_margin* margin, int32_t zero_limbs, work_team* team = nullptr);
