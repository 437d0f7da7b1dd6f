// Division by 2 and 4: the remainder carried down from limb 0 towards the last limb, the final
// remainder dropped (the result is truncated, never rounded).
#include "core/numbers/carry_chains.h"
#include "core/numbers/limb.h"

// dst := src / d for d = 2 or 4. Every remainder passed down is a multiple of 10000, and 10000 is a
// multiple of d, so the remainder that limb i receives is (10000 / d) (src[i-1] mod d) whatever came
// before: each limb of the quotient depends on two limbs of src only, and the limbs need no serial
// walk. Walking from the last limb reads src[i - 1] before dst[i - 1] is written, so dst may be src.
// Limbs are non-negative: limb i of the quotient is at most 9999/d + (10000/d)(d - 1) < 10000.
// On threads, in parts: a part's first limb reads the last limb of the part before it, which that part
// may already have written when dst is src; so those limbs are read first.
template <int32_t d>
static void divide_small(const int16_t* src, int16_t* dst, int32_t limbs, work_team* team) {
  auto quotients = [&](int32_t first, int32_t last, int16_t before_first) {  // limbs first .. last >= 1
    for (int32_t i = last; i > first; --i)
      dst[i] = static_cast<int16_t>(src[i] / d + (10000 / d) * (src[i - 1] % d));
    if (first <= last) dst[first] = static_cast<int16_t>(src[first] / d + (10000 / d) * (before_first % d));
  };
  if (threaded_linear(team, limbs)) {
    int16_t before[linear_parts];
    for (int32_t u = 0; u < linear_parts; ++u) before[u] = src[part_limb(limbs, u) - 1];
    for_each_unit(team, linear_parts,
                  [&](int32_t u) { quotients(part_limb(limbs, u), part_limb(limbs, u + 1) - 1, before[u]); });
  } else if (limbs > 1) {
    quotients(1, limbs - 1, src[0]);
  }
  if (limbs > 0) dst[0] = static_cast<int16_t>(src[0] / d);
}

void limb_half(int16_t* p, int32_t limbs, work_team* team) { divide_small<2>(p, p, limbs, team); }

void limb_quarter(int16_t* p, int32_t limbs, work_team* team) { divide_small<4>(p, p, limbs, team); }

void limb_half_into(const int16_t* src, int16_t* dst, int32_t limbs, work_team* team) {
  divide_small<2>(src, dst, limbs, team);
}
