#include "core/arith/reciprocal.h"

#include <cassert>

#include "core/arith/newton_correction.h"
#include "core/arith/newton_schedule.h"
#include "core/arith/wrapped_product.h"
#include "core/fft/convolution.h"
#include "core/numbers/limb.h"

void reciprocal_step(const int16_t* X, int16_t* Y, int16_t* T, int32_t limbs, double* W,
                     rounding_margin* margin, work_team* team) {
  const int32_t m = limbs, h = limbs / 2;

  // V = X Y in T.
  factor_spectrum(X, m + 4, W, 2 * m, team);
  factor_spectrum(Y, h + 4, W + 2 * m, 2 * m, team);
  multiply_spectra(2 * m, W, W, W + 2 * m, team);
  release_wrapped(T, m + 4, W, 2 * m, X, m + 4, Y, h + 4, margin, team);

  // D = |0.0001 - V|, of which limbs 0..h-1 are 0; C = Y D' in T[0..h+3].
  const int32_t sign = distance_from_ten_thousandth(T, m + 4, team);
  assert(limb_leading_zeros(T, h) == h);
  wrapped_multiply(Y, h + 4, T + h, h + 4, T, h + 4, m, W, margin, team);

  // Y' = Y +- C 10000^-(h-1), Y read to h + 4 limbs as the products read it.
  limb_set(Y + h + 4, 0, m - h, team);
  limb_add_at(Y, h - 1, T, h + 4, sign, team);
}

void reciprocal(const int16_t* X, int16_t* Y, int16_t* T, int32_t limbs, double* W, rounding_margin* margin,
                work_team* team) {
  // For 0.0001 < x < 1 five multiplications by 10000 leave 10^20 / s = 1/x, between 1 and 10000.
  set_start_estimate(1.0 / leading_value(X), Y, limbs);
  for_newton_lengths(limbs, [&](int32_t m) { reciprocal_step(X, Y, T, m, W, margin, team); });
}
