#include "console/stress/stress_mode.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

#include "console/build_info.h"
#include "console/stress/cpu_caches.h"
#include "console/stress/cpu_set.h"
#include "console/stress/durable_line.h"
#include "console/stress/hardware/hardware_watch.h"
#include "console/stress/text_list.h"
#include "console/json_record.h"
#include "console/known_answer_text.h"
#include "console/progress.h"
#include "console/repeat_loop.h"
#include "console/stress/stop_signals.h"
#include "console/stress/stress_worker.h"
#include "console/stress/worker_process.h"
#include "core/fft/simd_path.h"

namespace {

using steady = std::chrono::steady_clock;

enum class verdict {
  verified,
  failed,
  not_reproducible,
  not_pinned,   // the worker could not be pinned to its CPU (or CPUs): no run
  not_started,  // no worker process (or no thread to watch it) could be started: no run
  crashed,      // the worker process died of a fault (a signal, an exception) during the run
  hung,         // the worker went silent for longer than the hang limit and was stopped
  killed        // the worker process was ended from outside: not the processor's fault
};

// A run as its watcher hands it to the main thread, which prints it.
struct finished_run {
  int32_t slot;  // of the CPU it ran on
  int32_t run;   // 1-based on that CPU
  int32_t digits;
  simd_path path;
  verdict outcome;
  pi_status status;
  int exit_status;
  int32_t phases_done;
  pi_result result;
  std::string worker_failure;  // crashed, hung, killed, not_started: what the error line says
  hardware_figures hardware;   // what the hardware reported on its CPUs during the run
  std::vector<hardware_figures> hardware_of_cpus;  // the same per CPU of its worker's set, in order
};

// One worker of the test: its CPU, or the set of a threaded worker.
struct worker_slot {
  int32_t cpu;                       // its first CPU, by which records and lines are ordered
  std::vector<int32_t> cpus;         // all of them, the first included
  std::string label;                 // cpu_list_text(cpus): "3", "0-7"
  std::vector<cpu_place> places;     // of each CPU
  std::vector<int32_t> verified_ms;  // total times of the verified runs
  int32_t runs = 0, errors = 0;    // errors: the runs that failed
  int64_t hardware_errors = 0;      // reported by the hardware, in its runs or between them
  int exit_status = exit_completed;  // of its error
  std::vector<int32_t> error_sizes;  // the digits and paths of its errors, each once
  std::vector<simd_path> error_paths;
  int32_t lost_run = 0;  // a run whose end could not be handed over (no memory left), not yet printed
  int32_t started = 0;   // runs started on this CPU; only the thread that watches it touches it
  // While a worker process computes on this CPU:
  worker_process* process = nullptr;
  steady::time_point last_heard;  // its start, or its last report
  int32_t running_digits = 0;     // the size of its run in progress
  bool stop_sent = false;
  int64_t hung_after_ms = 0;      // set when it was stopped as hung: the limit it passed
  std::map<int32_t, int32_t> longest_phase_ms;  // by size: the longest phase heard on this CPU
};

// Everything the threads share. The slots (but `started`), the queues and the count of watchers done
// are guarded by `lock`; the record stream by `json_lock`.
struct stress_state {
  const stress_plan* plan;
  std::unique_ptr<hardware_watch> hardware;  // thread-safe itself
  steady::time_point start;
  std::atomic<bool> stop{false};  // set at the first error with --stop-on-error
  std::mutex lock;
  std::condition_variable changed;
  std::deque<finished_run> finished;  // not printed yet
  std::deque<hardware_notice> notices;  // not printed yet
  std::vector<worker_slot> workers;
  int32_t workers_done = 0;
  std::mutex json_lock;
  bool records_failed = false;  // a record could not be written or synced
  std::vector<std::string> source_failures;  // the main thread's: the lines of sources that failed
};

bool stop_requested(const stress_state& s) { return s.stop.load() || stop_signal_status() != 0; }

bool past_deadline(const stress_state& s) {
  return s.plan->seconds > 0 && steady::now() - s.start >= std::chrono::seconds(s.plan->seconds);
}

bool may_start_run(const stress_state& s) { return !stop_requested(s) && !past_deadline(s); }

int64_t milliseconds_since(steady::time_point t) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(steady::now() - t).count();
}

// How long a worker may go without a sign of life (a phase that ended, a run that ended) before it
// is stopped as hung: 20 times the longest phase heard on its CPU at the size it runs, and at least
// 10 s, since the phases of one size take much the same time; before any phase of that size was
// heard, 10 s for every 2^22 digits (a phase of a 2^22-digit run takes a fraction of a second on any
// machine that runs it, and a phase's time grows a little faster than the size), at least 10 s.
int64_t hang_limit_ms(const worker_slot& w) {
  constexpr int64_t least_ms = 10000;
  const auto heard = w.longest_phase_ms.find(w.running_digits);
  if (heard != w.longest_phase_ms.end()) return std::max<int64_t>(least_ms, 20 * int64_t{heard->second});
  return std::max<int64_t>(least_ms, least_ms * (w.running_digits >> 22));
}

// The verdict on a run that ended (not cancelled). The run itself compared every phase with the
// known answer of its size, so it is judged on its own: never against another worker's run, which
// may be the faulty one.
void judge(finished_run* f) {
  switch (f->status) {
    case pi_status::ok:
      f->outcome = verdict::verified;
      f->exit_status = f->hardware.errors() > 0 ? exit_hardware_error : exit_completed;
      return;
    case pi_status::not_reproducible:
      f->outcome = verdict::not_reproducible;
      f->exit_status = exit_not_verified;
      return;
    default:
      f->outcome = verdict::failed;
      f->exit_status = f->status == pi_status::verification ? exit_not_verified : exit_failed;
  }
}

void write_record(stress_state* s, const std::string& record) {
  std::lock_guard<std::mutex> hold(s->json_lock);
  if (!write_durable_line(s->plan->json, record, s->plan->json_synced)) s->records_failed = true;
}

template <typename T>
void add_once(std::vector<T>* list, T value) {
  if (std::find(list->begin(), list->end(), value) == list->end()) list->push_back(value);
}

// Hands a run to the main thread and counts it; returns true when it was an error of its CPU: it
// failed, or the hardware reported errors during it. A worker that could not be pinned or started
// counts as a run that failed, so that the last line's counts agree.
bool post(stress_state* s, const finished_run& f) {
  std::lock_guard<std::mutex> hold(s->lock);
  worker_slot& w = s->workers[f.slot];
  s->finished.push_back(f);  // first: the only step that may throw
  const bool failed = f.outcome != verdict::verified;
  ++w.runs;
  w.hardware_errors += f.hardware.errors();
  if (failed) {
    ++w.errors;
    w.exit_status = std::max(w.exit_status, f.exit_status);
    if (f.outcome != verdict::not_pinned && f.outcome != verdict::not_started)
      add_once(&w.error_sizes, f.digits), add_once(&w.error_paths, f.path);
  } else {
    w.verified_ms.push_back(f.result.total_ms);
  }
  const bool error = failed || f.hardware.errors() > 0;
  if (error && s->plan->stop_on_error) s->stop = true;
  s->changed.notify_all();
  return error;
}

// Hands a line of the hardware's reports to the main thread; its errors count as errors of its
// CPU, or of the machine.
void post_notice(stress_state* s, const hardware_notice& notice) {
  std::lock_guard<std::mutex> hold(s->lock);
  s->notices.push_back(notice);
  for (worker_slot& w : s->workers)
    if (std::find(w.cpus.begin(), w.cpus.end(), notice.cpu) != w.cpus.end())
      w.hardware_errors += notice.errors;
  if (notice.errors > 0 && s->plan->stop_on_error) s->stop = true;
  s->changed.notify_all();
}

// The record of a finished run, on the disk before the run is handed over.
void record_run(stress_state* s, const finished_run& f) {
  const stress_plan& plan = *s->plan;
  if (!plan.json) return;
  const std::string time = utc_time_text();
  const char* worker_status = f.outcome == verdict::crashed ? "crashed"
                              : f.outcome == verdict::hung  ? "hung"
                              : f.outcome == verdict::killed ? "killed"
                                                             : nullptr;
  run_description description{plan.program->name, f.run, f.phases_done, f.status, f.exit_status, &f.result};
  description.worker = plan.cycle_seconds > 0 ? 0 : f.slot;
  const worker_slot& w = s->workers[f.slot];
  description.cpu = w.cpu;
  description.time = time.c_str();
  description.vector_path = simd_path_name(f.path);
  description.worker_status = worker_status;
  description.worker_failure = worker_status ? f.worker_failure.c_str() : nullptr;
  const std::string more = "\"cpus\": " + json_string(w.label.c_str()) + ", " +
                           hardware_json_members(*s->hardware, w.cpu, f.hardware);
  description.more_members = more.c_str();
  write_record(s, json_record(description));
}

// A worker that ended before a run could: it could not be pinned, or not be started.
bool post_no_run(stress_state* s, int32_t slot, verdict outcome, const std::string& why) {
  finished_run f{};
  f.slot = slot;
  f.outcome = outcome;
  f.exit_status = exit_failed;
  f.worker_failure = why;
  return post(s, f);
}

enum class run_end { verified, error, cancelled };

// What the watcher heard of its worker: a sign of life, and the phases' times at the size it runs.
void hear(stress_state* s, int32_t slot, const worker_report& r, int32_t next_digits) {
  std::lock_guard<std::mutex> hold(s->lock);
  worker_slot& w = s->workers[slot];
  w.last_heard = steady::now();
  if (r.kind != worker_report_kind::not_pinned) s->hardware->learn_apic_id(r.cpu, r.apic_id);
  // A size has its entry only once one of its phases was heard.
  const auto heard = [&](int32_t phase_ms) {
    int32_t& longest = w.longest_phase_ms[w.running_digits];
    longest = std::max(longest, phase_ms);
  };
  if (r.kind == worker_report_kind::phase_ended) heard(r.phase_ms);
  if (r.kind != worker_report_kind::run_ended) return;
  for (int32_t phase = 0; phase < r.phases_done; ++phase) heard(r.result.phase_ms[phase]);
  w.running_digits = next_digits;
}

// How the death of a worker process reads in its error line, and the exit status it stands for.
void describe_death(const worker_end& end, int64_t hung_after_ms, finished_run* f) {
  if (hung_after_ms > 0) {
    f->outcome = verdict::hung, f->exit_status = exit_not_verified;
    f->worker_failure = "the worker hung: no phase ended within " + std::to_string(hung_after_ms / 1000) +
                        " s (the limit at this size), so it was stopped";
  } else if (end.kind == worker_end_kind::crashed) {
    f->outcome = verdict::crashed, f->exit_status = exit_not_verified;
    f->worker_failure = "the worker crashed (" + end.name + "): the processor computed a wrong address or instruction";
  } else if (end.kind == worker_end_kind::killed) {
    f->outcome = verdict::killed, f->exit_status = exit_failed;
    f->worker_failure = "the worker was killed from outside (" + end.name + "): not a fault of this processor";
  } else {
    f->outcome = verdict::killed, f->exit_status = exit_failed;
    f->worker_failure = "the worker ended unexpectedly (exit status " + std::to_string(end.code) + ")";
  }
}

// A worker process registered on its slot for the main thread, which may stop it or, when it is
// silent past the hang limit, kill it; unregistered, killed if still running (the watcher is
// leaving through an exception) and waited for however the watcher leaves.
struct watched_process {
  stress_state* s;
  int32_t slot;
  worker_process process;
  bool waited = false;
  worker_end end{};
  int64_t hung_after_ms = 0;

  void watch(int32_t digits) {
    std::lock_guard<std::mutex> hold(s->lock);
    worker_slot& w = s->workers[slot];
    w.process = &process, w.last_heard = steady::now(), w.running_digits = digits;
    w.stop_sent = false, w.hung_after_ms = 0;
  }
  void wait() {
    {
      std::lock_guard<std::mutex> hold(s->lock);
      s->workers[slot].process = nullptr;
      hung_after_ms = s->workers[slot].hung_after_ms;
    }
    end = wait_for_worker_process(&process);
    waited = true;
  }
  ~watched_process() {
    if (waited) return;
    kill_worker_process(&process);
    wait();
  }
};

// The runs on `cpus` (a worker's) ended, and run `next_run` (0: none) began on them: what the
// hardware reported on each during it, and in all.
hardware_figures runs_ended(stress_state* s, const std::vector<int32_t>& cpus, int32_t next_run,
                            std::vector<hardware_figures>* each) {
  hardware_figures all;
  each->clear();
  for (int32_t cpu : cpus) {
    each->push_back(s->hardware->run_ended(cpu, next_run));
    all.add(each->back());
  }
  return all;
}

// Runs `job` in a worker process on the CPU of `slot` and hands each of its runs to the main thread
// as it ends, its record on the disk first; a worker that died during a run is that run's error.
// Returns how the last run ended; *turns: the turns of the job that were used (runs started).
run_end watch_worker(stress_state* s, int32_t slot, const worker_job& job, int32_t* turns) {
  *turns = 0;
  const auto digits_of = [&](int32_t turn) { return job.sizes[(job.first_turn + turn) % job.sizes.size()]; };
  const auto path_of = [&](int32_t turn) { return job.paths[(job.first_turn + turn) % job.paths.size()]; };
  std::vector<std::string> arguments{stress_worker_option};
  for (const std::string& a : worker_arguments(job)) arguments.push_back(a);

  watched_process worker{s, slot, {}};
  std::string why;
  if (!start_worker_process(arguments, &worker.process, &why)) {
    worker.waited = true;
    post_no_run(s, slot, verdict::not_started, why);
    return run_end::error;
  }
  worker.watch(digits_of(0));
  const std::vector<int32_t>& cpus = s->workers[slot].cpus;
  const std::string& label = s->workers[slot].label;
  for (int32_t cpu : cpus) s->hardware->run_started(cpu, s->workers[slot].started + 1);
  run_end end = run_end::cancelled;
  steady::time_point run_start = steady::now();
  worker_report r;
  while (receive_from_worker(&worker.process, &r, sizeof r)) {
    hear(s, slot, r, digits_of(r.turn + 1));
    if (r.kind == worker_report_kind::phase_ended || r.kind == worker_report_kind::cpu_named) continue;
    if (r.kind == worker_report_kind::not_pinned) {
      post_no_run(s, slot, verdict::not_pinned,
                  cpus.size() == 1 ? "this worker could not be pinned to its CPU"
                                   : "this worker could not be pinned to its CPUs");
      end = run_end::error;
      continue;
    }
    finished_run f{};
    f.slot = slot;
    f.run = ++s->workers[slot].started;
    f.digits = digits_of(r.turn);
    f.path = path_of(r.turn);
    f.status = r.status;
    f.phases_done = r.phases_done;
    f.result = r.result;
    // The worker goes on to its next run at once, unless this one failed.
    f.hardware = runs_ended(s, cpus, r.status == pi_status::ok ? f.run + 1 : 0, &f.hardware_of_cpus);
    judge(&f);
    record_run(s, f);
    end = post(s, f) ? run_end::error : run_end::verified;
    // A run that verified while the hardware reported errors does not end the worker by itself.
    if (end == run_end::error && f.outcome == verdict::verified) send_to_worker(&worker.process, stop_request);
    *turns = r.turn + 1;
    if (job.acknowledged) send_to_worker(&worker.process, record_written);
    run_start = steady::now();
  }
  worker.wait();
  std::vector<hardware_figures> after_each;
  hardware_figures after = runs_ended(s, cpus, 0, &after_each);
  if (worker.hung_after_ms == 0 && worker.end.kind == worker_end_kind::exited && worker.end.code == 0) {
    // Errors heard after its last run, before it ended.
    for (size_t i = 0; i < cpus.size(); ++i)
      if (after_each[i].errors() > 0)
        post_notice(s, {cpus[i], after_each[i].errors(),
                        cpu_hardware_line(label, cpus[i], after_each[i], "after its last run")});
    return end;
  }

  // It died in the run after the last one it handed over.
  finished_run f{};
  f.hardware = std::move(after);
  f.hardware_of_cpus = std::move(after_each);
  f.slot = slot;
  f.run = ++s->workers[slot].started;
  f.digits = digits_of(*turns);
  f.path = path_of(*turns);
  f.result.digits = f.digits;
  f.result.iterations = pi_iterations(f.digits);
  f.result.memory_bytes = pi_memory_bytes(f.digits);
  f.result.total_ms = static_cast<int32_t>(milliseconds_since(run_start));
  describe_death(worker.end, worker.hung_after_ms, &f);
  ++*turns;
  record_run(s, f);
  post(s, f);
  return run_end::error;
}

// The job of a worker from turn `turn` on, on the CPU of `slot`.
worker_job job_for(const stress_state& s, int32_t slot, int32_t turn) {
  const stress_plan& plan = *s.plan;
  worker_job job;
#ifdef _WIN32
  job.parent = GetCurrentProcessId();
#else
  job.parent = getpid();
#endif
  job.cpus = s.workers[slot].cpus;
  job.threads = static_cast<int32_t>(job.cpus.size());
  job.first_turn = turn;
  job.runs = plan.cycle_seconds > 0 ? 0 : plan.runs_per_worker;
  // A visit of the cycle ends after cycle_seconds, and no run starts once the test's seconds are up.
  if (plan.seconds > 0) job.start_for_ms = std::max<int64_t>(1, int64_t{plan.seconds} * 1000 - milliseconds_since(s.start));
  const int64_t visit_ms = int64_t{plan.cycle_seconds} * 1000;
  if (visit_ms > 0) job.start_for_ms = job.start_for_ms > 0 ? std::min(job.start_for_ms, visit_ms) : visit_ms;
  job.acknowledged = plan.json && plan.json_synced;
  job.sizes = plan.sizes;
  job.paths = plan.paths;
  return job;
}

// A run lost for want of memory to hand it over: counted as a failed run of its CPU, and printed by
// the main thread from the slot alone.
void lose_run(stress_state* s, int32_t slot) {
  std::lock_guard<std::mutex> hold(s->lock);
  worker_slot& w = s->workers[slot];
  ++w.runs, ++w.errors;
  w.exit_status = std::max(w.exit_status, exit_failed);
  w.lost_run = std::max(w.started, 1);
}

void worker_done(stress_state* s) {
  std::lock_guard<std::mutex> hold(s->lock);
  ++s->workers_done;
  s->changed.notify_all();
}

// The watcher of one CPU's worker for the whole test.
void watch_cpu(stress_state* s, int32_t slot) {
  try {
    int32_t turns;
    if (may_start_run(*s)) watch_worker(s, slot, job_for(*s, slot, 0), &turns);
  } catch (const std::bad_alloc&) {
    lose_run(s, slot);
  }
  worker_done(s);
}

int64_t hardware_errors_of(stress_state* s, int32_t slot) {
  std::lock_guard<std::mutex> hold(s->lock);
  return s->workers[slot].hardware_errors;
}

// The one worker of --cycle: round after round over the CPUs in order, a worker process on each
// until cycle_seconds have passed (at least one run), skipping the CPUs that failed or whose
// hardware reported errors.
void run_cycle(stress_state* s) {
  const stress_plan& plan = *s->plan;
  const int32_t cpus = static_cast<int32_t>(s->workers.size());
  std::vector<bool> failed(cpus);
  int32_t slot = 0, turn = 0;
  try {
    for (int32_t round = 1; plan.runs_per_worker == 0 || round <= plan.runs_per_worker; ++round) {
      bool visited = false;
      for (slot = 0; slot < cpus && may_start_run(*s); ++slot) {
        if (failed[slot] || hardware_errors_of(s, slot) > 0) continue;
        visited = true;
        int32_t turns;
        failed[slot] = watch_worker(s, slot, job_for(*s, slot, turn), &turns) == run_end::error;
        turn += turns;
      }
      if (!visited || !may_start_run(*s)) break;
    }
  } catch (const std::bad_alloc&) {
    lose_run(s, std::min(slot, cpus - 1));
  }
  worker_done(s);
}

// What the main thread does for the workers between its lines, every tenth of a second: passes a
// stop on to every worker process, and stops a worker that has been silent past its hang limit. A
// main thread that was itself held (the whole test suspended) hears every worker anew.
void tend_workers(stress_state* s, steady::time_point* last_tended) {
  std::lock_guard<std::mutex> hold(s->lock);
  const steady::time_point now = steady::now();
  const bool held = now - *last_tended > std::chrono::seconds(2);
  *last_tended = now;
  const bool stop = stop_requested(*s);
  for (worker_slot& w : s->workers) {
    if (!w.process) continue;
    if (held) w.last_heard = now;
    if (stop && !w.stop_sent) send_to_worker(w.process, stop_request), w.stop_sent = true;
    const int64_t limit = hang_limit_ms(w);
    if (w.hung_after_ms == 0 && milliseconds_since(w.last_heard) > limit) {
      w.hung_after_ms = limit;
      kill_worker_process(w.process);
    }
  }
}

// What failed, for the error line: the check and the step where it failed.
std::string failure_text(const finished_run& f) {
  char text[200];
  switch (f.outcome) {
    case verdict::not_pinned:
    case verdict::not_started:
    case verdict::crashed:
    case verdict::hung:
    case verdict::killed:
      return f.worker_failure;
    case verdict::not_reproducible:
      return not_reproducible_text(f.result);  // names the phase that differed
    case verdict::verified:
    case verdict::failed:
      break;
  }
  // Both checks look at the run's end: the rounding distances of all its products, the digits of
  // the final quotient.
  switch (f.status) {
    case pi_status::memory:
      return "Memory Allocation Failure!";
    case pi_status::threads:
      return "the " + std::to_string(f.result.threads) + " threads of the computation could not be created";
    case pi_status::rounding:
      std::snprintf(text, sizeof text, "rounding error too large (%.3g > %.3g), checked after the final quotient",
                    f.result.max_rounding_distance, f.result.rounding_limit);
      return text;
    case pi_status::verification:
      std::snprintf(text, sizeof text, "the digits differ from pi from decimal %lld on, in the final quotient",
                    static_cast<long long>(f.result.first_wrong_decimal));
      return text;
    default:
      return "the run failed";
  }
}

void print_run(const stress_state& s, const finished_run& f) {
  const worker_slot& w = s.workers[f.slot];
  const char* cpu = w.label.c_str();
  if (f.outcome == verdict::not_pinned || f.outcome == verdict::not_started) {
    std::printf("cpu %s  error: %s\n", cpu, failure_text(f).c_str());
  } else if (f.outcome != verdict::verified || !s.plan->quiet) {
    std::printf("cpu %s  run %d  %d digits  %s  %d msec  %s%s\n", cpu, f.run, f.digits,
                simd_path_name(f.path), f.result.total_ms,
                f.outcome == verdict::verified ? "verified" : "error: ",
                f.outcome == verdict::verified ? "" : failure_text(f).c_str());
  }
  for (size_t i = 0; i < f.hardware_of_cpus.size(); ++i)
    if (f.hardware_of_cpus[i].errors() > 0)
      std::printf("%s\n", cpu_hardware_line(w.label, w.cpus[i], f.hardware_of_cpus[i],
                                            "during run " + std::to_string(f.run))
                              .c_str());
  std::fflush(stdout);
}

// A line of the hardware's reports outside a run's; with --quiet only those that report errors.
void print_notice(const stress_state& s, const hardware_notice& n) {
  if (n.errors > 0 || !s.plan->quiet) std::printf("%s\n", n.text.c_str());
}

// The cores (or packages) of a worker's CPUs, each once: "3", "0-3"; "-" where one is not known.
std::string places_text(const worker_slot& w, int32_t cpu_place::*member) {
  std::vector<int32_t> values;
  for (const cpu_place& p : w.places) {
    if (p.*member < 0) return "-";
    add_once(&values, p.*member);
  }
  std::sort(values.begin(), values.end());
  return cpu_list_text(values);
}

// What the hardware reported over the test on a worker's CPUs, together.
hardware_figures test_figures_of(const stress_state& s, const worker_slot& w) {
  hardware_figures all;
  for (int32_t cpu : w.cpus) all.add(s.hardware->test_figures(cpu));
  return all;
}

// "CPU 3", "CPUs 0-7": a worker in the sentences of the last line.
std::string cpus_named(const worker_slot& w) { return (w.cpus.size() == 1 ? "CPU " : "CPUs ") + w.label; }

// The best, median and worst time of a CPU's verified runs, as `none` where it has none.
std::vector<std::string> time_texts(const worker_slot& w, const std::string& none) {
  if (w.verified_ms.empty()) return {none, none, none};
  std::vector<int32_t> times = w.verified_ms;
  const time_summary t = summarize_times(times.data(), static_cast<int32_t>(times.size()));
  return {std::to_string(t.best_ms), std::to_string(t.median_ms), std::to_string(t.worst_ms)};
}

// The table: one row per CPU, with the hardware's figures over the test in the columns of the
// sources found, each as wide as its widest cell.
void print_summary(const stress_state& s) {
  const std::vector<std::string> columns = hardware_columns(*s.hardware);
  std::vector<std::vector<std::string>> cells;
  std::vector<size_t> widths;
  for (const std::string& c : columns) widths.push_back(c.size());
  for (const worker_slot& w : s.workers) {
    cells.push_back(hardware_cells(*s.hardware, w.cpu, test_figures_of(s, w)));
    for (size_t i = 0; i < widths.size(); ++i) widths[i] = std::max(widths[i], cells.back()[i].size());
  }
  const auto print_extra = [&](const std::vector<std::string>& row) {
    for (size_t i = 0; i < row.size(); ++i) std::printf(" %*s", static_cast<int>(widths[i]), row[i].c_str());
    std::printf("\n");
  };
  std::printf("%4s %5s %8s %6s %7s %8s %10s %9s", "cpu", "core", "package", "runs", "errors", "best ms",
              "median ms", "worst ms");
  print_extra(columns);
  for (size_t row = 0; row < s.workers.size(); ++row) {
    const worker_slot& w = s.workers[row];
    const std::vector<std::string> t = time_texts(w, "-");
    const std::string &best = t[0], &median = t[1], &worst = t[2];
    std::printf("%4s %5s %8s %6d %7d %8s %10s %9s", w.label.c_str(), places_text(w, &cpu_place::core).c_str(),
                places_text(w, &cpu_place::package).c_str(), w.runs, w.errors, best.c_str(), median.c_str(),
                worst.c_str());
    print_extra(cells[row]);
  }
  // "cpu 5: 2 errors, at 32768 digits on avx2": where each failed CPU failed.
  for (const worker_slot& w : s.workers) {
    if (w.errors == 0) continue;
    std::printf("cpu %s: %d %s", w.label.c_str(), w.errors, w.errors == 1 ? "error" : "errors");
    if (!w.error_sizes.empty())
      std::printf(", at %s digits on %s",
                  listed(w.error_sizes, [](int32_t d) { return std::to_string(d); }).c_str(),
                  listed(w.error_paths, simd_path_name).c_str());
    std::printf("\n");
  }
  // "cpu 3: the hardware reported 2 corrected errors (THR) during the test": every hardware error.
  // A threaded worker's line names its set and the CPU of the set that reported them.
  for (const worker_slot& w : s.workers)
    for (int32_t cpu : w.cpus) {
      const hardware_figures f = s.hardware->test_figures(cpu);
      if (f.errors() == 0) continue;
      std::printf("cpu %s: the hardware reported %s during the test", w.label.c_str(),
                  machine_checks_text(f).c_str());
      std::printf(w.cpus.size() > 1 ? " (reported by CPU %d)\n" : "\n", cpu);
    }
  for (const memory_error_count& m : s.hardware->memory_rises())
    std::printf("%s during the test\n", memory_errors_text(m).c_str());
  const int64_t others = s.hardware->errors_on_other_cpus();
  if (others > 0)
    std::printf("the hardware reported %lld %s on CPUs not under test\n", static_cast<long long>(others),
                others == 1 ? "error" : "errors");
}

// Who reported the hardware errors of the test: "CPU 1, memory controller mc0 and CPUs not under
// test"; "" when none did.
std::string hardware_error_sources(const stress_state& s) {
  std::vector<std::string> sources;
  for (const worker_slot& w : s.workers)
    if (w.hardware_errors > 0) sources.push_back(cpus_named(w));
  for (const memory_error_count& m : s.hardware->memory_rises()) add_once(&sources, "memory controller " + m.controller);
  if (s.hardware->errors_on_other_cpus() > 0) sources.push_back("CPUs not under test");
  return listed(sources);
}

// "all 54 runs verified on 2 CPUs", or the CPUs that failed.
std::string last_line(const stress_state& s) {
  int32_t runs = 0, errors = 0;
  size_t cpus = 0;
  std::vector<const worker_slot*> failed;
  for (const worker_slot& w : s.workers) {
    runs += w.runs, errors += w.errors, cpus += w.cpus.size();
    if (w.errors > 0) failed.push_back(&w);
  }
  const std::string on = std::to_string(cpus) + (cpus == 1 ? " CPU" : " CPUs");
  const std::string hardware = hardware_error_sources(s);
  if (errors == 0)
    return (runs == 0 ? "no run finished on " + on
                      : "all " + std::to_string(runs) + (runs == 1 ? " run" : " runs") + " verified on " + on) +
           (hardware.empty() ? "" : ", but the hardware reported errors: " + hardware);
  std::string list;
  for (const worker_slot* w : failed) list += (list.empty() ? "" : ", ") + w->label;
  const bool one = failed.size() == 1 && failed[0]->cpus.size() == 1;
  return std::string(one ? "errors on CPU " : "errors on CPUs ") + list + ": " + std::to_string(errors) +
         " of " + std::to_string(runs) + (runs == 1 ? " run" : " runs") + " failed" +
         (hardware.empty() ? "" : "; the hardware reported errors: " + hardware);
}

// Wrong digits outrank a failed run, which outranks the hardware's errors (they are the verdict of
// a test whose runs all verified), which outrank a stop by a signal.
int exit_status_of(const stress_state& s) {
  const auto any = [&](int status) {
    return std::any_of(s.workers.begin(), s.workers.end(),
                       [&](const worker_slot& w) { return w.exit_status == status; });
  };
  if (any(exit_not_verified)) return exit_not_verified;
  if (any(exit_failed)) return exit_failed;
  if (!hardware_error_sources(s).empty()) return exit_hardware_error;
  return stop_signal_status() != 0 ? stop_signal_status() : exit_completed;
}

std::string count_text(int64_t count, const char* one, const char* many) {
  return std::to_string(count) + " " + (count == 1 ? one : many);
}

// The CPUs of each worker: one each, or `threads` consecutive ones of the plan's (with --cycle one
// each: the CPUs visited).
std::vector<std::vector<int32_t>> worker_sets(const stress_plan& plan) {
  std::vector<std::vector<int32_t>> sets;
  const size_t n = plan.cycle_seconds > 0 ? 1 : static_cast<size_t>(plan.threads);
  for (size_t i = 0; i + n <= plan.cpus.size(); i += n)
    sets.emplace_back(plan.cpus.begin() + i, plan.cpus.begin() + i + n);
  return sets;
}

std::string start_line(const stress_plan& plan) {
  const std::vector<int32_t>& sizes = plan.sizes;
  std::string until = "until Ctrl-C";
  if (plan.runs_per_worker > 0)
    until = plan.cycle_seconds > 0 ? count_text(plan.runs_per_worker, "round", "rounds")
                                   : count_text(plan.runs_per_worker, "run", "runs") + " each";
  if (plan.seconds > 0)
    until = (plan.runs_per_worker > 0 ? until + ", " : "") + "for " + std::to_string(plan.seconds) + " seconds";
  std::string workers;
  if (plan.cycle_seconds > 0) {
    workers = "1 worker of " + std::string(plan.program->name) + " cycling over CPUs " +
              cpu_list_text(plan.cpus) + " every " + count_text(plan.cycle_seconds, "second", "seconds");
  } else if (plan.threads == 1) {
    workers = count_text(static_cast<int64_t>(plan.cpus.size()), "worker", "workers") + " of " +
              plan.program->name + " on CPU" + (plan.cpus.size() == 1 ? " " : "s ") +
              cpu_list_text(plan.cpus);
  } else {
    // "2 workers of P on CPUs 0-3 and 4-7 (4 threads each; CPUs 8-9 left idle)"
    const std::vector<std::vector<int32_t>> sets = worker_sets(plan);
    workers = count_text(static_cast<int64_t>(sets.size()), "worker", "workers") + " of " +
              plan.program->name + " on CPUs " + listed(sets, cpu_list_text) + " (" +
              std::to_string(plan.threads) + " threads each" +
              (plan.idle_cpus.empty() ? ""
                                      : std::string("; CPU") + (plan.idle_cpus.size() == 1 ? " " : "s ") +
                                            cpu_list_text(plan.idle_cpus) + " left idle") +
              ")";
  }
  const std::string size =
      sizes.size() == 1 ? std::to_string(sizes[0]) + " digits, " + std::to_string(pi_memory_bytes(sizes[0])) + " bytes each"
                        : std::to_string(sizes.front()) + " to " + std::to_string(sizes.back()) +
                              " digits in turn, up to " + std::to_string(pi_memory_bytes(sizes.back())) +
                              " bytes each";
  const std::string paths = plan.paths.size() == 1
                                ? std::string(simd_path_name(plan.paths[0])) + " path"
                                : "paths " + listed(plan.paths, simd_path_name) + " in turn";
  return "stress test: " + workers + ", " + size + ", " + paths + ", " + until;
}

std::string json_list(const std::vector<std::string>& values) {
  std::string out = "[";
  for (const std::string& v : values) out += (out.size() > 1 ? ", " : "") + v;
  return out + "]";
}

std::string json_numbers(const std::vector<int32_t>& values) {
  std::vector<std::string> texts;
  for (int32_t v : values) texts.push_back(std::to_string(v));
  return json_list(texts);
}

// The record before any run: the plan, and the machine as read (its processor and the caches of the
// test's CPUs).
std::string start_record(const stress_plan& plan, const hardware_watch& hardware) {
  std::vector<std::string> paths, classes, caches, found, not_found;
  for (const hardware_source& h : hardware.sources())
    (h.found ? found : not_found).push_back(json_string(source_text(h).c_str()));
  for (simd_path p : plan.paths) paths.push_back(json_string(simd_path_name(p)));
  for (const std::string& line : plan.classes) classes.push_back(json_string(line.c_str()));
  for (int32_t cpu : plan.cpus)
    for (const cpu_cache& c : cpu_caches(cpu))
      caches.push_back("{\"cpu\": " + std::to_string(cpu) + ", \"level\": " + std::to_string(c.level) +
                       ", \"bytes\": " + std::to_string(c.bytes) + ", \"shared_by\": " + json_numbers(c.cpus) + "}");
  std::string out = "{";
  add_json_member(&out, "record", json_string("start"));
  add_json_member(&out, "time", json_string(utc_time_text().c_str()));
  add_json_member(&out, "program", json_string(plan.program->name));
  add_json_member(&out, "version", json_string(program_version()));
  add_json_member(&out, "cpus", json_numbers(plan.cpus));
  add_json_member(&out, "threads", std::to_string(plan.threads));
  add_json_member(&out, "idle_cpus", json_numbers(plan.idle_cpus));
  add_json_member(&out, "cycle_seconds", std::to_string(plan.cycle_seconds));
  add_json_member(&out, "sizes", json_numbers(plan.sizes));
  add_json_member(&out, "vector_paths", json_list(paths));
  add_json_member(&out, "size_classes", json_list(classes));
  add_json_member(&out, "runs_per_worker", std::to_string(plan.runs_per_worker));
  add_json_member(&out, "seconds", std::to_string(plan.seconds));
  add_json_member(&out, "stop_on_error", plan.stop_on_error ? "true" : "false");
  add_json_member(&out, "processor", json_string(processor_name().c_str()));
  add_json_member(&out, "os", json_string(operating_system_name().c_str()));
  add_json_member(&out, "caches", json_list(caches));
  add_json_member(&out, "hardware_sources", json_list(found));
  add_json_member(&out, "hardware_not_found", json_list(not_found));
  return out + "}";
}

// The record after the last run: the summary table's figures, the last line and the exit status. A file without it
// is the log of a test that did not end (a crash, a kill).
std::string end_record(const stress_state& s, int exit_status) {
  std::vector<std::string> cpus;
  for (const worker_slot& w : s.workers) {
    const std::vector<std::string> t = time_texts(w, "null");
    cpus.push_back("{\"cpu\": " + std::to_string(w.cpu) + ", \"cpus\": " + json_string(w.label.c_str()) +
                   ", \"runs\": " + std::to_string(w.runs) + ", \"errors\": " + std::to_string(w.errors) +
                   ", \"best_ms\": " + t[0] + ", \"median_ms\": " + t[1] + ", \"worst_ms\": " + t[2] + ", " +
                   hardware_json_members(*s.hardware, w.cpu, test_figures_of(s, w)) + "}");
  }
  std::vector<std::string> memory;
  for (const memory_error_count& m : s.hardware->memory_rises())
    memory.push_back("{\"controller\": " + json_string(m.controller.c_str()) + ", \"dimm\": " +
                     (m.dimm.empty() ? "null" : json_string(m.dimm.c_str())) + ", \"corrected\": " +
                     std::to_string(m.corrected) + ", \"uncorrected\": " + std::to_string(m.uncorrected) + "}");
  int64_t hardware_errors = s.hardware->errors_on_other_cpus();
  for (const worker_slot& w : s.workers) hardware_errors += w.hardware_errors;
  for (const memory_error_count& m : s.hardware->memory_rises()) hardware_errors += m.corrected + m.uncorrected;
  std::string out = "{";
  add_json_member(&out, "record", json_string("end"));
  add_json_member(&out, "time", json_string(utc_time_text().c_str()));
  add_json_member(&out, "cpus", json_list(cpus));
  add_json_member(&out, "hardware_errors", std::to_string(hardware_errors));
  add_json_member(&out, "memory_errors", json_list(memory));
  std::vector<std::string> failures;
  for (const std::string& f : s.source_failures) failures.push_back(json_string(f.c_str()));
  add_json_member(&out, "hardware_source_failures", json_list(failures));
  add_json_member(&out, "last_line", json_string(last_line(s).c_str()));
  add_json_member(&out, "exit_status", std::to_string(exit_status));
  return out + "}";
}

// Joins every watcher however the main thread leaves (a worker process still running is asked to
// stop).
struct worker_threads {
  stress_state* state;
  std::vector<std::thread> threads;
  ~worker_threads() {
    state->stop = true;
    steady::time_point now = steady::now();
    tend_workers(state, &now);
    for (std::thread& t : threads)
      if (t.joinable()) t.join();
  }
};

}  // namespace

bool choose_stress_cpus(const console_options& options, int32_t threads, std::vector<int32_t>* cpus,
                        std::vector<int32_t>* idle, std::string* refusal) {
  idle->clear();
  const std::vector<int32_t> allowed = allowed_cpus();
  if (allowed.empty()) {
    *refusal = "--stress refused: the system does not tell which CPUs this process may use";
    return false;
  }
  std::vector<int32_t> chosen = options.cpus.empty() ? allowed : options.cpus;
  for (int32_t cpu : options.cpus)
    if (std::find(allowed.begin(), allowed.end(), cpu) == allowed.end()) {
      *refusal = "--cpus " + cpu_list_text(options.cpus) + " refused: CPU " + std::to_string(cpu) +
                 " is not one of the CPUs this process may use (" + cpu_list_text(allowed) + ")";
      return false;
    }
  const std::string there = std::string(options.cpus.empty() ? "this process may use " : "--cpus names ") +
                            std::to_string(chosen.size()) + (chosen.size() == 1 ? " CPU (" : " CPUs (") +
                            cpu_list_text(chosen) + ")";
  if (threads > 1 && options.cycle_seconds > 0) {
    *refusal = "--cycle refused with --threads " + std::to_string(threads) +
               ": the cycle tests one CPU at a time, on one thread";
    return false;
  }
  const int64_t needed = int64_t{options.workers > 0 ? options.workers : 1} * threads;
  if (needed > static_cast<int64_t>(chosen.size())) {
    *refusal = threads == 1          ? "--workers " + std::to_string(options.workers) + " refused: " + there
               : options.workers > 0 ? "--workers " + std::to_string(options.workers) + " with --threads " +
                                           std::to_string(threads) + " refused: they need " +
                                           std::to_string(needed) + " CPUs, " + there
                                     : "--threads " + std::to_string(threads) + " refused: " + there;
    return false;
  }
  if (options.workers > 0) {
    chosen.resize(static_cast<size_t>(needed));
  } else if (options.cycle_seconds == 0 && chosen.size() % threads != 0) {
    // The sets are whole: the CPUs after the last one are not tested, and the start line says so.
    const size_t used = chosen.size() - chosen.size() % threads;
    idle->assign(chosen.begin() + used, chosen.end());
    chosen.resize(used);
  }
  if (options.cycle_seconds > 0 && options.cpus.empty()) chosen = one_per_core(chosen);
  *cpus = options.cycle_order == "alternate" ? alternate_order(chosen) : chosen;
  return true;
}

int run_stress_test(const stress_plan& plan) {
  catch_stop_signals();

  stress_state s;
  s.plan = &plan;
  s.hardware = std::make_unique<hardware_watch>(open_hardware_readers(plan.cpus), plan.cpus);
  for (const std::vector<int32_t>& cpus : worker_sets(plan)) {
    worker_slot& w = s.workers.emplace_back();
    w.cpu = cpus[0], w.cpus = cpus, w.label = cpu_list_text(cpus);
    for (int32_t cpu : cpus) w.places.push_back(cpu_topology(cpu));
    if (cpus.size() > 1) s.hardware->name_worker_cpus(cpus);
  }
  if (!plan.quiet) {
    std::printf("%s\n", start_line(plan).c_str());
    for (const std::string& line : plan.classes) std::printf("%s\n", line.c_str());
    std::printf("%s\n", s.hardware->sources_line().c_str());
    std::fflush(stdout);
  }
  if (plan.json) write_record(&s, start_record(plan, *s.hardware));
  progress_line progress;
  progress.enabled = plan.progress && !plan.quiet;

  s.start = steady::now();
  {
    worker_threads threads{&s, {}};
    const int32_t workers = plan.cycle_seconds > 0 ? 1 : static_cast<int32_t>(s.workers.size());
    try {
      if (plan.cycle_seconds > 0) threads.threads.emplace_back(run_cycle, &s);
      for (int32_t i = 0; plan.cycle_seconds == 0 && i < workers; ++i) threads.threads.emplace_back(watch_cpu, &s, i);
    } catch (const std::system_error& e) {
      // No thread for the rest: those CPUs are not tested, which is an error of theirs (a failed run).
      std::lock_guard<std::mutex> hold(s.lock);
      const int32_t started = static_cast<int32_t>(threads.threads.size());
      for (int32_t i = started; i < static_cast<int32_t>(s.workers.size()); ++i) {
        std::printf("cpu %s  error: no thread could be started for its worker (%s)\n",
                    s.workers[i].label.c_str(), e.what());
        ++s.workers[i].runs, ++s.workers[i].errors;
        s.workers[i].exit_status = exit_failed;
      }
      s.workers_done += workers - started;
      std::fflush(stdout);
    }

    steady::time_point last_tended = steady::now(), last_drawn = last_tended, last_sampled = last_tended;
    std::unique_lock<std::mutex> hold(s.lock);
    for (;;) {
      // Woken by every finished run; ten times a second to tend the workers, once a second to read
      // the hardware's reports and for the progress line.
      s.changed.wait_for(hold, std::chrono::milliseconds(100),
                         [&] { return !s.finished.empty() || !s.notices.empty() || s.workers_done == workers; });
      // Once every worker is done, a last reading of the hardware's reports, then the last lines.
      const bool all_done = s.workers_done == workers;
      hold.unlock();
      tend_workers(&s, &last_tended);
      if (all_done || steady::now() - last_sampled >= std::chrono::seconds(1)) {
        last_sampled = steady::now();
        for (const hardware_notice& n : s.hardware->sample()) post_notice(&s, n);
      }
      hold.lock();
      std::deque<finished_run> batch;
      batch.swap(s.finished);
      std::deque<hardware_notice> notices;
      notices.swap(s.notices);
      std::vector<std::pair<std::string, int32_t>> lost;  // (its CPUs, run)
      for (worker_slot& w : s.workers)
        if (w.lost_run) lost.emplace_back(w.label, w.lost_run), w.lost_run = 0;
      int32_t runs = 0, errors = 0;
      for (const worker_slot& w : s.workers) runs += w.runs, errors += w.errors;
      hold.unlock();

      if (batch.empty() && notices.empty() && lost.empty() && !all_done &&
          steady::now() - last_drawn < std::chrono::seconds(1)) {
        hold.lock();
        continue;
      }
      last_drawn = steady::now();
      erase_progress(&progress);
      for (const finished_run& f : batch) print_run(s, f);
      for (const hardware_notice& n : notices) {
        print_notice(s, n);
        if (n.errors == 0) s.source_failures.push_back(n.text);
      }
      for (const auto& [cpu, run] : lost)
        std::printf("cpu %s  run %d  error: Memory Allocation Failure! (no memory left to report the run)\n",
                    cpu.c_str(), run);
      std::fflush(stdout);
      if (all_done) break;
      const auto elapsed =
          std::chrono::duration_cast<std::chrono::milliseconds>(steady::now() - s.start).count();
      const int64_t left =
          plan.seconds > 0 ? std::max<int64_t>(0, int64_t{plan.seconds} * 1000 - elapsed) : -1;
      draw_progress(&progress, stress_progress_text(static_cast<int32_t>(elapsed), runs, errors,
                                                    static_cast<int32_t>(left)));
      hold.lock();
    }
  }

  if (!plan.quiet) {
    if (stop_signal_status() != 0) std::printf("stopped by %s\n", stop_signal_name());
    print_summary(s);
  }
  std::printf("%s\n", last_line(s).c_str());
  std::fflush(stdout);
  int exit_status = exit_status_of(s);
  if (plan.json) {
    // A failed write also sets the stream's error flag, which the caller reports; a failed sync not.
    if (s.records_failed && !std::ferror(plan.json))
      std::fprintf(stderr, "%s: the JSON records could not be synced to the disk\n", plan.program->name);
    if (s.records_failed && exit_status == exit_completed) exit_status = exit_failed;
    write_record(&s, end_record(s, exit_status));
  }
  return exit_status;
}
