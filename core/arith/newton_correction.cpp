#include "core/arith/newton_correction.h"

#include "core/numbers/carry_chains.h"
#include "core/numbers/limb.h"

int32_t distance_from_ten_thousandth(int16_t* p, int32_t limbs) {
  if (p[0] != 0) {  // p >= 0.0001: p - 0.0001
    p[0] = static_cast<int16_t>(p[0] - 1);
    return -1;
  }
  int32_t borrow = 0;  // 0.0001 - p: limbs 1.. from 0 - p[i], limb 0 from 1
  for (int32_t i = limbs - 1; i >= 1; --i) {
    const int32_t s = -p[i] - borrow;
    borrow = s < 0 ? 1 : 0;
    p[i] = static_cast<int16_t>(s + 10000 * borrow);
  }
  p[0] = static_cast<int16_t>(1 - borrow);
  return 1;
}

int32_t limb_distance(const int16_t* a, int16_t* p, int32_t limbs) {
  int32_t i = 0;
  while (i < limbs && a[i] == p[i]) ++i;
  if (i == limbs || a[i] > p[i]) {
    limb_sub(a, p, p, limbs);
    return 1;
  }
  limb_sub(p, a, p, limbs);
  return -1;
}

void limb_add_at(int16_t* p, int32_t offset, const int16_t* q, int32_t count, int32_t sign) {
  // Below limb offset, q's limbs are in 0..9999: s in -10000..19999 and a carry of -1, 0 or 1.
  auto step = [p](int32_t i, int32_t s) {
    const int32_t carry = s >= 10000 ? 1 : s < 0 ? -1 : 0;
    p[i] = static_cast<int16_t>(s - 10000 * carry);
    return carry;
  };
  int32_t carry = 0;
  for (int32_t i = offset + count - 1; i > offset; --i) carry = step(i, p[i] + sign * q[i - offset] + carry);
  if (offset == 0) {  // limb 0 takes q[0] and the carry unreduced
    p[0] = static_cast<int16_t>(p[0] + sign * q[0] + carry);
    return;
  }
  // q[0] may exceed 9999.
  const int32_t s = p[offset] + sign * q[0] + carry;
  carry = static_cast<int32_t>(limb_carry_of(s));
  p[offset] = static_cast<int16_t>(s - 10000 * carry);
  for (int32_t i = offset - 1; i >= 1 && carry != 0; --i) carry = step(i, p[i] + carry);
  p[0] = static_cast<int16_t>(p[0] + carry);
}
