#include "core/arith/reciprocal.h"

#include "core/arith/working_product.h"
#include "core/numbers/limb.h"

void reciprocal_step(const int16_t* X, int16_t* Y, int16_t* T, int32_t m, double* W) {
  working_product(Y, Y, T, m, W);  // Y^2
  working_product(X, T, T, m, W);  // X Y^2, one of the two shifted up one limb
  limb_double_sub(Y, T, m + 4);
}

void reciprocal(const int16_t* X, int16_t* Y, int16_t* T, int32_t n, double* W) {
  limb_set(Y, 0, n + 4);

  // s = 10^20 times the value of X's first five limbs.
  double s = 0.0;
  for (int32_t i = 0; i < 5; ++i) s = s * 10000.0 + X[i];
  double b = 1.0 / s;
  // For 0.0001 < x < 1 five multiplications leave b = 10^20 / s = 1/x, between 1 and 10000.
  while (static_cast<int64_t>(b) == 0) b *= 10000.0;
  for (int32_t j = 0; j < 5; ++j) {
    Y[j] = static_cast<int16_t>(b);
    b = (b - Y[j]) * 10000.0;
  }

  reciprocal_step(X, Y, T, 16, W);
  reciprocal_step(X, Y, T, 16, W);
  for (int32_t m = 8; m <= n; m *= 2) reciprocal_step(X, Y, T, m, W);
}
