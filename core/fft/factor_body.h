// The computation of the stage factors (stage_factors.h), one body for every vector width: included by
// stage_factors.cpp (for the library values) and by the files that compile the stages for one
// instruction set each. The runs of a batch ride in the point positions of V, one run per position, so
// one instruction steps V::points runs; lane by lane these are the scalar formulas, so the doubles are
// those of one run at a time.
#pragma once
#include <cmath>

#include "core/fft/complex_vector.h"
#include "core/fft/stage_factors.h"

namespace {

// Radians per unit of 2p: phi_p = 2p * half_pi/(m/4) for a plain stage, psi_p = 2p * half_pi/(m/2) for a
// shifted one.
inline double plain_angle_unit(int32_t m) { return half_pi / static_cast<double>(m / 4); }
inline double shifted_angle_unit(int32_t m) { return half_pi / static_cast<double>(m / 2); }

inline complex_vector library_factor(double angle_unit, int32_t p) {
  const double angle = angle_unit * static_cast<double>(2 * p);
  return complex_vector{std::cos(angle), std::sin(angle)};
}

inline complex_vector vector_of(complex_value z) { return complex_vector{z.re, z.im}; }

// Point position `lane` of V (a move).
template <class V>
inline complex_vector lane_of(V v, int lane) {
  complex_vector z;
  std::memcpy(&z, reinterpret_cast<const double*>(&v) + 2 * lane, sizeof z);
  return z;
}

// S sequences over the runs of a batch, stepped side by side (runs_per_batch * S independent chains,
// so that their latencies overlap): sequence s of run r starts from the factors at p0 + 64r and
// p0 + 64r + 1 in before[s][r], current[s][r] and steps f_{p+1} = f_{p-1} + i sigma[s] f_p. The factor of
// point p0 + 1 + i goes to out[s][2i], out[s][2i + 1] for i < count.
template <class V, int S>
void recur_batch(const complex_vector (&before0)[S][runs_per_batch],
                 const complex_vector (&current0)[S][runs_per_batch], const double (&sigma)[S], int32_t count,
                 double* const (&out)[S]) {
  constexpr int32_t points = lane_info<V>::points, vectors = runs_per_batch / points;
  V before[S][vectors], current[S][vectors];
  for (int s = 0; s < S; ++s)
    for (int32_t v = 0; v < vectors; ++v) {
      std::memcpy(&before[s][v], &before0[s][v * points], sizeof(V));
      std::memcpy(&current[s][v], &current0[s][v * points], sizeof(V));
    }
  const int32_t runs = (count + factor_run - 1) / factor_run;
  const int32_t used = (runs + points - 1) / points;  // vectors holding a run of this batch
  const int32_t steps = count < factor_run ? count : factor_run;
  for (int32_t k = 0; k < steps; ++k)
    for (int32_t v = 0; v < used; ++v)
      for (int s = 0; s < S; ++s) {
        for (int32_t l = 0; l < points; ++l) {
          const int32_t i = factor_run * (v * points + l) + k;
          if (i < count) store_vector(out[s], i, lane_of(current[s][v], l));
        }
        const V next = before[s][v] + lane_info<V>::splat(sigma[s]) * mul_i(current[s][v]);
        before[s][v] = current[s][v];
        current[s][v] = next;
      }
}

// The factors of the `count` <= factor_batch points p0 + 1 .. p0 + count (p0 a multiple of factor_run),
// the first at f[0], f[1]: the runs starting at p0, p0 + 64, .. side by side. Runs past the count start
// from the first run's seeds and are never stored.
template <class V>
void plain_factor_batch(int32_t m, complex_value step, int32_t p0, int32_t count, double* f, double* g) {
  const complex_vector f1 = vector_of(step);
  const double sigma[2] = {2.0 * im(f1), 2.0 * im(triple_angle(f1))};
  complex_vector before[2][runs_per_batch], current[2][runs_per_batch];
  for (int32_t r = 0; r < runs_per_batch; ++r) {
    if (r > 0 && r * factor_run >= count) {
      for (int s = 0; s < 2; ++s) before[s][r] = before[s][0], current[s][r] = current[s][0];
      continue;
    }
    const complex_vector seed = library_factor(plain_angle_unit(m), p0 + factor_run * r);
    const complex_vector seed_next = mul(f1, seed);
    before[0][r] = seed;
    current[0][r] = seed_next;
    before[1][r] = triple_angle(seed);
    current[1][r] = triple_angle(seed_next);
  }
  recur_batch<V, 2>(before, current, sigma, count, {f, g});
}

template <class V>
void shifted_factor_batch(int32_t m, complex_value step, int32_t p0, int32_t count, double* a, double* a_rho,
                          double* b, double* b_rho3) {
  const complex_vector a1 = vector_of(step);
  const double sigma1 = 2.0 * im(a1), sigma3 = 2.0 * im(triple_angle(a1));
  const double sigma[4] = {sigma1, sigma1, sigma3, sigma3};
  complex_vector before[4][runs_per_batch], current[4][runs_per_batch];
  for (int32_t r = 0; r < runs_per_batch; ++r) {
    if (r > 0 && r * factor_run >= count) {
      for (int s = 0; s < 4; ++s) before[s][r] = before[s][0], current[s][r] = current[s][0];
      continue;
    }
    const complex_vector alpha = library_factor(shifted_angle_unit(m), p0 + factor_run * r);
    const complex_vector alpha_next = mul(a1, alpha);
    const complex_vector beta = triple_angle(alpha), beta_next = triple_angle(alpha_next);
    before[0][r] = alpha;
    current[0][r] = alpha_next;
    before[1][r] = mul_rho(alpha);
    current[1][r] = mul_rho(alpha_next);
    before[2][r] = beta;
    current[2][r] = beta_next;
    before[3][r] = mul_rho3(beta);
    current[3][r] = mul_rho3(beta_next);
  }
  recur_batch<V, 4>(before, current, sigma, count, {a, a_rho, b, b_rho3});
}

// The factors of the points 1 .. m/16 - 1 of a stage of m doubles into the six arrays of
// fill_stage_factors, point p at [2p], [2p + 1].
template <class V>
void fill_factor_runs(int32_t m, complex_value plain_step, complex_value shifted_step,
                      double* const* arrays) {
  const int32_t points = m / 16;  // 0 .. Q/2 - 1
  for (int32_t p0 = 0; p0 < points - 1; p0 += factor_batch) {
    const int32_t count = points - 1 - p0 < factor_batch ? points - 1 - p0 : factor_batch;
    const int32_t at = 2 * (p0 + 1);
    plain_factor_batch<V>(m, plain_step, p0, count, arrays[0] + at, arrays[1] + at);
    shifted_factor_batch<V>(m, shifted_step, p0, count, arrays[2] + at, arrays[3] + at, arrays[4] + at,
                            arrays[5] + at);
  }
}

}  // namespace
