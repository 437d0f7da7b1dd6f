// The stress test of --stress: workers compute pi back to back, each a process of its own
// (stress_worker.h) pinned to its own CPU, each run checked as any run is (rounding margin, limb
// range, digits against the built-in table) but in memory: pi.txt is never touched. The main
// process plans, starts the workers, watches each from a thread of its own, prints the lines and
// writes the records; a worker that crashes, hangs or is killed ends only itself, and is an error
// of its CPU in the run it was computing. With --threads N each worker is one computation on N
// threads, pinned to a set of N CPUs, and an error of it is an error of that set ("cpu 0-7"). The runs take
// their size and vector path in turn from the plan's lists (one size, or the sizes of a blend; one path, or
// every path the processor has). With
// --cycle one worker moves from CPU to CPU instead, so that each core is tested alone, at the clock
// it reaches when the others idle. A run that fails a check is an error of the CPU it ran on: that
// CPU is tested no more (its worker stops; a cycle skips it), the others go on (all stop at the first
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
#include "core/fft/simd_path.h"

// Without DIGITS: 44 MB per worker, far beyond the caches.
constexpr int32_t default_stress_digits = 1 << 22;

struct stress_plan {
  const console_program* program;
  std::vector<int32_t> sizes;        // the digits of a worker's runs, one after the other in turn
  std::vector<simd_path> paths;      // the vector paths of a worker's runs, in turn
  std::vector<std::string> classes;  // what the size classes became (size_class_plan), or none
  std::vector<int32_t> cpus;         // one worker per CPU in this order (per `threads` consecutive
                                     // CPUs: its set); with --cycle the CPUs in the order visited
  int32_t threads = 1;               // of each run, one per CPU of its worker's set; 1 with --cycle
  std::vector<int32_t> idle_cpus{};  // of those chosen, left over by the sets: not tested
  int32_t cycle_seconds = 0;         // 0: every worker at once; else one worker that moves to the
                                     // next CPU after this many seconds (the run in progress first)
  int32_t runs_per_worker = 0;       // 0: no limit; with --cycle the rounds over the CPUs
  int32_t seconds = 0;               // 0: no limit; no run starts later
  bool stop_on_error = false;
  bool quiet = false;         // only the errors and the last line
  bool progress = false;      // standard error is a terminal: a progress line there
  std::FILE* json = nullptr;  // a start record, one record per run and an end record, or null
  bool json_synced = false;   // every record on the disk before the worker's next run starts
};

// The CPUs of the workers: those of --cpus, else those the process may use; with --workers N the
// first N of them, or with `threads` above 1 the first N sets of that many consecutive CPUs (without
// --workers as many sets as there are; the CPUs left over go to *idle). With --cycle, the CPUs in the order
// visited: by default one logical CPU per physical core (of --cpus: every CPU named); --cycle-order alternate
// takes them from both ends in turn (first, last, second, second to last ...), so that every move lands far
// from the core that just worked. Returns false with a one-line refusal (no program name, no line end) when
// --cpus names a CPU the process may not use, the sets need more CPUs than there are, or --cycle
// comes with threads above 1.
bool choose_stress_cpus(const console_options& options, int32_t threads, std::vector<int32_t>* cpus,
                        std::vector<int32_t>* idle, std::string* refusal);

// Runs the test: one line per finished run, the summary table, a line per CPU that failed and a last
// line on standard output, each flushed as written; Ctrl-C or SIGTERM stop every worker at its next
// iteration boundary. No worker process outlives it.
// The main process also reads the hardware's own reports (hardware/hardware_watch.h): a machine
// check that a CPU reports, or a memory controller's error, is a hardware error, of that CPU (which
// is then tested no more, as after a failed run) or of the machine.
// Returns the exit status: exit_not_verified when a run's digits were wrong or not reproducible, or
// a worker crashed or hung, else exit_failed when a run failed (memory, rounding) or a worker was
// killed from outside or could not be started, else exit_hardware_error when the hardware reported
// errors, else 130 or 143 when stopped by a signal, else exit_completed.
int run_stress_test(const stress_plan& plan);
