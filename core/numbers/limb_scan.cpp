// Reading a limb number without changing it.
#include "core/numbers/limb.h"

int32_t limb_leading_zeros(const int16_t* p, int32_t limbs) {
  int32_t i = 0;
  while (i < limbs && p[i] == 0) ++i;
  return i;
}
