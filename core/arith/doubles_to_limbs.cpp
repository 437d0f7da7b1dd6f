// Release of a convolution into limbs: scaling, rounding to the nearest integer, carries in radix
// 10000 in both directions (balanced digits give negative terms); and the rounding margin that this
// pass records on the way.
#include <cassert>
#include <cmath>
#include <limits>

#include "core/arith/fft_multiply.h"
#include "core/arith/rounding_margin.h"

namespace {

// Adding and subtracting 1.5 2^52 rounds any |u| < 2^51 to the nearest integer (ties to even) in
// the default rounding mode: the sum lies in [2^52, 2^53), where the spacing of doubles is 1.
constexpr double kRoundingShift = 6755399441055744.0;  // 1.5 * 2^52

// Terms at or beyond this magnitude (and NaN, and infinities) cannot come from a correct product:
// every exact term is at most n 5000^2 + 2 * 32768 * 5000 < 1.7 10^15 < 2^51 for n <= 2^26.
constexpr double kLargestTerm = 2251799813685248.0;  // 2^51

double largest_distance = 0.0;

}  // namespace

double max_rounding_distance() { return largest_distance; }

void reset_max_rounding_distance() { largest_distance = 0.0; }

void doubles_to_limbs(int16_t* Out, int32_t m, const double* a, int32_t N) {
  assert(m >= 1 && N >= m + 1);
  const double scale = 2.0 / N;  // exact: N is a power of two
  int64_t carry = 0;             // |carry| < 2^51 / 9999
  double dmax = 0.0;
  bool unusable = false;

  // The term a[idx] (2/N), rounded, plus the carry from below: the integer that limb idx + 1
  // receives before reduction. A term that is not a finite number below 2^51 in magnitude marks
  // the product as unusable and counts as 0, so that no NaN or infinity reaches an integer
  // conversion.
  auto receive = [&](int32_t idx) -> int64_t {
    double u = a[idx] * scale;
    if (!(std::fabs(u) < kLargestTerm)) {
      unusable = true;
      u = 0.0;
    }
    const double r = (u + kRoundingShift) - kRoundingShift;
    const double d = std::fabs(u - r);  // exact; 0.5 for a term halfway between two integers
    dmax = d > dmax ? d : dmax;
    return static_cast<int64_t>(r) + carry;
  };
  // floor(s / 10000), so that s - 10000 carry lies in 0..9999 also for negative s.
  auto carry_of = [](int64_t s) -> int64_t {
    const int64_t q = s / 10000;
    return q - (s - 10000 * q < 0 ? 1 : 0);
  };

  // c[m-1..N-1]: rounded and carried, not stored. Carrying every term, not only the next few,
  // makes Out the exact truncation of the convolution's value: with balanced digits the terms
  // beyond the stored limbs may be negative, and dropping them would leave Out one unit above or
  // below it.
  for (int32_t idx = N - 1; idx >= m - 1; --idx) carry = carry_of(receive(idx));
  for (int32_t k = m - 1; k >= 1; --k) {
    const int64_t s = receive(k - 1);
    carry = carry_of(s);
    Out[k] = static_cast<int16_t>(s - 10000 * carry);  // 0..9999
  }
  Out[0] = static_cast<int16_t>(carry);  // limb 0 keeps the integer part: 0 <= carry <= 32767

  // +infinity fails every comparison with a limit, in either form (d > limit, !(d <= limit)).
  if (unusable) dmax = std::numeric_limits<double>::infinity();
  if (dmax > largest_distance) largest_distance = dmax;
}
