// Release of a convolution into limbs: scaling, rounding to the nearest integer, carries in radix
// 10000 in both directions (balanced digits give negative terms); and the rounding margin that this
// pass records on the way.
#include <algorithm>
#include <cassert>
#include <cmath>
#include <cstring>
#include <limits>

#include "core/arith/fft_multiply.h"
#include "core/arith/rounding_margin.h"
#include "core/numbers/carry_chains.h"

namespace {

// Adding and subtracting 1.5 2^52 rounds any |u| < 2^51 to the nearest integer (ties to even) in
// the default rounding mode: the sum lies in [2^52, 2^53), where the spacing of doubles is 1.
constexpr double kRoundingShift = 6755399441055744.0;  // 1.5 * 2^52

// Terms at or beyond this magnitude (and NaN, and infinities) cannot come from a correct product:
// every exact term is at most n 5000^2 + 2 * 32768 * 5000 < 1.7 10^15 < 2^51 for n <= 2^26.
constexpr double kLargestTerm = 2251799813685248.0;  // 2^51

typedef double two_doubles __attribute__((vector_size(16)));
typedef int64_t two_masks __attribute__((vector_size(16)));

// a[idx] := (2/N) a[idx] (N = doubles) rounded to the nearest integer, for every idx; returns the largest
// distance of a term from its nearest integer, or +infinity when a term is NaN, infinite or at
// least 2^51 in magnitude. Such a term is stored as 0, so that no NaN or infinity reaches an
// integer conversion. Two doubles at a time (SSE2, every x86-64) and two independent maxima.
double round_terms(double* a, int32_t doubles, double scale) {
  const two_doubles shift = {kRoundingShift, kRoundingShift}, largest = {kLargestTerm, kLargestTerm};
  const two_doubles infinity = {std::numeric_limits<double>::infinity(),
                                std::numeric_limits<double>::infinity()};
  const two_masks magnitude = {INT64_MAX, INT64_MAX};  // clears the sign bit
  two_doubles dmax[2] = {{0.0, 0.0}, {0.0, 0.0}};
  for (int32_t idx = 0; idx < doubles; idx += 4) {
    for (int j = 0; j < 2; ++j) {
      two_doubles u;
      std::memcpy(&u, a + idx + 2 * j, sizeof u);
      u *= scale;
      const two_doubles r = (u + shift) - shift;
      const two_doubles d = (two_doubles)((two_masks)(u - r) & magnitude);         // exact
      const two_masks usable = (two_doubles)((two_masks)u & magnitude) < largest;  // false for NaN
      const two_doubles e = usable ? d : infinity;
      dmax[j] = e > dmax[j] ? e : dmax[j];
      const two_doubles stored = usable ? r : two_doubles{0.0, 0.0};
      std::memcpy(a + idx + 2 * j, &stored, sizeof stored);
    }
  }
  const two_doubles larger = dmax[0] > dmax[1] ? dmax[0] : dmax[1];
  return std::max(larger[0], larger[1]);
}

// The carry out of the terms c[first..N-1] (integers below 2^51 in magnitude, in a), that is
// floor(sum_k c[first + k] 10000^-(k+1)): the nested floors of a serial carry walk give exactly
// this. The first kTerms terms fix it unless their value lies within what the rest can add of an
// integer: sum_{k >= kTerms} |c| 10000^-(k+1) < (2^51 / 9999) 10000^-kTerms < kSlack 10000^-kTerms.
// Only then, about once in 10^4 products, is the whole tail walked.
template <typename Next>
int64_t tail_carry(const double* a, int32_t first, int32_t doubles, Next next) {
  constexpr int kTerms = 4;
  constexpr __int128 kScale = __int128{10000000000000000};  // 10000^kTerms
  constexpr __int128 kSlack = 225230000000;                 // > 2^51 / 9999
  if (doubles - first > kTerms) {
    __int128 head = 0;  // sum_{k < kTerms} c[first + k] 10000^(kTerms-1-k), below 2^92
    for (int k = 0; k < kTerms; ++k) head = head * 10000 + static_cast<int64_t>(a[first + k]);
    __int128 carry = head / kScale, rest = head - carry * kScale;
    if (rest < 0) {
      carry -= 1;
      rest += kScale;
    }
    if (rest >= kSlack && rest <= kScale - kSlack) return static_cast<int64_t>(carry);
  }
  int64_t carry = 0;
  for (int32_t idx = doubles - 1; idx >= first; --idx) carry = next(idx, carry);
  return carry;
}

}  // namespace

void doubles_to_limbs(int16_t* Out, int32_t out_limbs, double* a, int32_t doubles, rounding_margin* margin) {
  assert(out_limbs >= 1 && doubles >= out_limbs + 1 && doubles % 4 == 0);
  const double scale = 2.0 / doubles;  // exact: doubles is a power of two

  // +infinity fails every comparison with a limit, in either form (d > limit, !(d <= limit)).
  const double dmax = round_terms(a, doubles, scale);
  if (dmax > margin->max_distance) margin->max_distance = dmax;
  // Every a[idx] is now an integer below 2^51 in magnitude: exact as int64_t.
  auto rounded = [a](int32_t idx) { return static_cast<int64_t>(a[idx]); };
  // floor(s / 10000), so that s - 10000 carry lies in 0..9999 also for negative s.
  // |s| < 2^51 + 2^51 / 9999 < 2^52, so s + 10000 2^39 is positive and below 2^64: the quotient of a
  // non-negative numerator by a constant is one multiplication and a shift, with no sign to correct.
  auto carry_of = [](int64_t s) -> int64_t {
    constexpr int64_t bias = int64_t{1} << 39;  // 10000 * 2^39 > 2^52
    return static_cast<int64_t>(static_cast<uint64_t>(s + 10000 * bias) / 10000) - bias;
  };
  // Term idx plus the carry from below goes to limb idx + 1; |carry| < 2^51 / 9999.
  auto next = [&](int32_t idx, int64_t carry) { return carry_of(rounded(idx) + carry); };
  auto settle = [&](int32_t idx, int64_t s) {  // limb idx + 1 := s reduced to 0..9999
    const int64_t q = carry_of(s);
    Out[idx + 1] = static_cast<int16_t>(s - 10000 * q);
    return q;
  };
  auto store = [&](int32_t idx, int64_t carry) { return settle(idx, rounded(idx) + carry); };
  auto absorb = [&](int32_t idx, int64_t carry) { return settle(idx, Out[idx + 1] + carry); };

  // c[out_limbs-1..N-1] are rounded and carried, not stored. Carrying every term, not only the next few,
  // makes Out the exact truncation of the convolution's value: with balanced digits the terms
  // beyond the stored limbs may be negative, and dropping them would leave Out one unit above or
  // below it.
  const int64_t tail = tail_carry(a, out_limbs - 1, doubles, next);
  // Limb 0 keeps the integer part: 0 <= carry <= 32767.
  Out[0] = static_cast<int16_t>(release_carries<int64_t>(0, out_limbs - 2, tail, store, absorb));
}
