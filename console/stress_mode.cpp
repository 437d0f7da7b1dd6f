#include "console/stress_mode.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>

#include "console/build_info.h"
#include "console/cpu_caches.h"
#include "console/cpu_set.h"
#include "console/durable_line.h"
#include "console/json_record.h"
#include "console/known_answer_text.h"
#include "console/progress.h"
#include "console/repeat_loop.h"
#include "console/stop_signals.h"
#include "core/fft/simd_path.h"

namespace {

using steady = std::chrono::steady_clock;

enum class verdict { verified, failed, not_reproducible, not_pinned };

// A run as its worker hands it to the main thread, which prints it.
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
};

// One CPU of the test.
struct worker_slot {
  int32_t cpu;
  cpu_place place;
  std::vector<int32_t> verified_ms;  // total times of the verified runs
  int32_t runs = 0, errors = 0;
  int exit_status = exit_completed;  // of its error
  std::vector<int32_t> error_sizes;  // the digits and paths of its errors, each once
  std::vector<simd_path> error_paths;
  int32_t lost_run = 0;  // a run whose end could not be handed over (no memory left), not yet printed
  int32_t started = 0;   // runs started on this CPU; only the thread that runs there touches it
};

// Everything the threads share. The slots (but `started`), the queue and the count of workers done
// are guarded by `lock`; the record stream by `json_lock`.
struct stress_state {
  const stress_plan* plan;
  steady::time_point start;
  std::atomic<bool> stop{false};  // set at the first error with --stop-on-error
  std::mutex lock;
  std::condition_variable changed;
  std::deque<finished_run> finished;  // not printed yet
  std::vector<worker_slot> workers;
  int32_t workers_done = 0;
  std::mutex json_lock;
  bool records_failed = false;  // a record could not be written or synced
};

// The events of one worker's runs.
struct worker_events {
  stress_state* state;
  int32_t phases_done;
};

void count_phase(void* context, int32_t, int32_t, int32_t) {
  ++static_cast<worker_events*>(context)->phases_done;
}

bool stop_requested(const stress_state& s) { return s.stop.load() || stop_signal_status() != 0; }

bool stop_polled(void* context) { return stop_requested(*static_cast<worker_events*>(context)->state); }

bool past_deadline(const stress_state& s) {
  return s.plan->seconds > 0 && steady::now() - s.start >= std::chrono::seconds(s.plan->seconds);
}

bool may_start_run(const stress_state& s) { return !stop_requested(s) && !past_deadline(s); }

// The verdict on a run that ended (not cancelled). The run itself compared every phase with the
// known answer of its size, so it is judged on its own: never against another worker's run, which
// may be the faulty one.
void judge(finished_run* f) {
  switch (f->status) {
    case pi_status::ok:
      f->outcome = verdict::verified;
      f->exit_status = exit_completed;
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

// Hands a run to the main thread and counts it; returns true when it was an error. A CPU that could
// not be pinned counts as a run that failed, so that the last line's counts agree.
bool post(stress_state* s, const finished_run& f) {
  std::lock_guard<std::mutex> hold(s->lock);
  worker_slot& w = s->workers[f.slot];
  s->finished.push_back(f);  // first: the only step that may throw
  const bool error = f.outcome != verdict::verified;
  ++w.runs;
  if (error) {
    ++w.errors;
    w.exit_status = f.exit_status;
    if (f.outcome != verdict::not_pinned) add_once(&w.error_sizes, f.digits), add_once(&w.error_paths, f.path);
    if (s->plan->stop_on_error) s->stop = true;
  } else {
    w.verified_ms.push_back(f.result.total_ms);
  }
  s->changed.notify_all();
  return error;
}

// Pins the calling thread to the slot's CPU; an error of that CPU when the system refuses.
bool pinned(stress_state* s, int32_t slot) {
  if (pin_current_thread(s->workers[slot].cpu)) return true;
  finished_run f{};
  f.slot = slot;
  f.outcome = verdict::not_pinned;
  f.exit_status = exit_failed;
  post(s, f);
  return false;
}

enum class run_end { verified, error, cancelled };

// The worker's turn-th run (0-based, over all its CPUs), on the CPU of `slot`, where the calling
// thread is pinned: its size and path in turn, its record on the disk before it is handed over.
run_end run_once(stress_state* s, int32_t slot, int32_t turn, worker_events* context) {
  const stress_plan& plan = *s->plan;
  finished_run f{};
  f.slot = slot;
  f.run = ++s->workers[slot].started;
  f.digits = plan.sizes[turn % plan.sizes.size()];
  f.path = plan.paths[turn % plan.paths.size()];
  select_thread_simd_path(f.path);
  context->phases_done = 0;
  const pi_events events{context, nullptr, count_phase, stop_polled, true};
  f.status = plan.program->compute_pi(f.digits, &events, &f.result);
  if (f.status == pi_status::cancelled) return run_end::cancelled;
  f.phases_done = context->phases_done;
  judge(&f);
  if (plan.json) {
    const std::string time = utc_time_text();
    run_description description{plan.program->name, f.run, f.phases_done, f.status, f.exit_status, &f.result};
    description.worker = plan.cycle_seconds > 0 ? 0 : slot;
    description.cpu = s->workers[slot].cpu;
    description.time = time.c_str();
    write_record(s, json_record(description));
  }
  return post(s, f) ? run_end::error : run_end::verified;
}

// A run lost for want of memory to hand it over: counted as a failed run of its CPU, and printed by
// the main thread from the slot alone.
void lose_run(stress_state* s, int32_t slot) {
  std::lock_guard<std::mutex> hold(s->lock);
  worker_slot& w = s->workers[slot];
  ++w.runs, ++w.errors;
  w.exit_status = exit_failed;
  w.lost_run = std::max(w.started, 1);
}

void worker_done(stress_state* s) {
  std::lock_guard<std::mutex> hold(s->lock);
  ++s->workers_done;
  s->changed.notify_all();
}

// A worker of its own CPU for its whole life.
void run_worker(stress_state* s, int32_t slot) {
  const stress_plan& plan = *s->plan;
  worker_events context{s, 0};
  try {
    if (pinned(s, slot))
      for (int32_t turn = 0; (plan.runs_per_worker == 0 || turn < plan.runs_per_worker) && may_start_run(*s); ++turn)
        if (run_once(s, slot, turn, &context) != run_end::verified) break;
  } catch (const std::bad_alloc&) {
    lose_run(s, slot);
  }
  worker_done(s);
}

// The one worker of --cycle: round after round over the CPUs in order, on each until cycle_seconds
// have passed (at least one run), skipping the CPUs that failed.
void run_cycle(stress_state* s) {
  const stress_plan& plan = *s->plan;
  const int32_t cpus = static_cast<int32_t>(s->workers.size());
  const auto stay = std::chrono::seconds(plan.cycle_seconds);
  worker_events context{s, 0};
  std::vector<bool> failed(cpus);
  int32_t slot = 0, turn = 0;
  try {
    for (int32_t round = 1; plan.runs_per_worker == 0 || round <= plan.runs_per_worker; ++round) {
      bool visited = false;
      for (slot = 0; slot < cpus && may_start_run(*s); ++slot) {
        if (failed[slot]) continue;
        visited = true;
        if (!pinned(s, slot)) {
          failed[slot] = true;
          continue;
        }
        const steady::time_point arrived = steady::now();
        run_end end;
        do end = run_once(s, slot, turn++, &context);
        while (end == run_end::verified && steady::now() - arrived < stay && may_start_run(*s));
        failed[slot] = end == run_end::error;
      }
      if (!visited || !may_start_run(*s)) break;
    }
  } catch (const std::bad_alloc&) {
    lose_run(s, std::min(slot, cpus - 1));
  }
  worker_done(s);
}

// What failed, for the error line: the check and the step where it failed.
std::string failure_text(const finished_run& f) {
  char text[200];
  switch (f.outcome) {
    case verdict::not_pinned:
      return "this worker could not be pinned to its CPU";
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
  const int32_t cpu = s.workers[f.slot].cpu;
  if (f.outcome == verdict::not_pinned) {
    std::printf("cpu %d  error: %s\n", cpu, failure_text(f).c_str());
  } else if (f.outcome != verdict::verified || !s.plan->quiet) {
    std::printf("cpu %d  run %d  %d digits  %s  %d msec  %s%s\n", cpu, f.run, f.digits, simd_path_name(f.path),
                f.result.total_ms, f.outcome == verdict::verified ? "verified" : "error: ",
                f.outcome == verdict::verified ? "" : failure_text(f).c_str());
  }
  std::fflush(stdout);
}

std::string place_text(int32_t value) { return value >= 0 ? std::to_string(value) : "-"; }

// "32768 and 65536", "a, b and c".
template <typename T, typename Text>
std::string listed(const std::vector<T>& items, Text text) {
  std::string out;
  for (size_t i = 0; i < items.size(); ++i)
    out += (i == 0 ? "" : i + 1 == items.size() ? " and " : ", ") + std::string(text(items[i]));
  return out;
}

// The best, median and worst time of a CPU's verified runs, as `none` where it has none.
std::vector<std::string> time_texts(const worker_slot& w, const std::string& none) {
  if (w.verified_ms.empty()) return {none, none, none};
  std::vector<int32_t> times = w.verified_ms;
  const time_summary t = summarize_times(times.data(), static_cast<int32_t>(times.size()));
  return {std::to_string(t.best_ms), std::to_string(t.median_ms), std::to_string(t.worst_ms)};
}

void print_summary(const stress_state& s) {
  std::printf("%4s %5s %8s %6s %7s %8s %10s %9s\n", "cpu", "core", "package", "runs", "errors", "best ms",
              "median ms", "worst ms");
  for (const worker_slot& w : s.workers) {
    const std::vector<std::string> t = time_texts(w, "-");
    const std::string &best = t[0], &median = t[1], &worst = t[2];
    std::printf("%4d %5s %8s %6d %7d %8s %10s %9s\n", w.cpu, place_text(w.place.core).c_str(),
                place_text(w.place.package).c_str(), w.runs, w.errors, best.c_str(), median.c_str(),
                worst.c_str());
  }
  // "cpu 5: 2 errors, at 32768 digits on avx2": where each failed CPU failed.
  for (const worker_slot& w : s.workers) {
    if (w.errors == 0) continue;
    std::printf("cpu %d: %d %s", w.cpu, w.errors, w.errors == 1 ? "error" : "errors");
    if (!w.error_sizes.empty())
      std::printf(", at %s digits on %s",
                  listed(w.error_sizes, [](int32_t d) { return std::to_string(d); }).c_str(),
                  listed(w.error_paths, simd_path_name).c_str());
    std::printf("\n");
  }
}

// "all 54 runs verified on 2 CPUs", or the CPUs that failed.
std::string last_line(const stress_state& s) {
  int32_t runs = 0, errors = 0;
  std::vector<int32_t> failed;
  for (const worker_slot& w : s.workers) {
    runs += w.runs, errors += w.errors;
    if (w.errors > 0) failed.push_back(w.cpu);
  }
  const size_t cpus = s.workers.size();
  const std::string on = std::to_string(cpus) + (cpus == 1 ? " CPU" : " CPUs");
  if (errors == 0)
    return runs == 0 ? "no run finished on " + on
                     : "all " + std::to_string(runs) + (runs == 1 ? " run" : " runs") + " verified on " + on;
  std::string list;
  for (int32_t cpu : failed) list += (list.empty() ? "" : ", ") + std::to_string(cpu);
  return std::string(failed.size() == 1 ? "errors on CPU " : "errors on CPUs ") + list + ": " +
         std::to_string(errors) + " of " + std::to_string(runs) + (runs == 1 ? " run" : " runs") + " failed";
}

// Wrong digits outrank a failed run, which outranks a stop by a signal.
int exit_status_of(const stress_state& s) {
  const auto any = [&](int status) {
    return std::any_of(s.workers.begin(), s.workers.end(),
                       [&](const worker_slot& w) { return w.exit_status == status; });
  };
  if (any(exit_not_verified)) return exit_not_verified;
  if (any(exit_failed)) return exit_failed;
  return stop_signal_status() != 0 ? stop_signal_status() : exit_completed;
}

std::string count_text(int64_t count, const char* one, const char* many) {
  return std::to_string(count) + " " + (count == 1 ? one : many);
}

std::string start_line(const stress_plan& plan) {
  const std::vector<int32_t>& sizes = plan.sizes;
  std::string until = "until Ctrl-C";
  if (plan.runs_per_worker > 0)
    until = plan.cycle_seconds > 0 ? count_text(plan.runs_per_worker, "round", "rounds")
                                   : count_text(plan.runs_per_worker, "run", "runs") + " each";
  if (plan.seconds > 0)
    until = (plan.runs_per_worker > 0 ? until + ", " : "") + "for " + std::to_string(plan.seconds) + " seconds";
  const std::string workers =
      plan.cycle_seconds > 0 ? "1 worker of " + std::string(plan.program->name) + " cycling over CPUs " +
                                   cpu_list_text(plan.cpus) + " every " +
                                   count_text(plan.cycle_seconds, "second", "seconds")
                             : count_text(static_cast<int64_t>(plan.cpus.size()), "worker", "workers") + " of " +
                                   plan.program->name + " on CPU" + (plan.cpus.size() == 1 ? " " : "s ") +
                                   cpu_list_text(plan.cpus);
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
std::string start_record(const stress_plan& plan) {
  std::vector<std::string> paths, classes, caches;
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
  return out + "}";
}

// The record after the last run: the summary table's figures, the last line and the exit status. A file without it
// is the log of a test that did not end (a crash, a kill).
std::string end_record(const stress_state& s, int exit_status) {
  std::vector<std::string> cpus;
  for (const worker_slot& w : s.workers) {
    const std::vector<std::string> t = time_texts(w, "null");
    cpus.push_back("{\"cpu\": " + std::to_string(w.cpu) + ", \"runs\": " + std::to_string(w.runs) +
                   ", \"errors\": " + std::to_string(w.errors) + ", \"best_ms\": " + t[0] +
                   ", \"median_ms\": " + t[1] + ", \"worst_ms\": " + t[2] + "}");
  }
  std::string out = "{";
  add_json_member(&out, "record", json_string("end"));
  add_json_member(&out, "time", json_string(utc_time_text().c_str()));
  add_json_member(&out, "cpus", json_list(cpus));
  add_json_member(&out, "last_line", json_string(last_line(s).c_str()));
  add_json_member(&out, "exit_status", std::to_string(exit_status));
  return out + "}";
}

// Joins every worker however the main thread leaves (a worker still running is asked to stop).
struct worker_threads {
  stress_state* state;
  std::vector<std::thread> threads;
  ~worker_threads() {
    state->stop = true;
    for (std::thread& t : threads)
      if (t.joinable()) t.join();
  }
};

}  // namespace

bool choose_stress_cpus(const console_options& options, std::vector<int32_t>* cpus, std::string* refusal) {
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
  if (options.workers > static_cast<int64_t>(chosen.size())) {
    *refusal = "--workers " + std::to_string(options.workers) +
               " refused: " + (options.cpus.empty() ? "this process may use " : "--cpus names ") +
               std::to_string(chosen.size()) + (chosen.size() == 1 ? " CPU (" : " CPUs (") +
               cpu_list_text(chosen) + ")";
    return false;
  }
  if (options.workers > 0) chosen.resize(options.workers);
  if (options.cycle_seconds > 0 && options.cpus.empty()) chosen = one_per_core(chosen);
  *cpus = options.cycle_order == "alternate" ? alternate_order(chosen) : chosen;
  return true;
}

int run_stress_test(const stress_plan& plan) {
  catch_stop_signals();

  stress_state s;
  s.plan = &plan;
  for (int32_t cpu : plan.cpus) {
    s.workers.emplace_back();
    s.workers.back().cpu = cpu, s.workers.back().place = cpu_topology(cpu);
  }
  if (!plan.quiet) {
    std::printf("%s\n", start_line(plan).c_str());
    for (const std::string& line : plan.classes) std::printf("%s\n", line.c_str());
    std::fflush(stdout);
  }
  if (plan.json) write_record(&s, start_record(plan));
  progress_line progress;
  progress.enabled = plan.progress && !plan.quiet;

  s.start = steady::now();
  {
    worker_threads threads{&s, {}};
    const int32_t workers = plan.cycle_seconds > 0 ? 1 : static_cast<int32_t>(plan.cpus.size());
    try {
      if (plan.cycle_seconds > 0) threads.threads.emplace_back(run_cycle, &s);
      for (int32_t i = 0; plan.cycle_seconds == 0 && i < workers; ++i) threads.threads.emplace_back(run_worker, &s, i);
    } catch (const std::system_error& e) {
      // No thread for the rest: those CPUs are not tested, which is an error of theirs (a failed run).
      std::lock_guard<std::mutex> hold(s.lock);
      const int32_t started = static_cast<int32_t>(threads.threads.size());
      for (int32_t i = started; i < static_cast<int32_t>(s.workers.size()); ++i) {
        std::printf("cpu %d  error: no thread could be started for its worker (%s)\n", s.workers[i].cpu,
                    e.what());
        ++s.workers[i].runs, ++s.workers[i].errors;
        s.workers[i].exit_status = exit_failed;
      }
      s.workers_done += workers - started;
      std::fflush(stdout);
    }

    std::unique_lock<std::mutex> hold(s.lock);
    for (;;) {
      // Woken by every finished run; once a second for the progress line.
      s.changed.wait_for(hold, std::chrono::seconds(1),
                         [&] { return !s.finished.empty() || s.workers_done == workers; });
      std::deque<finished_run> batch;
      batch.swap(s.finished);
      std::vector<std::pair<int32_t, int32_t>> lost;  // (cpu, run)
      for (worker_slot& w : s.workers)
        if (w.lost_run) lost.emplace_back(w.cpu, w.lost_run), w.lost_run = 0;
      const bool all_done = s.workers_done == workers;
      int32_t runs = 0, errors = 0;
      for (const worker_slot& w : s.workers) runs += w.runs, errors += w.errors;
      hold.unlock();

      erase_progress(&progress);
      for (const finished_run& f : batch) print_run(s, f);
      for (const auto& [cpu, run] : lost)
        std::printf("cpu %d  run %d  error: Memory Allocation Failure! (no memory left to report the run)\n",
                    cpu, run);
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
