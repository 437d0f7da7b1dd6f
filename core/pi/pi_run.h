// What both AGM drivers share: the buffers of one run, their allocation and release, the events
// of the run, and the closing steps (trust check, digit file, result).
#pragma once
#include <cstdint>
#include <cstdio>

#include "core/numbers/file_replacement.h"
#include "core/pi/pi.h"

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
  int32_t digits;      // D, a power of two, 64 <= D <= 2^28
  int32_t n;           // working precision in limbs: D / 4
  int32_t iterations;  // k - 1, with k the smallest integer >= 1 such that 2^k >= D
  int32_t start_ms;    // clock at entry, for the total time
  int32_t phase_start_ms;
  // Five limb numbers of n + 4 limbs each, and the FFT work area of 4n doubles (64-byte aligned).
  // The driver may exchange the pointers; the run releases whatever they name at its end.
  int16_t *A, *B, *T, *P, *S;
  double* W;
  file_replacement digit_file;  // the temporary file that replaces pi.txt when the run succeeds
  const pi_events* events;  // may be null
  pi_result* result;        // never null (a local one stands in when the caller passes null)
  pi_result own_result;
};

// Reads the clock, allocates every buffer, creates the temporary digit file beside pi.txt and
// resets the record of the rounding margin. Returns pi_status::memory or pi_status::file_open
// (nothing left allocated or created), or pi_status::ok after reporting `started`.
pi_status open_pi_run(pi_run* run, int32_t D, const pi_events* events, pi_result* result);

// Ends phase `phase` (0 = start values, 1..iterations = AGM iterations): records and reports its
// time and starts the next one. After an iteration returns true when the caller asked to stop.
bool finish_phase(pi_run* run, int32_t phase);

// Ends a run that was asked to stop: removes the temporary file, releases everything and returns
// pi_status::cancelled.
pi_status cancel_pi_run(pi_run* run);

// result holds pi / 10000: limb 0 is 3, limbs 1..n-1 the decimals. Checks the rounding margin
// of every product of the run and the range of every limb; only when all pass, writes limbs 1..n-1 to the temporary file and renames it over
// pi.txt. Reports the last phase, releases the buffers and returns how the run ended; on any
// failure the temporary file is removed and pi.txt left as it was.
pi_status close_pi_run(pi_run* run, const int16_t* result);
