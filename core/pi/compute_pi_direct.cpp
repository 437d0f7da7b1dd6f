// Gauss-Legendre AGM on a and b:
//   a0 = 1, b0 = 1/sqrt(2), t0 = 1/4, w0 = 1;
//   a' = (a + b)/2, b' = sqrt(ab), t' = t - w (a - a')^2, w' = 2w;
//   pi ~ (a + b)^2 / (4t), the number of correct digits roughly doubling per iteration.
// square_root forms b' = sqrt(ab) and b0 = sqrt(1/2) in place; reciprocal(x) yields 1/(10000 x), so
// the final quotient comes out as pi / 10000, limb 0 holding the 3.
//
// ab is formed from two squares, (a + b)^2 / 4 - (a - a')^2, the second of which t' needs anyway:
// a square takes one forward transform where a product takes two. Since a' is (a + b)/2 cut to n
// limbs (short by delta < 10000^-n), a - a' is (a - b)/2 + delta and ab comes out short by
// (a - b) delta + delta^2, below a fifth of a unit of the last limb, and less as a and b close in.
//
// Transforms per iteration, in full-length transforms of 2n doubles (a half-length one counts half;
// checked by tests/pi/test_transform_count.cpp): (a + b)^2 2, (a - a')^2 2, sqrt(ab) 8 (inv_sqrt to
// n/2 limbs 5, the rest of square_root 3): 12. Full-length Newton steps, a full product ab and a full
// product after the inverse square root made 21. In the last iterations, where ab changes little,
// the inverse square root starts from the last one: 9.5 in the last, 10.75 in the one before, ...
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
  work_team* team = run.team;

  limb_set(A, 10000, n + 4, team);              // a = 1
  limb_set(T, 2500, n + 4, team);               // t = 1/4
  limb_set(B, 5000, n + 4, team);               // 1/2
  square_root(B, P, S, n, W, margin, 0, team);  // b0 = 1/sqrt(2)
  if (const pi_status s = finish_phase(&run, 0, A, B, T); s != pi_status::ok) return abandon_pi_run(&run, s);

  int32_t w = 1;  // 2^(j-1) in iteration j, at most 2^26 (2^28 digits, 27 iterations)
  // The limbs to which this iteration's ab agrees with the last one's (relative): ab grows by the
  // factor (a + b) / (2 sqrt(ab)) = 1 + (a - b)^2 / (8ab) + ..., so a - a' = (a - b)/2 below 10000^-z
  // makes the next ab agree with this one to 2z limbs; one is left as margin. square_root starts its
  // inverse square root from the last one when that saves Newton steps.
  int32_t agreeing_limbs = 0;
  for (int32_t j = 1; j <= run.iterations; ++j) {
    limb_add(A, B, P, n, team);                 // P = a + b, about 1.7
    fft_multiply(P, P, B, n, W, margin, team);  // B = (a + b)^2
    limb_half(P, n, team);                      // P = a' = (a + b)/2
    limb_sub(A, P, A, n, team);                 // A = a - a'
    const int32_t next_agreeing_limbs = 2 * limb_leading_zeros(A, n) - 1;
    fft_multiply(A, A, A, n, W, margin, team);  // A = (a - a')^2
    limb_quarter(B, n + 4, team);
    limb_sub(B, A, B, n + 4, team);  // B = ab = ((a + b)/2)^2 - ((a - b)/2)^2, all n + 4 limbs
    limb_mul_small(A, w, n, team);
    limb_sub(T, A, T, n, team);                                // T = t' = t - w (a - a')^2
    square_root(B, A, S, n, W, margin, agreeing_limbs, team);  // B = b' = sqrt(ab)
    agreeing_limbs = next_agreeing_limbs;
    std::swap(A, P);  // A = a'; P's array is free again
    w *= 2;
#ifdef PI_FAULT_HOOK
    fault_hook_phase(j, T, n);
#endif
    if (const pi_status s = finish_phase(&run, j, A, B, T); s != pi_status::ok) {
      run.A = A, run.P = P;  // the arrays exchanged above, for their release
      return abandon_pi_run(&run, s);
    }
  }

  limb_add(A, B, A, n, team);                 // a + b, about 1.694
  fft_multiply(A, A, A, n, W, margin, team);  // (a + b)^2, about 2.871
  limb_mul_small(T, 4, n, team);              // 4t, about 0.9139
  reciprocal(T, B, S, n, W, margin, team);    // 1/(10000 * 4t)
#ifdef PI_FAULT_HOOK
  // Test builds only: the final product as fft_multiply forms it, but with every term of its
  // convolution moved by the hook's shift: shift n added to both parts of the spectrum's point 0
  // gives each of the 2n doubles of the backward transform shift n more, which the release scales
  // by 1/n. Shift 0 changes nothing, 1 gives wrong digits while every term still lies on an integer,
  // 0.01 right digits with a larger rounding distance, 0.3 a product that fails the rounding check.
  if (const double shift = fault_hook_shift()) {
    limbs_spectrum(A, n, W, team);
    limbs_spectrum(B, n, W + 2 * n, team);
    multiply_spectra(2 * n, W, W, W + 2 * n, team);
    W[0] += shift * n;
    W[1] += shift * n;
    spectrum_to_limbs(A, n, W, margin, team);
  } else
#endif
    fft_multiply(A, B, A, n, W, margin, team);  // pi / 10000
  run.A = A;
  run.P = P;
  return close_pi_run(&run, A);
}
