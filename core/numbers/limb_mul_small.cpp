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

// p := p f for a factor f dividing 10000 (g = 10000 / f), which moves whole parts of limbs and
// carries nothing: p[i] f = (p[i] div g) 10000 + (p[i] mod g) f, so limb i becomes
// (p[i] mod g) f + (p[i+1] div g), at most (g - 1) f + f - 1 = 9999, and limb 0's part above 1 is the
// dropped carry. Walking up reads p[i + 1] before it is written: no serial dependence, and with f known
// to the compiler the divisions are multiplications, so the loop runs in vectors.
// On threads, in parts: a part's last limb reads the first limb of the part after it, which that part
// may already have written; so those limbs are read first.
template <int32_t f>
void multiply_by_divisor(int16_t* p, int32_t limbs, work_team* team) {
  constexpr int32_t g = 10000 / f;
  static_assert(f * g == 10000, "f divides 10000");
  auto products = [p](int32_t first, int32_t last, int16_t after_last) {  // limbs first .. last
    for (int32_t i = first; i < last; ++i) p[i] = static_cast<int16_t>(p[i] % g * f + p[i + 1] / g);
    if (first <= last) p[last] = static_cast<int16_t>(p[last] % g * f + after_last / g);
  };
  if (!threaded_linear(team, limbs)) return products(0, limbs - 1, 0);
  // Parts of limbs 0 .. limbs - 1: limb 0 joins the first part.
  auto first_of = [limbs](int32_t u) { return u == 0 ? 0 : part_limb(limbs, u); };
  int16_t after[linear_parts];
  for (int32_t u = 0; u < linear_parts; ++u) after[u] = u + 1 < linear_parts ? p[first_of(u + 1)] : 0;
  for_each_unit(team, linear_parts, [&](int32_t u) {
    products(first_of(u), (u + 1 < linear_parts ? first_of(u + 1) : limbs) - 1, after[u]);
  });
}

}  // namespace

void limb_mul_small(int16_t* p, int32_t factor, int32_t limbs, work_team* team) {
  switch (factor) {  // the factors the drivers use that divide 10000
    case 2: return multiply_by_divisor<2>(p, limbs, team);
    case 4: return multiply_by_divisor<4>(p, limbs, team);
    case 8: return multiply_by_divisor<8>(p, limbs, team);
    case 16: return multiply_by_divisor<16>(p, limbs, team);
    case 100: return multiply_by_divisor<100>(p, limbs, team);
  }
  // The walk from the last limb to limb 0 runs in pieces side by side (carry_chains.h); on threads the
  // parts of limbs 1.. from carry 0, joined by resolve_part_carries.
  const uint64_t f = static_cast<uint64_t>(factor);
  auto step = [p, f](int32_t i, uint64_t carry) { return multiply_limb(p, i, f, carry); };
  auto absorb = [p](int32_t i, uint64_t carry) { return multiply_limb(p, i, 1, carry); };
  if (!threaded_linear(team, limbs)) {
    release_carries<uint64_t>(0, limbs - 1, 0, step, absorb);
  } else {
    uint64_t carries[linear_parts];
    for_each_unit(team, linear_parts, [&](int32_t u) {
      carries[u] =
          release_carries<uint64_t>(part_limb(limbs, u), part_limb(limbs, u + 1) - 1, 0, step, absorb);
    });
    step(0, resolve_part_carries(limbs, carries, uint64_t{0}, absorb));
  }
  // The carry out of limb 0 is dropped: the product is below 1.0 by precondition.
}
