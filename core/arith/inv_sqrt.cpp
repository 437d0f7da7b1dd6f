#include "core/arith/inv_sqrt.h"

#include <cmath>

#include "core/arith/working_product.h"
#include "core/numbers/limb.h"

void inv_sqrt_step(const int16_t* X, int16_t* Y, int16_t* T, int32_t m, double* W) {
  working_product(Y, Y, T, m, W);  // Y^2
  working_product(Y, T, T, m, W);  // Y^3
  working_product(X, T, T, m, W);  // X Y^3, one of the three shifted up one limb
  limb_triple_sub_half(Y, T, m + 4);
}

void inv_sqrt(const int16_t* X, int16_t* Y, int16_t* T, int32_t n, double* W) {
  limb_set(Y, 0, n + 4);

  // s = 10^20 times the value of X's first five limbs, s < 3.3 * 10^20.
  double s = 0.0;
  for (int32_t i = 0; i < 5; ++i) s = s * 10000.0 + X[i];
  double b = 1.0 / std::sqrt(s);
  // b = 10^-10 / sqrt(x); three multiplications bring it to 10000 Y, between 55 and 10000.
  while (static_cast<int64_t>(b) == 0) b *= 10000.0;
  for (int32_t j = 0; j < 5; ++j) {
    Y[j] = static_cast<int16_t>(b);
    b = (b - Y[j]) * 10000.0;
  }

  // Two steps at 16 take the four-limb estimate to about 16 limbs; from 8 on every step doubles
  // the working length and the precision. Limbs beyond m + 3 keep the values of longer steps.
  inv_sqrt_step(X, Y, T, 16, W);
  inv_sqrt_step(X, Y, T, 16, W);
  for (int32_t m = 8; m <= n; m *= 2) inv_sqrt_step(X, Y, T, m, W);
}
