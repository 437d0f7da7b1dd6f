// What the hardware reported during a stress test, per CPU of the test: through each run and over
// the test. The main thread samples the sources about once a second (sample); the watchers of the
// workers mark where each CPU's runs begin and end. What rose between two samples belongs to the run
// in progress on its CPU at the second sample, so an error of a run's last second may be counted in
// the next one. Temperatures and clocks are taken only while a run is on the CPU: they describe
// the CPU under load. Thread-safe.
#pragma once
#include <cmath>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "console/stress/hardware/hardware_readers.h"

// What the hardware reported for one CPU over a span: the rises of its counts, its largest
// temperature and the clocks read.
struct hardware_figures {
  int64_t machine_checks[machine_check_kinds] = {};
  std::vector<std::string> events;  // the WHEA events counted in machine_checks[check_whea]
  int64_t thermal_events = 0, core_throttles = 0, package_throttles = 0;
  double largest_temperature_c = NAN;
  std::vector<int32_t> clocks_mhz;  // in the order read

  int64_t errors() const;  // the machine checks: every one is a hardware error
  void add(const hardware_figures& more);
};

// A line that a sample brings outside any run's line: an error of a CPU of the test that no run was
// on, an error elsewhere in the machine (a memory controller, a CPU not under test), a source that
// failed (not an error).
struct hardware_notice {
  int32_t cpu;     // the CPU of the test whose error it is; -1 for none
  int64_t errors;  // the hardware errors it reports
  std::string text;
};

class hardware_watch {
 public:
  // Reads every source once: the counts that the test's rises are measured from.
  hardware_watch(std::unique_ptr<hardware_readers> readers, const std::vector<int32_t>& cpus);

  // The sources as found at the start, and the line that names them: "hardware reports: machine
  // checks (MCE THR DFR), clocks (cpufreq); not found: EDAC, temperatures, throttle counts".
  const std::vector<hardware_source>& sources() const { return sources_; }
  std::string sources_line() const;
  bool found(const char* name) const;
  // Whether the start's reading had this kind of count (MCE, THR, DFR: a row of its own; WHEA: the
  // event log).
  bool reads(machine_check_kind kind) const { return reads_[kind]; }
  std::string sensor_of(int32_t cpu) const { return sensors_.count(cpu) ? sensors_.at(cpu) : ""; }

  // Reads every source and attributes what rose since the last reading; the main thread's.
  std::vector<hardware_notice> sample();

  // A worker on `cpu` told its APIC id, by which the WHEA events name it.
  void learn_apic_id(int32_t cpu, int64_t apic_id);
  int64_t apic_id(int32_t cpu) const;
  // Run `run` began on `cpu`. The run on `cpu` ended, with these figures, and `next_run` (0: none)
  // began at once: one step, so that no reading falls between them.
  void run_started(int32_t cpu, int32_t run);
  hardware_figures run_ended(int32_t cpu, int32_t next_run);

  // The CPUs of one threaded worker: a line of the errors of one of them names them all ("cpu 0-7").
  void name_worker_cpus(const std::vector<int32_t>& cpus);

  hardware_figures test_figures(int32_t cpu) const;
  // The memory controllers' and DIMMs' rises over the test, those that rose.
  std::vector<memory_error_count> memory_rises() const;
  // The errors reported by CPUs not under test, or by a processor whose APIC id no worker had.
  int64_t errors_on_other_cpus() const;

 private:
  struct cpu_state {
    hardware_figures run, test;
    int32_t running = 0;  // the run on it; 0: none
    int64_t apic_id = -1;
    std::string worker;  // the CPUs its lines name; empty: itself
  };
  // What rose on a CPU of the test: the run's on it, else a line of its own (errors only); the test's.
  static void charge(int32_t cpu, cpu_state& c, const hardware_figures& f,
                     std::vector<hardware_notice>* notices);

  std::unique_ptr<hardware_readers> readers_;
  std::vector<hardware_source> sources_;
  std::map<int32_t, std::string> sensors_;
  std::vector<std::string> start_failures_;
  bool reads_[machine_check_kinds] = {};
  hardware_reading last_;      // the main thread's only
  mutable std::mutex lock_;    // guards what follows
  std::map<int32_t, cpu_state> cpus_;
  std::vector<memory_error_count> memory_rises_;  // as last_.memory
  int64_t errors_on_other_cpus_ = 0;
};

// "2 corrected errors (THR) and 1 machine check exception (MCE)": what the figures count.
std::string machine_checks_text(const hardware_figures& f);

// "machine checks (MCE THR DFR)", "EDAC (unreadable: ...)": a source as its line and records name it.
std::string source_text(const hardware_source& source);

// "memory controller mc0 (DIMM_A1): 3 corrected errors": a memory controller's or DIMM's rise.
std::string memory_errors_text(const memory_error_count& rise);

// The line of a CPU's hardware errors: "cpu 3: the hardware reported 2 corrected errors (THR)
// during run 17 (reported by CPU 3; ...)", `when` being "during run 17"; `worker` the CPUs the line
// is of (those of a threaded worker's set, "0-7", of which `cpu` reported the errors).
std::string cpu_hardware_line(const std::string& worker, int32_t cpu, const hardware_figures& f,
                              const std::string& when);

// The JSON members of figures, without braces: "\"hardware_errors\": 2, \"machine_checks\": {...}, ...",
// each source as found at the start.
std::string hardware_json_members(const hardware_watch& watch, int32_t cpu, const hardware_figures& f);

// The summary table's columns for the sources found, and a CPU's cells.
std::vector<std::string> hardware_columns(const hardware_watch& watch);
std::vector<std::string> hardware_cells(const hardware_watch& watch, int32_t cpu, const hardware_figures& f);
