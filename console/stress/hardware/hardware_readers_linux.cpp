// Linux: machine checks and thermal events from /proc/interrupts, the memory controllers' counts
// from EDAC, temperatures from hwmon (k10temp, coretemp), clocks from cpufreq or /proc/cpuinfo,
// throttle counts from thermal_throttle. Every file holds text that anyone may read.
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <set>
#include <sstream>

#include "console/stress/hardware/cpu_sensors_linux.h"
#include "console/stress/hardware/hardware_readers.h"
#include "console/stress/hardware/interrupt_counts.h"
#include "console/stress/hardware/linux_files.h"

namespace {

class linux_readers final : public hardware_readers {
 public:
  explicit linux_readers(const std::vector<int32_t>& cpus) : cpus_(cpus), root_(hardware_root()) {
    find_interrupts();
    find_edac();
    find_temperatures();
    find_clocks();
    find_throttles();
  }

  std::vector<hardware_source> sources() const override { return sources_; }

  void read(hardware_reading* reading, std::vector<std::string>* failures) override {
    *reading = hardware_reading{};
    std::string why;
    const auto failed = [&](std::initializer_list<const char*> names) {
      std::string what;
      for (const char* name : names)
        for (hardware_source& s : sources_)
          if (s.name == name && s.found) {
            what += (what.empty() ? "" : " and ") + s.name + " (" + s.detail + ")";
            s.found = false;
            s.detail = "could no longer be read: " + why;
          }
      if (!what.empty()) failures->push_back(what + " could no longer be read (" + why + ")");
    };
    if ((found("machine checks") || found("thermal events")) && !read_interrupts(reading, &why))
      failed({"machine checks", "thermal events"});
    if (found("EDAC") && !read_edac(reading, &why)) failed({"EDAC"});
    if (found("temperatures") && !read_temperatures(reading, &why)) failed({"temperatures"});
    if (found("clocks") && !read_clocks(reading, &why)) failed({"clocks"});
    if (found("throttle counts") && !read_throttles(reading, &why)) failed({"throttle counts"});
  }

  std::string sensor_of(int32_t cpu) const override {
    const auto s = sensors_.find(cpu);
    return s == sensors_.end() ? "" : sensor_name(s->second);
  }

 private:
  std::string path(const std::string& under_root) const { return root_ + under_root; }
  std::string cpu_path(int32_t cpu, const char* file) const {
    return path("/sys/devices/system/cpu/cpu" + std::to_string(cpu) + "/" + file);
  }
  bool found(const char* name) const {
    return std::any_of(sources_.begin(), sources_.end(),
                       [&](const hardware_source& s) { return s.name == name && s.found; });
  }
  // Names a source, found or not (detail: what it is, or why not).
  void add_source(const char* name, const std::string& detail, bool is_found) {
    sources_.push_back({name, detail, is_found});
  }
  // Names a source found if `read` reads it now, else unreadable.
  template <typename Read>
  void add_source_read(const char* name, const std::string& detail, Read read) {
    hardware_reading probe;
    std::string why;
    if (read(&probe, &why))
      add_source(name, detail, true);
    else
      add_source(name, "unreadable: " + why, false);
  }

  // The rows of /proc/interrupts that the readers take; false with *why when it cannot be read.
  bool interrupt_table(interrupt_counts* counts, std::string* why) const {
    std::string text;
    const std::string file = path("/proc/interrupts");
    if (!read_text(file, &text)) return *why = file + ": " + std::strerror(errno), false;
    if (!parse_interrupt_counts(text, {"MCE", "THR", "DFR", "TRM"}, counts))
      return *why = file + ": not a table of counts", false;
    return true;
  }

  // /proc/interrupts: the rows of machine checks and the thermal row, as far as the kernel has them.
  void find_interrupts() {
    interrupt_counts counts;
    std::string why;
    const bool absent = access(path("/proc/interrupts").c_str(), F_OK) != 0;
    if (absent || !interrupt_table(&counts, &why)) {
      const std::string detail = absent ? "" : "unreadable: " + why;
      add_source("machine checks", detail, false), add_source("thermal events", detail, false);
      return;
    }
    std::string rows;
    for (int kind = check_mce; kind <= check_dfr; ++kind)
      if (counts.count(machine_check_names[kind])) {
        rows += (rows.empty() ? "" : " ") + std::string(machine_check_names[kind]);
        check_rows_.push_back(static_cast<machine_check_kind>(kind));
      }
    add_source("machine checks", rows, !rows.empty());
    thermal_row_ = counts.count("TRM") > 0;
    add_source("thermal events", thermal_row_ ? "TRM" : "", thermal_row_);
  }

  bool read_interrupts(hardware_reading* reading, std::string* why) {
    interrupt_counts counts;
    if (!interrupt_table(&counts, why)) return false;
    const std::string file = path("/proc/interrupts");
    for (machine_check_kind kind : check_rows_) {
      const auto row = counts.find(machine_check_names[kind]);
      if (row == counts.end()) return *why = file + ": no row " + machine_check_names[kind], false;
      for (const auto& [cpu, count] : row->second) reading->cpus[cpu].machine_checks[kind] = count;
    }
    if (thermal_row_) {
      const auto row = counts.find("TRM");
      if (row == counts.end()) return *why = file + ": no row TRM", false;
      for (const auto& [cpu, count] : row->second) reading->cpus[cpu].thermal_events = count;
    }
    return true;
  }

  // EDAC: each memory controller's counts, and each DIMM's (or, with older drivers, each rank's).
  void find_edac() {
    const std::string mc = path("/sys/devices/system/edac/mc");
    for (const auto& [number, controller] : numbered_entries(mc, "mc")) {
      (void)number;
      const std::string directory = mc + "/" + controller;
      edac_.push_back({controller, "", directory + "/ce_count", directory + "/ue_count"});
      for (const char* kind : {"dimm", "rank"})
        for (const auto& [n, dimm] : numbered_entries(directory, kind)) {
          (void)n;
          const std::string d = directory + "/" + dimm;
          const std::string label = first_line(d + "/dimm_label");
          edac_.push_back({controller, label.empty() ? dimm : label, d + "/dimm_ce_count", d + "/dimm_ue_count"});
        }
    }
    if (edac_.empty()) return add_source("EDAC", "", false);
    std::string controllers;
    for (const edac_counter& c : edac_)
      if (c.dimm.empty()) controllers += (controllers.empty() ? "" : " ") + c.controller;
    add_source_read("EDAC", controllers, [&](hardware_reading* r, std::string* why) { return read_edac(r, why); });
  }

  bool read_edac(hardware_reading* reading, std::string* why) {
    for (const edac_counter& c : edac_) {
      memory_error_count count{c.controller, c.dimm, 0, 0};
      if (!read_number(c.corrected, &count.corrected, why) || !read_number(c.uncorrected, &count.uncorrected, why))
        return false;
      reading->memory.push_back(count);
    }
    return true;
  }

  // hwmon: for each CPU of the test the sensor that covers it most closely.
  void find_temperatures() {
    sensors_ = cpu_temperature_sensors(path("/sys/class/hwmon"), cpus_);
    std::set<std::string> chips;
    for (const auto& entry : sensors_) chips.insert(entry.second.chip);
    std::string detail;
    for (const std::string& chip : chips) detail += (detail.empty() ? "" : " ") + chip;
    if (sensors_.empty()) return add_source("temperatures", "", false);
    add_source_read("temperatures", detail,
                    [&](hardware_reading* r, std::string* why) { return read_temperatures(r, why); });
  }

  bool read_temperatures(hardware_reading* reading, std::string* why) {
    std::map<std::string, double> read;  // several CPUs share a sensor: each file once
    for (const auto& [cpu, s] : sensors_) {
      if (!read.count(s.input)) {
        int64_t millidegrees;
        if (!read_number(s.input, &millidegrees, why)) return false;
        read[s.input] = millidegrees / 1000.0;
      }
      reading->cpus[cpu].temperature_c = read[s.input];
    }
    return true;
  }

  // Clocks: cpufreq's scaling_cur_freq (kHz) of every CPU of the test, else /proc/cpuinfo's
  // "cpu MHz" lines.
  void find_clocks() {
    hardware_reading probe;
    std::string why;
    from_cpufreq_ = true;
    if (read_clocks(&probe, &why)) return add_source("clocks", "cpufreq", true);
    from_cpufreq_ = false;
    if (read_clocks(&probe, &why)) return add_source("clocks", "/proc/cpuinfo", true);
    add_source("clocks", "", false);
  }

  bool read_clocks(hardware_reading* reading, std::string* why) {
    if (from_cpufreq_) {
      for (int32_t cpu : cpus_) {
        int64_t khz;
        if (!read_number(cpu_path(cpu, "cpufreq/scaling_cur_freq"), &khz, why) || khz <= 0 || khz / 1000 > INT32_MAX)
          return false;
        reading->cpus[cpu].clock_mhz = static_cast<int32_t>(khz / 1000);
      }
      return true;
    }
    std::string text;
    const std::string file = path("/proc/cpuinfo");
    if (!read_text(file, &text)) return *why = file + ": " + std::strerror(errno), false;
    std::istringstream lines(text);
    std::map<int32_t, int32_t> mhz;
    int32_t processor = -1;
    for (std::string line; std::getline(lines, line);) {
      const size_t colon = line.find(':');
      if (colon == std::string::npos) continue;
      const std::string key = line.substr(0, line.find_last_not_of(" \t", colon - 1) + 1);
      const double value = std::atof(line.c_str() + colon + 1);
      if (key == "processor") processor = static_cast<int32_t>(value);
      if (key == "cpu MHz" && processor >= 0 && value > 0 && value < 1e6) mhz[processor] = static_cast<int32_t>(value + 0.5);
    }
    for (int32_t cpu : cpus_) {
      if (!mhz.count(cpu)) return *why = file + ": no cpu MHz of processor " + std::to_string(cpu), false;
      reading->cpus[cpu].clock_mhz = mhz[cpu];
    }
    return true;
  }

  // Intel's throttle counts, per core and per package, of every CPU of the test.
  void find_throttles() {
    if (cpus_.empty() || access(cpu_path(cpus_[0], "thermal_throttle/core_throttle_count").c_str(), F_OK) != 0)
      return add_source("throttle counts", "", false);
    add_source_read("throttle counts", "thermal_throttle",
                    [&](hardware_reading* r, std::string* why) { return read_throttles(r, why); });
  }

  bool read_throttles(hardware_reading* reading, std::string* why) {
    for (int32_t cpu : cpus_) {
      cpu_hardware_reading& r = reading->cpus[cpu];
      if (!read_number(cpu_path(cpu, "thermal_throttle/core_throttle_count"), &r.core_throttles, why) ||
          !read_number(cpu_path(cpu, "thermal_throttle/package_throttle_count"), &r.package_throttles, why))
        return false;
    }
    return true;
  }

  struct edac_counter {
    std::string controller, dimm, corrected, uncorrected;  // the last two: paths
  };

  std::vector<int32_t> cpus_;
  std::string root_;
  std::vector<hardware_source> sources_;
  std::vector<machine_check_kind> check_rows_;
  bool thermal_row_ = false;
  std::vector<edac_counter> edac_;
  std::map<int32_t, temperature_sensor> sensors_;
  bool from_cpufreq_ = true;
};

}  // namespace

std::unique_ptr<hardware_readers> open_hardware_readers(const std::vector<int32_t>& cpus) {
  return std::make_unique<linux_readers>(cpus);
}
