#include "core/arith/square_root.h"

#include <algorithm>
#include <cassert>

#include "core/arith/inv_sqrt.h"
#include "core/arith/newton_correction.h"
#include "core/arith/wrapped_product.h"
#include "core/fft/convolution.h"
#include "core/numbers/limb.h"

void square_root(int16_t* X, int16_t* Y, int16_t* T, int32_t limbs, double* W, rounding_margin* margin,
                 int32_t agreeing_limbs, work_team* team) {
  const int32_t n = limbs, h = limbs / 2;
  double* const x_spectrum = W;  // left by inv_sqrt: X[0..h+3] as a factor of n terms
  double* const z_spectrum = W + n;
  double* const product = W + 2 * n;

  // Z = 100 / (100 sqrt(X)) in Y[0..h+3], limb 0 up to 31623 (X >= 0.1); the inverse square root's
  // first h limbs kept in T[h+4..n+3]. The kept value is good to h limbs at most.
  int16_t* const kept = T + h + 4;
  int32_t correct_limbs = 0;
  if (agreeing_limbs > 0) {
    limb_copy(kept, Y, h, team);
    limb_set(Y + h, 0, 4, team);
    correct_limbs = agreeing_limbs < h ? agreeing_limbs : h;
  }
  inv_sqrt(X, Y, T, h, W, margin, correct_limbs, team);
  limb_copy(Y, kept, h, team);
  const int16_t y0 = Y[0];
  limb_mul_small(Y, 100, h + 4, team);  // drops the hundreds of 100 Y[0], put back as limb 0's integer part
  Y[0] = static_cast<int16_t>(Y[0] + y0 / 100 * 10000);

  // s = X Z in T[0..h+3]. Z's first digits are kept for the correction, whose factor Z is only a
  // spectrum by then.
  constexpr int32_t wrapped = 7;  // (h + 4) + (h + 4) - 1 - n
  int64_t z_head[wrapped];
  balanced_head(Y, h + 4, wrapped, z_head);
  factor_spectrum(Y, h + 4, z_spectrum, n, team);
  if (limb_is_one_half(X, h + 4)) {  // X Z truncated is Z/2 truncated; inv_sqrt left no X spectrum
    limb_half_into(Y, T, h + 4, team);
  } else {
    int64_t x_head[wrapped];
    balanced_head(X, h + 4, wrapped, x_head);
    multiply_spectra(n, product, x_spectrum, z_spectrum, team);
    release_wrapped_heads(T, h + 4, product, n, x_head, z_head, wrapped, margin, team);
  }

  // R = |X - s^2| in Y (Z lives on in its spectrum).
  factor_spectrum(T, h + 4, product, n, team);
  square_spectrum(n, product, product, team);
  release_wrapped(Y, n + 4, product, n, T, h + 4, T, h + 4, margin, team);
  const int32_t sign = limb_distance(X, Y, n + 4, team);
  assert(limb_leading_zeros(Y, h) == h);

  // C = Z R' in Y[0..h+3]; X = s +- (C/2) 10000^-h.
  int64_t r_head[wrapped];
  balanced_head(Y + h, h + 4, wrapped, r_head);
  factor_spectrum(Y + h, h + 4, product, n, team);
  multiply_spectra(n, product, product, z_spectrum, team);
  release_wrapped_heads(Y, h + 4, product, n, z_head, r_head, wrapped, margin, team);
  limb_half(Y, h + 4, team);
  limb_copy(T, X, h + 4, team);
  limb_set(X + h + 4, 0, h, team);
  limb_add_at(X, h, Y, h + 4, sign, team);
}
