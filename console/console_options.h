// The command line of the console programs:  PROGRAM [OPTIONS] [DIGITS]
//
//   -h, --help          usage, exit 0
//   --version           program, version, build and vector path, exit 0
//   -q, --quiet         no timing lines; only failures are printed
//   --repeat N          N runs of the same size (N >= 1); with --stress, N runs per worker
//   --json FILE         one JSON record per run into FILE ("-": standard output after each run)
//   --simd PATH         the transforms' vector path: sse2, avx2, avx512 (with --stress also all)
//   --threads N         one computation on N threads (N >= 1, or all: the CPUs the process may use);
//                       with --stress, each worker one computation on N CPUs
//   --stress            workers compute back to back, one pinned to each CPU, in memory
//   --workers N         with --stress: N workers on the first N CPUs
//   --cpus LIST         with --stress: the CPUs, e.g. 0,2,4-7
//   --seconds S         with --stress: no run starts after S seconds
//   --cycle S           with --stress: one worker, moving to the next CPU every S seconds
//   --cycle-order ORDER with --cycle: cores (default) or alternate
//   --stop-on-error     with --stress: the first error stops every worker
//   --                  what follows is DIGITS even if it starts with '-'
//   DIGITS              a decimal number with an optional suffix K (x 2^10) or M (x 2^20); with
//                       --stress also a size class: l2, l3, ram or blend
//
// Options may come before or after DIGITS; "--name=VALUE" is accepted for every option with a value.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "console/typed_length.h"

struct console_options {
  bool help = false;
  bool version = false;
  bool quiet = false;
  int32_t repeat = 0;          // 0: not asked; the plain single run
  std::string json_path;       // empty: no JSON record
  std::string simd;            // --simd as given: a path's name or "all"; empty: not given
  std::string threads;         // --threads as given: a count or "all"; empty: not given (one thread)
  bool digits_given = false;   // false: the length is asked for on standard input (or, with
                               // --stress, the default stress length)
  typed_length digits_asked;   // DIGITS as given, before rounding
  bool stress = false;
  int32_t workers = 0;        // 0: one per CPU named or allowed
  std::vector<int32_t> cpus;  // --cpus as given, each CPU once; empty: the CPUs the process may use
  int32_t seconds = 0;        // 0: no time limit
  bool stop_on_error = false;
  std::string size_class;     // "l2", "l3", "ram" or "blend" in place of DIGITS; empty: not given
  int32_t cycle_seconds = 0;  // 0: no cycling
  std::string cycle_order;    // --cycle-order as given: "cores" or "alternate"; empty: not given
};

// Fills options from argv[1..argc-1]. Returns false on the first unknown option, missing or bad
// option value, bad or second DIGITS, or an option of --stress without it, with *error saying which
// (no program name, no line end). Whether the CPUs exist is not checked here.
bool parse_options(int argc, const char* const* argv, console_options* options, std::string* error);

// The thread count of --threads as given (empty: 1; "all": allowed_cpus), at most allowed_cpus, the
// CPUs the process may use. False with *refusal saying why (no program name, no line end) for 0, a
// word that is not a count, or more threads than CPUs.
bool thread_count(const std::string& asked, int32_t allowed_cpus, int32_t* threads, std::string* refusal);
