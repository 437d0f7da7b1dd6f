// A stress test's worker process: pinned to its CPUs (one, or the set of a threaded worker, whose
// runs each compute on one thread per CPU of the set), it computes its runs back to back, each
// checked as any run is but in memory, and hands each run's end to the main process, which judges,
// prints and records it. The main process starts it as PROGRAM --stress-worker ARGUMENTS (not
// listed by --help) with the words of worker_arguments.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "console/console_main.h"
#include "core/fft/simd_path.h"

constexpr char stress_worker_option[] = "--stress-worker";

// What one worker process does. Its turn-th run (0-based) takes sizes[(first_turn + turn) % ...] and
// paths[(first_turn + turn) % ...]; it ends after `runs` runs (0: no limit), after its first run
// that did not verify, when the main process asks it to stop, and, once `start_for_ms` have passed
// since it started (0: no limit), before its next run: its first run always starts.
struct worker_job {
  int64_t parent = 0;  // the main process's id
  std::vector<int32_t> cpus;  // the CPUs it is pinned to, as many as threads
  int32_t threads = 1;        // of each run
  int32_t first_turn = 0;
  int32_t runs = 0;
  int64_t start_for_ms = 0;
  bool acknowledged = false;  // after each run, wait until the main process has its record on the disk
  std::vector<int32_t> sizes;
  std::vector<simd_path> paths;
};

// The words after stress_worker_option that describe the job, and the job from them (false for
// anything else).
std::vector<std::string> worker_arguments(const worker_job& job);
bool parse_worker_arguments(int argc, const char* const* argv, worker_job* job);

// What a worker process sends to the main process, as raw bytes: both ends are the same program.
enum class worker_report_kind : int32_t {
  not_pinned,   // the system refused to pin it to its CPUs; nothing was computed
  cpu_named,    // before the runs of a threaded worker: `cpu` of its set has the APIC id `apic_id`
  phase_ended,  // a sign of life: phase `phase` of run `turn` ended after phase_ms
  run_ended,    // run `turn` ended (not cancelled) with `status`
};
struct worker_report {
  worker_report_kind kind;
  int32_t turn;
  int32_t phase;
  int32_t phase_ms;
  pi_status status;
  int32_t phases_done;  // result.phase_ms[0 .. phases_done - 1] ran
  int32_t cpu;          // the CPU whose APIC id apic_id is: its first (cpu_named: the one named)
  int64_t apic_id;      // by which the hardware's reports name that CPU
  pi_result result;
};

// The main process's bytes to a worker.
constexpr char stop_request = 's';        // end the run in progress at its next iteration boundary
constexpr char record_written = 'a';      // the record of the last run is on the disk

// A worker's sign of life is sent at the end of a phase when this long has passed since its last
// report: the main process hears it at least that often while phases end, at a cost the runs do not feel.
constexpr int32_t sign_of_life_ms = 200;

// The worker process's life: returns its exit status (0 when every report reached the main
// process; a refused job or a main process gone: 1).
int run_stress_worker(int argc, const char* const* argv, const console_program& program);
