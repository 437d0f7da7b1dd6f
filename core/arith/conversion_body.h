// The conversions between limb numbers and the transform's doubles, one body for every vector width V:
// compiled whole per path (conversions_sse2.cpp, conversions_avx2.cpp, conversions_avx512.cpp), so that
// their loops run in the path's vectors. Their results are integers and limbs, the same on every path.
//
// Limbs into the transform as balanced digits: a limb number's limbs 1.. lie in 0..9999; written as
// they are, every term of a convolution is a sum of n non-negative products with a mean near n 5000^2,
// and the transform's rounding error grows with that mean. The same value written with digits in
// -5000..4999 (a limb of 5000 or more becomes limb - 10000 and lends 1 to the next more significant
// limb) gives terms of mean near 0 and a rounding error some hundred times smaller at every size, for
// the same integers.
//
// The release of a convolution into limbs: carries in radix 10000 in both directions (balanced digits
// give negative terms) over its terms, which the transform has rounded to integers.
#pragma once
#include <algorithm>
#include <cassert>

#include "core/arith/conversions.h"
#include "core/fft/complex_vector.h"
#include "core/numbers/carry_chains.h"
#include "core/parallel/work_team.h"

namespace {

// A limb in 0..9999 other than 4999 passes on a carry of exactly [limb >= 5000] whatever carry
// (0 or 1) it receives, so the digits of a block of such limbs do not depend on one another and
// the compiler can convert them in vector registers.
bool regular_block(const int16_t* P, int32_t lo, int32_t hi) {
  int irregular = 0;
  for (int32_t i = lo; i <= hi; ++i) irregular |= P[i] < 0 || P[i] > 9999 || P[i] == 4999;
  return irregular == 0;
}

// a[lo..hi] := the balanced digits of the regular limbs P[lo..hi], limb hi receiving carry (0 or 1).
void regular_digits(const int16_t* P, int32_t lo, int32_t hi, int32_t carry, double* a) {
  const int32_t v = P[hi] + carry;
  a[hi] = static_cast<double>(v - (v >= 5000 ? 10000 : 0));
  for (int32_t i = lo; i < hi; ++i) {
    const int32_t u = P[i] + (P[i + 1] >= 5000 ? 1 : 0);
    a[i] = static_cast<double>(u - (u >= 5000 ? 10000 : 0));
  }
}

// a[lo..hi] := the balanced digits of P[lo..hi] (lo >= 1), limb hi receiving `carry` from the limbs
// after it; returns the carry out of limb lo. The blocks of kBlock limbs only decide which loop runs:
// the digits are the same wherever they are cut.
inline int32_t balanced_digits(const int16_t* P, int32_t lo, int32_t hi, int32_t carry, double* a) {
  constexpr int32_t kBlock = 256;
  // carry: floor((v + 5000) / 10000), 0 or 1 for limbs in 0..9999, -3..3 in general
  for (int32_t top = hi; top >= lo; top -= kBlock) {
    const int32_t bottom = std::max(lo, top - kBlock + 1);
    if ((carry == 0 || carry == 1) && regular_block(P, bottom, top)) {
      regular_digits(P, bottom, top, carry, a);
      carry = P[bottom] >= 5000 ? 1 : 0;
      continue;
    }
    for (int32_t i = top; i >= bottom; --i) {
      const int32_t v = P[i] + carry;  // -32771 <= v <= 32770
      // v + 45000 > 0, so the division truncates as a floor would.
      carry = (v + 45000) / 10000 - 4;
      a[i] = static_cast<double>(v - 10000 * carry);  // -5000 <= a[i] <= 4999
    }
  }
  return carry;
}

// Threads: limbs 1.. in the parts of the linear passes (carry_chains.h), each finding the carry into its
// last limb from the limbs after it, as balanced_head does: while those lie in 0..9999, the first that
// is not 4999 decides it alone. A part that finds a limb outside 0..9999 (never in a limb number)
// sends the whole conversion back to the serial walk, which gives the same digits.
inline bool limbs_in_range(const int16_t* P, int32_t lo, int32_t hi) {
  int outside = 0;
  for (int32_t i = lo; i <= hi; ++i) outside |= P[i] < 0 || P[i] > 9999;
  return outside == 0;
}

template <class V>
void limbs_to_doubles(const int16_t* P, int32_t limbs, double* a, int32_t doubles, work_team* team) {
  if (threaded_linear(team, limbs)) {
    int32_t carries[linear_parts];
    bool in_range[linear_parts];
    for_each_unit(team, linear_parts, [&](int32_t u) {
      const int32_t lo = part_limb(limbs, u), hi = part_limb(limbs, u + 1) - 1;
      int32_t j = hi + 1;
      while (j < limbs && P[j] == 4999) ++j;
      in_range[u] = limbs_in_range(P, lo, hi);
      carries[u] = balanced_digits(P, lo, hi, j < limbs && P[j] >= 5000 ? 1 : 0, a);
      const int64_t zeros = doubles > limbs ? doubles - limbs : 0;
      std::fill(a + limbs + unit_first(zeros, linear_parts, u),
                a + limbs + unit_first(zeros, linear_parts, u + 1), 0.0);
    });
    if (std::all_of(in_range, in_range + linear_parts, [](bool b) { return b; })) {
      a[0] = static_cast<double>(P[0] + carries[0]);
      return;
    }
  }
  const int32_t carry = limbs > 1 ? balanced_digits(P, 1, limbs - 1, 0, a) : 0;
  // Limb 0 keeps its sign and range and takes the last carry: the value is unchanged.
  if (limbs > 0) a[0] = static_cast<double>(P[0] + carry);
  for (int32_t i = limbs > 0 ? limbs : 0; i < doubles; ++i) a[i] = 0.0;
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

// Out[0..out_limbs-1] := the limbs of the convolution whose terms c[0..doubles-1] are the integers in
// a (integer_convolution or round_to_integers has rounded them; |c| < 2^51). Threads release the
// stored limbs in parts, each from carry 0 (release_carries); a short serial pass then hands each part,
// from the last, the true carry into it, which its normalised limbs absorb within a few limbs, as
// release_carries joins its own chains. The limbs are those of the serial walk.
template <class V>
void release_limbs(int16_t* Out, int32_t out_limbs, const double* a, int32_t doubles, work_team* team) {
  assert(out_limbs >= 1 && doubles >= out_limbs + 1);
  // Every a[idx] is an integer below 2^51 in magnitude: exact as int64_t.
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

  // c[out_limbs-1..doubles-1] are carried, not stored. Carrying every term, not only the next few,
  // makes Out the exact truncation of the convolution's value: with balanced digits the terms beyond
  // the stored limbs may be negative, and dropping them would leave Out one unit above or below it.
  const int64_t tail = tail_carry(a, out_limbs - 1, doubles, next);
  if (!threaded_linear(team, out_limbs)) {
    // Limb 0 keeps the integer part: 0 <= carry <= 32767.
    Out[0] = static_cast<int16_t>(release_carries<int64_t>(0, out_limbs - 2, tail, store, absorb));
    return;
  }
  // The parts of limbs 1 .. out_limbs - 1, from the terms idx = limb - 1.
  int64_t carries[linear_parts];  // out of each part, from carry 0
  for_each_unit(team, linear_parts, [&](int32_t u) {
    carries[u] = release_carries<int64_t>(part_limb(out_limbs, u) - 1, part_limb(out_limbs, u + 1) - 2, 0,
                                          store, absorb);
  });
  Out[0] = static_cast<int16_t>(resolve_part_carries(
      out_limbs, carries, tail, [&](int32_t limb, int64_t c) { return absorb(limb - 1, c); }));
}

template <class V>
constexpr limb_conversions conversions_of() {
  return {limbs_to_doubles<V>, release_limbs<V>};
}

}  // namespace
