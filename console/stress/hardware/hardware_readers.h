// The hardware's own reports, read by a stress test's main process while the workers compute: the
// counts of machine checks (corrected errors above all, often the first sign of an unstable clock,
// a marginal voltage or a failing DIMM, long before a result comes out wrong), the memory
// controllers' error counts, temperatures, clocks and throttle counts. Each system has its readers
// in a file of its own. A source that is absent or unreadable at the start is named and skipped; one
// that fails later is named once and read no more: no report source ends or fails a test.
#pragma once
#include <cmath>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "console/stress/hardware/whea_event.h"

// The counts of machine checks that a CPU reports: on Linux the rows MCE (machine check exceptions),
// THR (threshold interrupts; on Intel also the corrected-error interrupt) and DFR (deferred errors,
// AMD) of /proc/interrupts; on Windows its WHEA-Logger events.
enum machine_check_kind { check_mce, check_thr, check_dfr, check_whea, machine_check_kinds };
extern const char* const machine_check_names[machine_check_kinds];  // "MCE", "THR", "DFR", "WHEA"

// One CPU as read at one moment: counts since the system started, -1 where not read.
struct cpu_hardware_reading {
  int64_t machine_checks[machine_check_kinds] = {-1, -1, -1, -1};
  int64_t thermal_events = -1;     // Linux TRM: thermal interrupts
  int64_t core_throttles = -1;     // Linux thermal_throttle counts (Intel)
  int64_t package_throttles = -1;
  double temperature_c = NAN;      // of the sensor that covers it (hardware_readers::sensor_of)
  int32_t clock_mhz = 0;           // 0: not read
};

// A memory controller's error counts since the system started (Linux EDAC): its own, and each DIMM's.
struct memory_error_count {
  std::string controller;  // "mc0"
  std::string dimm;        // the DIMM's label ("DIMM_A1"; else its directory, "dimm3"); "" for the controller
  int64_t corrected, uncorrected;
};

struct hardware_reading {
  std::map<int32_t, cpu_hardware_reading> cpus;  // every CPU that a source covers
  std::vector<memory_error_count> memory;        // in a fixed order from reading to reading
  std::vector<whea_event> events;                // the WHEA events logged since the last reading
};

struct hardware_source {
  std::string name;    // "machine checks", "thermal events", "EDAC", "temperatures", "clocks",
                       // "throttle counts", "WHEA events"
  std::string detail;  // found: what it is ("MCE THR DFR", "k10temp", "cpufreq"); not found: why
                       // ("" when simply absent)
  bool found;
};

class hardware_readers {
 public:
  virtual ~hardware_readers() = default;
  // Every source looked for, found or not, in the order they are named.
  virtual std::vector<hardware_source> sources() const = 0;
  // Reads every source still read. A source that cannot be read is read no more, with one line
  // ("temperatures (k10temp) could no longer be read (...)") in *failures.
  virtual void read(hardware_reading* reading, std::vector<std::string>* failures) = 0;
  // The sensor whose temperature a CPU gets: "core 3", "package 0", "Tccd2", "Tctl"; "" none.
  virtual std::string sensor_of(int32_t cpu) const = 0;
};

// This system's readers for a test of these CPUs (the machine checks are read for every CPU). On
// Linux every path is taken under the directory named by the environment variable
// PI_AGM_HARDWARE_ROOT, which stands for / (the tests describe a machine of their own there).
std::unique_ptr<hardware_readers> open_hardware_readers(const std::vector<int32_t>& cpus);
