#include "core/arith/inv_sqrt.h"

#include <cmath>

#include "core/arith/newton_correction.h"
#include "core/arith/newton_schedule.h"
#include "core/arith/wrapped_product.h"
#include "core/fft/convolution.h"
#include "core/numbers/limb.h"

bool inv_sqrt_step(const int16_t* X, int16_t* Y, int16_t* T, int32_t limbs, double* W,
                   rounding_margin* margin, int32_t zero_limbs, work_team* team) {
  const int32_t m = limbs, h = limbs / 2;
  double* const y_spectrum = W + 4 * m;  // kept for the correction

  // U = Y^2 in T.
  factor_spectrum(Y, h + 4, y_spectrum, m, team);
  square_spectrum(m, W, y_spectrum, team);
  release_wrapped(T, m + 4, W, m, Y, h + 4, Y, h + 4, margin, team);

  // V = X U in T; X's spectrum stays in W[0..2m-1]. For X = 1/2 (the AGM's first square root) the
  // exact truncation of X U is U/2 truncated: the same limbs without the product.
  if (limb_is_one_half(X, m + 4)) {
    limb_half(T, m + 4, team);
  } else {
    factor_spectrum(X, m + 4, W, 2 * m, team);
    factor_spectrum(T, m + 4, W + 2 * m, 2 * m, team);
    multiply_spectra(2 * m, W + 2 * m, W, W + 2 * m, team);
    release_wrapped(T, m + 4, W + 2 * m, 2 * m, X, m + 4, T, m + 4, margin, team);
  }

  // D = |0.0001 - V|, of which limbs 0..h-1 are 0; C = Y D' in T[0..h+3].
  const int32_t sign = distance_from_ten_thousandth(T, m + 4, team);
  if (limb_leading_zeros(T, zero_limbs) < zero_limbs) return false;
  factor_spectrum(T + h, h + 4, W + 2 * m, m, team);
  multiply_spectra(m, W + 2 * m, W + 2 * m, y_spectrum, team);
  release_wrapped(T, h + 4, W + 2 * m, m, Y, h + 4, T + h, h + 4, margin, team);

  // Y' = Y +- (C/2) 10000^-(h-1), Y read to h + 4 limbs as the products read it.
  limb_half(T, h + 4, team);
  limb_set(Y + h + 4, 0, m - h, team);
  limb_add_at(Y, h - 1, T, h + 4, sign, team);
  return true;
}

void inv_sqrt(const int16_t* X, int16_t* Y, int16_t* T, int32_t limbs, double* W, rounding_margin* margin,
              int32_t correct_limbs, work_team* team) {
  // A start from Y: the longest working length whose step Y can feed, and that step's check of the
  // residual asks for two limbs more than a step of the schedule gets, so that what follows has the
  // precision it has on the schedule. Every step after the first always finds its residual in range.
  int32_t first = limbs;
  while (first >= 16 && first / 2 + 2 > correct_limbs) first /= 2;
  if (first >= 16 && inv_sqrt_step(X, Y, T, first, W, margin, first / 2 + 2, team)) {
    for (int32_t m = 2 * first; m <= limbs; m *= 2) inv_sqrt_step(X, Y, T, m, W, margin, m / 2, team);
    return;
  }
  // 1/sqrt(s) = 10^-10 / sqrt(x); three multiplications by 10000 bring it to 10000 Y, 55..10000.
  set_start_estimate(1.0 / std::sqrt(leading_value(X)), Y, limbs);
  for_newton_lengths(limbs, [&](int32_t m) { inv_sqrt_step(X, Y, T, m, W, margin, m / 2, team); });
}
