// The rounding of a convolution's terms to integers, one body for every vector width: a transform of
// integer sequences computes each term of their convolution up to its rounding error, and rounding
// to the nearest integer recovers it exactly while that error stays below 0.5. What can be observed is
// the distance d = |u - round(u)| of each computed term u; while the largest d stays well below 0.5,
// every term was rounded to the right integer.
//
// Adding and subtracting 1.5 2^52 rounds any |u| < 2^51 to the nearest integer (ties to even) in the
// default rounding mode: the sum lies in [2^52, 2^53), where the spacing of doubles is 1. A term at
// or beyond 2^51 in magnitude (or NaN, or infinite) cannot be rounded that way; it is stored as 0, so
// that no NaN or infinity reaches an integer conversion, and its distance counts as +infinity, which
// fails every comparison with a limit in either form (d > limit, !(d <= limit)).
#pragma once
#include <limits>
#include <type_traits>

#include "core/fft/complex_vector.h"

namespace {

constexpr double rounding_shift = 6755399441055744.0;   // 1.5 * 2^52
constexpr double largest_rounded = 2251799813685248.0;  // 2^51

// scale z, rounded lane by lane; dmax raised to the distances.
template <class W>
inline W round_lanes(W z, W scale, W& dmax) {
  typedef typename lane_info<W>::bits bits;
  const W shift = lane_info<W>::splat(rounding_shift), largest = lane_info<W>::splat(largest_rounded);
  const W infinity = lane_info<W>::splat(std::numeric_limits<double>::infinity());
  const bits magnitude = (bits)lane_info<W>::splat(0.0) | INT64_MAX;  // clears the sign bit
  const W u = z * scale;
  const W r = (u + shift) - shift;
  const W d = (W)((bits)(u - r) & magnitude);              // exact
  const bits usable = (W)((bits)u & magnitude) < largest;  // false for NaN
  const W e = usable ? d : infinity;
  dmax = e > dmax ? e : dmax;
  return usable ? r : W{};
}

// Rounds the vectors it is given (V or narrower) and keeps the largest distance: the last step of
// the bit reversal that ends a backward transform, which stores every point once.
template <class V>
struct rounding_store {
  double scale;
  V dmax{};
  double narrow_dmax = 0.0;  // from vectors narrower than V (transforms of a few points)

  template <class W>
  W operator()(W z) {
    if constexpr (std::is_same<W, V>::value) {
      return round_lanes(z, lane_info<V>::splat(scale), dmax);
    } else {
      W d{};
      const W r = round_lanes(z, lane_info<W>::splat(scale), d);
      for (int l = 0; l < 2 * lane_info<W>::points; ++l)
        narrow_dmax = d[l] > narrow_dmax ? d[l] : narrow_dmax;
      return r;
    }
  }
  double largest() const {
    double m = narrow_dmax;
    for (int l = 0; l < 2 * lane_info<V>::points; ++l) m = dmax[l] > m ? dmax[l] : m;
    return m;
  }
};

// Stores the vectors it is given as they are.
struct plain_store {
  template <class W>
  W operator()(W z) const {
    return z;
  }
};

// a[0..doubles-1] := scale a, rounded; returns the largest distance (doubles even).
template <class V>
PI_BATCH_LOOP double round_to_integers(int32_t doubles, double* a, double scale) {
  rounding_store<V> store{scale};
  by_vectors<V>(0, doubles / 2, [&](int32_t p, auto width) {
    typedef decltype(width) W;
    store_points(a, p, store(load_points<W>(a, p)));
  });
  return store.largest();
}

}  // namespace
