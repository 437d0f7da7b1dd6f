#include "console/stress/hardware/hardware_watch.h"

#include <algorithm>
#include <cstdio>

#include "console/json_record.h"
#include "console/stress/cpu_set.h"
#include "console/stress/text_list.h"

const char* const machine_check_names[machine_check_kinds] = {"MCE", "THR", "DFR", "WHEA"};

namespace {

std::string counted(int64_t n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

// A bank's error may be logged on any CPU that shares the bank's part (a core's L2, a package's L3
// or memory controller): the CPU named is the one that reported it.
std::string reported_by(int32_t cpu) {
  return " (reported by CPU " + std::to_string(cpu) + "; the faulty part may be one it shares with other CPUs)";
}

int64_t rise(int64_t before, int64_t now) { return before >= 0 && now > before ? now - before : 0; }

// The rises in `counts` that their lines name: a controller's own count only where none of its DIMMs
// rose, since a DIMM's line says more than the controller's, which counts the same errors.
std::vector<memory_error_count> named_rises(const std::vector<memory_error_count>& counts) {
  const auto rose = [](const memory_error_count& m) { return m.corrected + m.uncorrected > 0; };
  std::vector<memory_error_count> named;
  for (const memory_error_count& m : counts) {
    const bool dimm_says_more =
        m.dimm.empty() && std::any_of(counts.begin(), counts.end(), [&](const memory_error_count& d) {
          return !d.dimm.empty() && d.controller == m.controller && rose(d);
        });
    if (rose(m) && !dimm_says_more) named.push_back(m);
  }
  return named;
}

std::string number_or_null(bool known, const std::string& value) { return known ? value : "null"; }

struct clock_range {
  int32_t lowest, median, highest;
};
clock_range range_of(std::vector<int32_t> clocks) {
  std::sort(clocks.begin(), clocks.end());
  const size_t n = clocks.size();
  return {clocks.front(), n % 2 ? clocks[n / 2] : (clocks[n / 2 - 1] + clocks[n / 2]) / 2, clocks.back()};
}

std::string temperature_text(double c, const char* format) {
  char text[32];
  std::snprintf(text, sizeof text, format, c);
  return text;
}

}  // namespace

std::string memory_errors_text(const memory_error_count& m) {
  std::vector<std::string> counts;
  if (m.corrected > 0) counts.push_back(counted(m.corrected, "corrected error", "corrected errors"));
  if (m.uncorrected > 0) counts.push_back(counted(m.uncorrected, "uncorrected error", "uncorrected errors"));
  return "memory controller " + m.controller + (m.dimm.empty() ? "" : " (" + m.dimm + ")") + ": " + listed(counts);
}

int64_t hardware_figures::errors() const {
  int64_t n = 0;
  for (int64_t count : machine_checks) n += count;
  return n;
}

void hardware_figures::add(const hardware_figures& more) {
  for (int k = 0; k < machine_check_kinds; ++k) machine_checks[k] += more.machine_checks[k];
  events.insert(events.end(), more.events.begin(), more.events.end());
  thermal_events += more.thermal_events, core_throttles += more.core_throttles;
  package_throttles += more.package_throttles;
  if (!std::isnan(more.largest_temperature_c))
    largest_temperature_c = std::isnan(largest_temperature_c) ? more.largest_temperature_c
                                                              : std::max(largest_temperature_c, more.largest_temperature_c);
  clocks_mhz.insert(clocks_mhz.end(), more.clocks_mhz.begin(), more.clocks_mhz.end());
}

std::string machine_checks_text(const hardware_figures& f) {
  static const char* const texts[][2] = {{"machine check exception", "machine check exceptions"},
                                         {"corrected error", "corrected errors"},
                                         {"deferred error", "deferred errors"}};
  std::vector<std::string> parts;
  for (int k = check_mce; k <= check_dfr; ++k)
    if (f.machine_checks[k] > 0)
      parts.push_back(counted(f.machine_checks[k], texts[k][0], texts[k][1]) + " (" + machine_check_names[k] + ")");
  for (const std::string& event : f.events) parts.push_back("1 " + event);
  return listed(parts);
}

std::string cpu_hardware_line(const std::string& worker, int32_t cpu, const hardware_figures& f,
                              const std::string& when) {
  return "cpu " + worker + ": the hardware reported " + machine_checks_text(f) + " " + when +
         reported_by(cpu);
}

hardware_watch::hardware_watch(std::unique_ptr<hardware_readers> readers, const std::vector<int32_t>& cpus)
    : readers_(std::move(readers)), sources_(readers_->sources()) {
  for (int32_t cpu : cpus) {
    cpus_[cpu];
    const std::string sensor = readers_->sensor_of(cpu);
    if (!sensor.empty()) sensors_[cpu] = sensor;
  }
  readers_->read(&last_, &start_failures_);
  for (const auto& entry : last_.cpus)
    for (int k = check_mce; k <= check_dfr; ++k) reads_[k] = reads_[k] || entry.second.machine_checks[k] >= 0;
  reads_[check_whea] = found("WHEA events");
  memory_rises_ = last_.memory;
  for (memory_error_count& m : memory_rises_) m.corrected = m.uncorrected = 0;
}

std::string source_text(const hardware_source& source) {
  return source.name + (source.detail.empty() ? "" : " (" + source.detail + ")");
}

bool hardware_watch::found(const char* name) const {
  return std::any_of(sources_.begin(), sources_.end(), [&](const hardware_source& s) { return s.found && s.name == name; });
}

std::string hardware_watch::sources_line() const {
  std::vector<std::string> found_list, missing;
  for (const hardware_source& s : sources_)
    (s.found ? found_list : missing).push_back(source_text(s));
  const auto commas = [](const std::vector<std::string>& items) {
    std::string out;
    for (const std::string& item : items) out += (out.empty() ? "" : ", ") + item;
    return out;
  };
  std::string line = "hardware reports: " + (found_list.empty() ? std::string("none") : commas(found_list));
  if (!missing.empty()) line += "; not found: " + commas(missing);
  return line;
}

void hardware_watch::charge(int32_t cpu, cpu_state& c, const hardware_figures& f,
                            std::vector<hardware_notice>* notices) {
  if (c.running)
    c.run.add(f);
  else if (f.errors() > 0)
    notices->push_back({cpu, f.errors(),
                        cpu_hardware_line(c.worker.empty() ? std::to_string(cpu) : c.worker, cpu, f,
                                          "while no run was on it")});
  c.test.add(f);
}

std::vector<hardware_notice> hardware_watch::sample() {
  hardware_reading now;
  std::vector<std::string> failures;
  failures.swap(start_failures_);
  readers_->read(&now, &failures);

  std::vector<hardware_notice> notices;
  for (const std::string& f : failures)
    notices.push_back({-1, 0, "hardware reports: " + f + "; the test goes on without them"});
  std::lock_guard<std::mutex> hold(lock_);
  // The counters of every CPU read: a rise on a CPU of the test is its own, in its run or not.
  for (const auto& [cpu, r] : now.cpus) {
    const auto before = last_.cpus.find(cpu);
    if (before == last_.cpus.end()) continue;
    const cpu_hardware_reading& b = before->second;
    hardware_figures f;
    for (int k = check_mce; k <= check_dfr; ++k) f.machine_checks[k] = rise(b.machine_checks[k], r.machine_checks[k]);
    f.thermal_events = rise(b.thermal_events, r.thermal_events);
    f.core_throttles = rise(b.core_throttles, r.core_throttles);
    f.package_throttles = rise(b.package_throttles, r.package_throttles);
    const auto mine = cpus_.find(cpu);
    if (mine == cpus_.end()) {
      if (f.errors() == 0) continue;
      errors_on_other_cpus_ += f.errors();
      notices.push_back(
          {-1, f.errors(),
           cpu_hardware_line(std::to_string(cpu), cpu, f, "during the test, on a CPU not under test")});
      continue;
    }
    if (mine->second.running) {
      if (!std::isnan(r.temperature_c)) f.largest_temperature_c = r.temperature_c;
      if (r.clock_mhz > 0) f.clocks_mhz.push_back(r.clock_mhz);
    }
    charge(cpu, mine->second, f, &notices);
  }
  // The WHEA events, each of the CPU whose APIC id it carries.
  for (const whea_event& e : now.events) {
    char text[96];
    std::snprintf(text, sizeof text, e.bank >= 0 ? "%s (WHEA %d, bank %d)" : "%s (WHEA %d)", whea_event_kind(e.id),
                  e.id, e.bank);
    hardware_figures f;
    f.machine_checks[check_whea] = 1;
    f.events.push_back(text);
    const auto mine = std::find_if(cpus_.begin(), cpus_.end(),
                                   [&](const auto& c) { return e.apic_id >= 0 && c.second.apic_id == e.apic_id; });
    if (mine == cpus_.end()) {
      ++errors_on_other_cpus_;
      notices.push_back({-1, 1, "the hardware reported 1 " + std::string(text) + " during the test" +
                                    (e.apic_id >= 0 ? ", reported by APIC id " + std::to_string(e.apic_id) +
                                                          ", not a CPU under test"
                                                    : "")});
      continue;
    }
    charge(mine->first, mine->second, f, &notices);
  }
  // The memory controllers: machine-wide. A controller's own count is named only where none of its
  // DIMMs tells more.
  if (now.memory.size() == last_.memory.size()) {
    std::vector<memory_error_count> rises;
    for (size_t i = 0; i < now.memory.size(); ++i) {
      const memory_error_count &b = last_.memory[i], &m = now.memory[i];
      rises.push_back({m.controller, m.dimm, rise(b.corrected, m.corrected), rise(b.uncorrected, m.uncorrected)});
      memory_rises_[i].corrected += rises[i].corrected, memory_rises_[i].uncorrected += rises[i].uncorrected;
    }
    for (const memory_error_count& r : named_rises(rises))
      notices.push_back({-1, r.corrected + r.uncorrected, memory_errors_text(r) + " during the test"});
  }
  // A source that failed is read no more: keep its last counts out of the next comparison.
  last_ = now;
  return notices;
}

void hardware_watch::learn_apic_id(int32_t cpu, int64_t apic_id) {
  std::lock_guard<std::mutex> hold(lock_);
  cpus_[cpu].apic_id = apic_id;
}

int64_t hardware_watch::apic_id(int32_t cpu) const {
  std::lock_guard<std::mutex> hold(lock_);
  const auto c = cpus_.find(cpu);
  return c == cpus_.end() ? -1 : c->second.apic_id;
}

void hardware_watch::run_started(int32_t cpu, int32_t run) {
  std::lock_guard<std::mutex> hold(lock_);
  cpu_state& c = cpus_[cpu];
  c.running = run;
  c.run = hardware_figures{};
}

hardware_figures hardware_watch::run_ended(int32_t cpu, int32_t next_run) {
  std::lock_guard<std::mutex> hold(lock_);
  cpu_state& c = cpus_[cpu];
  hardware_figures ended = std::move(c.run);
  c.running = next_run;
  c.run = hardware_figures{};
  return ended;
}

void hardware_watch::name_worker_cpus(const std::vector<int32_t>& cpus) {
  std::lock_guard<std::mutex> hold(lock_);
  for (int32_t cpu : cpus) cpus_[cpu].worker = cpu_list_text(cpus);
}

hardware_figures hardware_watch::test_figures(int32_t cpu) const {
  std::lock_guard<std::mutex> hold(lock_);
  const auto c = cpus_.find(cpu);
  return c == cpus_.end() ? hardware_figures{} : c->second.test;
}

std::vector<memory_error_count> hardware_watch::memory_rises() const {
  std::lock_guard<std::mutex> hold(lock_);
  return named_rises(memory_rises_);
}

int64_t hardware_watch::errors_on_other_cpus() const {
  std::lock_guard<std::mutex> hold(lock_);
  return errors_on_other_cpus_;
}

std::string hardware_json_members(const hardware_watch& watch, int32_t cpu, const hardware_figures& f) {
  std::string out = "{";
  const int64_t apic_id = watch.apic_id(cpu);
  add_json_member(&out, "apic_id", number_or_null(apic_id >= 0, std::to_string(apic_id)));
  add_json_member(&out, "hardware_errors", std::to_string(f.errors()));
  std::string checks = "{";
  for (int k = check_mce; k < machine_check_kinds; ++k)
    if (watch.reads(static_cast<machine_check_kind>(k)))
      add_json_member(&checks, machine_check_names[k], std::to_string(f.machine_checks[k]));
  add_json_member(&out, "machine_checks", checks + "}");
  if (watch.reads(check_whea)) {
    std::string events = "[";
    for (const std::string& e : f.events) events += (events.size() > 1 ? ", " : "") + json_string(e.c_str());
    add_json_member(&out, "whea_events", events + "]");
  }
  const bool hot = !std::isnan(f.largest_temperature_c);
  add_json_member(&out, "largest_temperature_c", number_or_null(hot, temperature_text(f.largest_temperature_c, "%.3f")));
  const std::string sensor = watch.sensor_of(cpu);
  add_json_member(&out, "temperature_sensor", sensor.empty() ? "null" : json_string(sensor.c_str()));
  std::string clocks = "null";
  if (!f.clocks_mhz.empty()) {
    const clock_range c = range_of(f.clocks_mhz);
    clocks = "{\"lowest\": " + std::to_string(c.lowest) + ", \"median\": " + std::to_string(c.median) +
             ", \"highest\": " + std::to_string(c.highest) + "}";
  }
  add_json_member(&out, "clock_mhz", clocks);
  std::string throttles = "{";
  if (watch.found("thermal events")) add_json_member(&throttles, "TRM", std::to_string(f.thermal_events));
  if (watch.found("throttle counts")) {
    add_json_member(&throttles, "core", std::to_string(f.core_throttles));
    add_json_member(&throttles, "package", std::to_string(f.package_throttles));
  }
  add_json_member(&out, "throttles", throttles + "}");
  return out.substr(1);
}

std::vector<std::string> hardware_columns(const hardware_watch& watch) {
  std::vector<std::string> columns;
  if (watch.found("machine checks") || watch.found("WHEA events")) columns.push_back("hw errors");
  if (watch.found("temperatures")) columns.push_back("max C"), columns.push_back("sensor");
  if (watch.found("clocks")) columns.push_back("MHz low/med/high");
  if (watch.found("throttle counts") || watch.found("thermal events")) columns.push_back("throttles");
  return columns;
}

std::vector<std::string> hardware_cells(const hardware_watch& watch, int32_t cpu, const hardware_figures& f) {
  std::vector<std::string> cells;
  if (watch.found("machine checks") || watch.found("WHEA events")) cells.push_back(std::to_string(f.errors()));
  if (watch.found("temperatures")) {
    cells.push_back(std::isnan(f.largest_temperature_c) ? "-" : temperature_text(f.largest_temperature_c, "%.1f"));
    const std::string sensor = watch.sensor_of(cpu);
    cells.push_back(sensor.empty() ? "-" : sensor);
  }
  if (watch.found("clocks")) {
    if (f.clocks_mhz.empty()) {
      cells.push_back("-");
    } else {
      const clock_range c = range_of(f.clocks_mhz);
      cells.push_back(std::to_string(c.lowest) + "/" + std::to_string(c.median) + "/" + std::to_string(c.highest));
    }
  }
  // Intel's own throttle count where it has one, else the thermal interrupts.
  if (watch.found("throttle counts"))
    cells.push_back(std::to_string(f.core_throttles));
  else if (watch.found("thermal events"))
    cells.push_back(std::to_string(f.thermal_events));
  return cells;
}
