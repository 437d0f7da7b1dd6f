// The stress test of --stress: workers compute pi back to back at one size, each a thread pinned to
// its own CPU for its whole life, each run checked as any run is (rounding margin, limb range,
// digits against the built-in table) but in memory: pi.txt is never touched. A run that fails a
// check is an error of its worker's CPU; that worker stops, the others go on (all stop at the first
// error with --stop-on-error). Every run also compares the state after each of its phases, and its
// largest rounding distance, with the known answer of its size (core/pi/known_answers.h) and ends at
// the first phase that differs: a fault that may never have reached the checked digits, and an error
// of that run's CPU too ("not reproducible"). No run is judged against another CPU's.
#pragma once
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "console/console_main.h"
#include "console/console_options.h"

// Without DIGITS: 44 MB per worker, far beyond the caches.
constexpr int32_t default_stress_digits = 1 << 22;

struct stress_plan {
  const console_program* program;
  int32_t digits;
  std::vector<int32_t> cpus;    // one worker per CPU, in this order
  int32_t runs_per_worker = 0;  // 0: no limit
  int32_t seconds = 0;          // 0: no limit; no run starts later
  bool stop_on_error = false;
  bool quiet = false;         // only the errors and the last line
  bool progress = false;      // standard error is a terminal: a progress line there
  std::FILE* json = nullptr;  // one record per run, or null
};

// The CPUs of the workers: those of --cpus, else those the process may use; with --workers N the
// first N of them. Returns false with a one-line refusal (no program name, no line end) when
// --cpus names a CPU the process may not use or N exceeds the CPUs there are.
bool choose_stress_cpus(const console_options& options, std::vector<int32_t>* cpus, std::string* refusal);

// Runs the test: one line per finished run, the summary table and a last line on standard output,
// each flushed as written; Ctrl-C or SIGTERM stop every worker at its next iteration boundary.
// Returns the exit status: exit_not_verified when a run's digits were wrong or not reproducible,
// else exit_failed when a run failed (memory, rounding), else 130 or 143 when stopped by a signal,
// else exit_completed.
int run_stress_test(const stress_plan& plan);
