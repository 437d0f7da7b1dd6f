// The machine-readable record of a run: one JSON object on one line (JSON Lines when a file
// receives several runs).
#pragma once
#include <cstdint>
#include <string>

#include "core/pi/pi.h"

// text as a JSON string literal, quotes included: '"' and '\' escaped, control characters as
// \n, \t ... or \u00XX; other bytes (UTF-8 included) copied unchanged.
std::string json_string(const char* text);

// Appends `"name": json_value` to an object being built ("{" and the members so far; the caller
// closes it with "}").
void add_json_member(std::string* object, const char* name, const std::string& json_value);

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
  const char* time = nullptr;  // stress tests: when the run ended, UTC (utc_time_text)
  const char* vector_path = nullptr;  // the run's vector path; null: the calling thread's
  // Stress tests: a run that its worker process did not end, "crashed", "hung" or "killed", in
  // place of the status, with the error line's text as "worker_failure".
  const char* worker_status = nullptr;
  const char* worker_failure = nullptr;
  // Stress tests: more members, as they are ("\"a\": 1, \"b\": 2"), after the others.
  const char* more_members = nullptr;
};

// The record of one run, without a line end. The largest rounding distance is written with 6
// significant digits, as it always was, and in a stress test with 17, which give the double back
// exactly, so that two records can be compared; it is null when it is not a finite number (JSON has
// none) or when no phase ran. A run whose state left the known answer has the status
// "not_reproducible" and names what differed first in "differing_phase" ("iteration 7"); "record": "run", "worker", "cpu" and "time"
// close the records of a stress test.
std::string json_record(const run_description& run);
