#include "console/stress/stress_worker.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>

#include "console/stress/cpu_set.h"
#include "console/stress/hardware/apic_id.h"
#include "console/stress/worker_process.h"

namespace {

using steady = std::chrono::steady_clock;

template <typename T, typename Text>
std::string joined(const std::vector<T>& items, Text text) {
  std::string out;
  for (const T& item : items) out += (out.empty() ? "" : ",") + std::string(text(item));
  return out;
}

// A decimal number of 0..limit, the whole word.
bool read_number(const char* text, int64_t limit, int64_t* value) {
  char* end = nullptr;
  const long long v = std::strtoll(text, &end, 10);
  if (end == text || *end != '\0' || *text == '-' || *text == '+' || v > limit) return false;
  *value = v;
  return true;
}

// Comma-separated items, each read by `read`; false for an empty list or an unreadable item.
template <typename T, typename Read>
bool read_list(const char* text, std::vector<T>* items, Read read) {
  std::string word;
  for (const char* c = text;; ++c) {
    if (*c != ',' && *c != '\0') {
      word += *c;
      continue;
    }
    T item;
    if (!read(word.c_str(), &item)) return false;
    items->push_back(item);
    word.clear();
    if (*c == '\0') return true;
  }
}

struct worker_state {
  worker_report report;   // of the run in progress
  steady::time_point last_report;
  bool stop = false;      // asked by the main process
  bool channel_failed = false;
};

void note_main_byte(worker_state* w, int byte) {
  if (byte == stop_request) w->stop = true;
}

bool send_report(worker_state* w, worker_report_kind kind) {
  w->report.kind = kind;
  w->last_report = steady::now();
  if (!send_to_main(&w->report, sizeof w->report)) w->channel_failed = true;
  return !w->channel_failed;
}

void on_phase(void* context, int32_t phase, int32_t, int32_t phase_ms) {
  worker_state* w = static_cast<worker_state*>(context);
  ++w->report.phases_done;
  if (steady::now() - w->last_report < std::chrono::milliseconds(sign_of_life_ms)) return;
  w->report.phase = phase, w->report.phase_ms = phase_ms;
  send_report(w, worker_report_kind::phase_ended);
}

// Polled at every iteration boundary: a stop asked, or the main process unreachable.
bool stop_polled(void* context) {
  worker_state* w = static_cast<worker_state*>(context);
  for (int byte; (byte = receive_from_main(false)) >= 0;) note_main_byte(w, byte);
  return w->stop || w->channel_failed;
}

}  // namespace

std::vector<std::string> worker_arguments(const worker_job& job) {
  return {"parent=" + std::to_string(job.parent),
          "cpus=" + cpu_list_text(job.cpus),
          "threads=" + std::to_string(job.threads),
          "first-turn=" + std::to_string(job.first_turn),
          "runs=" + std::to_string(job.runs),
          "start-for-ms=" + std::to_string(job.start_for_ms),
          std::string("acknowledged=") + (job.acknowledged ? "1" : "0"),
          "sizes=" + joined(job.sizes, [](int32_t d) { return std::to_string(d); }),
          "paths=" + joined(job.paths, simd_path_name)};
}

bool parse_worker_arguments(int argc, const char* const* argv, worker_job* job) {
  const auto read_int32 = [](const char* text, int32_t* value) {
    int64_t v;
    if (!read_number(text, INT32_MAX, &v)) return false;
    *value = static_cast<int32_t>(v);
    return true;
  };
  const auto read_path = [](const char* text, simd_path* path) {
    return simd_path_from_name(text, path) && simd_path_supported(*path);
  };
  const auto read_size = [&](const char* text, int32_t* digits) {
    return read_int32(text, digits) && *digits >= smallest_length && *digits <= largest_length &&
           (*digits & (*digits - 1)) == 0;
  };
  static const char* const names[] = {"parent",       "cpus",         "threads", "first-turn", "runs",
                                      "start-for-ms", "acknowledged", "sizes",   "paths"};
  constexpr int name_count = sizeof names / sizeof names[0];
  bool seen[name_count] = {};
  int32_t acknowledged = 0;
  for (int i = 0; i < argc; ++i) {
    const char* word = argv[i];
    const char* value = std::strchr(word, '=');
    if (!value) return false;
    const std::string name(word, value++);
    const int index = static_cast<int>(std::find(names, names + name_count, name) - names);
    if (index == name_count || seen[index]) return false;
    seen[index] = true;
    bool ok;
    if (name == "parent") ok = read_number(value, INT64_MAX, &job->parent);
    else if (name == "cpus")
      ok = parse_cpu_list(value, &job->cpus);
    else if (name == "threads")
      ok = read_int32(value, &job->threads);
    else if (name == "first-turn") ok = read_int32(value, &job->first_turn);
    else if (name == "runs") ok = read_int32(value, &job->runs);
    else if (name == "start-for-ms") ok = read_number(value, INT64_MAX, &job->start_for_ms);
    else if (name == "acknowledged") ok = read_int32(value, &acknowledged) && acknowledged <= 1;
    else if (name == "sizes") ok = read_list(value, &job->sizes, read_size);
    else if (name == "paths") ok = read_list(value, &job->paths, read_path);
    else ok = false;
    if (!ok) return false;
  }
  job->acknowledged = acknowledged == 1;
  // One thread per CPU of the set.
  return std::all_of(seen, seen + name_count, [](bool s) { return s; }) &&
         job->threads == static_cast<int32_t>(job->cpus.size());
}

int run_stress_worker(int argc, const char* const* argv, const console_program& program) {
  worker_job job;
  if (!parse_worker_arguments(argc, argv, &job) || !become_worker_process(job.parent)) return 1;
  worker_state w{{}, steady::now()};
  w.report.cpu = job.cpus[0];
  if (!pin_current_thread(job.cpus[0])) return send_report(&w, worker_report_kind::not_pinned) ? 0 : 1;
  const int64_t apic_id = current_apic_id();
  if (job.cpus.size() > 1) {
    // The APIC id of each CPU of the set, read on it, then the whole set: the run's threads,
    // created by the run, inherit it.
    for (size_t i = 1; i < job.cpus.size(); ++i) {
      if (!pin_current_thread(job.cpus[i])) return send_report(&w, worker_report_kind::not_pinned) ? 0 : 1;
      w.report.cpu = job.cpus[i], w.report.apic_id = current_apic_id();
      if (!send_report(&w, worker_report_kind::cpu_named)) return 1;
    }
    w.report.cpu = job.cpus[0];
    if (!pin_current_process(job.cpus)) return send_report(&w, worker_report_kind::not_pinned) ? 0 : 1;
  }

  const steady::time_point start = steady::now();
  pi_events events{&w, nullptr, on_phase, stop_polled, true};
  events.threads = job.threads;
  for (int32_t turn = 0; job.runs == 0 || turn < job.runs; ++turn) {
    if (turn > 0 && job.start_for_ms > 0 && steady::now() - start >= std::chrono::milliseconds(job.start_for_ms))
      break;
    w.report = worker_report{};
    w.report.turn = turn;
    w.report.cpu = job.cpus[0], w.report.apic_id = apic_id;
    const uint32_t at = static_cast<uint32_t>(job.first_turn) + static_cast<uint32_t>(turn);
    select_thread_simd_path(job.paths[at % job.paths.size()]);
    const pi_status status = program.compute_pi(job.sizes[at % job.sizes.size()], &events, &w.report.result);
    if (status == pi_status::cancelled || w.channel_failed) break;
    w.report.status = status;
    if (!send_report(&w, worker_report_kind::run_ended)) break;
    if (job.acknowledged)
      for (int byte; (byte = receive_from_main(true)) != record_written;) note_main_byte(&w, byte);
    if (status != pi_status::ok || w.stop) break;
  }
  return w.channel_failed ? 1 : 0;
}
