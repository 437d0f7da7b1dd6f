// What both AGM drivers share: the buffers of one run, their allocation and release, the first
// output line, and the closing steps (trust check, digit file, last lines).
#pragma once
#include <cstdint>

// The largest distance of a convolution term from its nearest integer that a run accepts. A term
// within that distance of a half-integer can no longer be trusted to have rounded to the right
// integer. Measured (bench/arith, scripts/verify-all-sizes.sh): real runs reach 0.19 at 2^25 digits
// (were the error Gaussian noise, a maximum of 0.19 over the 10^9 terms of a run would mean a
// standard deviation near 0.03, and 0.3 would be ten of them); products that are still correct reach 0.25 (all-9999 squares at 2^22 limbs);
// products that come out wrong show 0.5 (all-9999 squares at 2^23 limbs). A run above the limit,
// through an arithmetic fault or hardware that computes wrongly, fails instead of writing pi.txt.
#ifndef PI_ROUNDING_LIMIT
#define PI_ROUNDING_LIMIT 0.3
#endif

struct pi_run {
  int32_t digits;      // D, a power of two, 64 <= D <= 2^25
  int32_t n;           // working precision in limbs: D / 4
  int32_t iterations;  // k - 1, with k the smallest integer >= 1 such that 2^k >= D
  int32_t start_ms;    // clock at entry, for the total time
  // Five limb numbers of n + 4 limbs each, and the FFT work area of 4n doubles (64-byte aligned).
  // The driver may exchange the pointers; close_pi_run releases whatever they name then.
  int16_t *A, *B, *T, *P, *S;
  double* W;
};

// Reads the clock, allocates every buffer (on any failure: "Memory Allocation Failure!" and
// exit status 1, nothing printed before), prints "bx = D  use memory = 42n + 40" and resets the
// record of the rounding margin.
void open_pi_run(pi_run* run, int32_t D);

// result holds pi / 10000: limb 0 is 3, limbs 1..n-1 the decimals. Checks the rounding margin
// of every product of the run, writes limbs 1..n-1 to pi.txt, prints "-- <ms since phase_start>",
// releases the buffers and prints the total time.
void close_pi_run(pi_run* run, const int16_t* result, int32_t phase_start_ms);
