#include "core/pi/pi_run.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#ifdef _WIN32
#include <malloc.h>
#endif
#include <initializer_list>

#include "core/arith/arith.h"
#include "core/numbers/pi_file.h"
#include "core/pi/clock.h"
#include "core/pi/known_answers.h"
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

// Ends the threads, releases everything (a temporary file not committed is removed), records the
// total time and returns `status`.
pi_status end_run(pi_run* run, pi_status status) {
#ifdef PI_REPORT_PASSES
  if (run->team)  // bench builds only
    std::fprintf(stderr, "threaded passes: %.0f ms of %lld ms\n", 1000 * team_seconds_in_passes(run->team),
                 static_cast<long long>(clock_ms() - run->start_ms));
#endif
  end_work_team(run->team);
  run->team = nullptr;
  discard_file_replacement(&run->digit_file);
  release_buffers(run);
  run->result->total_ms = static_cast<int32_t>(clock_ms() - run->start_ms);
  return status;
}

}  // namespace

int64_t pi_memory_bytes(int32_t digits) { return 42 * int64_t{digits / 4} + 40; }

int32_t pi_iterations(int32_t digits) {
  int32_t k = 1;
  while (digits > (int32_t{1} << k)) ++k;
  return k - 1;
}

pi_status open_pi_run(pi_run* run, int32_t D, pi_variant variant, const pi_events* events,
                      pi_result* result) {
  run->start_ms = clock_ms();
  run->digits = D;
  run->n = D / 4;
  run->iterations = pi_iterations(D);
  run->events = events;
  run->result = result ? result : &run->own_result;
  *run->result = pi_result{};
  run->result->digits = D;
  run->result->iterations = run->iterations;
  run->result->memory_bytes = pi_memory_bytes(D);
  run->result->rounding_limit = PI_ROUNDING_LIMIT;
  run->result->threads = events && events->threads > 1 ? events->threads : 1;
  run->digit_file = file_replacement{};
  run->team = nullptr;
  run->known = events && events->without_known_answers ? nullptr : &known_answer_for(variant, D);
  if (run->known)
    std::memcpy(&run->result->known_rounding_distance, &run->known->rounding_distance_bits, sizeof(double));

  const size_t limbs = static_cast<size_t>(run->n) + 4;
  for (int16_t** p : {&run->A, &run->B, &run->T, &run->P, &run->S})
    *p = static_cast<int16_t*>(allocate_aligned(sizeof(int16_t) * limbs));
  run->W = static_cast<double*>(allocate_aligned(sizeof(double) * 4 * static_cast<size_t>(run->n)));
  if (!run->A || !run->B || !run->T || !run->P || !run->S || !run->W) return end_run(run, pi_status::memory);
  if (run->result->threads > 1) {
    run->team = start_work_team(run->result->threads);
    if (!run->team) return end_run(run, pi_status::threads);
  }
  // Created now, so that an unwritable directory is reported before the work rather than after.
  run->in_memory = events && events->in_memory;
  if (!run->in_memory && !begin_file_replacement(&run->digit_file, pi_file_name, true))
    return end_run(run, pi_status::file_open);

  if (events && events->started) events->started(events->context, D, run->result->memory_bytes);
  run->margin = rounding_margin{};
  run->phase_start_ms = clock_ms();
  return pi_status::ok;
}

namespace {

// Records the digest of the state after `phase`; false when it differs from the known answer.
bool phase_reproduced(pi_run* run, int32_t phase, const int16_t* const* state, int32_t count) {
  const uint64_t digest = phase_digest(state, count, run->n + 4);
  run->result->phase_digests[phase] = digest;
  if (!run->known || digest == run->known->phase_digests[phase]) return true;
  run->result->differing_phase = phase;
  return false;
}

void report_phase(pi_run* run, int32_t phase) {
  const int32_t ms = static_cast<int32_t>(clock_ms() - run->phase_start_ms);
  run->result->phase_ms[phase] = ms;
  const pi_events* events = run->events;
  if (events && events->phase_done) events->phase_done(events->context, phase, run->iterations, ms);
  run->phase_start_ms = clock_ms();
}

}  // namespace

pi_status finish_phase(pi_run* run, int32_t phase, const int16_t* a, const int16_t* b, const int16_t* t) {
  const int16_t* const state[3] = {a, b, t};
  if (!phase_reproduced(run, phase, state, 3)) return pi_status::not_reproducible;
  report_phase(run, phase);
  const pi_events* events = run->events;
  const bool stop = events && events->stop_requested && events->stop_requested(events->context);
  return stop ? pi_status::cancelled : pi_status::ok;
}

pi_status abandon_pi_run(pi_run* run, pi_status status) { return end_run(run, status); }

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
  // The final quotient and the rounding distance, which every run of this program and size shares.
  const int32_t last = run->iterations + 1;
  if (!phase_reproduced(run, last, &result, 1)) return end_run(run, pi_status::not_reproducible);
  if (run->known) {
    uint64_t bits;
    std::memcpy(&bits, &r->max_rounding_distance, sizeof bits);
    if (bits != run->known->rounding_distance_bits) {
      r->differing_phase = pi_rounding_differs;
      return end_run(run, pi_status::not_reproducible);
    }
  }
  if (!run->in_memory) {
    const bool written = write_pi_digits(run->digit_file.file, result + 1, run->n - 1);
    if (!commit_file_replacement(&run->digit_file, written)) return end_run(run, pi_status::file_write);
  }
  report_phase(run, last);
  return end_run(run, pi_status::ok);
}
