#include "core/fft/stages.h"

#include <cmath>

#include "core/fft/complex_vector.h"

// One stage makes the butterfly at p for every p of the first quarter, 0 <= p < Q = m/8, in this order:
//   p = 0;
//   twiddle runs over 1 .. Q/2 - 2, each run of at most 64 points starting at P0 (a multiple of 64) with
//   factors computed by the library at P0 and P0 + 1 and by the recurrence after that; a step at p makes
//   the butterflies at p, p + 1 and at the mirrors Q - p, Q - p - 1, whose factors are the same doubles
//   with components exchanged (angle pi/2 - phi);
//   the middle group Q/2 - 1, Q/2, Q/2 + 1, the factor at Q/2 being a constant.
// So between an exactly computed factor and any factor of its run lie at most 64 recurrence steps.

namespace {

constexpr int32_t twiddle_run = 64;  // points per run of the recurrence

// x[k] := z_{p + kQ}, read as its conjugate when Conj (the first stage of the backward transform).
template <bool Conj>
inline void read_quartet(const double* a, int32_t q, int32_t p, complex_vector x[4]) {
  for (int32_t k = 0; k < 4; ++k) x[k] = Conj ? conj(load_vector(a, p + k * q)) : load_vector(a, p + k * q);
}

// Plain butterfly of the points p, p + Q, p + 2Q, p + 3Q with w = e^{i phi_p}, w3 = w^3:
//   q0 = (x0 + x2) + (x1 + x3)         q1 = (x0 + x2) - (x1 + x3)
//   q2 = w ((x0 - x2) + i (x1 - x3))   q3 = w3 ((x0 - x2) - i (x1 - x3))
// The outputs are stored as computed, also when the inputs were read conjugated.

template <bool Conj>
inline void butterfly_plain(double* a, int32_t q, int32_t p, const spread_factor& w,
                            const spread_factor& w3) {
  complex_vector x[4];
  read_quartet<Conj>(a, q, p, x);
  const complex_vector s02 = add(x[0], x[2]), s13 = add(x[1], x[3]);
  const complex_vector d02 = sub(x[0], x[2]), d13 = sub(x[1], x[3]);
  store_vector(a, p, add(s02, s13));
  store_vector(a, p + q, sub(s02, s13));
  store_vector(a, p + 2 * q, mul(w, add_i(d02, d13)));
  store_vector(a, p + 3 * q, mul(w3, sub_i(d02, d13)));
}

// p = 0: w = w3 = 1, no multiplication.
template <bool Conj>
inline void butterfly_plain_unit(double* a, int32_t q) {
  complex_vector x[4];
  read_quartet<Conj>(a, q, 0, x);
  const complex_vector s02 = add(x[0], x[2]), s13 = add(x[1], x[3]);
  const complex_vector d02 = sub(x[0], x[2]), d13 = sub(x[1], x[3]);
  store_vector(a, 0, add(s02, s13));
  store_vector(a, q, sub(s02, s13));
  store_vector(a, 2 * q, add_i(d02, d13));
  store_vector(a, 3 * q, sub_i(d02, d13));
}

// p = Q/2: w = rho = e^{i pi/4}, w3 = rho^3, products by cos(pi/4) only.
template <bool Conj>
inline void butterfly_plain_middle(double* a, int32_t q) {
  const int32_t p = q / 2;
  complex_vector x[4];
  read_quartet<Conj>(a, q, p, x);
  const complex_vector s02 = add(x[0], x[2]), s13 = add(x[1], x[3]);
  const complex_vector d02 = sub(x[0], x[2]), d13 = sub(x[1], x[3]);
  store_vector(a, p, add(s02, s13));
  store_vector(a, p + q, sub(s02, s13));
  store_vector(a, p + 2 * q, mul_rho(add_i(d02, d13)));
  store_vector(a, p + 3 * q, mul_rho3(sub_i(d02, d13)));
}

// Factors F = e^{i phi}, G = F^3 at two successive points, (F_{p-1}, F_p) and (G_{p-1}, G_p), spread.
struct plain_factors {
  spread_factor f_lo, f_hi, g_lo, g_hi;
};

// The factors at P0 and P0 + 1, from the library at P0; F_1 = (cb, sb).
inline plain_factors seed_plain(double ew, int32_t p0, complex_vector f1) {
  const double angle = ew * static_cast<double>(2 * p0);
  const complex_vector f = {std::cos(angle), std::sin(angle)};
  const complex_vector f_next = mul(f1, f);
  return {spread(f), spread(f_next), spread(triple_angle(f)), spread(triple_angle(f_next))};
}

template <bool Conj>
void plain_stage(int32_t m, double* a, complex_value step) {
  const int32_t q = m / 8;
  const double ew = half_pi / static_cast<double>(m / 4);  // phi_p = ew * 2p = 2 pi p / L
  const complex_vector f1 = {step.re, step.im};
  const complex_vector g1 = triple_angle(f1);
  const double sigma1 = 2.0 * im(f1), sigma3 = 2.0 * im(g1);

  butterfly_plain_unit<Conj>(a, q);
  const spread_factor one = spread(complex_vector{1.0, 0.0});
  plain_factors t = {one, spread(f1), one, spread(g1)};
  const complex_vector s1 = both(sigma1), s3 = both(sigma3);
  const int32_t last = q / 2 - 2;
  for (int32_t p0 = 0;;) {
    const int32_t end = p0 + twiddle_run < last ? p0 + twiddle_run : last;
    for (int32_t p = p0 + 1; p < end; p += 2) {
      t.f_lo = next_factor(t.f_lo, s1, t.f_hi);  // F_{p+1}
      t.g_lo = next_factor(t.g_lo, s3, t.g_hi);
      butterfly_plain<Conj>(a, q, p, t.f_hi, t.g_hi);
      butterfly_plain<Conj>(a, q, p + 1, t.f_lo, t.g_lo);
      butterfly_plain<Conj>(a, q, q - p, swap_parts(t.f_hi), swap_parts_neg(t.g_hi));
      butterfly_plain<Conj>(a, q, q - p - 1, swap_parts(t.f_lo), swap_parts_neg(t.g_lo));
      t.f_hi = next_factor(t.f_hi, s1, t.f_lo);  // F_{p+2}
      t.g_hi = next_factor(t.g_hi, s3, t.g_lo);
    }
    if (end == last) break;
    p0 = end;
    t = seed_plain(ew, p0, f1);
  }
  // t.f_hi, t.g_hi are now the factors of Q/2 - 1.
  butterfly_plain<Conj>(a, q, q / 2 - 1, t.f_hi, t.g_hi);
  butterfly_plain_middle<Conj>(a, q);
  butterfly_plain<Conj>(a, q, q / 2 + 1, swap_parts(t.f_hi), swap_parts_neg(t.g_hi));
}

// Shifted butterfly with u = x0 + i x2, v = x1 + i x3, u' = x0 - i x2, v' = x1 - i x3 and the factors
// A = alpha, A' = rho alpha, B = alpha^3, B' = rho^3 alpha^3 (alpha = e^{i psi_p}):
//   q0 = A u + A' v     q1 = A u - A' v     q2 = B u' + B' v'     q3 = B u' - B' v'
struct shifted_factor {
  spread_factor a, a_rho, b, b_rho3;
};

inline void butterfly_shifted(double* a, int32_t q, int32_t p, const shifted_factor& f) {
  complex_vector x[4];
  read_quartet<false>(a, q, p, x);
  const complex_vector u = add_i(x[0], x[2]), v = add_i(x[1], x[3]);
  const complex_vector u_c = sub_i(x[0], x[2]), v_c = sub_i(x[1], x[3]);
  const complex_vector au = mul(f.a, u), av = mul(f.a_rho, v);
  const complex_vector bu = mul(f.b, u_c), bv = mul(f.b_rho3, v_c);
  store_vector(a, p, add(au, av));
  store_vector(a, p + q, sub(au, av));
  store_vector(a, p + 2 * q, add(bu, bv));
  store_vector(a, p + 3 * q, sub(bu, bv));
}

// p = 0: alpha = 1, so A u = u, A' v = rho v, B u' = u', B' v' = rho^3 v'.
inline void butterfly_shifted_unit(double* a, int32_t q) {
  complex_vector x[4];
  read_quartet<false>(a, q, 0, x);
  const complex_vector u = add_i(x[0], x[2]), v = add_i(x[1], x[3]);
  const complex_vector u_c = sub_i(x[0], x[2]), v_c = sub_i(x[1], x[3]);
  const complex_vector av = mul_rho(v), bv = mul_rho3(v_c);
  store_vector(a, 0, add(u, av));
  store_vector(a, q, sub(u, av));
  store_vector(a, 2 * q, add(u_c, bv));
  store_vector(a, 3 * q, sub(u_c, bv));
}

// The factor at Q - p from the one at p: alpha_{Q-p} = rho conj(alpha_p), hence
// A = swap(A'_p), A' = swap(A_p), B = -swap(B'_p), B' = -swap(B_p).
inline shifted_factor mirror(const shifted_factor& f) {
  return {swap_parts(f.a_rho), swap_parts(f.a), swap_parts_neg(f.b_rho3), swap_parts_neg(f.b)};
}

// The four factors from alpha and beta = alpha^3: rho alpha = ((x - y) r, (x + y) r) for alpha = (x, y),
// rho^3 beta = (-(x + y) r, (x - y) r) for beta = (x, y).
inline shifted_factor shifted_from(complex_vector alpha, complex_vector beta) {
  return {spread(alpha), spread(mul_rho(alpha)), spread(beta), spread(mul_rho3(beta))};
}

inline shifted_factor next_shifted(const shifted_factor& before, complex_vector sigma1, complex_vector sigma3,
                                   const shifted_factor& f) {
  return {next_factor(before.a, sigma1, f.a), next_factor(before.a_rho, sigma1, f.a_rho),
          next_factor(before.b, sigma3, f.b), next_factor(before.b_rho3, sigma3, f.b_rho3)};
}

}  // namespace

complex_value plain_step(int32_t m) {
  const double ew = half_pi / static_cast<double>(m / 4);
  return {std::cos(2.0 * ew), std::sin(2.0 * ew)};
}

complex_value shifted_step(int32_t m) {
  const double ew = half_pi / static_cast<double>(m / 2);
  return {std::cos(2.0 * ew), std::sin(2.0 * ew)};
}

void stage_plain(int32_t m, double* a) { plain_stage<false>(m, a, plain_step(m)); }

void stage_plain(int32_t m, double* a, complex_value step) { plain_stage<false>(m, a, step); }

void stage_plain_conj(int32_t m, double* a) { plain_stage<true>(m, a, plain_step(m)); }

void stage_shifted(int32_t m, double* a) { stage_shifted(m, a, shifted_step(m)); }

void stage_shifted(int32_t m, double* a, complex_value step) {
  const int32_t q = m / 8;
  const double ew = half_pi / static_cast<double>(m / 2);  // psi_p = ew * 2p = pi p / L
  const complex_vector a1 = {step.re, step.im};
  const complex_vector b1 = triple_angle(a1);
  const double sigma1 = 2.0 * im(a1), sigma3 = 2.0 * im(b1);

  butterfly_shifted_unit(a, q);
  shifted_factor lo = shifted_from(complex_vector{1.0, 0.0}, complex_vector{1.0, 0.0});
  shifted_factor hi = shifted_from(a1, b1);
  const complex_vector s1 = both(sigma1), s3 = both(sigma3);
  const int32_t last = q / 2 - 2;
  for (int32_t p0 = 0;;) {
    const int32_t end = p0 + twiddle_run < last ? p0 + twiddle_run : last;
    for (int32_t p = p0 + 1; p < end; p += 2) {
      lo = next_shifted(lo, s1, s3, hi);  // factors of p + 1
      butterfly_shifted(a, q, p, hi);
      butterfly_shifted(a, q, p + 1, lo);
      butterfly_shifted(a, q, q - p, mirror(hi));
      butterfly_shifted(a, q, q - p - 1, mirror(lo));
      hi = next_shifted(hi, s1, s3, lo);  // factors of p + 2
    }
    if (end == last) break;
    p0 = end;
    const double angle = ew * static_cast<double>(2 * p0);
    const complex_vector alpha = {std::cos(angle), std::sin(angle)};
    const complex_vector alpha_next = mul(a1, alpha);
    lo = shifted_from(alpha, triple_angle(alpha));
    hi = shifted_from(alpha_next, triple_angle(alpha_next));
  }
  // hi now holds the factors of Q/2 - 1; Q/2 has psi = pi/8.
  const shifted_factor middle = {
      spread(complex_vector{cos_pi_8, sin_pi_8}), spread(complex_vector{sin_pi_8, cos_pi_8}),
      spread(complex_vector{sin_pi_8, cos_pi_8}), spread(complex_vector{-cos_pi_8, -sin_pi_8})};
  butterfly_shifted(a, q, q / 2 - 1, hi);
  butterfly_shifted(a, q, q / 2, middle);
  butterfly_shifted(a, q, q / 2 + 1, mirror(hi));
}
