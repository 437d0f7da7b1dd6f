// The Gauss-Legendre AGM carried on the squares A = a^2, B = b^2, T = 2t, w2 = 2w:
//   A0 = 1, B0 = 1/2, T0 = 1/2, w2 = 2;
//   B' = sqrt(AB) = ab, A' = (A + B)/4 + B'/2 = ((a + b)/2)^2, T' = T - w2 (A' - B'), w2' = 2 w2;
//   pi ~ (A + B) / T.
// One product fewer per iteration than on a and b, and no square root before the first iteration:
// 11 full-length transforms (2n doubles) per iteration, a^2 b^2 3 and its square root 8 (see
// compute_pi_direct.cpp; fewer in the last iterations), where 19 were made before the Newton steps
// took their factors at the precision they hold.

#include "core/arith/arith.h"
#include "core/numbers/limb.h"
#include "core/pi/pi.h"
#include "core/pi/pi_run.h"

pi_status compute_pi_squared(int32_t D, const pi_events* events, pi_result* result) {
  pi_run run;
  const pi_status opened = open_pi_run(&run, D, pi_variant::squared, events, result);
  if (opened != pi_status::ok) return opened;
  const int32_t n = run.n;
  int16_t *A = run.A, *B = run.B, *T = run.T, *P = run.P, *S = run.S;
  double* W = run.W;
  rounding_margin* margin = &run.margin;
  work_team* team = run.team;

  limb_set(A, 10000, n + 4, team);  // a^2 = 1
  limb_set(B, 5000, n + 4, team);   // b^2 = 1/2
  limb_set(T, 5000, n + 4, team);   // 2t = 1/2
  if (const pi_status s = finish_phase(&run, 0, A, B, T); s != pi_status::ok) return abandon_pi_run(&run, s);

  int32_t w2 = 2;  // 2^j in iteration j, at most 2^27 (2^28 digits, 27 iterations)
  // The limbs to which this iteration's a^2 b^2 agrees with the last one's (relative): it grows by the
  // factor 1 + (a - a')^2 / (2ab) + ... (compute_pi_direct.cpp), so (a - a')^2 below 10000^-z makes
  // the next one agree with this one to z limbs; one is left as margin.
  int32_t agreeing_limbs = 0;
  for (int32_t j = 1; j <= run.iterations; ++j) {
    limb_add(A, B, P, n, team);
    limb_quarter(P, n, team);                                  // P = (a^2 + b^2)/4
    fft_multiply(A, B, B, n, W, margin, team);                 // B = a^2 b^2
    square_root(B, A, S, n, W, margin, agreeing_limbs, team);  // B = ab = b'^2
    limb_half_into(B, A, n, team);                             // A = ab/2
    limb_add(A, P, A, n, team);                                // A = (a + b)^2/4 = a'^2
    limb_sub(A, B, P, n, team);                                // P = a'^2 - b'^2 = (a - a')^2 >= 0
    agreeing_limbs = limb_leading_zeros(P, n) - 1;
    limb_mul_small(P, w2, n, team);
    limb_sub(T, P, T, n, team);  // T = 2t'
    w2 *= 2;
    if (const pi_status s = finish_phase(&run, j, A, B, T); s != pi_status::ok)
      return abandon_pi_run(&run, s);
  }

  limb_add(A, B, A, n, team);                 // a^2 + b^2, about 1.4355
  reciprocal(T, B, S, n, W, margin, team);    // 1/(10000 T), T about 0.4569
  fft_multiply(A, B, A, n, W, margin, team);  // pi / 10000
  return close_pi_run(&run, A);
}
