#include "core/numbers/limb.h"

namespace {

// v = p[i] m + carry: the limb receives its share, the rest goes up. v < 32768 * 2^27 + carry, so the
// carry stays below 2^32; all unsigned, so the division by 10000 is a multiplication and a shift.
inline uint64_t multiply_limb(int16_t* p, int32_t i, uint64_t m, uint64_t carry) {
  const uint64_t v = static_cast<uint64_t>(p[i]) * m + carry;
  const uint64_t up = v / 10000;
  p[i] = static_cast<int16_t>(v - 10000 * up);
  return up;
}

}  // namespace

void limb_mul_small(int16_t* p, int32_t m, int32_t L) {
  // One walk from limb L-1 to limb 0 is a chain of divisions. Four pieces run side by side from
  // carry 0 instead; each piece then receives the carry out of the piece below it, added to its
  // least significant limb and passed up through its limbs (now in 0..9999) until it is absorbed,
  // and what leaves the piece's top joins the piece's own carry out. The limbs are those of the
  // single walk.
  constexpr int32_t pieces = 4;
  const int32_t piece = L / pieces;
  const uint64_t um = static_cast<uint64_t>(m);
  uint64_t carry = 0;
  int32_t rest = L - 1;  // the most significant limbs, walked last
  if (piece >= 32) {
    uint64_t out[pieces] = {0, 0, 0, 0};
    for (int32_t j = 0; j < piece; ++j)
      for (int32_t c = 0; c < pieces; ++c) out[c] = multiply_limb(p, L - 1 - c * piece - j, um, out[c]);
    carry = out[0];
    for (int32_t c = 1; c < pieces; ++c) {
      const int32_t top = L - (c + 1) * piece;
      for (int32_t i = L - 1 - c * piece; carry != 0 && i >= top; --i) carry = multiply_limb(p, i, 1, carry);
      carry += out[c];
    }
    rest = L - 1 - pieces * piece;
  }
  for (int32_t i = rest; i >= 0; --i) carry = multiply_limb(p, i, um, carry);
  // The carry out of limb 0 is dropped: the product is below 1.0 by precondition.
}
