// Operations whose carries or borrows run from the last limb towards limb 0.
#include "core/numbers/carry_chains.h"
#include "core/numbers/limb.h"

void limb_set(int16_t* p, int16_t v, int32_t limbs) {
  p[0] = v;
  for (int32_t i = 1; i < limbs; ++i) p[i] = 0;
}

void limb_add(const int16_t* a, const int16_t* b, int16_t* out, int32_t limbs) {
  // a[i] + b[i] <= 2 * 9999 below limb 0; limb 0 keeps the integer part unreduced:
  // a[0] + b[0] + carry <= 32767 by precondition.
  release_small_carries(out, limbs, [=](int32_t i) { return a[i] + b[i]; });
}

void limb_sub(const int16_t* a, const int16_t* b, int16_t* out, int32_t limbs) {
  // -9999 <= a[i] - b[i] below limb 0; a >= b, so limb 0 cannot go negative and no borrow leaves it.
  release_small_carries(out, limbs, [=](int32_t i) { return a[i] - b[i]; });
}
