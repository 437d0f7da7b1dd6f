#include "core/arith/fft_multiply.h"

void limbs_to_doubles(const int16_t* P, int32_t cnt, double* a, int32_t N) {
  for (int32_t i = 0; i < cnt; ++i) a[i] = P[i];
  for (int32_t i = cnt; i < N; ++i) a[i] = 0.0;
}
