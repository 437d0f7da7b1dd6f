#include "core/pi/pi_run.h"

#include <cstdio>
#include <cstdlib>
#ifdef _WIN32
#include <malloc.h>
#endif
#include <initializer_list>

#include "core/arith/arith.h"
#include "core/numbers/pi_file.h"
#include "core/pi/clock.h"
#include "core/pi/pi_digest.h"
#include "core/pi/result_check.h"

namespace {

constexpr size_t work_alignment = 64;

// The C allocation functions, which answer a shortage with a null pointer and never throw or
// end the process (operator new(std::nothrow) may still reach std::terminate near a limit).
// MinGW has no aligned_alloc, and memory from _aligned_malloc must go back through _aligned_free.
void* allocate_aligned(size_t bytes) {
#ifdef _WIN32
  return _aligned_malloc(bytes, work_alignment);
#else
  void* p = nullptr;
  return posix_memalign(&p, work_alignment, bytes) == 0 ? p : nullptr;
#endif
}

void release_aligned(void* p) {
#ifdef _WIN32
  _aligned_free(p);
#else
  std::free(p);
#endif
}

void release_buffers(pi_run* run) {
  for (int16_t* p : {run->A, run->B, run->T, run->P, run->S}) release_aligned(p);
  release_aligned(run->W);
  run->A = run->B = run->T = run->P = run->S = nullptr;
  run->W = nullptr;
}

// Releases everything (a temporary file not committed is removed), records the total time and
// returns `status`.
pi_status end_run(pi_run* run, pi_status status) {
  discard_file_replacement(&run->digit_file);
  release_buffers(run);
  run->result->total_ms = static_cast<int32_t>(clock_ms() - run->start_ms);
  return status;
}

}  // namespace

int64_t pi_memory_bytes(int32_t digits) { return 42 * int64_t{digits / 4} + 40; }

pi_status open_pi_run(pi_run* run, int32_t D, const pi_events* events, pi_result* result) {
  run->start_ms = clock_ms();
  run->digits = D;
  run->n = D / 4;
  int32_t k = 1;
  while (D > (int32_t{1} << k)) ++k;
  run->iterations = k - 1;
  run->events = events;
  run->result = result ? result : &run->own_result;
  *run->result = pi_result{};
  run->result->digits = D;
  run->result->iterations = run->iterations;
  run->result->memory_bytes = pi_memory_bytes(D);
  run->result->rounding_limit = PI_ROUNDING_LIMIT;
  run->digit_file = file_replacement{};

  const size_t limbs = static_cast<size_t>(run->n) + 4;
  for (int16_t** p : {&run->A, &run->B, &run->T, &run->P, &run->S})
    *p = static_cast<int16_t*>(allocate_aligned(sizeof(int16_t) * limbs));
  run->W = static_cast<double*>(allocate_aligned(sizeof(double) * 4 * static_cast<size_t>(run->n)));
  if (!run->A || !run->B || !run->T || !run->P || !run->S || !run->W) return end_run(run, pi_status::memory);
  // Created now, so that an unwritable directory is reported before the work rather than after.
  run->in_memory = events && events->in_memory;
  if (!run->in_memory && !begin_file_replacement(&run->digit_file, pi_file_name, true))
    return end_run(run, pi_status::file_open);

  if (events && events->started) events->started(events->context, D, run->result->memory_bytes);
  run->margin = rounding_margin{};
  run->phase_start_ms = clock_ms();
  return pi_status::ok;
}

bool finish_phase(pi_run* run, int32_t phase) {
  const int32_t ms = static_cast<int32_t>(clock_ms() - run->phase_start_ms);
  if (phase < pi_max_phases) run->result->phase_ms[phase] = ms;
  const pi_events* events = run->events;
  if (events && events->phase_done) events->phase_done(events->context, phase, run->iterations, ms);
  run->phase_start_ms = clock_ms();
  return phase <= run->iterations && events && events->stop_requested &&
         events->stop_requested(events->context);
}

pi_status cancel_pi_run(pi_run* run) { return end_run(run, pi_status::cancelled); }

pi_status close_pi_run(pi_run* run, const int16_t* result) {
  pi_result* r = run->result;
  r->max_rounding_distance = run->margin.max_distance;
#ifdef PI_REPORT_ROUNDING
  std::fprintf(stderr, "largest rounding distance %.6f\n", r->max_rounding_distance);  // bench builds only
#endif
  if (!rounding_margin_trusted(r->max_rounding_distance, PI_ROUNDING_LIMIT))
    return end_run(run, pi_status::rounding);
  const int32_t bad_limb = first_limb_out_of_range(result, run->n);
  if (bad_limb >= 0) {
    r->first_wrong_decimal = bad_limb == 0 ? 1 : 4 * int64_t{bad_limb - 1} + 1;
    return end_run(run, pi_status::verification);
  }
  r->first_wrong_decimal = verify_pi_decimals(result + 1, run->digits);
  if (r->first_wrong_decimal != 0) return end_run(run, pi_status::verification);
  r->verified = true;
  // Every limb the run computed, as whole limbs: the digest of 4 (n + 4) "decimals".
  r->result_digest = pi_decimals_digest(result, 4 * int64_t{run->n + 4});
  if (!run->in_memory) {
    const bool written = write_pi_digits(run->digit_file.file, result + 1, run->n - 1);
    if (!commit_file_replacement(&run->digit_file, written)) return end_run(run, pi_status::file_write);
  }
  finish_phase(run, run->iterations + 1);
  return end_run(run, pi_status::ok);
}
