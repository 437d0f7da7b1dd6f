// What the inverse square root and the reciprocal share: the start estimate from the first five
// limbs of the operand, and the schedule of working lengths of the Newton steps.
#pragma once
#include <cstdint>

// 10^20 times the value of X's first five limbs (each operation rounded to a double), < 3.3e20.
double leading_value(const int16_t* X);

// Y[0..limbs+3] := b scaled by 10000 until its integer part is not 0, cut to its integer part and four
// radix-10000 fraction digits: Y[0..4] from the estimate, Y[5..limbs+3] zero. b > 0.
void set_start_estimate(double b, int16_t* Y, int32_t limbs);

// Calls step(m) for the working lengths 8, 8, 16, 32, ..., limbs. The start estimate is good to about
// four limbs; the two steps at 8 take it to about twelve (all that a step at 8 keeps), and from there
// each step doubles the working length and the correct limbs with it.
template <typename Step>
void for_newton_lengths(int32_t limbs, Step step) {
  step(8);
  for (int32_t m = 8; m <= limbs; m *= 2) step(m);
}
