// Which hwmon temperature sensor covers each CPU, as closely as the machine tells: coretemp (Intel)
// has one directory per package ("Package id P") with a sensor per core ("Core C", C the core id);
// k10temp (AMD) one per package, in the order of the packages, with the package's control
// temperature (Tctl, or Tdie where it is given) and, from Zen 2 on, one sensor per CCD (TccdN). A
// CCD's sensor is taken only where the package has as many L3 groups as CCD sensors (one CCX per
// CCD, Zen 3 on), whose order by lowest CPU is the CCDs' order; else the package's.
#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <vector>

struct temperature_sensor {
  std::string chip;   // "k10temp", "coretemp"
  std::string label;  // "Tccd1", "Core 3", "Package id 0", "Tctl"
  std::string input;  // its file, in millidegrees
};

// The sensor of each of `cpus` that has one, from the chips under `hwmon` (/sys/class/hwmon); the
// CPUs' topology and caches as cpu_topology and cpu_caches read them.
std::map<int32_t, temperature_sensor> cpu_temperature_sensors(const std::string& hwmon, const std::vector<int32_t>& cpus);

// "core 3", "package 0" for coretemp's "Core 3" and "Package id 0"; k10temp's labels as they are.
std::string sensor_name(const temperature_sensor& sensor);
