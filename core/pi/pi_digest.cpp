#include "core/pi/pi_digest.h"

int32_t pi_size_row(int32_t digits) {
  int32_t log2 = 0;
  while ((int32_t{1} << log2) < digits) ++log2;
  return log2 - pi_digest_smallest_log2;
}

int64_t pi_checked_decimals(int32_t digits) { return int64_t{digits} - 4 - pi_unchecked_decimals; }

uint32_t pi_decimals_digest(const int16_t* limbs, int64_t decimals) {
  uint32_t h = pi_digest_start;
  const int64_t whole = decimals / 4;
  for (int64_t i = 0; i < whole; ++i) h = pi_digest_step(h, static_cast<uint16_t>(limbs[i]));
  if (const int32_t rest = static_cast<int32_t>(decimals % 4)) {
    const int32_t drop = rest == 1 ? 1000 : rest == 2 ? 100 : 10;
    // A limb outside 0..9999 must not pass as a partial one that happens to match.
    const int32_t q = limbs[whole];
    h = pi_digest_step(h, q >= 0 && q <= 9999 ? static_cast<uint32_t>(q / drop) : 0xffffffffu);
  }
  return h;
}
