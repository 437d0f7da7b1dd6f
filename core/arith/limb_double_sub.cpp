#include "core/arith/reciprocal.h"

void limb_double_sub(int16_t* p, const int16_t* q, int32_t limbs) {
  int32_t cy = 0;
  for (int32_t i = limbs - 1; i >= 0; --i) {
    const int32_t s = 2 * p[i] + cy;  // 0 <= s <= 2 * 9999 + 1 below limb 0
    cy = s >= 10000 ? 1 : 0;
    p[i] = static_cast<int16_t>(s - 10000 * cy);
  }
  // Limb 0 keeps its full value: 2 p[0] + cy <= 32767 by the precondition.
  p[0] = static_cast<int16_t>(p[0] + 10000 * cy);

  cy = 0;
  for (int32_t i = limbs - 1; i >= 0; --i) {
    const int32_t s = p[i] - q[i] - cy;  // -10000 <= s <= 9999 below limb 0
    cy = s < 0 ? 1 : 0;
    p[i] = static_cast<int16_t>(s + 10000 * cy);
  }
  // The borrow out of limb 0 is 0 when 2p >= q.
}
