#include "core/numbers/limb.h"

void limb_mul_small(int16_t* p, int32_t m, int32_t L) {
  int64_t cy = 0;  // v = p[i] * m + cy < 32768 * 2^27 + cy, so cy < 2^32 stays small
  for (int32_t i = L - 1; i >= 0; --i) {
    int64_t v = static_cast<int64_t>(p[i]) * m + cy;
    cy = v / 10000;
    p[i] = static_cast<int16_t>(v - 10000 * cy);
  }
  // The carry out of limb 0 is dropped: the product is below 1.0 by precondition.
}
