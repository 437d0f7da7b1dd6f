// Division by 2 and 4: from limb 0 towards the last limb, remainder carried down, the final
// remainder dropped (the result is truncated, never rounded).
#include "core/numbers/limb.h"

// dst := src / d for d = 2 or 4. Reads src[i] before writing dst[i], so dst may be src.
static void divide_small(const int16_t* src, int16_t* dst, int32_t d, int32_t L) {
  int32_t r = 0;  // r <= (d - 1) * 10000 and src[i] <= 9999 after limb 0: no overflow
  for (int32_t i = 0; i < L; ++i) {
    r += src[i];
    int32_t q = r / d;
    dst[i] = static_cast<int16_t>(q);
    r = (r - d * q) * 10000;
  }
}

void limb_half(int16_t* p, int32_t L) { divide_small(p, p, 2, L); }

void limb_quarter(int16_t* p, int32_t L) { divide_small(p, p, 4, L); }

void limb_half_into(const int16_t* src, int16_t* dst, int32_t L) { divide_small(src, dst, 2, L); }
