// Shared helpers of the arithmetic tests: the random source, limb numbers, and slow exact
// references that need nothing but the standard library (so they also run under Wine).
#pragma once
#include <cstdint>
#include <random>
#include <vector>

#include "tests/support/test_seed.h"

using Limbs = std::vector<int16_t>;

// A generator seeded from test_seed() and a tag, so that tests do not depend on each other's order.
std::mt19937_64 seeded_generator(uint64_t tag);

// count limbs: limb 0 uniform in 0..lead_max, the others uniform in 0..9999.
Limbs random_limbs(std::mt19937_64& gen, int32_t count, int32_t lead_max);

// count limbs: limb 0 = lead, the others runs of 5000, 4999, 9999 and 0 (lengths 1..64, values
// drawn at random): the limbs where balanced digits change sign or carry far.
Limbs carry_runs(std::mt19937_64& gen, int32_t count, int16_t lead);

// The exact product of two limb sequences read as fractions: na + nb limbs, limbs 1.. in 0..9999,
// limb 0 the integer part together with the first four decimals (not reduced; may exceed 32767).
// Schoolbook multiplication in radix 10000.
std::vector<int64_t> schoolbook_product(const int64_t* a, int32_t na, const int64_t* b, int32_t nb);
std::vector<int64_t> schoolbook_product(const int16_t* a, int32_t na, const int16_t* b, int32_t nb);

// out[0..count-1] compared with exact[0..count-1] (both limb sequences): the number of units of
// limb count-1 by which out lies below exact, if that number is 0 or 1; -1 otherwise.
int32_t units_below(const int16_t* out, const int64_t* exact, int32_t count);

// For fractions F and G given by their limbs (limb 0 not reduced): (F - G) 10000^L, exact up to
// double rounding of the result, with limbs beyond L + 3 ignored. Returns +-infinity when the
// difference exceeds 10^15 in magnitude.
double scaled_difference(const std::vector<int64_t>& f, const std::vector<int64_t>& g, int32_t L);
std::vector<int64_t> widened(const int16_t* p, int32_t count);

// True if limbs 1..count-1 of p are in 0..9999 and limb 0 is not negative (a limb number in its
// normal form).
bool is_normalised(const int16_t* p, int32_t count);

// The value of the first few limbs of p as a double (for sensitivities and bounds only).
double leading_value(const int16_t* p, int32_t count);
