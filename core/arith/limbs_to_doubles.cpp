// Limbs into the transform as balanced digits.
//
// A limb number's limbs 1.. lie in 0..9999; written as they are, every term of a convolution is a
// sum of n non-negative products with a mean near n 5000^2, and the transform's rounding error
// grows with that mean. The same value written with digits in -5000..4999 (a limb of 5000 or more
// becomes limb - 10000 and lends 1 to the next more significant limb) gives terms of mean near 0
// and a rounding error some hundred times smaller at every size, for the same integers.
#include "core/arith/fft_multiply.h"

void limbs_to_doubles(const int16_t* P, int32_t cnt, double* a, int32_t N) {
  int32_t carry = 0;  // 0 or 1 for limbs in 0..9999; floor((v + 5000) / 10000) in general
  for (int32_t i = cnt - 1; i >= 1; --i) {
    const int32_t v = P[i] + carry;  // -32768 <= v <= 32768
    // v + 45000 > 0, so the division truncates as a floor would: carry in -3..3.
    carry = (v + 45000) / 10000 - 4;
    a[i] = static_cast<double>(v - 10000 * carry);  // -5000 <= a[i] <= 4999
  }
  // Limb 0 keeps its sign and range and takes the last carry: the value is unchanged.
  if (cnt > 0) a[0] = static_cast<double>(P[0] + carry);
  for (int32_t i = cnt > 0 ? cnt : 0; i < N; ++i) a[i] = 0.0;
}
