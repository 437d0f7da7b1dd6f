// Limbs into the transform as balanced digits.
//
// A limb number's limbs 1.. lie in 0..9999; written as they are, every term of a convolution is a
// sum of n non-negative products with a mean near n 5000^2, and the transform's rounding error
// grows with that mean. The same value written with digits in -5000..4999 (a limb of 5000 or more
// becomes limb - 10000 and lends 1 to the next more significant limb) gives terms of mean near 0
// and a rounding error some hundred times smaller at every size, for the same integers.
#include "core/arith/carry_chains.h"
#include "core/arith/fft_multiply.h"

void limbs_to_doubles(const int16_t* P, int32_t cnt, double* a, int32_t N) {
  // v + 45000 > 0 for v = P[i] + carry >= -32771, so the division truncates as a floor would:
  // carry = floor((v + 5000) / 10000), in -3..3 (0 or 1 for limbs in 0..9999).
  auto next = [P](int32_t i, int32_t carry) { return (P[i] + carry + 45000) / 10000 - 4; };
  auto store = [P, a](int32_t i, int32_t carry) {
    const int32_t v = P[i] + carry;
    const int32_t out = (v + 45000) / 10000 - 4;
    a[i] = static_cast<double>(v - 10000 * out);  // -5000 <= a[i] <= 4999
    return out;
  };
  if (cnt > 0) {
    // Limb 0 keeps its sign and range and takes the last carry: the value is unchanged.
    a[0] = static_cast<double>(P[0] + release_carries<int32_t>(1, cnt - 1, 0, store, next));
  }
  for (int32_t i = cnt > 0 ? cnt : 0; i < N; ++i) a[i] = 0.0;
}
