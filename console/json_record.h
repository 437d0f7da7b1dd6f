// The machine-readable record of a run: one JSON object on one line (JSON Lines when a file
// receives several runs).
#pragma once
#include <cstdint>
#include <string>

#include "core/pi/pi.h"

// text as a JSON string literal, quotes included: '"' and '\' escaped, control characters as
// \n, \t ... or \u00XX; other bytes (UTF-8 included) copied unchanged.
std::string json_string(const char* text);

struct run_description {
  const char* program;  // "mevroc" or "sudel"
  int32_t run;          // 1-based number of the run in this process (of its worker in a stress test)
  int32_t phases_done;  // phases 0 .. phases_done - 1 of result->phase_ms ran
  pi_status status;
  int exit_status;  // what the process returns if it ends after this run
  const pi_result* result;
  // Stress tests: the worker (0-based) and the CPU it is pinned to; -1 outside a stress test.
  int32_t worker = -1;
  int32_t cpu = -1;
};

// The record of one run, without a line end. The largest rounding distance is null when it is
// not a finite number (JSON has none) or when no phase ran. A run whose state left the known answer
// has the status "not_reproducible" and names what differed first in "differing_phase" ("iteration
// 7"); "worker" and "cpu" close the records of a stress test.
std::string json_record(const run_description& run);
