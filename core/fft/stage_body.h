// The loops of the radix-4 stages, one body for every vector width. Included by the files that compile
// them for one instruction set each (stages_sse2.cpp, stages_avx2.cpp, stages_avx512.cpp), with V the
// vector of that width (complex_vector.h).
//
// One stage makes the butterfly at p for every p of the first quarter, 0 <= p < Q = m/8, and its
// factors come in this order:
//   p = 0;
//   twiddle runs over 1 .. Q/2 - 2, each run of at most 64 points starting at P0 (a multiple of 64) with
//   factors computed by the library at P0 and P0 + 1 and by the recurrence after that; a recurrence step
//   at p gives the factors of p and p + 1 and, with components exchanged (angle pi/2 - phi), those of
//   the mirrors Q - p and Q - p - 1;
//   the middle group Q/2 - 1, Q/2, Q/2 + 1, the factor at Q/2 being a constant.
// So between an exactly computed factor and any factor of its run lie at most 64 recurrence steps.
//
// The factors are computed one point at a time in 16-byte vectors on every path, so they are the same
// doubles everywhere. A vector of V::points points then takes the butterflies of that many consecutive
// points at once (and of their mirrors, which are consecutive too, in the opposite order); each
// butterfly reads and writes only its own four points, so the grouping changes no double.
#pragma once
#include <cmath>

#include "core/fft/complex_vector.h"

namespace {

constexpr int32_t twiddle_run = 64;  // points per run of the recurrence

// How a plain stage reads its input: as it is; conjugated (the first stage of the backward
// transform); or with the upper half, quarters 2 and 3, known to be zero and not read (the first
// stage of the forward transform of a zero-padded factor). The butterflies then add and subtract the
// same +0.0 that the padding would hold, so the doubles are those of the padded input.
enum input_kind { input_as_is, input_conjugated, input_upper_half_zero };

// Butterflies of `points` consecutive points p.. of each quarter with vectors V; x[k] := z_{p + kQ}..
template <class V, input_kind Input>
inline void read_quartet(const double* a, int32_t q, int32_t p, V x[4]) {
  for (int32_t k = 0; k < 4; ++k) {
    if (Input == input_upper_half_zero && k >= 2) {
      x[k] = V{};  // +0.0 in every lane
      continue;
    }
    const V z = load_points<V>(a, p + k * q);
    x[k] = Input == input_conjugated ? conj(z) : z;
  }
}

// Plain butterfly of the points p, p + Q, p + 2Q, p + 3Q with w = e^{i phi_p}, w3 = w^3:
//   q0 = (x0 + x2) + (x1 + x3)         q1 = (x0 + x2) - (x1 + x3)
//   q2 = w ((x0 - x2) + i (x1 - x3))   q3 = w3 ((x0 - x2) - i (x1 - x3))
// The outputs are stored as computed, also when the inputs were read conjugated.
template <class V, input_kind Input>
inline void butterfly_plain(double* a, int32_t q, int32_t p, const spread_vector<V>& w, const spread_vector<V>& w3) {
  V x[4];
  read_quartet<V, Input>(a, q, p, x);
  const V s02 = add(x[0], x[2]), s13 = add(x[1], x[3]);
  const V d02 = sub(x[0], x[2]), d13 = sub(x[1], x[3]);
  store_points(a, p, add(s02, s13));
  store_points(a, p + q, sub(s02, s13));
  store_points(a, p + 2 * q, mul(w, add_i(d02, d13)));
  store_points(a, p + 3 * q, mul(w3, sub_i(d02, d13)));
}

// p = 0: w = w3 = 1, no multiplication.
template <input_kind Input>
inline void butterfly_plain_unit(double* a, int32_t q) {
  complex_vector x[4];
  read_quartet<complex_vector, Input>(a, q, 0, x);
  const complex_vector s02 = add(x[0], x[2]), s13 = add(x[1], x[3]);
  const complex_vector d02 = sub(x[0], x[2]), d13 = sub(x[1], x[3]);
  store_vector(a, 0, add(s02, s13));
  store_vector(a, q, sub(s02, s13));
  store_vector(a, 2 * q, add_i(d02, d13));
  store_vector(a, 3 * q, sub_i(d02, d13));
}

// p = Q/2: w = rho = e^{i pi/4}, w3 = rho^3, products by cos(pi/4) only.
template <input_kind Input>
inline void butterfly_plain_middle(double* a, int32_t q) {
  const int32_t p = q / 2;
  complex_vector x[4];
  read_quartet<complex_vector, Input>(a, q, p, x);
  const complex_vector s02 = add(x[0], x[2]), s13 = add(x[1], x[3]);
  const complex_vector d02 = sub(x[0], x[2]), d13 = sub(x[1], x[3]);
  store_vector(a, p, add(s02, s13));
  store_vector(a, p + q, sub(s02, s13));
  store_vector(a, p + 2 * q, mul_rho(add_i(d02, d13)));
  store_vector(a, p + 3 * q, mul_rho3(sub_i(d02, d13)));
}

// The spread factors of `count` consecutive points side by side in one vector of that many points,
// f[0] in the first point; reversed: f[count - 1] first, for the mirrored points.
template <class V>
struct gather;

template <>
struct gather<complex_vector> {
  static spread_factor forward(const spread_factor* f) { return f[0]; }
  static spread_factor reversed(const spread_factor* f) { return f[0]; }
};

#if defined(__AVX2__)
template <>
struct gather<two_points> {
  typedef lane_info<two_points> info;
  static spread_vector<two_points> forward(const spread_factor* f) {
    return {info::join(f[0].re, f[1].re), info::join(f[0].im, f[1].im)};
  }
  static spread_vector<two_points> reversed(const spread_factor* f) {
    return {info::join(f[1].re, f[0].re), info::join(f[1].im, f[0].im)};
  }
};
#endif

#if defined(__AVX512F__)
template <>
struct gather<four_points> {
  typedef lane_info<four_points> info;
  static spread_vector<four_points> forward(const spread_factor* f) {
    const spread_vector<two_points> lo = gather<two_points>::forward(f), hi = gather<two_points>::forward(f + 2);
    return {info::join(lo.re, hi.re), info::join(lo.im, hi.im)};
  }
  static spread_vector<four_points> reversed(const spread_factor* f) {
    const spread_vector<two_points> lo = gather<two_points>::reversed(f + 2), hi = gather<two_points>::reversed(f);
    return {info::join(lo.re, hi.re), info::join(lo.im, hi.im)};
  }
};
#endif

// The vector type of half the points of V (V itself for one point): the last recurrence step of a run
// when the run has an odd number of steps and V takes two steps at a time.
template <class V>
struct narrower {
  typedef V type;
};
#if defined(__AVX512F__)
template <>
struct narrower<four_points> {
  typedef two_points type;
};
#endif

// Steps of the recurrence taken by one group of butterflies: two points per step, V::points per vector.
template <class V>
constexpr int32_t steps_per_group() {
  return lane_info<V>::points >= 2 ? lane_info<V>::points / 2 : 1;
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

// The recurrence steps at p, p + 2, ... of one group and the butterflies of their points p .. p + 2s - 1
// and mirrors Q - p - 2s + 1 .. Q - p, in vectors V.
template <class V, input_kind Input>
inline void plain_group(double* a, int32_t q, int32_t p, plain_factors& t, complex_vector s1, complex_vector s3) {
  constexpr int32_t steps = steps_per_group<V>(), points = lane_info<V>::points;
  spread_factor f[2 * steps], g[2 * steps], f_mirror[2 * steps], g_mirror[2 * steps];
  for (int32_t s = 0; s < steps; ++s) {
    t.f_lo = next_factor(t.f_lo, s1, t.f_hi);  // F_{p+1}
    t.g_lo = next_factor(t.g_lo, s3, t.g_hi);
    f[2 * s] = t.f_hi;
    f[2 * s + 1] = t.f_lo;
    g[2 * s] = t.g_hi;
    g[2 * s + 1] = t.g_lo;
    t.f_hi = next_factor(t.f_hi, s1, t.f_lo);  // F_{p+2}
    t.g_hi = next_factor(t.g_hi, s3, t.g_lo);
  }
  for (int32_t k = 0; k < 2 * steps; ++k) {
    f_mirror[k] = swap_parts(f[k]);
    g_mirror[k] = swap_parts_neg(g[k]);
  }
  for (int32_t k = 0; k < 2 * steps; k += points) {
    butterfly_plain<V, Input>(a, q, p + k, gather<V>::forward(f + k), gather<V>::forward(g + k));
    butterfly_plain<V, Input>(a, q, q - p - k - points + 1, gather<V>::reversed(f_mirror + k),
                             gather<V>::reversed(g_mirror + k));
  }
}

template <class V, input_kind Input>
void plain_stage(int32_t m, double* a, complex_value step) {
  typedef typename narrower<V>::type H;
  const int32_t q = m / 8;
  const double ew = half_pi / static_cast<double>(m / 4);  // phi_p = ew * 2p = 2 pi p / L
  const complex_vector f1 = {step.re, step.im};
  const complex_vector g1 = triple_angle(f1);
  const double sigma1 = 2.0 * im(f1), sigma3 = 2.0 * im(g1);

  butterfly_plain_unit<Input>(a, q);
  const spread_factor one = spread(complex_vector{1.0, 0.0});
  plain_factors t = {one, spread(f1), one, spread(g1)};
  const complex_vector s1 = both(sigma1), s3 = both(sigma3);
  const int32_t last = q / 2 - 2;
  constexpr int32_t group = 2 * steps_per_group<V>();  // points of one group
  for (int32_t p0 = 0;;) {
    const int32_t end = p0 + twiddle_run < last ? p0 + twiddle_run : last;
    int32_t p = p0 + 1;
    for (; p + group - 2 < end; p += group) plain_group<V, Input>(a, q, p, t, s1, s3);
    for (; p < end; p += 2) plain_group<H, Input>(a, q, p, t, s1, s3);
    if (end == last) break;
    p0 = end;
    t = seed_plain(ew, p0, f1);
  }
  // t.f_hi, t.g_hi are now the factors of Q/2 - 1.
  butterfly_plain<complex_vector, Input>(a, q, q / 2 - 1, t.f_hi, t.g_hi);
  butterfly_plain_middle<Input>(a, q);
  butterfly_plain<complex_vector, Input>(a, q, q / 2 + 1, swap_parts(t.f_hi), swap_parts_neg(t.g_hi));
}

// Shifted butterfly with u = x0 + i x2, v = x1 + i x3, u' = x0 - i x2, v' = x1 - i x3 and the factors
// A = alpha, A' = rho alpha, B = alpha^3, B' = rho^3 alpha^3 (alpha = e^{i psi_p}):
//   q0 = A u + A' v     q1 = A u - A' v     q2 = B u' + B' v'     q3 = B u' - B' v'
template <class V>
struct shifted_factor {
  spread_vector<V> a, a_rho, b, b_rho3;
};

template <class V>
inline void butterfly_shifted(double* a, int32_t q, int32_t p, const shifted_factor<V>& f) {
  V x[4];
  read_quartet<V, input_as_is>(a, q, p, x);
  const V u = add_i(x[0], x[2]), v = add_i(x[1], x[3]);
  const V u_c = sub_i(x[0], x[2]), v_c = sub_i(x[1], x[3]);
  const V au = mul(f.a, u), av = mul(f.a_rho, v);
  const V bu = mul(f.b, u_c), bv = mul(f.b_rho3, v_c);
  store_points(a, p, add(au, av));
  store_points(a, p + q, sub(au, av));
  store_points(a, p + 2 * q, add(bu, bv));
  store_points(a, p + 3 * q, sub(bu, bv));
}

// p = 0: alpha = 1, so A u = u, A' v = rho v, B u' = u', B' v' = rho^3 v'.
inline void butterfly_shifted_unit(double* a, int32_t q) {
  complex_vector x[4];
  read_quartet<complex_vector, input_as_is>(a, q, 0, x);
  const complex_vector u = add_i(x[0], x[2]), v = add_i(x[1], x[3]);
  const complex_vector u_c = sub_i(x[0], x[2]), v_c = sub_i(x[1], x[3]);
  const complex_vector av = mul_rho(v), bv = mul_rho3(v_c);
  store_vector(a, 0, add(u, av));
  store_vector(a, q, sub(u, av));
  store_vector(a, 2 * q, add(u_c, bv));
  store_vector(a, 3 * q, sub(u_c, bv));
}

typedef shifted_factor<complex_vector> shifted_point_factor;

// The factor at Q - p from the one at p: alpha_{Q-p} = rho conj(alpha_p), hence
// A = swap(A'_p), A' = swap(A_p), B = -swap(B'_p), B' = -swap(B_p).
inline shifted_point_factor mirror(const shifted_point_factor& f) {
  return {swap_parts(f.a_rho), swap_parts(f.a), swap_parts_neg(f.b_rho3), swap_parts_neg(f.b)};
}

// The four factors from alpha and beta = alpha^3: rho alpha = ((x - y) r, (x + y) r) for alpha = (x, y),
// rho^3 beta = (-(x + y) r, (x - y) r) for beta = (x, y).
inline shifted_point_factor shifted_from(complex_vector alpha, complex_vector beta) {
  return {spread(alpha), spread(mul_rho(alpha)), spread(beta), spread(mul_rho3(beta))};
}

inline shifted_point_factor next_shifted(const shifted_point_factor& before, complex_vector sigma1,
                                         complex_vector sigma3, const shifted_point_factor& f) {
  return {next_factor(before.a, sigma1, f.a), next_factor(before.a_rho, sigma1, f.a_rho),
          next_factor(before.b, sigma3, f.b), next_factor(before.b_rho3, sigma3, f.b_rho3)};
}

template <class V>
inline shifted_factor<V> gather_shifted(const shifted_point_factor* f, bool reversed) {
  spread_factor a[lane_info<V>::points], a_rho[lane_info<V>::points], b[lane_info<V>::points],
      b_rho3[lane_info<V>::points];
  for (int32_t k = 0; k < lane_info<V>::points; ++k) {
    a[k] = f[k].a;
    a_rho[k] = f[k].a_rho;
    b[k] = f[k].b;
    b_rho3[k] = f[k].b_rho3;
  }
  if (reversed)
    return {gather<V>::reversed(a), gather<V>::reversed(a_rho), gather<V>::reversed(b), gather<V>::reversed(b_rho3)};
  return {gather<V>::forward(a), gather<V>::forward(a_rho), gather<V>::forward(b), gather<V>::forward(b_rho3)};
}

// As plain_group, with the four factor sequences of the shifted stage; lo and hi hold the factors of
// p - 1 and p on entry, of p + 2s - 1 and p + 2s on return.
template <class V>
inline void shifted_group(double* a, int32_t q, int32_t p, shifted_point_factor& lo, shifted_point_factor& hi,
                          complex_vector s1, complex_vector s3) {
  constexpr int32_t steps = steps_per_group<V>(), points = lane_info<V>::points;
  shifted_point_factor f[2 * steps], f_mirror[2 * steps];
  for (int32_t s = 0; s < steps; ++s) {
    lo = next_shifted(lo, s1, s3, hi);  // factors of p + 1
    f[2 * s] = hi;
    f[2 * s + 1] = lo;
    hi = next_shifted(hi, s1, s3, lo);  // factors of p + 2
  }
  for (int32_t k = 0; k < 2 * steps; ++k) f_mirror[k] = mirror(f[k]);
  for (int32_t k = 0; k < 2 * steps; k += points) {
    butterfly_shifted<V>(a, q, p + k, gather_shifted<V>(f + k, false));
    butterfly_shifted<V>(a, q, q - p - k - points + 1, gather_shifted<V>(f_mirror + k, true));
  }
}

template <class V>
void shifted_stage(int32_t m, double* a, complex_value step) {
  typedef typename narrower<V>::type H;
  const int32_t q = m / 8;
  const double ew = half_pi / static_cast<double>(m / 2);  // psi_p = ew * 2p = pi p / L
  const complex_vector a1 = {step.re, step.im};
  const complex_vector b1 = triple_angle(a1);
  const double sigma1 = 2.0 * im(a1), sigma3 = 2.0 * im(b1);

  butterfly_shifted_unit(a, q);
  shifted_point_factor lo = shifted_from(complex_vector{1.0, 0.0}, complex_vector{1.0, 0.0});
  shifted_point_factor hi = shifted_from(a1, b1);
  const complex_vector s1 = both(sigma1), s3 = both(sigma3);
  const int32_t last = q / 2 - 2;
  constexpr int32_t group = 2 * steps_per_group<V>();
  for (int32_t p0 = 0;;) {
    const int32_t end = p0 + twiddle_run < last ? p0 + twiddle_run : last;
    int32_t p = p0 + 1;
    for (; p + group - 2 < end; p += group) shifted_group<V>(a, q, p, lo, hi, s1, s3);
    for (; p < end; p += 2) shifted_group<H>(a, q, p, lo, hi, s1, s3);
    if (end == last) break;
    p0 = end;
    const double angle = ew * static_cast<double>(2 * p0);
    const complex_vector alpha = {std::cos(angle), std::sin(angle)};
    const complex_vector alpha_next = mul(a1, alpha);
    lo = shifted_from(alpha, triple_angle(alpha));
    hi = shifted_from(alpha_next, triple_angle(alpha_next));
  }
  // hi now holds the factors of Q/2 - 1; Q/2 has psi = pi/8.
  const shifted_point_factor middle = {
      spread(complex_vector{cos_pi_8, sin_pi_8}), spread(complex_vector{sin_pi_8, cos_pi_8}),
      spread(complex_vector{sin_pi_8, cos_pi_8}), spread(complex_vector{-cos_pi_8, -sin_pi_8})};
  butterfly_shifted<complex_vector>(a, q, q / 2 - 1, hi);
  butterfly_shifted<complex_vector>(a, q, q / 2, middle);
  butterfly_shifted<complex_vector>(a, q, q / 2 + 1, mirror(hi));
}

}  // namespace
