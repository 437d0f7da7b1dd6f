// Gauss-Legendre AGM on a and b:
//   a0 = 1, b0 = 1/sqrt(2), t0 = 1/4, w0 = 1;
//   a' = (a + b)/2, b' = sqrt(ab), t' = t - w (a - a')^2, w' = 2w;
//   pi ~ (a + b)^2 / (4t), the number of correct digits roughly doubling per iteration.
// inv_sqrt(x) yields 1/sqrt(10000 x) and reciprocal(x) yields 1/(10000 x), so sqrt(ab) is formed
// as ab * inv_sqrt(ab) * 100, and the final quotient comes out as pi / 10000, limb 0 holding the 3.
#include <utility>

#include "core/arith/arith.h"
#include "core/fft/convolution.h"
#include "core/numbers/limb.h"
#include "core/pi/pi.h"
#include "core/pi/pi_run.h"

#ifdef PI_FAULT_HOOK
// Defined by the test build (tests/pi/fault_hook.cpp): how far to move the final product, and a
// change to t[0..limbs-1] at the end of iteration j.
double fault_hook_shift();
void fault_hook_phase(int32_t j, int16_t* t, int32_t limbs);
#endif

pi_status compute_pi_direct(int32_t D, const pi_events* events, pi_result* result) {
  pi_run run;
  const pi_status opened = open_pi_run(&run, D, pi_variant::direct, events, result);
  if (opened != pi_status::ok) return opened;
  const int32_t n = run.n;
  int16_t *A = run.A, *B = run.B, *T = run.T, *P = run.P, *S = run.S;
  double* W = run.W;
  rounding_margin* margin = &run.margin;

  limb_set(A, 10000, n + 4);  // a = 1
  limb_set(T, 2500, n + 4);   // t = 1/4
  limb_set(P, 2, n + 4);      // 0.0002, whose inverse square root 1/sqrt(2) is b0
  inv_sqrt(P, B, S, n, W, margin);
  if (const pi_status s = finish_phase(&run, 0, A, B, T); s != pi_status::ok) return abandon_pi_run(&run, s);

  int32_t w = 1;  // 2^(j-1) in iteration j, at most 2^26 (2^28 digits, 27 iterations)
  for (int32_t j = 1; j <= run.iterations; ++j) {
    limb_add(A, B, P, n);
    limb_half(P, n);              // P = a' = (a + b)/2
    fft_multiply(A, B, B, n, W, margin);  // B = ab
    limb_sub(A, P, A, n);         // A = a - a'
    fft_multiply(A, A, A, n, W, margin);  // A = (a - a')^2
    limb_mul_small(A, w, n);
    limb_sub(T, A, T, n);         // T = t' = t - w (a - a')^2
    inv_sqrt(B, A, S, n, W, margin);      // A = 1/(100 sqrt(ab))
    fft_multiply_kept_first(A, B, n, W, margin);  // B = sqrt(ab)/100 (B = ab transformed by inv_sqrt)
    limb_mul_small(B, 100, n);    // B = b' = sqrt(ab)
    std::swap(A, P);              // A = a'; P's array is free again
    w *= 2;
#ifdef PI_FAULT_HOOK
    fault_hook_phase(j, T, n);
#endif
    if (const pi_status s = finish_phase(&run, j, A, B, T); s != pi_status::ok) {
      run.A = A, run.P = P;  // the arrays exchanged above, for their release
      return abandon_pi_run(&run, s);
    }
  }

  limb_add(A, B, A, n);         // a + b, about 1.694
  fft_multiply(A, A, A, n, W, margin);  // (a + b)^2, about 2.871
  limb_mul_small(T, 4, n);      // 4t, about 0.9139
  reciprocal(T, B, S, n, W, margin);    // 1/(10000 * 4t)
#ifdef PI_FAULT_HOOK
  // Test builds only: the final product as fft_multiply forms it, but with every term of its
  // convolution moved by the hook's shift: shift n added to both parts of the spectrum's point 0
  // gives each of the 2n doubles of the backward transform shift n more, which the release scales
  // by 1/n. Shift 0 changes nothing, 1 gives wrong digits while every term still lies on an integer,
  // 0.01 right digits with a larger rounding distance, 0.3 a product that fails the rounding check.
  if (const double shift = fault_hook_shift()) {
    limbs_spectrum(A, n, W);
    limbs_spectrum(B, n, W + 2 * n);
    multiply_spectra(2 * n, W, W, W + 2 * n);
    W[0] += shift * n;
    W[1] += shift * n;
    spectrum_to_limbs(A, n, W, margin);
  } else
#endif
    fft_multiply(A, B, A, n, W, margin);  // pi / 10000
  run.A = A;
  run.P = P;
  return close_pi_run(&run, A);
}
