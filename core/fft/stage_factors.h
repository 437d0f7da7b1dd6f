// The twiddle factors of the radix-4 stages (stage_body.h), and where a stage finds them.
//
// A stage of `doubles` doubles (L = doubles/2 points, quarters of Q = doubles/8 points) multiplies at the
// points 0 < p < Q/2 by
//   plain:   F_p = e^{i phi_p}, G_p = F_p^3                        (phi_p = 2 pi p/L)
//   shifted: A_p = alpha_p, rho alpha_p, B_p = alpha_p^3, rho^3 alpha_p^3   (alpha_p = e^{i pi p/L})
// and at their mirrors Q - p by the same factors with the parts exchanged; p = 0 and p = Q/2 take
// constants and are not listed here.
//
// The factors come in runs: run r covers the points 64r + 1 .. min(64r + 64, Q/2 - 1). unit_root (the
// project's own cosine and sine, within 0.6 ulp) gives the factor at 64r, the step (e^{2 pi i/L} or
// e^{i pi/L}, also from unit_root) times that the factor at 64r + 1, and the three-term recurrence
// f_{p+1} = f_{p-1} + i sigma f_p (sigma = 2 sin of the step angle) the rest, so at most 64 steps separate
// a factor from an exactly computed one. Each of the sequences (rho alpha and rho^3 alpha^3 too) runs its
// own recurrence from its own seeds.
//
// No table outlives a call. A stage computes the runs of its factors as it reaches them, a batch of up
// to four runs at a time (stepped side by side, so that their chains of dependent steps overlap) into a
// local buffer. A transform call computes the factors of the stages of 128 to 8192 doubles, which run
// once per leaf block (or once per four or sixteen), once, into arrays of its own that live as long as
// the call (engine_body.h). The doubles are the same either way. The computation is in factor_body.h.
#pragma once
#include <cstdint>

#include "core/fft/complex_ops.h"

constexpr int32_t factor_run = 64;  // points per run of the recurrence
constexpr int32_t runs_per_batch = 4;
constexpr int32_t factor_batch = runs_per_batch * factor_run;  // points computed by one batch

// Arrays of points, the factor of point p at [2p], [2p + 1] (p = 0 is never read); or null arrays and
// the step to compute the runs from.
struct plain_stage_factors {
  const double* f;
  const double* g;
  complex_value step;
};
struct shifted_stage_factors {
  const double* a;
  const double* a_rho;
  const double* b;
  const double* b_rho3;
  complex_value step;
};
struct stage_factor_sets {
  plain_stage_factors plain;
  shifted_stage_factors shifted;
};
