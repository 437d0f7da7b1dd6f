// What both AGM drivers share: the buffers of one run, their allocation and release, the events
// of the run, and the closing steps (trust check, digit file, result).
#pragma once
#include <cstdint>
#include <cstdio>

#include "core/arith/rounding_margin.h"
#include "core/numbers/file_replacement.h"
#include "core/parallel/work_team.h"
#include "core/pi/known_answers.h"
#include "core/pi/pi.h"

// The largest distance of a convolution term from its nearest integer that a run accepts. A term
// within that distance of a half-integer can no longer be trusted to have rounded to the right
// integer. The products feed the transform balanced digits (-5000..4999). Measured with our
// transforms (bench/arith/bench_rounding_margin, scripts/verify-all-sizes.sh):
//   - real runs: 0.00005 at 2^22 digits, 0.00018 at 2^25, 0.00028 at 2^26, 0.00043 at 2^27 (with
//     limbs 0..9999 they reached 0.19 at 2^25);
//   - one square of random limbs: 0.00018 at 2^23 limbs, 0.00058 at 2^26 limbs (2^28 digits);
//   - worst-case balanced operands (all -5000; -5000 and 4999 alternating), which pi's
//     random-looking limbs do not form: 0.28 and still correct at 2^24 limbs, 0.5 from 2^25 limbs.
// The limit 0.05 lies some eighty times above the real runs and the random squares up to 2^28
// digits (the distance grows by about 1.5 per doubling of the size) and ten times below 0.5: no
// correct run comes near it, while a product that went wrong (an arithmetic fault, or hardware
// that computes wrongly, throws terms anywhere in 0..0.5) is caught nine times in ten by each broken
// term, and a worst-case product at 2^27 or 2^28 digits fails the run instead of writing wrong
// digits.
#ifndef PI_ROUNDING_LIMIT
#define PI_ROUNDING_LIMIT 0.05
#endif

struct pi_run {
  int32_t digits;      // D, a power of two, 64 <= D <= 2^28
  int32_t n;           // working precision in limbs: D / 4
  int32_t iterations;  // k - 1, with k the smallest integer >= 1 such that 2^k >= D
  int64_t start_ms;    // clock at entry, for the total time
  int64_t phase_start_ms;
  // Five limb numbers of n + 4 limbs each, and the FFT work area of 4n doubles (64-byte aligned).
  // The driver may exchange the pointers; the run releases whatever they name at its end.
  int16_t *A, *B, *T, *P, *S;
  double* W;
  rounding_margin margin;       // lent to every product with W
  work_team* team;              // lent to every product with W: the run's threads (null: one thread)
  file_replacement digit_file;  // the temporary file that replaces pi.txt when the run succeeds
  bool in_memory;               // no digit file: pi_events::in_memory
  const known_answer* known;    // the phases' known answers; null: pi_events::without_known_answers
  const pi_events* events;  // may be null
  pi_result* result;        // never null (a local one stands in when the caller passes null)
  pi_result own_result;
};

// Reads the clock, allocates every buffer, starts the run's threads, creates the temporary digit file
// beside pi.txt (not for a run in memory) and resets the record of the rounding margin. Returns
// pi_status::memory, pi_status::threads or pi_status::file_open (nothing left allocated, running or
// created), or pi_status::ok after reporting `started`.
pi_status open_pi_run(pi_run* run, int32_t D, pi_variant variant, const pi_events* events,
                      pi_result* result);

// Ends phase `phase` (0 = start values, 1..iterations = AGM iterations), after which the state of the
// run is a, b, t (n + 4 limbs each): records its digest and compares it with the known answer, then
// records and reports the phase's time and starts the next one. Returns pi_status::not_reproducible
// when the state differs from the known answer, pi_status::cancelled when the caller asked to stop,
// and pi_status::ok to go on; the caller ends the run with abandon_pi_run on anything but ok.
pi_status finish_phase(pi_run* run, int32_t phase, const int16_t* a, const int16_t* b, const int16_t* t);

// Ends a run between its phases (asked to stop, or a phase that differed from its known answer):
// removes the temporary file, releases everything and returns `status`.
pi_status abandon_pi_run(pi_run* run, pi_status status);

// result holds pi / 10000: limb 0 is 3, limbs 1..n-1 the decimals. Checks the rounding margin
// of every product of the run, the range of every limb, the decimals against the built-in
// table of pi, and then the digest of limbs 0..n+3 and the largest rounding distance against the
// known answer; only when all pass does it (unless in memory) write limbs 1..n-1 to the temporary
// file and rename it over pi.txt. Reports the last phase, releases the buffers and returns how the
// run ended; on any failure the temporary file is removed and pi.txt left as it was.
pi_status close_pi_run(pi_run* run, const int16_t* result);
