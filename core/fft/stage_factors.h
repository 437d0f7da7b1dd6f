// The twiddle factors of the radix-4 stages (stages.h), and where a stage finds them.
//
// A stage of m doubles (quarters of Q = m/8 points) multiplies at the points 0 < p < Q/2 by
//   plain:   F_p = e^{i phi_p}, G_p = F_p^3                        (phi_p = 2 pi p/L, L = m/2 points)
//   shifted: A_p = alpha_p, rho alpha_p, B_p = alpha_p^3, rho^3 alpha_p^3   (alpha_p = e^{i pi p/L})
// and at their mirrors Q - p by the same factors with the parts exchanged; p = 0 and p = Q/2 take
// constants and are not listed here.
//
// The factors come in runs: run r covers the points 64r + 1 .. min(64r + 64, Q/2 - 1). The library cos
// and sin give the factor at 64r, the step (e^{2 pi i/L} or e^{i pi/L}, also from the library) times
// that the factor at 64r + 1, and the three-term recurrence f_{p+1} = f_{p-1} + i sigma f_p (sigma = 2 sin
// of the step angle) the rest, so at most 64 steps separate a factor from an exactly computed one.
// Each of the sequences (rho alpha and rho^3 alpha^3 too) runs its own recurrence from its own seeds.
//
// No table outlives a call: a stage computes the runs of its factors as it reaches them, a batch of up
// to four runs at a time (stepped side by side, so that their chains of dependent steps overlap) into
// a local buffer; the transform driver computes the factors of the stages of 128 to 8192 doubles
// (which run once per leaf block, or once per four or sixteen) once per call into arrays of its own. The
// doubles are the same either way.
#pragma once
#include <cstdint>

#include "core/fft/complex_ops.h"

constexpr int32_t factor_run = 64;  // points per run of the recurrence
constexpr int32_t runs_per_batch = 4;
constexpr int32_t factor_batch = runs_per_batch * factor_run;  // points computed by one call below

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

// The factor sets of a stage of m doubles with no arrays: the step (e^{2 pi i/L} or e^{i pi/L}, L = m/2,
// from the library cos and sin) only.
plain_stage_factors plain_factors(int32_t m);
shifted_stage_factors shifted_factors(int32_t m);

// Computes the factors of every point 1 .. Q/2 - 1 of a stage of m doubles into the six arrays (each of
// m/16 points: f, g, a, a_rho, b, b_rho3) and returns the sets that read them.
struct stage_factor_sets {
  plain_stage_factors plain;
  shifted_stage_factors shifted;
};
stage_factor_sets fill_stage_factors(int32_t m, double* const (&arrays)[6]);
