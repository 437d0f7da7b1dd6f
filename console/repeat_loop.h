// The runs of one invocation: one plain run, or --repeat N runs of the same size with a line per
// run and a summary, each run's JSON record written as it ends.
#pragma once
#include <cstdint>
#include <cstdio>

#include "console/console_main.h"
#include "console/console_options.h"

struct run_series {
  const console_program* program;
  int32_t digits;
  const console_options* options;
  std::FILE* json;  // where the records go, or null
  bool progress;    // standard error is a terminal
  int32_t threads;  // of each computation (--threads)
};

// The best, median and worst of `count` total times (count >= 1); the median of an even count is
// the mean of the middle two, rounded down. Reorders times.
struct time_summary {
  int32_t best_ms, median_ms, worst_ms;
};
time_summary summarize_times(int32_t* times, int32_t count);

// Runs the series and returns the exit status: that of the first run that fails (digits that
// differ from pi included; the loop stops there), else exit_completed. Write errors of the JSON
// stream are left for the caller to find (ferror). pi.txt keeps the digits of the last good run.
int run_repeatedly(const run_series& series);
