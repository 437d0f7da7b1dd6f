// Operations whose carries or borrows run from the last limb towards limb 0.
#include <algorithm>

#include "core/numbers/carry_chains.h"
#include "core/numbers/limb.h"

void limb_set(int16_t* p, int16_t v, int32_t limbs, work_team* team) {
  p[0] = v;
  if (!threaded_linear(team, limbs)) return std::fill(p + 1, p + limbs, int16_t{0});
  for_each_unit(team, linear_parts, [&](int32_t u) {
    std::fill(p + part_limb(limbs, u), p + part_limb(limbs, u + 1), int16_t{0});
  });
}

void limb_copy(const int16_t* src, int16_t* dst, int32_t limbs, work_team* team) {
  if (!threaded_linear(team, limbs)) return static_cast<void>(std::copy(src, src + limbs, dst));
  dst[0] = src[0];
  for_each_unit(team, linear_parts, [&](int32_t u) {
    std::copy(src + part_limb(limbs, u), src + part_limb(limbs, u + 1), dst + part_limb(limbs, u));
  });
}

void limb_add(const int16_t* a, const int16_t* b, int16_t* out, int32_t limbs, work_team* team) {
  // a[i] + b[i] <= 2 * 9999 below limb 0; limb 0 keeps the integer part unreduced:
  // a[0] + b[0] + carry <= 32767 by precondition.
  release_small_carries(
      out, limbs, [=](int32_t i) { return a[i] + b[i]; }, team);
}

void limb_sub(const int16_t* a, const int16_t* b, int16_t* out, int32_t limbs, work_team* team) {
  // -9999 <= a[i] - b[i] below limb 0; a >= b, so limb 0 cannot go negative and no borrow leaves it.
  release_small_carries(
      out, limbs, [=](int32_t i) { return a[i] - b[i]; }, team);
}
