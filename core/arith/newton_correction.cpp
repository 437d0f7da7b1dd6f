#include "core/arith/newton_correction.h"

#include "core/numbers/carry_chains.h"
#include "core/numbers/limb.h"

int32_t distance_from_ten_thousandth(int16_t* p, int32_t limbs, work_team* team) {
  if (p[0] != 0) {  // p >= 0.0001: p - 0.0001
    p[0] = static_cast<int16_t>(p[0] - 1);
    return -1;
  }
  // 0.0001 - p: limbs 1.. from 0 - p[i] (-9999..0, borrows of -1 or 0), limb 0 from 1.
  release_small_carries(
      p, limbs, [p](int32_t i) { return i ? -p[i] : 1; }, team);
  return 1;
}

int32_t limb_distance(const int16_t* a, int16_t* p, int32_t limbs, work_team* team) {
  int32_t i = 0;
  while (i < limbs && a[i] == p[i]) ++i;
  if (i == limbs || a[i] > p[i]) {
    limb_sub(a, p, p, limbs, team);
    return 1;
  }
  limb_sub(p, a, p, limbs, team);
  return -1;
}

void limb_add_at(int16_t* p, int32_t offset, const int16_t* q, int32_t count, int32_t sign, work_team* team) {
  auto step = [p](int32_t i, int32_t s) {
    const int32_t carry = s >= 10000 ? 1 : s < 0 ? -1 : 0;
    p[i] = static_cast<int16_t>(s - 10000 * carry);
    return carry;
  };
  // Below limb offset, q's limbs are in 0..9999: p[i] + sign q[i - offset] in -9999..19998 and a carry
  // of -1, 0 or 1, released over limbs offset + 1 .. offset + count - 1 as over a number of their own
  // whose limb 0, at offset, receives only the carry.
  const int16_t at_offset = p[offset];
  release_small_carries(
      p + offset, count, [=](int32_t i) { return i ? p[offset + i] + sign * q[i] : 0; }, team);
  const int32_t carry = p[offset];
  if (offset == 0) {  // limb 0 takes q[0] and the carry unreduced
    p[0] = static_cast<int16_t>(at_offset + sign * q[0] + carry);
    return;
  }
  // q[0] may exceed 9999.
  const int32_t s = at_offset + sign * q[0] + carry;
  int32_t up = static_cast<int32_t>(limb_carry_of(s));
  p[offset] = static_cast<int16_t>(s - 10000 * up);
  for (int32_t i = offset - 1; i >= 1 && up != 0; --i) up = step(i, p[i] + up);
  p[0] = static_cast<int16_t>(p[0] + up);
}
