// The radix-4 split-radix stages, one body for every vector width V (complex_vector.h).
//
// A stage works on one block of `doubles` doubles at a: L = doubles/2 points z_p = a[2p] + i a[2p+1],
// doubles a power of two >= 64, quarters of Q = doubles/8 points. For 0 <= p < Q it reads
// x0 = z_p, x1 = z_{p+Q}, x2 = z_{p+2Q}, x3 = z_{p+3Q} and writes the butterfly's q0..q3
// (butterfly_body.h) back in their places:
//   plain stage:   the plain butterfly with w = e^{+2 pi i p/L}, w3 = w^3;
//   shifted stage: the shifted butterfly with alpha = e^{+i pi p/L}: A = alpha, A' = rho alpha,
//                  B = alpha^3, B' = rho^3 alpha^3.
// A plain block owes X_k = sum_j z_j e^{+2 pi i jk/L}, a shifted one Y_k = sum_j z_j e^{+2 pi i j(k+1/2)/L},
// both in bit-reversed order. After the stage, the quarters of a plain block are plain, shifted, plain,
// plain blocks and those of a shifted block plain, shifted, plain, shifted (quarter_kind): finishing each
// quarter finishes the block (quarter c holds the values of the indices k = 4k' + rev2(c)).
//
// Twiddle factors: stage_factors.h. p = 0 and p = Q/2 take constant factors; every other p takes the
// factors of point p, which serve its mirror Q - p too (with the parts exchanged). A vector of V::points
// points takes the butterflies of that many consecutive points at once (and of their mirrors, which are
// consecutive too, in the opposite order); each butterfly reads and writes only its own four points, so
// the grouping changes no double. In place; nothing outside [a, a + doubles) is touched.
#pragma once
#include <algorithm>

#include "core/fft/butterfly_body.h"
#include "core/fft/complex_vector.h"
#include "core/fft/factor_body.h"

namespace {

enum class block_kind { plain, shifted };

// The kind of quarter c (0..3) of a staged block: plain, shifted, plain, and the parent's own kind.
constexpr block_kind quarter_kind(block_kind parent, int32_t c) {
  return c == 3 ? parent : c == 1 ? block_kind::shifted : block_kind::plain;
}

// How a plain stage (or the split of an array into halves) reads its input: as it is; conjugated (the
// first pass of the backward transform); or with the upper half of the block known to be zero and not
// read (the first pass of the forward transform of a zero-padded factor): the butterflies then add and
// subtract the same +0.0 that the padding would hold, so the doubles are those of the padded input.
enum class input_kind { as_is, conjugated, upper_half_zero };

// Points p.. of the block as the first pass reads them; `upper` says that they lie in its upper half.
template <class V, input_kind Input>
inline V read_points(const double* a, int32_t p, bool upper) {
  if (Input == input_kind::upper_half_zero && upper) return V{};  // +0.0 in every lane
  const V z = load_points<V>(a, p);
  return Input == input_kind::conjugated ? conj(z) : z;
}

// The four points p.. (V::points of each) of the quarters, as the first pass reads them, and the
// butterfly's outputs stored in their places after every input was read.
template <class V, input_kind Input>
inline void read_quartet(const double* a, int32_t quarter, int32_t p, V (&x)[4]) {
  for (int32_t c = 0; c < 4; ++c) x[c] = read_points<V, Input>(a, p + c * quarter, c >= 2);
}
template <class V>
inline void store_quartet(double* a, int32_t quarter, int32_t p, const quartet<V>& q) {
  store_points(a, p, q.q0);
  store_points(a, p + quarter, q.q1);
  store_points(a, p + 2 * quarter, q.q2);
  store_points(a, p + 3 * quarter, q.q3);
}

template <class V, input_kind Input, class Factors>
inline void plain_butterfly_at(double* a, int32_t quarter, int32_t p, const Factors& factors) {
  V x[4];
  read_quartet<V, Input>(a, quarter, p, x);
  store_quartet(a, quarter, p, plain_butterfly(x[0], x[1], x[2], x[3], factors));
}
template <class V, class Factors>
inline void shifted_butterfly_at(double* a, int32_t quarter, int32_t p, const Factors& factors) {
  V x[4];
  read_quartet<V, input_kind::as_is>(a, quarter, p, x);
  store_quartet(a, quarter, p, shifted_butterfly(x[0], x[1], x[2], x[3], factors));
}

// The split of a block of `doubles` doubles into halves, z_j, z_{j+L/2} := z_j + z_{j+L/2}, z_j - z_{j+L/2},
// reading the input as Input says (the upper half being the second half).
template <class V, input_kind Input>
void split_halves(int32_t doubles, double* a) {
  const int32_t half = doubles / 4;  // points
  for (int32_t p = 0; p < half; p += lane_info<V>::points) {
    const V x = read_points<V, Input>(a, p, false), y = read_points<V, Input>(a, half + p, true);
    store_points(a, p, add(x, y));
    store_points(a, half + p, sub(x, y));
  }
}

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
// Q - first, with the factors of point first + k at [2k], [2k + 1] of each factor array.
template <class V, input_kind Input>
PI_BATCH_LOOP void plain_butterflies(double* a, int32_t quarter, int32_t first, int32_t count,
                                     const plain_stage_factors& t) {
  // The arrays' addresses in locals: every store to a may alias memory the compiler cannot rule out,
  // and t lives in memory.
  const double *const fs = t.f, *const gs = t.g;
  by_vectors<V>(0, count, [&](int32_t k, auto width) {
    typedef decltype(width) W;
    const W f = load_points<W>(fs, k), g = load_points<W>(gs, k);
    plain_butterfly_at<W, Input>(a, quarter, first + k,
                                 spread_plain_factors<W>{spread_points(f), spread_points(g)});
    plain_butterfly_at<W, Input>(a, quarter, quarter - first - k - lane_info<W>::points + 1,
                                 spread_plain_factors<W>{spread_mirrored(f), spread_mirrored_neg(g)});
  });
}

// The factor at Q - p from the one at p: alpha_{Q-p} = rho conj(alpha_p), hence
// A = swap(A'_p), A' = swap(A_p), B = -swap(B'_p), B' = -swap(B_p).
template <class V>
PI_BATCH_LOOP void shifted_butterflies(double* a, int32_t quarter, int32_t first, int32_t count,
                                       const shifted_stage_factors& t) {
  const double *const as = t.a, *const a_rhos = t.a_rho, *const bs = t.b, *const b_rho3s = t.b_rho3;
  by_vectors<V>(0, count, [&](int32_t k, auto width) {
    typedef decltype(width) W;
    const W alpha = load_points<W>(as, k), rho_alpha = load_points<W>(a_rhos, k);
    const W alpha3 = load_points<W>(bs, k), rho3_alpha3 = load_points<W>(b_rho3s, k);
    shifted_butterfly_at<W>(a, quarter, first + k,
                            spread_shifted_factors<W>{spread_points(alpha), spread_points(rho_alpha),
                                                      spread_points(alpha3), spread_points(rho3_alpha3)});
    shifted_butterfly_at<W>(
        a, quarter, quarter - first - k - lane_info<W>::points + 1,
        spread_shifted_factors<W>{spread_mirrored(rho_alpha), spread_mirrored(alpha),
                                  spread_mirrored_neg(rho3_alpha3), spread_mirrored_neg(alpha3)});
  });
}

// The butterflies at p = 1 .. Q/2 - 1 with the factors in the arrays of `factors`, or, without arrays,
// computed a batch at a time into local buffers as the stage reaches them. A part of a stage runs the
// factor batches first .. last - 1 of factor_batches(Q/2) (for_each_factor_batch), the butterfly at
// p = 0 with batch 0 and the one at Q/2 with the last batch; the parts of a stage write disjoint points.
template <class V, input_kind Input>
void plain_stage_part(int32_t doubles, double* a, const plain_stage_factors& factors, int32_t first,
                      int32_t last) {
  const int32_t quarter = doubles / 8;
  if (first == 0) plain_butterfly_at<complex_vector, Input>(a, quarter, 0, unit_plain_factors{});
  if (factors.f) {
    const int32_t p0 = first * factor_batch, end = std::min(last * factor_batch, quarter / 2 - 1);
    if (end > p0)
      plain_butterflies<V, Input>(a, quarter, p0 + 1, end - p0,
                                  {factors.f + 2 + 2 * p0, factors.g + 2 + 2 * p0, factors.step});
  } else {
    double f[2 * factor_batch], g[2 * factor_batch];
    for_each_factor_batch(quarter / 2, first, last, [&](int32_t p0, int32_t count) {
      plain_factor_batch<V>(doubles, factors.step, p0, count, {f, g});
      plain_butterflies<V, Input>(a, quarter, p0 + 1, count, {f, g, factors.step});
    });
  }
  if (last == factor_batches(quarter / 2))
    plain_butterfly_at<complex_vector, Input>(a, quarter, quarter / 2, rho_plain_factors{});
}

template <class V>
void shifted_stage_part(int32_t doubles, double* a, const shifted_stage_factors& factors, int32_t first,
                        int32_t last) {
  const int32_t quarter = doubles / 8;
  if (first == 0) shifted_butterfly_at<complex_vector>(a, quarter, 0, unit_shifted_factors{});
  if (factors.a) {
    const int32_t p0 = first * factor_batch, end = std::min(last * factor_batch, quarter / 2 - 1);
    if (end > p0)
      shifted_butterflies<V>(a, quarter, p0 + 1, end - p0,
                             {factors.a + 2 + 2 * p0, factors.a_rho + 2 + 2 * p0, factors.b + 2 + 2 * p0,
                              factors.b_rho3 + 2 + 2 * p0, factors.step});
  } else {
    double f[4][2 * factor_batch];
    for_each_factor_batch(quarter / 2, first, last, [&](int32_t p0, int32_t count) {
      shifted_factor_batch<V>(doubles, factors.step, p0, count, {f[0], f[1], f[2], f[3]});
      shifted_butterflies<V>(a, quarter, p0 + 1, count, {f[0], f[1], f[2], f[3], factors.step});
    });
  }
  if (last != factor_batches(quarter / 2)) return;
  // Q/2 has psi = pi/8.
  typedef complex_vector C;
  shifted_butterfly_at<C>(a, quarter, quarter / 2,
                          spread_shifted_factors<C>{spread_constant<C>(cos_pi_8, sin_pi_8),
                                                    spread_constant<C>(sin_pi_8, cos_pi_8),
                                                    spread_constant<C>(sin_pi_8, cos_pi_8),
                                                    spread_constant<C>(-cos_pi_8, -sin_pi_8)});
}

// The factor batches of a stage of `doubles` doubles (of its parts).
inline int32_t stage_batches(int32_t doubles) { return factor_batches(doubles / 16); }

template <class V, input_kind Input>
void plain_stage(int32_t doubles, double* a, const plain_stage_factors& factors) {
  plain_stage_part<V, Input>(doubles, a, factors, 0, stage_batches(doubles));
}

template <class V>
void shifted_stage(int32_t doubles, double* a, const shifted_stage_factors& factors) {
  shifted_stage_part<V>(doubles, a, factors, 0, stage_batches(doubles));
}

// The split of a block of `doubles` doubles into halves (split_halves) and the stages of both halves,
// plain and shifted, in one pass over the block: the points p + cQ of the first half and their
// partners in the second (Q = doubles/16 points) are split, and the sums go through the plain
// butterfly at p and the differences through the shifted one, with the factors of stages of
// doubles/2 doubles. The doubles are those of the three passes. doubles >= 256.
template <class W, input_kind Input, class PlainFactors, class ShiftedFactors>
inline void split_butterflies_at(double* a, int32_t quarter, int32_t p, const PlainFactors& plain,
                                 const ShiftedFactors& shifted) {
  const int32_t offset = 2 * quarter;  // points from a point of the first half to its partner (= the half)
  W sum[4], difference[4];
  for (int32_t c = 0; c < 4; ++c) {
    const W x = read_points<W, Input>(a, p + c * quarter, false);
    const W y = read_points<W, Input>(a, 2 * offset + p + c * quarter, true);
    sum[c] = add(x, y);
    difference[c] = sub(x, y);
  }
  store_quartet(a, quarter, p, plain_butterfly(sum[0], sum[1], sum[2], sum[3], plain));
  store_quartet(a + 4 * offset, quarter, p,
                shifted_butterfly(difference[0], difference[1], difference[2], difference[3], shifted));
}

// The split butterflies of the points p0 + 1 .. p0 + count and of their mirrors, with the factors of the
// batch in f (F, G) and g (A, A', B, B').
template <class V, input_kind Input>
PI_BATCH_LOOP void split_butterflies(double* a, int32_t quarter, int32_t p0, int32_t count,
                                     const double (&f)[2][2 * factor_batch],
                                     const double (&g)[4][2 * factor_batch]) {
  by_vectors<V>(0, count, [&](int32_t k, auto width) {
    typedef decltype(width) W;
    const W pf = load_points<W>(f[0], k), pg = load_points<W>(f[1], k);
    const W alpha = load_points<W>(g[0], k), rho_alpha = load_points<W>(g[1], k);
    const W alpha3 = load_points<W>(g[2], k), rho3_alpha3 = load_points<W>(g[3], k);
    split_butterflies_at<W, Input>(
        a, quarter, p0 + 1 + k, spread_plain_factors<W>{spread_points(pf), spread_points(pg)},
        spread_shifted_factors<W>{spread_points(alpha), spread_points(rho_alpha), spread_points(alpha3),
                                  spread_points(rho3_alpha3)});
    split_butterflies_at<W, Input>(
        a, quarter, quarter - p0 - 1 - k - lane_info<W>::points + 1,
        spread_plain_factors<W>{spread_mirrored(pf), spread_mirrored_neg(pg)},
        spread_shifted_factors<W>{spread_mirrored(rho_alpha), spread_mirrored(alpha),
                                  spread_mirrored_neg(rho3_alpha3), spread_mirrored_neg(alpha3)});
  });
}

// The split and the halves' stages of the factor batches first .. last - 1 of split_batches(doubles),
// as a part of a stage runs them (plain_stage_part).
inline int32_t split_batches(int32_t doubles) { return factor_batches(doubles / 32); }

template <class V, input_kind Input>
void split_and_stage_halves_part(int32_t doubles, double* a, int32_t first, int32_t last) {
  typedef complex_vector C;
  const int32_t half = doubles / 2, quarter = half / 8;
  const complex_value plain_step = plain_factors(half).step, shifted_step = shifted_factors(half).step;
  if (first == 0) split_butterflies_at<C, Input>(a, quarter, 0, unit_plain_factors{}, unit_shifted_factors{});
  double f[2][2 * factor_batch], g[4][2 * factor_batch];
  for_each_factor_batch(quarter / 2, first, last, [&](int32_t p0, int32_t count) {
    plain_factor_batch<V>(half, plain_step, p0, count, {f[0], f[1]});
    shifted_factor_batch<V>(half, shifted_step, p0, count, {g[0], g[1], g[2], g[3]});
    split_butterflies<V, Input>(a, quarter, p0, count, f, g);
  });
  if (last != split_batches(doubles)) return;
  split_butterflies_at<C, Input>(a, quarter, quarter / 2, rho_plain_factors{},
                                 spread_shifted_factors<C>{spread_constant<C>(cos_pi_8, sin_pi_8),
                                                           spread_constant<C>(sin_pi_8, cos_pi_8),
                                                           spread_constant<C>(sin_pi_8, cos_pi_8),
                                                           spread_constant<C>(-cos_pi_8, -sin_pi_8)});
}

template <class V, input_kind Input>
void split_and_stage_halves(int32_t doubles, double* a) {
  split_and_stage_halves_part<V, Input>(doubles, a, 0, split_batches(doubles));
}

// The stage of a block of the given kind, plain blocks reading their input as it is, with the factors
// in `arrays`, or computed as it goes when there are none.
template <class V>
void stage_part_of_kind(block_kind kind, int32_t doubles, double* a, const stage_factor_sets* arrays,
                        int32_t first, int32_t last) {
  if (kind == block_kind::plain)
    plain_stage_part<V, input_kind::as_is>(doubles, a, arrays ? arrays->plain : plain_factors(doubles), first,
                                           last);
  else
    shifted_stage_part<V>(doubles, a, arrays ? arrays->shifted : shifted_factors(doubles), first, last);
}
template <class V>
void stage_of_kind(block_kind kind, int32_t doubles, double* a, const stage_factor_sets* arrays) {
  stage_part_of_kind<V>(kind, doubles, a, arrays, 0, stage_batches(doubles));
}

}  // namespace
