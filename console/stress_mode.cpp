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

#include "console/cpu_set.h"
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
  int32_t worker;
  int32_t run;  // 1-based within the worker
  verdict outcome;
  pi_status status;
  int exit_status;
  int32_t phases_done;
  pi_result result;
};

struct worker_slot {
  int32_t cpu;
  cpu_place place;
  std::vector<int32_t> verified_ms;  // total times of the verified runs
  int32_t runs = 0, errors = 0;
  int exit_status = exit_completed;  // of its error
};

// Everything the threads share. The workers' slots, the queue and the count of workers done are
// guarded by `lock`.
struct stress_state {
  const stress_plan* plan;
  steady::time_point start;
  std::atomic<bool> stop{false};  // set at the first error with --stop-on-error
  std::mutex lock;
  std::condition_variable changed;
  std::deque<finished_run> finished;  // not printed yet
  std::vector<worker_slot> workers;
  int32_t workers_done = 0;
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

// Hands a run to the main thread and counts it; returns true when it was an error.
bool post(stress_state* s, finished_run* f) {
  std::lock_guard<std::mutex> hold(s->lock);
  worker_slot& w = s->workers[f->worker];
  if (f->outcome != verdict::not_pinned) judge(f);
  s->finished.push_back(*f);  // first: the only step that may throw
  const bool error = f->outcome != verdict::verified;
  if (f->outcome != verdict::not_pinned) ++w.runs;
  if (error) {
    ++w.errors;
    w.exit_status = f->exit_status;
    if (s->plan->stop_on_error) s->stop = true;
  } else {
    w.verified_ms.push_back(f->result.total_ms);
  }
  s->changed.notify_all();
  return error;
}

void run_worker(stress_state* s, int32_t index) {
  const stress_plan& plan = *s->plan;
  worker_events context{s, 0};
  const pi_events events{&context, nullptr, count_phase, stop_polled, true};
  finished_run f{};
  f.worker = index;
  try {
    if (!pin_current_thread(s->workers[index].cpu)) {
      f.outcome = verdict::not_pinned;
      f.exit_status = exit_failed;
      post(s, &f);
    } else {
      for (int32_t run = 1; plan.runs_per_worker == 0 || run <= plan.runs_per_worker; ++run) {
        if (stop_requested(*s) || past_deadline(*s)) break;
        context.phases_done = 0;
        f.run = run;
        f.status = plan.program->compute_pi(plan.digits, &events, &f.result);
        if (f.status == pi_status::cancelled) break;
        f.phases_done = context.phases_done;
        if (post(s, &f)) break;
      }
    }
  } catch (const std::bad_alloc&) {
    // Only the queue allocates here: the run is lost, its CPU's error still counts.
    std::lock_guard<std::mutex> hold(s->lock);
    ++s->workers[index].errors;
    s->workers[index].exit_status = exit_failed;
  }
  std::lock_guard<std::mutex> hold(s->lock);
  ++s->workers_done;
  s->changed.notify_all();
}

// What failed, for the error line.
std::string failure_text(const finished_run& f) {
  char text[200];
  switch (f.outcome) {
    case verdict::not_pinned:
      return "this worker could not be pinned to its CPU";
    case verdict::not_reproducible:
      return not_reproducible_text(f.result);
    case verdict::verified:
    case verdict::failed:
      break;
  }
  switch (f.status) {
    case pi_status::memory:
      return "Memory Allocation Failure!";
    case pi_status::rounding:
      std::snprintf(text, sizeof text, "rounding error too large (%.3g > %.3g)",
                    f.result.max_rounding_distance, f.result.rounding_limit);
      return text;
    case pi_status::verification:
      std::snprintf(text, sizeof text, "the digits differ from pi from decimal %lld on",
                    static_cast<long long>(f.result.first_wrong_decimal));
      return text;
    default:
      return "the run failed";
  }
}

void print_run(const stress_state& s, const finished_run& f) {
  const stress_plan& plan = *s.plan;
  const int32_t cpu = s.workers[f.worker].cpu;
  if (f.outcome == verdict::not_pinned) {
    std::printf("cpu %d  error: %s\n", cpu, failure_text(f).c_str());
  } else if (f.outcome != verdict::verified) {
    std::printf("cpu %d  run %d  %d msec  error: %s\n", cpu, f.run, f.result.total_ms,
                failure_text(f).c_str());
  } else if (!plan.quiet) {
    std::printf("cpu %d  run %d  %d msec  verified\n", cpu, f.run, f.result.total_ms);
  }
  std::fflush(stdout);
  if (plan.json && f.outcome != verdict::not_pinned) {
    run_description description{plan.program->name, f.run, f.phases_done, f.status, f.exit_status, &f.result};
    description.worker = f.worker;
    description.cpu = cpu;
    std::fprintf(plan.json, "%s\n", json_record(description).c_str());
    std::fflush(plan.json);
  }
}

std::string place_text(int32_t value) { return value >= 0 ? std::to_string(value) : "-"; }

void print_summary(const stress_state& s) {
  std::printf("%4s %5s %8s %6s %7s %8s %10s %9s\n", "cpu", "core", "package", "runs", "errors", "best ms",
              "median ms", "worst ms");
  for (const worker_slot& w : s.workers) {
    std::string best = "-", median = "-", worst = "-";
    if (!w.verified_ms.empty()) {
      std::vector<int32_t> times = w.verified_ms;
      const time_summary t = summarize_times(times.data(), static_cast<int32_t>(times.size()));
      best = std::to_string(t.best_ms), median = std::to_string(t.median_ms),
      worst = std::to_string(t.worst_ms);
    }
    std::printf("%4d %5s %8s %6d %7d %8s %10s %9s\n", w.cpu, place_text(w.place.core).c_str(),
                place_text(w.place.package).c_str(), w.runs, w.errors, best.c_str(), median.c_str(),
                worst.c_str());
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

std::string start_line(const stress_plan& plan) {
  const size_t workers = plan.cpus.size();
  std::string until = "until Ctrl-C";
  if (plan.runs_per_worker > 0) until = std::to_string(plan.runs_per_worker) + (plan.runs_per_worker == 1 ? " run each" : " runs each");
  if (plan.seconds > 0)
    until =
        (plan.runs_per_worker > 0 ? until + ", " : "") + "for " + std::to_string(plan.seconds) + " seconds";
  return "stress test: " + std::to_string(workers) + (workers == 1 ? " worker" : " workers") + " of " +
         plan.program->name + " on CPU" + (workers == 1 ? " " : "s ") + cpu_list_text(plan.cpus) + ", " +
         std::to_string(plan.digits) + " digits, " + std::to_string(pi_memory_bytes(plan.digits)) +
         " bytes each, " + until;
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
  *cpus = chosen;
  return true;
}

int run_stress_test(const stress_plan& plan) {
  catch_stop_signals();

  stress_state s;
  s.plan = &plan;
  for (int32_t cpu : plan.cpus) s.workers.push_back(worker_slot{cpu, cpu_topology(cpu), {}});
  if (!plan.quiet) {
    std::printf("%s\n", start_line(plan).c_str());
    std::fflush(stdout);
  }
  progress_line progress;
  progress.enabled = plan.progress && !plan.quiet;

  s.start = steady::now();
  {
    worker_threads threads{&s, {}};
    const int32_t workers = static_cast<int32_t>(plan.cpus.size());
    try {
      for (int32_t i = 0; i < workers; ++i) threads.threads.emplace_back(run_worker, &s, i);
    } catch (const std::system_error& e) {
      // No thread for the rest: those CPUs are not tested, which is an error of theirs.
      std::lock_guard<std::mutex> hold(s.lock);
      for (int32_t i = static_cast<int32_t>(threads.threads.size()); i < workers; ++i) {
        std::printf("cpu %d  error: no thread could be started for its worker (%s)\n", s.workers[i].cpu,
                    e.what());
        ++s.workers[i].errors;
        s.workers[i].exit_status = exit_failed;
        ++s.workers_done;
      }
      std::fflush(stdout);
    }

    std::unique_lock<std::mutex> hold(s.lock);
    for (;;) {
      // Woken by every finished run; once a second for the progress line.
      s.changed.wait_for(hold, std::chrono::seconds(1),
                         [&] { return !s.finished.empty() || s.workers_done == workers; });
      std::deque<finished_run> batch;
      batch.swap(s.finished);
      const bool all_done = s.workers_done == workers;
      int32_t runs = 0, errors = 0;
      for (const worker_slot& w : s.workers) runs += w.runs, errors += w.errors;
      hold.unlock();

      erase_progress(&progress);
      for (const finished_run& f : batch) print_run(s, f);
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
  return exit_status_of(s);
}
