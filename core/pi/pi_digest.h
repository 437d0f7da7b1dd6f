// Digests of pi's decimals, and the built-in table that a run's digits are verified against.
//
// The decimals d_1 d_2 ... of pi = 3.d_1 d_2 ... are read in limbs of four (limb i, i >= 1, holds
// d_{4i-3} .. d_{4i}, as limbs 1.. of a run's result). They are cut into blocks of
// pi_digest_block_limbs limbs; the table holds the digest of every whole block below 2^28 digits,
// and for each size D = 2^e that a program accepts, the digest of the last, partial block: from the
// block's first decimal up to decimal D - 4 - pi_unchecked_decimals.
//
// The digest is 32-bit FNV-1a taken over whole limbs: h = (h ^ limb) * 16777619 from h = 2166136261.
// Each step is a bijection of h for a fixed limb, and h ^ limb differs for different limbs, so two
// blocks that differ in exactly one limb always have different digests; blocks differing in more
// limbs collide with probability about 2^-32.
#pragma once
#include <cstdint>

constexpr int32_t pi_digest_block_limbs = 8192;  // 32768 decimals
constexpr int32_t pi_digest_smallest_log2 = 6;   // 64 digits
constexpr int32_t pi_digest_largest_log2 = 28;   // 2^28 digits
constexpr int32_t pi_digest_sizes = pi_digest_largest_log2 - pi_digest_smallest_log2 + 1;

// The last decimals of a run that verification does not check. The linear steps truncate at the
// last working limb, and in iteration j the truncation of (a - a')^2 is multiplied by w = 2^(j-1);
// summed over the run, t may be off by about 2^(k-1) <= D units of the last written decimal, and
// the final quotient (a factor of about 3) by about 3 D: 9 decimals at D = 2^28 (3 * 2^28 < 10^9).
// Three more cover a carry running through nines or zeros. Runs of every size up to 2^25 have shown
// at most 7 wrong final decimals.
constexpr int32_t pi_unchecked_decimals = 12;

// The number of decimals verification covers for D digits: D - 4 - pi_unchecked_decimals.
int64_t pi_checked_decimals(int32_t digits);

// The whole blocks covered at the largest size, and so the length of pi_block_digests.
constexpr int32_t pi_digest_blocks =
    static_cast<int32_t>((int64_t{1} << pi_digest_largest_log2) - 4 - pi_unchecked_decimals) /
    (4 * pi_digest_block_limbs);

constexpr uint32_t pi_digest_start = 2166136261u;
inline uint32_t pi_digest_step(uint32_t h, uint32_t limb) { return (h ^ limb) * 16777619u; }

// The digest of `decimals` decimals starting at limb 0 of `limbs` (the last limb may be partial:
// its leading decimals count as the number they form, e.g. 14 for the first two of 1415).
uint32_t pi_decimals_digest(const int16_t* limbs, int64_t decimals);

// The table, generated from pi computed with GMP (scripts/generate-pi-digest-table.sh) and checked
// against MPFR's pi by the tests.
extern const uint32_t pi_block_digests[pi_digest_blocks];
extern const uint32_t pi_tail_digests[pi_digest_sizes];  // index pi_size_row(D)

// The row of D digits (a power of two from 2^6 to 2^28) in the tables indexed by size:
// log2(D) - pi_digest_smallest_log2.
int32_t pi_size_row(int32_t digits);

// Compares the decimals of a run of D digits (limbs[0..D/4 - 2], limb i holding decimals 4i+1..4i+4)
// with the table. Returns 0 when they agree, otherwise the 1-based position of the first decimal
// of the first block that differs. D must be a power of two in the table's range.
int64_t verify_pi_decimals(const int16_t* limbs, int32_t digits);
