// The loops of the radix-4 stages, one body for every vector width. Included by the files that compile
// them for one instruction set each (stages_sse2.cpp, stages_avx2.cpp, stages_avx512.cpp), with V the
// vector of that width (complex_vector.h).
//
// One stage makes the butterfly at p for every p of the first quarter, 0 <= p < Q = m/8: p = 0 and
// p = Q/2 with constant factors, every other p with the factors of stage_factors.h, which serve the
// points p and Q - p (the mirror takes them with the parts exchanged). A vector of V::points points takes
// the butterflies of that many consecutive points at once (and of their mirrors, which are consecutive
// too, in the opposite order); each butterfly reads and writes only its own four points, and the factors
// are the same doubles on every path, so the grouping changes no double.
#pragma once
#include "core/fft/complex_vector.h"
#include "core/fft/factor_body.h"
#include "core/fft/stage_factors.h"

namespace {

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
inline void butterfly_plain(double* a, int32_t q, int32_t p, const spread_vector<V>& w,
                            const spread_vector<V>& w3) {
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

// The split of a block of n doubles into halves, z_j, z_{j+N/2} := z_j + z_{j+N/2}, z_j - z_{j+N/2},
// reading the input as Input says (the upper half being the second half), V::points points at a time.
template <class V, input_kind Input>
void split_pass(int32_t n, double* a) {
  const int32_t half = n / 4;  // points
  for (int32_t p = 0; p < half; p += lane_info<V>::points) {
    const V x = Input == input_conjugated ? conj(load_points<V>(a, p)) : load_points<V>(a, p);
    V y = V{};  // +0.0, the padding of a zero upper half
    if (Input != input_upper_half_zero)
      y = Input == input_conjugated ? conj(load_points<V>(a, half + p)) : load_points<V>(a, half + p);
    store_points(a, p, add(x, y));
    store_points(a, half + p, sub(x, y));
  }
}

// The vector type of half the points of V (V itself for one point): the points left over at the end of
// a range.
template <class V>
struct narrower {
  typedef V type;
};
#if defined(__AVX2__)
template <>
struct narrower<two_points> {
  typedef complex_vector type;
};
#endif
#if defined(__AVX512F__)
template <>
struct narrower<four_points> {
  typedef two_points type;
};
#endif

// Factors of consecutive points as they are stored, interleaved (re, im), spread for mul: the factors
// themselves, or, for the mirrored points (which run the other way), reversed and with the parts
// exchanged, (y, x), or exchanged and negated, (-y, -x). Moves and sign flips only.
template <class V>
inline spread_vector<V> spread_points(V f) {
  return {lane_info<V>::dup_re(f), lane_info<V>::dup_im(f)};
}
template <class V>
inline spread_vector<V> spread_mirrored(V f) {
  const V r = lane_info<V>::reverse_points(f);
  return {lane_info<V>::dup_im(r), lane_info<V>::dup_re(r)};
}
template <class V>
inline spread_vector<V> spread_mirrored_neg(V f) {
  const spread_vector<V> s = spread_mirrored(f);
  return {-s.re, -s.im};
}

// The butterflies of the points first .. first + count - 1 and of their mirrors Q - first - count + 1 ..
// Q - first, with the factors F at f[0..2 count) and G at g[0..2 count); V::points points at a time, the
// rest in narrower vectors.
template <class V, input_kind Input>
void plain_butterflies(double* a, int32_t q, int32_t first, int32_t count, const double* f, const double* g) {
  constexpr int32_t points = lane_info<V>::points;
  int32_t k = 0;
  for (; k + points <= count; k += points) {
    const V fv = load_points<V>(f, k), gv = load_points<V>(g, k);
    butterfly_plain<V, Input>(a, q, first + k, spread_points(fv), spread_points(gv));
    butterfly_plain<V, Input>(a, q, q - first - k - points + 1, spread_mirrored(fv), spread_mirrored_neg(gv));
  }
  if constexpr (points > 1)
    if (k < count)
      plain_butterflies<typename narrower<V>::type, Input>(a, q, first + k, count - k, f + 2 * k, g + 2 * k);
}

template <class V, input_kind Input>
void plain_stage(int32_t m, double* a, const plain_stage_factors& factors) {
  const int32_t q = m / 8;
  butterfly_plain_unit<Input>(a, q);
  if (factors.f) {
    plain_butterflies<V, Input>(a, q, 1, q / 2 - 1, factors.f + 2, factors.g + 2);
  } else {
    double f[2 * factor_batch], g[2 * factor_batch];
    for (int32_t p0 = 0; p0 < q / 2 - 1; p0 += factor_batch) {
      const int32_t count = q / 2 - 1 - p0 < factor_batch ? q / 2 - 1 - p0 : factor_batch;
      plain_factor_batch<V>(m, factors.step, p0, count, f, g);
      plain_butterflies<V, Input>(a, q, p0 + 1, count, f, g);
    }
  }
  butterfly_plain_middle<Input>(a, q);
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

// The butterflies of the points first .. first + count - 1 and of their mirrors, as plain_butterflies.
// The factor at Q - p from the one at p: alpha_{Q-p} = rho conj(alpha_p), hence
// A = swap(A'_p), A' = swap(A_p), B = -swap(B'_p), B' = -swap(B_p).
template <class V>
void shifted_butterflies(double* a, int32_t q, int32_t first, int32_t count, const shifted_stage_factors& t) {
  constexpr int32_t points = lane_info<V>::points;
  int32_t k = 0;
  for (; k + points <= count; k += points) {
    const V av = load_points<V>(t.a, k), arv = load_points<V>(t.a_rho, k);
    const V bv = load_points<V>(t.b, k), brv = load_points<V>(t.b_rho3, k);
    butterfly_shifted<V>(a, q, first + k,
                         {spread_points(av), spread_points(arv), spread_points(bv), spread_points(brv)});
    butterfly_shifted<V>(
        a, q, q - first - k - points + 1,
        {spread_mirrored(arv), spread_mirrored(av), spread_mirrored_neg(brv), spread_mirrored_neg(bv)});
  }
  if constexpr (points > 1)
    if (k < count) {
      const int32_t d = 2 * k;
      shifted_butterflies<typename narrower<V>::type>(a, q, first + k, count - k,
                                                      {t.a + d, t.a_rho + d, t.b + d, t.b_rho3 + d, t.step});
    }
}

template <class V>
void shifted_stage(int32_t m, double* a, const shifted_stage_factors& factors) {
  const int32_t q = m / 8;
  butterfly_shifted_unit(a, q);
  if (factors.a) {
    shifted_butterflies<V>(
        a, q, 1, q / 2 - 1,
        {factors.a + 2, factors.a_rho + 2, factors.b + 2, factors.b_rho3 + 2, factors.step});
  } else {
    double f[4][2 * factor_batch];
    for (int32_t p0 = 0; p0 < q / 2 - 1; p0 += factor_batch) {
      const int32_t count = q / 2 - 1 - p0 < factor_batch ? q / 2 - 1 - p0 : factor_batch;
      shifted_factor_batch<V>(m, factors.step, p0, count, f[0], f[1], f[2], f[3]);
      shifted_butterflies<V>(a, q, p0 + 1, count, {f[0], f[1], f[2], f[3], factors.step});
    }
  }
  // Q/2 has psi = pi/8.
  const shifted_factor<complex_vector> middle = {
      spread(complex_vector{cos_pi_8, sin_pi_8}), spread(complex_vector{sin_pi_8, cos_pi_8}),
      spread(complex_vector{sin_pi_8, cos_pi_8}), spread(complex_vector{-cos_pi_8, -sin_pi_8})};
  butterfly_shifted<complex_vector>(a, q, q / 2, middle);
}

}  // namespace
