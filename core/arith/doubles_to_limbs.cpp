// Release of a convolution into limbs: scaling, rounding to the nearest integer, carries in radix
// 10000; and the rounding margin that this pass records on the way.
#include <cassert>
#include <cmath>

#include "core/arith/fft_multiply.h"
#include "core/arith/rounding_margin.h"

namespace {

// The double nearest to 10^-4, slightly above it: for every t < 2^53 whose fraction is not 0
// (the t below carry a fraction near 0.5), trunc(t * kQuotientScale) = floor(floor(t) / 10000).
constexpr double kQuotientScale = 0.0001;

double largest_distance = 0.0;

// |u - nearest integer of u| for a term u > -0.5, reusing u + 0.5 that the rounding forms anyway.
// |u| < 2^53, so the conversion to int64_t is exact.
inline double distance_to_integer(double u, double u_plus_half) {
  return std::fabs(u - static_cast<double>(static_cast<int64_t>(u_plus_half)));
}

}  // namespace

double max_rounding_distance() { return largest_distance; }

void reset_max_rounding_distance() { largest_distance = 0.0; }

void doubles_to_limbs(int16_t* Out, int32_t m, const double* a, int32_t N) {
  assert(m >= 1 && N >= m + 1);
  const double scale = 2.0 / N;  // exact: N is a power of two
  const int32_t e = N - m < 3 ? N - m : 3;
  int64_t carry = 0;
  double dmax = 0.0;

  // c[m-1..m+e-2]: rounded and carried, not stored.
  for (int32_t idx = m + e - 2; idx >= m - 1; --idx) {
    const double u = a[idx] * scale;
    const double h = u + 0.5;
    // t < 2^53 (u < n 9999^2 + 2^31, carry <= t / 10000) and the carry is an integer, so
    // trunc(t) = round(u) + carry.
    const double t = h + static_cast<double>(carry);
    carry = static_cast<int64_t>(t * kQuotientScale);
    const double d = distance_to_integer(u, h);
    dmax = d > dmax ? d : dmax;
  }
  for (int32_t k = m - 1; k >= 1; --k) {
    const double u = a[k - 1] * scale;
    const double h = u + 0.5;
    const double t = h + static_cast<double>(carry);
    carry = static_cast<int64_t>(t * kQuotientScale);
    // t - 10000 carry is exact (both below 2^53, difference below 10001) and lies in
    // [0, 10000), so its truncation is a limb 0..9999.
    Out[k] = static_cast<int16_t>(static_cast<int64_t>(t - 10000.0 * static_cast<double>(carry)));
    const double d = distance_to_integer(u, h);
    dmax = d > dmax ? d : dmax;
  }
  Out[0] = static_cast<int16_t>(carry);  // limb 0 keeps the integer part: 0 <= carry <= 32767

  if (dmax > largest_distance) largest_distance = dmax;
}
