// Operations whose carries or borrows run from the last limb towards limb 0.
#include "core/numbers/limb.h"

void limb_set(int16_t* p, int16_t v, int32_t limbs) {
  p[0] = v;
  for (int32_t i = 1; i < limbs; ++i) p[i] = 0;
}

void limb_add(const int16_t* a, const int16_t* b, int16_t* out, int32_t limbs) {
  int32_t cy = 0;  // 0 <= cy <= 1
  for (int32_t i = limbs - 1; i > 0; --i) {
    int32_t s = a[i] + b[i] + cy;  // s <= 9999 + 9999 + 1
    cy = s >= 10000;
    out[i] = static_cast<int16_t>(s - 10000 * cy);
  }
  // Limb 0 keeps the integer part unreduced: a[0] + b[0] + cy <= 32767 by precondition.
  out[0] = static_cast<int16_t>(a[0] + b[0] + cy);
}

void limb_sub(const int16_t* a, const int16_t* b, int16_t* out, int32_t limbs) {
  int32_t bw = 0;  // 0 <= bw <= 1
  for (int32_t i = limbs - 1; i > 0; --i) {
    int32_t s = a[i] - b[i] - bw;  // -10000 <= s <= 9999
    bw = s < 0;
    out[i] = static_cast<int16_t>(s + 10000 * bw);
  }
  // a >= b, so limb 0 cannot go negative and there is no borrow out of it.
  out[0] = static_cast<int16_t>(a[0] - b[0] - bw);
}

void limb_triple_sub_half(int16_t* p, const int16_t* q, int32_t limbs) {
  // 3p - q in one walk: the carry into a limb is -1..2, so -10000 <= s <= 3 * 9999 + 2.
  int32_t cy = 0;
  for (int32_t i = limbs - 1; i > 0; --i) {
    const int32_t s = 3 * p[i] - q[i] + cy;
    cy = (s >= 20000) + (s >= 10000) - (s < 0);
    p[i] = static_cast<int16_t>(s - 10000 * cy);
  }
  p[0] = static_cast<int16_t>(3 * p[0] - q[0] + cy);  // <= 32767 by precondition, >= 0 as 3p >= q
  limb_half(p, limbs);
}
