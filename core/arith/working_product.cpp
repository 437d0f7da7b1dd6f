#include "core/arith/working_product.h"

#include "core/arith/fft_multiply.h"
#include "core/fft/real_transform.h"
#include "core/numbers/limb.h"

namespace {

// If T[0] = 0, T[0..m+3] := T * 10000 (one limb up, a zero shifted in). Tested once only.
void normalise(int16_t* T, int32_t m) {
  if (T[0] != 0) return;
  for (int32_t i = 0; i < m + 3; ++i) T[i] = T[i + 1];
  T[m + 3] = 0;
}

}  // namespace

void working_product(const int16_t* P, const int16_t* Q, int16_t* T, int32_t m, double* W) {
  const int32_t L = 2 * m;
  int16_t H1[4];
  int16_t H2[4];

  if (P == Q) {
    block_product(P, P + m, H1, m, W);
    limbs_to_doubles(P, m, W, L);
    real_transform(L, +1, W);
    spectrum_square(W, L);
    real_transform(L, -1, W);
    doubles_to_limbs(T, m + 4, W, L);
    // The cross term head * tail occurs twice in a square.
    limb_accumulate(T + m, H1, 4);
    limb_accumulate(T + m, H1, 4);
  } else {
    // Both cross terms and both main factors are read before T is written: Q may be T.
    block_product(P, Q + m, H1, m, W);
    block_product(P + m, Q, H2, m, W);
    limbs_to_doubles(P, m, W, L);
    limbs_to_doubles(Q, m, W + L, L);
    real_transform(L, +1, W);
    real_transform(L, +1, W + L);
    spectrum_multiply(W, W + L, L);
    real_transform(L, -1, W);
    doubles_to_limbs(T, m + 4, W, L);
    limb_accumulate(T + m, H1, 4);
    limb_accumulate(T + m, H2, 4);
  }
  normalise(T, m);
}
