#include "console/repeat_loop.h"

#include <algorithm>
#include <vector>

#include "console/console_run.h"
#include "console/json_record.h"

time_summary summarize_times(int32_t* times, int32_t count) {
  std::sort(times, times + count);
  const int64_t middle =
      count % 2 ? times[count / 2] : (int64_t{times[count / 2 - 1]} + times[count / 2]) / 2;
  return {times[0], static_cast<int32_t>(middle), times[count - 1]};
}

int run_repeatedly(const run_series& series) {
  const console_options& options = *series.options;
  const bool repeating = options.repeat > 0;
  const int32_t runs = repeating ? options.repeat : 1;
  std::vector<int32_t> times;

  for (int32_t run = 1; run <= runs; ++run) {
    const run_display display{options.quiet, series.progress, run, runs, series.threads};
    const run_outcome outcome = run_and_report(series.program->compute_pi, series.digits, display);
    // Digits that differ from pi end the run with pi_status::verification, and a state that differs
    // from the known answer with pi_status::not_reproducible: a run that did not verify is a failed
    // run here.
    const bool good = outcome.status == pi_status::ok;

    // Which run failed is part of the failure: said even when quiet.
    if (repeating && good && !options.quiet)
      std::printf("run %d of %d: %d msec, %s\n", run, runs, outcome.result.total_ms,
                  outcome.result.verified ? "verified" : "not verified");
    else if (repeating && !good)
      std::printf("run %d of %d: failed, exit status %d\n", run, runs, outcome.exit_status);
    if (series.json) {
      const run_description description{series.program->name, run,
                                        outcome.phases_done,  outcome.status,
                                        outcome.exit_status,  &outcome.result};
      std::fprintf(series.json, "%s\n", json_record(description).c_str());
      std::fflush(series.json);
    }
    std::fflush(stdout);
    if (!good) return outcome.exit_status;
    times.push_back(outcome.result.total_ms);
  }

  if (repeating && !options.quiet) {
    const time_summary summary = summarize_times(times.data(), runs);
    std::printf("best %d msec, median %d msec, worst %d msec\n", summary.best_ms, summary.median_ms,
                summary.worst_ms);
    std::fflush(stdout);
  }
  return exit_completed;
}
