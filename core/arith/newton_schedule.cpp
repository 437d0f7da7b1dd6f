#include "core/arith/newton_schedule.h"

#include "core/numbers/limb.h"

double leading_value(const int16_t* X) {
  double s = 0.0;
  for (int32_t i = 0; i < 5; ++i) s = s * 10000.0 + X[i];
  return s;
}

void set_start_estimate(double b, int16_t* Y, int32_t limbs) {
  limb_set(Y, 0, limbs + 4);
  while (static_cast<int64_t>(b) == 0) b *= 10000.0;
  for (int32_t j = 0; j < 5; ++j) {
    Y[j] = static_cast<int16_t>(b);
    b = (b - Y[j]) * 10000.0;
  }
}
