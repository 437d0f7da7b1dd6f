#include "core/arith/reciprocal.h"

#include "core/arith/newton_schedule.h"
#include "core/arith/working_product.h"

void reciprocal_step(const int16_t* X, int16_t* Y, int16_t* T, int32_t limbs, double* W,
                     rounding_margin* margin) {
  working_product(Y, Y, T, limbs, W, margin);  // Y^2
  working_product(X, T, T, limbs, W, margin);  // X Y^2, one of the two shifted up one limb
  limb_double_sub(Y, T, limbs + 4);
}

void reciprocal(const int16_t* X, int16_t* Y, int16_t* T, int32_t limbs, double* W, rounding_margin* margin) {
  // For 0.0001 < x < 1 five multiplications by 10000 leave 10^20 / s = 1/x, between 1 and 10000.
  set_start_estimate(1.0 / leading_value(X), Y, limbs);
  run_newton_schedule(reciprocal_step, X, Y, T, limbs, W, margin);
}
