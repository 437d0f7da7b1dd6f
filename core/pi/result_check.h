// The checks a run's result passes before pi.txt is replaced, besides the digit verification.
#pragma once
#include <cstdint>

// True when the largest rounding distance of the run's products is within the limit. Written as
// margin <= limit so that a NaN or infinite margin (a product that went wrong) fails.
inline bool rounding_margin_trusted(double margin, double limit) { return margin <= limit; }

// result[0..limbs-1] holds pi / 10000: limb 0 must be 3 and every other limb a radix-10000 digit
// in 0..9999. Returns the index of the first limb that is not, or -1 when all are.
int32_t first_limb_out_of_range(const int16_t* result, int32_t limbs);
