// Division by 2 and 4: the remainder carried down from limb 0 towards the last limb, the final
// remainder dropped (the result is truncated, never rounded).
#include "core/numbers/limb.h"

// dst := src / d for d = 2 or 4. Every remainder passed down is a multiple of 10000, and 10000 is a
// multiple of d, so the remainder that limb i receives is (10000 / d) (src[i-1] mod d) whatever came
// before: each limb of the quotient depends on two limbs of src only, and the limbs need no serial
// walk. Walking from the last limb reads src[i - 1] before dst[i - 1] is written, so dst may be src.
// Limbs are non-negative: limb i of the quotient is at most 9999/d + (10000/d)(d - 1) < 10000.
template <int32_t d>
static void divide_small(const int16_t* src, int16_t* dst, int32_t limbs) {
  for (int32_t i = limbs - 1; i >= 1; --i)
    dst[i] = static_cast<int16_t>(src[i] / d + (10000 / d) * (src[i - 1] % d));
  if (limbs > 0) dst[0] = static_cast<int16_t>(src[0] / d);
}

void limb_half(int16_t* p, int32_t limbs) { divide_small<2>(p, p, limbs); }

void limb_quarter(int16_t* p, int32_t limbs) { divide_small<4>(p, p, limbs); }

void limb_half_into(const int16_t* src, int16_t* dst, int32_t limbs) { divide_small<2>(src, dst, limbs); }
