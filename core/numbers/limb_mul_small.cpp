#include "core/numbers/carry_chains.h"
#include "core/numbers/limb.h"

namespace {

// v = p[i] factor + carry: the limb receives its share, the rest goes up. v < 32768 * 2^27 + carry, so
// the carry stays below 2^32; all unsigned, so the division by 10000 is a multiplication and a shift.
inline uint64_t multiply_limb(int16_t* p, int32_t i, uint64_t factor, uint64_t carry) {
  const uint64_t v = static_cast<uint64_t>(p[i]) * factor + carry;
  const uint64_t up = v / 10000;
  p[i] = static_cast<int16_t>(v - 10000 * up);
  return up;
}

}  // namespace

void limb_mul_small(int16_t* p, int32_t factor, int32_t limbs) {
  // The walk from the last limb to limb 0 runs in pieces side by side (carry_chains.h).
  const uint64_t f = static_cast<uint64_t>(factor);
  auto step = [p, f](int32_t i, uint64_t carry) { return multiply_limb(p, i, f, carry); };
  auto absorb = [p](int32_t i, uint64_t carry) { return multiply_limb(p, i, 1, carry); };
  release_carries<uint64_t>(0, limbs - 1, 0, step, absorb);
  // The carry out of limb 0 is dropped: the product is below 1.0 by precondition.
}
