#include "console/stress/hardware/cpu_sensors_linux.h"

#include <algorithm>
#include <cstdlib>
#include <set>

#include "console/stress/cpu_caches.h"
#include "console/stress/cpu_set.h"
#include "console/stress/hardware/linux_files.h"

namespace {

using chip_sensors = std::map<std::string, temperature_sensor>;  // by label

chip_sensors sensors_of_chip(const std::string& directory, const std::string& chip) {
  chip_sensors sensors;
  for (const auto& entry : numbered_entries(directory, "temp", "_label")) {
    const std::string base = directory + "/temp" + std::to_string(entry.first);
    const std::string label = first_line(base + "_label");
    if (!label.empty()) sensors[label] = {chip, label, base + "_input"};
  }
  return sensors;
}

// The CPUs of the machine's CPU directory (cpu_sysfs_directory()).
std::vector<int32_t> every_cpu() {
  std::vector<int32_t> cpus;
  for (const auto& entry : numbered_entries(cpu_sysfs_directory(), "cpu")) cpus.push_back(entry.first);
  return cpus;
}

// The L3 groups of a package, each its CPUs ascending, in the order of their lowest CPU.
std::vector<std::vector<int32_t>> l3_groups(int32_t package) {
  std::set<std::vector<int32_t>> groups;
  for (int32_t cpu : every_cpu()) {
    if (cpu_topology(cpu).package != package) continue;
    for (const cpu_cache& c : cpu_caches(cpu))
      if (c.level == 3) {
        std::vector<int32_t> sharing = c.cpus;
        std::sort(sharing.begin(), sharing.end());
        groups.insert(sharing);
      }
  }
  return {groups.begin(), groups.end()};
}

}  // namespace

std::map<int32_t, temperature_sensor> cpu_temperature_sensors(const std::string& hwmon, const std::vector<int32_t>& cpus) {
  std::map<int32_t, chip_sensors> coretemp;  // by package
  std::vector<chip_sensors> k10temp;         // in package order
  for (const auto& entry : numbered_entries(hwmon, "hwmon")) {
    const std::string directory = hwmon + "/" + entry.second;
    const std::string chip = first_line(directory + "/name");
    if (chip == "k10temp") k10temp.push_back(sensors_of_chip(directory, chip));
    if (chip != "coretemp") continue;
    const chip_sensors sensors = sensors_of_chip(directory, chip);
    int32_t package = -1;
    for (const auto& [label, s] : sensors)
      if (label.compare(0, 11, "Package id ") == 0) package = std::atoi(label.c_str() + 11);
    coretemp[package] = sensors;
  }
  std::map<int32_t, temperature_sensor> chosen;
  for (int32_t cpu : cpus) {
    const cpu_place place = cpu_topology(cpu);
    const int32_t package = std::max(place.package, 0);
    // The first of the labels tried that the chip has.
    const auto pick = [&](const chip_sensors& sensors, const std::string& label) {
      const auto s = sensors.find(label);
      if (!chosen.count(cpu) && s != sensors.end()) chosen[cpu] = s->second;
    };
    if (coretemp.count(package)) {
      if (place.core >= 0) pick(coretemp[package], "Core " + std::to_string(place.core));
      pick(coretemp[package], "Package id " + std::to_string(package));
    }
    if (package < static_cast<int32_t>(k10temp.size())) {
      const chip_sensors& sensors = k10temp[package];
      const auto ccds = std::count_if(sensors.begin(), sensors.end(),
                                      [](const auto& s) { return s.first.compare(0, 4, "Tccd") == 0; });
      const std::vector<std::vector<int32_t>> groups = l3_groups(package);
      for (size_t g = 0; ccds > 0 && groups.size() == static_cast<size_t>(ccds) && g < groups.size(); ++g)
        if (std::binary_search(groups[g].begin(), groups[g].end(), cpu)) pick(sensors, "Tccd" + std::to_string(g + 1));
      pick(sensors, "Tdie");
      pick(sensors, "Tctl");
    }
  }
  return chosen;
}

std::string sensor_name(const temperature_sensor& sensor) {
  const std::string& label = sensor.label;
  if (label.compare(0, 5, "Core ") == 0) return "core " + label.substr(5);
  if (label.compare(0, 11, "Package id ") == 0) return "package " + label.substr(11);
  return label;
}
