// Reading a limb number without changing it.
#include "core/numbers/limb.h"

int32_t limb_leading_zeros(const int16_t* p, int32_t limbs) {
  int32_t i = 0;
  while (i < limbs && p[i] == 0) ++i;
  return i;
}

bool limb_is_one_half(const int16_t* p, int32_t limbs) {
  return limbs > 0 && p[0] == 5000 && limb_leading_zeros(p + 1, limbs - 1) == limbs - 1;
}
