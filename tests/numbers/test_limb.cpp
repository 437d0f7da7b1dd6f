// Limb operations against exact integer arithmetic on short numbers, plus the worked examples.
//
// A number of L <= 8 limbs read as an integer, V = sum p[i] 10000^(L-1-i) with p[0] <= 32767,
// stays below 3.3e32 and fits an unsigned 128-bit integer, which gives an independent reference.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "core/numbers/limb.h"
#include "tests/support/test_seed.h"

namespace {

using u128 = unsigned __int128;
using Limbs = std::vector<int16_t>;

constexpr int16_t guard = -77;  // a value no operation writes into a limb

u128 to_int(const Limbs& p, int L) {
  u128 v = 0;
  for (int i = 0; i < L; ++i) v = v * 10000 + static_cast<u128>(p[i]);
  return v;
}

// Limbs 1..L-1 in 0..9999, limb 0 unreduced: the representation every operation must produce.
Limbs from_int(u128 v, int L) {
  Limbs p(L);
  for (int i = L - 1; i > 0; --i) {
    p[i] = static_cast<int16_t>(v % 10000);
    v /= 10000;
  }
  p[0] = static_cast<int16_t>(v);
  return p;
}

u128 power10000(int L) {
  u128 v = 1;
  for (int i = 0; i < L; ++i) v *= 10000;
  return v;
}

// Random limbs biased towards the carry extremes 0 and 9999.
struct LimbSource {
  std::mt19937_64 rng{test_seed()};
  int16_t limb() {
    switch (rng() % 4) {
      case 0: return 0;
      case 1: return 9999;
      default: return static_cast<int16_t>(rng() % 10000);
    }
  }
  Limbs number(int L, int16_t max_limb0) {
    Limbs p(L + 4, guard);  // four guard limbs after the L working limbs
    for (int i = 1; i < L; ++i) p[i] = limb();
    p[0] = static_cast<int16_t>(rng() % (max_limb0 + 1));
    if (rng() % 4 == 0) p[0] = max_limb0;
    return p;
  }
};

void expect_limbs(const Limbs& got, const Limbs& want, int L) {
  for (int i = 0; i < L; ++i) ASSERT_EQ(got[i], want[i]) << "limb " << i;
  for (size_t i = L; i < got.size(); ++i) ASSERT_EQ(got[i], guard) << "guard limb " << i << " written";
}

constexpr int trials = 3000;

TEST(LimbArithmetic, AddAndSubAgreeWithIntegersAndKeepGuards) {
  LimbSource src;
  for (int t = 0; t < trials; ++t) {
    const int L = 1 + t % 8;
    Limbs a = src.number(L, 16383), b = src.number(L, 16383);
    const u128 va = to_int(a, L), vb = to_int(b, L);

    Limbs sum = a;
    limb_add(a.data(), b.data(), sum.data(), L);
    expect_limbs(sum, from_int(va + vb, L), L);

    Limbs hi = va >= vb ? a : b, lo = va >= vb ? b : a;
    Limbs diff = hi;
    limb_sub(hi.data(), lo.data(), diff.data(), L);
    expect_limbs(diff, from_int(to_int(hi, L) - to_int(lo, L), L), L);
  }
}

TEST(LimbArithmetic, OutputMayAliasEitherInput) {
  LimbSource src;
  for (int t = 0; t < 200; ++t) {
    const int L = 2 + t % 7;
    Limbs a = src.number(L, 9999), b = src.number(L, 9999);
    Limbs separate(L + 4, guard);
    limb_add(a.data(), b.data(), separate.data(), L);
    Limbs into_a = a, into_b = b;
    limb_add(into_a.data(), b.data(), into_a.data(), L);
    limb_add(a.data(), into_b.data(), into_b.data(), L);
    expect_limbs(into_a, separate, L);
    expect_limbs(into_b, separate, L);

    Limbs big = a;
    big[0] = static_cast<int16_t>(big[0] + 10000);  // keeps big >= b
    limb_sub(big.data(), b.data(), separate.data(), L);
    Limbs sub_into_a = big, sub_into_b = b;
    limb_sub(sub_into_a.data(), b.data(), sub_into_a.data(), L);
    limb_sub(big.data(), sub_into_b.data(), sub_into_b.data(), L);
    expect_limbs(sub_into_a, separate, L);
    expect_limbs(sub_into_b, separate, L);
  }
}

TEST(LimbArithmetic, CarriesRippleIntoLimbZeroAndBorrowsLeaveItAbove9999) {
  Limbs sum(3);
  limb_add(Limbs{10000, 0, 0}.data(), Limbs{10000, 0, 0}.data(), sum.data(), 3);
  EXPECT_EQ(sum, (Limbs{20000, 0, 0}));
  limb_add(Limbs{10000, 0, 0}.data(), Limbs{8409, 0, 0}.data(), sum.data(), 3);
  EXPECT_EQ(sum, (Limbs{18409, 0, 0}));
  limb_add(Limbs{9999, 9999, 9999}.data(), Limbs{0, 0, 1}.data(), sum.data(), 3);
  EXPECT_EQ(sum, (Limbs{10000, 0, 0}));
  Limbs diff(3);
  limb_sub(Limbs{10000, 0, 0}.data(), Limbs{8535, 5339, 593}.data(), diff.data(), 3);
  EXPECT_EQ(diff, (Limbs{1464, 4660, 9407}));
  limb_sub(Limbs{30000, 0, 0}.data(), Limbs{0, 0, 1}.data(), diff.data(), 3);
  EXPECT_EQ(diff, (Limbs{29999, 9999, 9999}));
}

TEST(LimbArithmetic, MulSmallGivesExactQuotientsUpToTwoToThe24) {
  LimbSource src;
  std::vector<int32_t> multipliers = {0, 1, 2, 4, 100, 9999, 10000, 65536, (1 << 24) - 1, 1 << 24};
  for (int e = 0; e <= 24; ++e) multipliers.push_back(1 << e);
  for (int32_t m : multipliers) {
    for (int t = 0; t < 100; ++t) {
      const int L = 1 + t % 8;
      // A value below 1/m, so that the product stays below 1.0.
      const u128 limit = m == 0 ? power10000(L) : (power10000(L) - 1) / static_cast<u128>(m);
      u128 v = (static_cast<u128>(src.rng()) << 64 | src.rng()) % (limit + 1);
      if (t % 5 == 0) v = limit;  // the largest admissible value: all-9999 runs in the product
      Limbs p = from_int(v, L);
      p.resize(L + 4, guard);
      limb_mul_small(p.data(), m, L);
      expect_limbs(p, from_int(v * static_cast<u128>(m), L), L);
    }
  }
  Limbs p = {84, 1308, 4793};
  limb_mul_small(p.data(), 100, 3);
  EXPECT_EQ(p, (Limbs{8413, 847, 9300}));
  p = {2284, 7329, 522};
  limb_mul_small(p.data(), 4, 3);
  EXPECT_EQ(p, (Limbs{9138, 9316, 2088}));
}

TEST(LimbArithmetic, DivisionsTruncateAndDropTheLastRemainder) {
  LimbSource src;
  for (int t = 0; t < trials; ++t) {
    const int L = 1 + t % 8;
    Limbs p = src.number(L, 32767);
    const u128 v = to_int(p, L);
    Limbs half = p, quarter = p, into(L + 4, guard);
    limb_half(half.data(), L);
    limb_quarter(quarter.data(), L);
    limb_half_into(p.data(), into.data(), L);
    expect_limbs(half, from_int(v / 2, L), L);
    expect_limbs(quarter, from_int(v / 4, L), L);
    expect_limbs(into, from_int(v / 2, L), L);
    limb_half_into(p.data(), p.data(), L);  // in place, as the squared variant never does but may
    expect_limbs(p, half, L);
  }
  Limbs p = {10000, 0, 0};
  limb_half(p.data(), 3);
  EXPECT_EQ(p, (Limbs{5000, 0, 0}));
  p = {1, 0, 0};
  limb_half(p.data(), 3);
  EXPECT_EQ(p, (Limbs{0, 5000, 0}));
  p = {0, 0, 1};
  limb_half(p.data(), 3);
  EXPECT_EQ(p, (Limbs{0, 0, 0}));
  p = {3, 0, 0};
  limb_quarter(p.data(), 3);
  EXPECT_EQ(p, (Limbs{0, 7500, 0}));
  p = {32767, 9999, 9999};
  limb_half(p.data(), 3);
  EXPECT_EQ(p, (Limbs{16383, 9999, 9999}));
}

// The serial walk from the last limb, the slow reference of long numbers: limb i receives raw[i]
// and the carry of the limbs after it, reduced to 0..9999; limb 0 keeps what is left, unreduced.
Limbs serial_release(const std::vector<int64_t>& raw) {
  Limbs out(raw.size() + 4, guard);
  int64_t carry = 0;
  for (size_t i = raw.size() - 1; i > 0; --i) {
    const int64_t v = raw[i] + carry;
    carry = v >= 0 ? v / 10000 : -((-v + 9999) / 10000);
    out[i] = static_cast<int16_t>(v - 10000 * carry);
  }
  out[0] = static_cast<int16_t>(raw[0] + carry);
  return out;
}

// Numbers of thousands of limbs, whose steps run in vectors over blocks of limbs, against the serial
// walk: random limbs (biased to 0 and 9999) and runs of 9999 or 0 that a carry or a borrow crosses
// from the last limb to limb 1, over every block boundary.
TEST(LimbArithmetic, LongNumbersAgreeWithTheSerialWalk) {
  LimbSource src;
  enum pattern { random_limbs, ripple };
  for (int L : {1500, 2050}) {
    for (pattern kind : {random_limbs, ripple}) {
      Limbs a = src.number(L, 10000), b = src.number(L, 10000);
      if (kind == ripple) {
        for (int i = 1; i < L; ++i) a[i] = 9999, b[i] = 0;
        b[L - 1] = 1;  // a + b carries from the last limb to limb 0
      }
      SCOPED_TRACE(std::string(kind == ripple ? "ripple" : "random") + ", L = " + std::to_string(L));
      std::vector<int64_t> raw(L);

      Limbs out(L + 4, guard);
      limb_add(a.data(), b.data(), out.data(), L);
      for (int i = 0; i < L; ++i) raw[i] = a[i] + b[i];
      expect_limbs(out, serial_release(raw), L);

      Limbs big = a;
      big[0] = static_cast<int16_t>(b[0] + 1);  // big > b; with a ripple, big - b borrows to limb 1
      if (kind == ripple)
        for (int i = 1; i < L; ++i) big[i] = 0;
      limb_sub(big.data(), b.data(), out.data(), L);
      for (int i = 0; i < L; ++i) raw[i] = big[i] - b[i];
      expect_limbs(out, serial_release(raw), L);

      for (int32_t factor : {2, 4, 8, 16, 100, 3, 1 << 20}) {
        Limbs m = a;
        m[0] = 0, m[1] = 0;  // below 10^-8, so that m factor < 1
        limb_mul_small(m.data(), factor, L);
        for (int i = 0; i < L; ++i) raw[i] = int64_t{a[i]} * factor;
        raw[0] = raw[1] = 0;
        expect_limbs(m, serial_release(raw), L);
      }
    }
  }
}

TEST(LimbArithmetic, SetClearsEveryOtherLimb) {
  Limbs p(12, 1234);
  limb_set(p.data(), 2500, 12);
  EXPECT_EQ(p, (Limbs{2500, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
}

}  // namespace
