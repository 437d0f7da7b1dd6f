// The caches of a logical CPU as the system describes them: Linux the files level, type, size and
// shared_cpu_list of /sys/devices/system/cpu/cpuN/cache/index*/ (cpu_sysfs_directory), Windows the cache entries of
// GetLogicalProcessorInformation (within the process's processor group).
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct cpu_cache {
  int32_t level;              // 1, 2, 3 ...
  int64_t bytes;
  std::vector<int32_t> cpus;  // the logical CPUs that share it, the CPU itself among them
};

// The data and unified caches of the CPU (instruction caches are left out), by ascending level;
// empty where the system does not tell.
std::vector<cpu_cache> cpu_caches(int32_t cpu);

#ifdef _WIN32
struct _SYSTEM_LOGICAL_PROCESSOR_INFORMATION;
// cpu_caches from the entries the system gave (the tests give their own).
std::vector<cpu_cache> caches_from_processor_information(const _SYSTEM_LOGICAL_PROCESSOR_INFORMATION* entries,
                                                         size_t count, int32_t cpu);
#endif
