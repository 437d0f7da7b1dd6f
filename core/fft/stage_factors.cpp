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

// One sequence of a run: from the factors at p0 and p0 + 1, writes those of p0 + 1 .. p0 + count.
// f_{p+1} = f_{p-1} + i sigma f_p.
void recur(complex_vector before, complex_vector current, double sigma, int32_t count, double* out) {
  const complex_vector s = both(sigma);
  for (int32_t k = 0; k < count; ++k) {
    store_vector(out, k, current);
    const complex_vector next = before + s * mul_i(current);
    before = current;
    current = next;
  }
}

}  // namespace

void plain_factor_run(int32_t m, complex_value step, int32_t p0, int32_t count, double* f, double* g) {
  const complex_vector f1 = vector_of(step);
  const complex_vector seed = library_factor(plain_angle_unit(m), p0), seed_next = mul(f1, seed);
  recur(seed, seed_next, 2.0 * im(f1), count, f);
  recur(triple_angle(seed), triple_angle(seed_next), 2.0 * im(triple_angle(f1)), count, g);
}

void shifted_factor_run(int32_t m, complex_value step, int32_t p0, int32_t count, double* a, double* a_rho,
                        double* b, double* b_rho3) {
  const complex_vector a1 = vector_of(step);
  const double sigma1 = 2.0 * im(a1), sigma3 = 2.0 * im(triple_angle(a1));
  const complex_vector alpha = library_factor(shifted_angle_unit(m), p0), alpha_next = mul(a1, alpha);
  const complex_vector beta = triple_angle(alpha), beta_next = triple_angle(alpha_next);
  recur(alpha, alpha_next, sigma1, count, a);
  recur(mul_rho(alpha), mul_rho(alpha_next), sigma1, count, a_rho);
  recur(beta, beta_next, sigma3, count, b);
  recur(mul_rho3(beta), mul_rho3(beta_next), sigma3, count, b_rho3);
}

namespace {

complex_value plain_step(int32_t m) { return value_of(library_factor(plain_angle_unit(m), 1)); }
complex_value shifted_step(int32_t m) { return value_of(library_factor(shifted_angle_unit(m), 1)); }

constexpr int tabled_sizes = 18;  // log2 m = 0 .. 17; stages exist from m = 64

constexpr size_t table_doubles() {
  size_t total = 0;
  for (int32_t m = 64; m <= largest_tabled_stage; m *= 2) total += 6 * static_cast<size_t>(m / 8);
  return total;
}

// Every factor of every tabled size, points 0 .. Q/2 - 1 of each array. The doubles are static storage,
// not allocated, so that a process short of memory fails where it allocates its own buffers, which
// reports it, and never here.
double table_storage[table_doubles()];

struct factor_tables {
  plain_stage_factors plain[tabled_sizes] = {};
  shifted_stage_factors shifted[tabled_sizes] = {};

  factor_tables() {
    static_assert(largest_tabled_stage == 1 << (tabled_sizes - 1), "one entry per tabled size");
    double* next = table_storage;
    auto take = [&next](int32_t points) {
      double* array = next;
      array[0] = 1.0;  // point 0, never read
      next += 2 * points;
      return array;
    };
    for (int32_t m = 64, log = 6; m <= largest_tabled_stage; m *= 2, ++log) {
      const int32_t half_q = m / 16;
      double *f = take(half_q), *g = take(half_q);
      double *a = take(half_q), *a_rho = take(half_q), *b = take(half_q), *b_rho3 = take(half_q);
      const complex_value p_step = plain_step(m), s_step = shifted_step(m);
      for (int32_t p0 = 0; p0 < half_q - 1; p0 += factor_run) {
        const int32_t count = half_q - 1 - p0 < factor_run ? half_q - 1 - p0 : factor_run;
        const int32_t at = 2 * (p0 + 1);
        plain_factor_run(m, p_step, p0, count, f + at, g + at);
        shifted_factor_run(m, s_step, p0, count, a + at, a_rho + at, b + at, b_rho3 + at);
      }
      plain[log] = {f, g, p_step};
      shifted[log] = {a, a_rho, b, b_rho3, s_step};
    }
  }
};

const factor_tables& tables() {
  static const factor_tables built;  // built on first use, thread-safe
  return built;
}

}  // namespace

plain_stage_factors plain_factors(int32_t m) {
  if (m <= largest_tabled_stage) return tables().plain[__builtin_ctz(m)];
  return {nullptr, nullptr, plain_step(m)};
}

shifted_stage_factors shifted_factors(int32_t m) {
  if (m <= largest_tabled_stage) return tables().shifted[__builtin_ctz(m)];
  return {nullptr, nullptr, nullptr, nullptr, shifted_step(m)};
}
