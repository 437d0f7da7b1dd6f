#include "core/pi/pi_digest.h"

int64_t verify_pi_decimals(const int16_t* limbs, int32_t digits) {
  const int64_t checked = pi_checked_decimals(digits);
  const int64_t block_decimals = 4 * int64_t{pi_digest_block_limbs};
  const int64_t blocks = checked / block_decimals;
  for (int64_t b = 0; b < blocks; ++b)
    if (pi_decimals_digest(limbs + b * pi_digest_block_limbs, block_decimals) != pi_block_digests[b])
      return b * block_decimals + 1;
  const int64_t tail_start = blocks * block_decimals;
  if (pi_decimals_digest(limbs + blocks * pi_digest_block_limbs, checked - tail_start) !=
      pi_tail_digests[pi_size_row(digits)])
    return tail_start + 1;
  return 0;
}
