// What the inverse square root and the reciprocal share: the start estimate from the first five
// limbs of the operand, and the schedule of working lengths of the Newton steps.
#pragma once
#include <cstdint>

#include "core/arith/rounding_margin.h"

// 10^20 times the value of X's first five limbs (each operation rounded to a double), < 3.3e20.
double leading_value(const int16_t* X);

// Y[0..limbs+3] := b scaled by 10000 until its integer part is not 0, cut to its integer part and four
// radix-10000 fraction digits: Y[0..4] from the estimate, Y[5..limbs+3] zero. b > 0.
void set_start_estimate(double b, int16_t* Y, int32_t limbs);

// One Newton step at working length m = limbs: reads X[0..m+3], updates Y[0..m+3], uses T[0..m+3].
using newton_step = void (*)(const int16_t* X, int16_t* Y, int16_t* T, int32_t limbs, double* W,
                             rounding_margin* margin);

// Runs step at working lengths 16, 16, then 8, 16, 32, ..., limbs. The two steps at 16 take the four-limb
// estimate to about 16 correct limbs; the step at 8 costs little; from there every step doubles the working
// length and the precision. Limbs beyond m + 3 keep the values of earlier, longer steps.
void run_newton_schedule(newton_step step, const int16_t* X, int16_t* Y, int16_t* T, int32_t limbs, double* W,
                         rounding_margin* margin);
