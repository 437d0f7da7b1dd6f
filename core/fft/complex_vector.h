// Complex arithmetic on points held in vectors: lanes 2j and 2j + 1 hold the real and imaginary part of
// one point, so one instruction computes both parts of 1, 2 or 4 points. `complex_vector` holds one
// point in 16 bytes (every x86-64 has it); `two_points` (32 bytes) and `four_points` (64 bytes) exist
// only in files compiled for AVX2 and AVX-512.
//
// Every operation is lane-wise IEEE arithmetic and gives, lane by lane, exactly the doubles of the
// scalar formula in its comment: x - y is computed as x + (-y), the same double, and the only other
// changes are exact sign flips and moves. So a butterfly gives the same doubles whatever the width, as
// long as nothing is contracted into fused multiply-adds (the build passes -ffp-contract=off).
//
// Everything here has internal linkage: the header is compiled with different instruction sets in
// different files, and one shared out-of-line copy could carry AVX instructions into the 16-byte path.
// (GCC vector extensions; clang accepts them too.)
#pragma once
#include <cstdint>
#include <cstring>
#if defined(__SSE3__)
#include <immintrin.h>
#endif

#include "core/fft/complex_ops.h"

namespace {

typedef double complex_vector __attribute__((vector_size(16)));

// Per width: the integer vector of the same size (for sign flips), the number of points, and the
// lane moves: swap_pairs (x, y) -> (y, x), dup_re (x, y) -> (x, x), dup_im (x, y) -> (y, y) on every
// point, and reverse_points (the points in the opposite order).
template <class V>
struct lane_info;

template <>
struct lane_info<complex_vector> {
  typedef int64_t bits __attribute__((vector_size(16)));
  static constexpr int points = 1;
  static complex_vector swap_pairs(complex_vector z) { return __builtin_shufflevector(z, z, 1, 0); }
  static complex_vector dup_re(complex_vector z) { return __builtin_shufflevector(z, z, 0, 0); }
  static complex_vector dup_im(complex_vector z) { return __builtin_shufflevector(z, z, 1, 1); }
  static bits re_sign() { return bits{INT64_MIN, 0}; }
  static bits im_sign() { return bits{0, INT64_MIN}; }
  static complex_vector splat(double x) { return complex_vector{x, x}; }
  static complex_vector reverse_points(complex_vector z) { return z; }
};

#if defined(__AVX2__)
typedef double two_points __attribute__((vector_size(32)));
template <>
struct lane_info<two_points> {
  typedef int64_t bits __attribute__((vector_size(32)));
  static constexpr int points = 2;
  static two_points swap_pairs(two_points z) { return __builtin_shufflevector(z, z, 1, 0, 3, 2); }
  static two_points dup_re(two_points z) { return __builtin_shufflevector(z, z, 0, 0, 2, 2); }
  static two_points dup_im(two_points z) { return __builtin_shufflevector(z, z, 1, 1, 3, 3); }
  static bits re_sign() { return bits{INT64_MIN, 0, INT64_MIN, 0}; }
  static bits im_sign() { return bits{0, INT64_MIN, 0, INT64_MIN}; }
  static two_points splat(double x) { return two_points{x, x, x, x}; }
  static two_points reverse_points(two_points z) { return __builtin_shufflevector(z, z, 2, 3, 0, 1); }
};
#endif

#if defined(__AVX512F__)
typedef double four_points __attribute__((vector_size(64)));
template <>
struct lane_info<four_points> {
  typedef int64_t bits __attribute__((vector_size(64)));
  static constexpr int points = 4;
  static four_points swap_pairs(four_points z) {
    return __builtin_shufflevector(z, z, 1, 0, 3, 2, 5, 4, 7, 6);
  }
  static four_points dup_re(four_points z) { return __builtin_shufflevector(z, z, 0, 0, 2, 2, 4, 4, 6, 6); }
  static four_points dup_im(four_points z) { return __builtin_shufflevector(z, z, 1, 1, 3, 3, 5, 5, 7, 7); }
  static bits re_sign() { return bits{INT64_MIN, 0, INT64_MIN, 0, INT64_MIN, 0, INT64_MIN, 0}; }
  static bits im_sign() { return bits{0, INT64_MIN, 0, INT64_MIN, 0, INT64_MIN, 0, INT64_MIN}; }
  static four_points splat(double x) { return four_points{x, x, x, x, x, x, x, x}; }
  static four_points reverse_points(four_points z) {
    return __builtin_shufflevector(z, z, 6, 7, 4, 5, 2, 3, 0, 1);
  }
};
#endif

// The vector of half the points of V (V itself for one point), for the points left over at the end
// of a range.
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

// The engine's loops over a batch of points (butterflies, kernels, separations): each compiled as one
// function with everything it calls inlined (butterflies, vector moves, factor spreads) and not
// inlined into its caller. Left to itself, the compiler's inlining budget for a whole engine runs out
// in different places as the engine grows, and a butterfly left as a call costs a third of a transform.
#define PI_BATCH_LOOP __attribute__((noinline, flatten))

// Calls body(k, W{}) for the items k = first, first + W::points, ... of [first, end): whole vectors V
// while they fit, then the rest in narrower vectors, down to one point. The body takes the vector
// type from its second argument (a generic lambda), so it is compiled once per width it meets.
template <class V, class Body>
inline void by_vectors(int32_t first, int32_t end, Body&& body) {
  constexpr int32_t points = lane_info<V>::points;
  int32_t k = first;
  for (; k + points <= end; k += points) body(k, V{});
  if constexpr (points > 1)
    if (k < end) by_vectors<typename narrower<V>::type>(k, end, body);
}

// Points p .. p + points - 1 of the array, which may have any alignment of a double (the copies are
// single vector moves).
template <class V>
inline V load_points(const double* a, int32_t p) {
  V z;
  std::memcpy(&z, a + 2 * p, sizeof z);
  return z;
}
template <class V>
inline void store_points(double* a, int32_t p, V z) {
  std::memcpy(a + 2 * p, &z, sizeof z);
}

inline complex_vector load_vector(const double* a, int32_t p) { return load_points<complex_vector>(a, p); }
inline void store_vector(double* a, int32_t p, complex_vector z) { store_points(a, p, z); }

// (-x, y) and (x, -y) = conj(z): sign flips, exact.
template <class V>
inline V negate_re(V z) {
  typedef typename lane_info<V>::bits bits;
  return (V)((bits)z ^ lane_info<V>::re_sign());
}
template <class V>
inline V conj(V z) {
  typedef typename lane_info<V>::bits bits;
  return (V)((bits)z ^ lane_info<V>::im_sign());
}

// a + negate_re(b) = (a.re - b.re, a.im + b.im) on every point. Where the file is compiled for SSE3 or
// AVX2 (the wider paths) one addsub instruction computes it, lane by lane the same doubles (a - b is
// a + (-b)); elsewhere a sign flip and an addition.
template <class V>
inline V add_negated_re(V a, V b) {
  return a + negate_re(b);
}
#if defined(__SSE3__)
template <>
inline complex_vector add_negated_re(complex_vector a, complex_vector b) {
  return _mm_addsub_pd(a, b);
}
#endif
#if defined(__AVX2__)
template <>
inline two_points add_negated_re(two_points a, two_points b) {
  return _mm256_addsub_pd(a, b);
}
#endif

template <class V>
inline V add(V x, V y) {
  return x + y;
}
template <class V>
inline V sub(V x, V y) {
  return x - y;
}

// i z = (-y, x)
template <class V>
inline V mul_i(V z) {
  return negate_re(lane_info<V>::swap_pairs(z));
}

// x + i y = (x.re - y.im, x.im + y.re) and x - i y = (x.re + y.im, x.im - y.re).
template <class V>
inline V add_i(V x, V y) {
  return add_negated_re(x, lane_info<V>::swap_pairs(y));
}
template <class V>
inline V sub_i(V x, V y) {
  return x - mul_i(y);
}

// rho z = (r (x - y), r (x + y)) and rho^3 z = (-r (x + y), r (x - y)), rho = e^{i pi/4} = r (1 + i).
template <class V>
inline V mul_rho(V z) {
  typedef lane_info<V> info;
  return info::splat(cos_pi_4) * add_negated_re(info::dup_re(z), info::dup_im(z));
}
template <class V>
inline V mul_rho3(V z) {
  typedef lane_info<V> info;
  return negate_re(info::splat(cos_pi_4)) * (info::dup_re(z) + conj(info::dup_im(z)));
}

// A factor w held spread as (re w in every lane, im w in every lane): w z = re(w) z + im(w) (i z) needs
// no move of w; the mirrored factors (y, x) and (-y, -x) only exchange, or negate, the two vectors.
// im(w) (i z) = im(w) negate_re(swap z) is negate_re(im(w) swap z) exactly, whence the form below.
template <class V>
struct spread_vector {
  V re, im;
};
template <class V>
inline V mul(const spread_vector<V>& w, V z) {
  return add_negated_re(w.re * z, w.im * lane_info<V>::swap_pairs(z));
}

// --- One point in 16 bytes: the twiddle factors and the kernels' constants.

inline double re(complex_vector z) { return z[0]; }
inline double im(complex_vector z) { return z[1]; }
inline complex_vector both(double x) { return complex_vector{x, x}; }

// w z = (w.re z.re - w.im z.im, w.re z.im + w.im z.re)
inline complex_vector mul(complex_vector w, complex_vector z) {
  return add_negated_re(both(re(w)) * z, both(im(w)) * lane_info<complex_vector>::swap_pairs(z));
}

// Triple angle, t = 4 y x: (x - t y, t x - y) = (cos 3b, sin 3b) for (x, y) = (cos b, sin b).
inline complex_vector triple_angle(complex_vector f) {
  const double t = 4.0 * im(f) * re(f);
  return conj(f) + both(t) * mul_i(f);
}

// A factor of one point, spread: the constants of the stages' middle butterflies.
inline spread_vector<complex_vector> spread(complex_vector w) { return {both(re(w)), both(im(w))}; }

}  // namespace
