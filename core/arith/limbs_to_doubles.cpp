// Limbs into the transform as balanced digits.
//
// A limb number's limbs 1.. lie in 0..9999; written as they are, every term of a convolution is a
// sum of n non-negative products with a mean near n 5000^2, and the transform's rounding error
// grows with that mean. The same value written with digits in -5000..4999 (a limb of 5000 or more
// becomes limb - 10000 and lends 1 to the next more significant limb) gives terms of mean near 0
// and a rounding error some hundred times smaller at every size, for the same integers.
#include <algorithm>

#include "core/arith/fft_multiply.h"

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

}  // namespace

void limbs_to_doubles(const int16_t* P, int32_t limbs, double* a, int32_t doubles) {
  constexpr int32_t kBlock = 256;
  int32_t carry = 0;  // floor((v + 5000) / 10000): 0 or 1 for limbs in 0..9999, -3..3 in general
  for (int32_t hi = limbs - 1; hi >= 1; hi -= kBlock) {
    const int32_t lo = std::max(1, hi - kBlock + 1);
    if ((carry == 0 || carry == 1) && regular_block(P, lo, hi)) {
      regular_digits(P, lo, hi, carry, a);
      carry = P[lo] >= 5000 ? 1 : 0;
      continue;
    }
    for (int32_t i = hi; i >= lo; --i) {
      const int32_t v = P[i] + carry;  // -32771 <= v <= 32770
      // v + 45000 > 0, so the division truncates as a floor would.
      carry = (v + 45000) / 10000 - 4;
      a[i] = static_cast<double>(v - 10000 * carry);  // -5000 <= a[i] <= 4999
    }
  }
  // Limb 0 keeps its sign and range and takes the last carry: the value is unchanged.
  if (limbs > 0) a[0] = static_cast<double>(P[0] + carry);
  for (int32_t i = limbs > 0 ? limbs : 0; i < doubles; ++i) a[i] = 0.0;
}
