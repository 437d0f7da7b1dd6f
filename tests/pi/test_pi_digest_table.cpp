// The built-in table of pi's digests against MPFR's pi, and the verification of a run's decimals.
// CTest checks the table's prefix up to 2^20 digits; scripts/verify-pi-digest-table.sh checks all
// of it (PI_DIGEST_CHECK_LOG2=28).
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "core/pi/pi_digest.h"
#include "tests/pi/mpfr_pi_limbs.h"

namespace {

int32_t checked_log2() {
  const char* s = std::getenv("PI_DIGEST_CHECK_LOG2");
  const int32_t e = s ? std::atoi(s) : 20;
  return e < pi_digest_smallest_log2  ? pi_digest_smallest_log2
         : e > pi_digest_largest_log2 ? pi_digest_largest_log2
                                      : e;
}

const std::vector<int16_t>& pi_limbs() {
  static const std::vector<int16_t> limbs = mpfr_pi_limbs((int64_t{1} << checked_log2()) / 4 - 1);
  return limbs;
}

TEST(PiDigestTable, AgreesWithMpfr) {
  const int32_t top = checked_log2();
  const std::vector<int16_t>& limbs = pi_limbs();
  const int64_t blocks = pi_checked_decimals(int32_t{1} << top) / (4 * int64_t{pi_digest_block_limbs});
  std::printf("checking %lld blocks and the tails of 2^%d..2^%d digits\n", static_cast<long long>(blocks),
              pi_digest_smallest_log2, top);
  for (int64_t b = 0; b < blocks; ++b)
    ASSERT_EQ(
        pi_decimals_digest(limbs.data() + b * pi_digest_block_limbs, 4 * int64_t{pi_digest_block_limbs}),
        pi_block_digests[b])
        << "block " << b;
  for (int32_t e = pi_digest_smallest_log2; e <= top; ++e)
    EXPECT_EQ(verify_pi_decimals(limbs.data(), int32_t{1} << e), 0) << "2^" << e << " digits";
}

// One limb changed by one unit (or pushed out of range) is found in its block; the last
// pi_unchecked_decimals decimals are not checked.
TEST(PiDigestTable, NamesTheFirstWrongBlock) {
  const int32_t D = int32_t{1} << checked_log2();
  const int64_t checked = pi_checked_decimals(D);  // a multiple of 4: whole limbs
  ASSERT_EQ(checked % 4, 0);
  const int64_t block_decimals = 4 * int64_t{pi_digest_block_limbs};
  const int64_t tail_start = checked / block_decimals * block_decimals;
  const struct {
    const char* name;
    int64_t limb;      // limb i holds decimals 4i+1..4i+4
    int32_t change;    // added to the limb (subtracted where that would leave 0..9999)
    int64_t expected;  // first decimal of the block reported, 0 for none
  } cases[] = {
      {"first limb", 0, 1, 1},
      {"second block", pi_digest_block_limbs + 5, 1, block_decimals + 1},
      {"last checked decimal", checked / 4 - 1, 1, tail_start + 1},
      {"out of range", 7, 20000, 1},
      {"first unchecked limb", checked / 4, 1, 0},
      {"last limb", D / 4 - 2, 1, 0},
  };
  for (const auto& c : cases) {
    if (c.limb >= D / 4 - 1 || (c.expected > 1 && c.expected > checked)) continue;  // beyond a small size
    SCOPED_TRACE(c.name);
    std::vector<int16_t> limbs = pi_limbs();
    const int32_t up = limbs[c.limb] + c.change;
    limbs[c.limb] = static_cast<int16_t>(up <= 9999 || c.change > 9999 ? up : limbs[c.limb] - c.change);
    EXPECT_EQ(verify_pi_decimals(limbs.data(), D), c.expected);
  }
}

}  // namespace
