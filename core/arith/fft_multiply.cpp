#include "core/arith/fft_multiply.h"

#include "core/fft/real_transform.h"

void fft_multiply(const int16_t* P, const int16_t* Q, int16_t* Out, int32_t n, double* W) {
  const int32_t L = 2 * n;
  double* const A = W;
  double* const B = W + L;

  // Both factors are in the work area before Out is written, so Out may be P or Q.
  limbs_to_doubles(P, n, A, L);
  limbs_to_doubles(Q, n, B, L);
  real_transform(L, +1, A);
  real_transform(L, +1, B);
  spectrum_multiply(A, B, L);
  real_transform(L, -1, A);
  doubles_to_limbs(Out, n + 4, A, L);
}
