// One run of the AGM driver as the console shows it: the timing lines on standard output (unless
// quiet), the progress line on a terminal's standard error, and the closing line.
#pragma once
#include <cstdint>

#include "console/console_main.h"

struct run_display {
  bool quiet;     // no timing lines and no progress: only a failure's line
  bool progress;  // draw the progress line (standard error is a terminal)
  int32_t run;    // 1-based number of this run, for the progress line
  int32_t runs;   // runs in the series; 1 without --repeat
  int32_t threads = 1;  // the threads of the computation (--threads)
};

struct run_outcome {
  pi_status status;
  pi_result result;
  int32_t phases_done;  // phases reported by the driver: result.phase_ms[0 .. phases_done - 1]
  int exit_status;      // what the process returns if it ends after this run
};

// Computes `digits` with the driver and prints the run as above. Every outcome but a completed,
// verified run prints one line that says why, quiet or not.
run_outcome run_and_report(pi_driver compute_pi, int32_t digits, const run_display& display);
