#include "core/fft/stage_factors.h"

#include <cmath>

#include "core/fft/complex_vector.h"

namespace {

// Radians per unit of 2p: phi_p = 2p * half_pi/(m/4) for a plain stage, psi_p = 2p * half_pi/(m/2) for a
// shifted one.
double plain_angle_unit(int32_t m) { return half_pi / static_cast<double>(m / 4); }
double shifted_angle_unit(int32_t m) { return half_pi / static_cast<double>(m / 2); }

complex_vector library_factor(double angle_unit, int32_t p) {
  const double angle = angle_unit * static_cast<double>(2 * p);
  return complex_vector{std::cos(angle), std::sin(angle)};
}

complex_value value_of(complex_vector z) { return {re(z), im(z)}; }
complex_vector vector_of(complex_value z) { return complex_vector{z.re, z.im}; }

// S sequences over the runs of a batch, stepped side by side (runs_per_batch * S independent chains,
// so that their latencies overlap): sequence s of run r starts from the factors at p0 + 64r and
// p0 + 64r + 1 in before[s][r], current[s][r] and steps f_{p+1} = f_{p-1} + i sigma[s] f_p. The factor of
// point p0 + 1 + i goes to out[s][2i], out[s][2i + 1] for i < count.
template <int S>
void recur_batch(complex_vector (&before)[S][runs_per_batch], complex_vector (&current)[S][runs_per_batch],
                 const double (&sigma)[S], int32_t count, double* const (&out)[S]) {
  const int32_t runs = (count + factor_run - 1) / factor_run;
  const int32_t steps = count < factor_run ? count : factor_run;
  for (int32_t k = 0; k < steps; ++k) {
    for (int32_t r = 0; r < runs; ++r) {
      const int32_t i = factor_run * r + k;
#pragma GCC unroll 4
      for (int s = 0; s < S; ++s) {
        if (i < count) store_vector(out[s], i, current[s][r]);
        const complex_vector next = before[s][r] + both(sigma[s]) * mul_i(current[s][r]);
        before[s][r] = current[s][r];
        current[s][r] = next;
      }
    }
  }
}

}  // namespace

void plain_factor_batch(int32_t m, complex_value step, int32_t p0, int32_t count, double* f, double* g) {
  const complex_vector f1 = vector_of(step);
  const double sigma[2] = {2.0 * im(f1), 2.0 * im(triple_angle(f1))};
  complex_vector before[2][runs_per_batch], current[2][runs_per_batch];
  for (int32_t r = 0; r * factor_run < count; ++r) {
    const complex_vector seed = library_factor(plain_angle_unit(m), p0 + factor_run * r);
    const complex_vector seed_next = mul(f1, seed);
    before[0][r] = seed;
    current[0][r] = seed_next;
    before[1][r] = triple_angle(seed);
    current[1][r] = triple_angle(seed_next);
  }
  recur_batch<2>(before, current, sigma, count, {f, g});
}

void shifted_factor_batch(int32_t m, complex_value step, int32_t p0, int32_t count, double* a, double* a_rho,
                          double* b, double* b_rho3) {
  const complex_vector a1 = vector_of(step);
  const double sigma1 = 2.0 * im(a1), sigma3 = 2.0 * im(triple_angle(a1));
  const double sigma[4] = {sigma1, sigma1, sigma3, sigma3};
  complex_vector before[4][runs_per_batch], current[4][runs_per_batch];
  for (int32_t r = 0; r * factor_run < count; ++r) {
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
  recur_batch<4>(before, current, sigma, count, {a, a_rho, b, b_rho3});
}

namespace {

complex_value plain_step(int32_t m) { return value_of(library_factor(plain_angle_unit(m), 1)); }
complex_value shifted_step(int32_t m) { return value_of(library_factor(shifted_angle_unit(m), 1)); }

}  // namespace

plain_stage_factors plain_factors(int32_t m) { return {nullptr, nullptr, plain_step(m)}; }

shifted_stage_factors shifted_factors(int32_t m) {
  return {nullptr, nullptr, nullptr, nullptr, shifted_step(m)};
}

stage_factor_sets fill_stage_factors(int32_t m, double* const (&arrays)[6]) {
  const int32_t points = m / 16;  // 0 .. Q/2 - 1
  const complex_value p_step = plain_step(m), s_step = shifted_step(m);
  for (double* array : arrays) {
    array[0] = 1.0;  // point 0, never read
    array[1] = 0.0;
  }
  for (int32_t p0 = 0; p0 < points - 1; p0 += factor_batch) {
    const int32_t count = points - 1 - p0 < factor_batch ? points - 1 - p0 : factor_batch;
    const int32_t at = 2 * (p0 + 1);
    plain_factor_batch(m, p_step, p0, count, arrays[0] + at, arrays[1] + at);
    shifted_factor_batch(m, s_step, p0, count, arrays[2] + at, arrays[3] + at, arrays[4] + at,
                         arrays[5] + at);
  }
  return {{arrays[0], arrays[1], p_step}, {arrays[2], arrays[3], arrays[4], arrays[5], s_step}};
}
