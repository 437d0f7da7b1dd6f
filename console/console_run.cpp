#include "console/console_run.h"

#include <cstdio>

#include "console/known_answer_text.h"
#include "console/progress.h"

namespace {

// What the events of one run share.
struct run_context {
  run_display display;
  progress_line progress;
  int32_t phases_done;
  int32_t elapsed_ms;     // the phases so far
  int32_t iterations_ms;  // phases 1 .. j so far
};

void on_started(void* context, int32_t digits, int64_t memory_bytes) {
  const run_context* run = static_cast<run_context*>(context);
  if (run->display.quiet) return;
  std::printf("bx = %d  ", digits);
  std::printf("use memory = %lld\n", static_cast<long long>(memory_bytes));
  std::fflush(stdout);
}

// The start values and the final phase print "-- ", the iterations their number. The progress
// line is taken down while the timing line is printed, in case both streams share a terminal.
void on_phase_done(void* context, int32_t phase, int32_t iterations, int32_t phase_ms) {
  run_context* run = static_cast<run_context*>(context);
  ++run->phases_done;
  run->elapsed_ms += phase_ms;
  if (phase >= 1 && phase <= iterations) run->iterations_ms += phase_ms;
  if (run->display.quiet) return;

  erase_progress(&run->progress);
  if (phase == 0 || phase == iterations + 1)
    std::printf("-- %dmsec\n", phase_ms);
  else
    std::printf("%2d %dmsec\n", phase, phase_ms);
  std::fflush(stdout);
  if (phase <= iterations) {
    const int32_t j = phase;
    draw_progress(&run->progress,
                  progress_text(run->display.run, run->display.runs, j, iterations, run->elapsed_ms,
                                estimated_ms_left(j, iterations, run->iterations_ms)));
  }
}

// The last line of a run and the exit status of the process.
int report(pi_status status, const pi_result& result, bool quiet) {
  switch (status) {
    case pi_status::ok:
      if (!quiet) std::printf("Total time : %d msec.\n", result.total_ms);
      return exit_completed;
    case pi_status::memory:
      std::printf("Memory Allocation Failure!\n");
      return exit_failed;
    case pi_status::file_open:
      std::printf("file open error!\n");
      return exit_failed;
    case pi_status::file_write:
      std::printf("file write error!\n");
      return exit_failed;
    case pi_status::rounding:
      std::printf(
          "rounding error too large (%.3g > %.3g): the digits cannot be trusted, pi.txt not replaced\n",
          result.max_rounding_distance, result.rounding_limit);
      return exit_failed;
    case pi_status::verification:
      std::printf(
          "verification failed: the digits differ from pi from decimal %lld on, pi.txt not replaced\n",
          static_cast<long long>(result.first_wrong_decimal));
      return exit_not_verified;
    case pi_status::not_reproducible:
      std::printf("%s, pi.txt not replaced\n", not_reproducible_text(result).c_str());
      return exit_not_verified;
    case pi_status::cancelled:
      std::printf("cancelled: pi.txt not replaced\n");
      return exit_failed;
    case pi_status::threads:
      std::printf("the %d threads of the computation could not be created\n",
                  static_cast<int>(result.threads));
      return exit_failed;
  }
  return exit_failed;
}

}  // namespace

run_outcome run_and_report(pi_driver compute_pi, int32_t digits, const run_display& display) {
  run_context context{display, progress_line{}, 0, 0, 0};
  context.progress.enabled = display.progress && !display.quiet;
  pi_events events{&context, on_started, on_phase_done, nullptr};
  events.threads = display.threads;
  run_outcome outcome{};
  outcome.status = compute_pi(digits, &events, &outcome.result);
  erase_progress(&context.progress);
  outcome.phases_done = context.phases_done;
  outcome.exit_status = report(outcome.status, outcome.result, display.quiet);
  std::fflush(stdout);
  return outcome;
}
