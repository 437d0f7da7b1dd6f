#include "core/pi/result_check.h"

int32_t first_limb_out_of_range(const int16_t* result, int32_t limbs) {
  if (limbs > 0 && result[0] != 3) return 0;
  for (int32_t i = 1; i < limbs; ++i)
    if (result[i] < 0 || result[i] > 9999) return i;
  return -1;
}
