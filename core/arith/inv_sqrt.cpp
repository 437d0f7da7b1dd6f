#include "core/arith/inv_sqrt.h"

#include <cmath>

#include "core/arith/newton_schedule.h"
#include "core/arith/working_product.h"
#include "core/numbers/limb.h"

void inv_sqrt_step(const int16_t* X, int16_t* Y, int16_t* T, int32_t limbs, double* W,
                   rounding_margin* margin) {
  working_square_keep_spectrum(Y, T, limbs, W, margin);   // Y^2, Y's spectrum kept
  working_product_with_kept(Y, T, T, limbs, W, margin);   // Y^3
  working_product_keep_first(X, T, T, limbs, W, margin);  // X Y^3, one of the three shifted up one limb
  limb_triple_sub_half(Y, T, limbs + 4);
}

void inv_sqrt(const int16_t* X, int16_t* Y, int16_t* T, int32_t limbs, double* W, rounding_margin* margin) {
  // 1/sqrt(s) = 10^-10 / sqrt(x); three multiplications by 10000 bring it to 10000 Y, 55..10000.
  set_start_estimate(1.0 / std::sqrt(leading_value(X)), Y, limbs);
  run_newton_schedule(inv_sqrt_step, X, Y, T, limbs, W, margin);
}
