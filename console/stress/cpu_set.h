// The CPUs of a stress test: those the process may use, lists of them as typed, pinning a thread
// to one, and where one sits (physical core and package). Logical CPUs are numbered as the system
// numbers them (Linux: as in /proc/cpuinfo and taskset; Windows: bits of the affinity mask).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

constexpr int32_t largest_cpu_number = 65535;

// The CPUs this process may run on, ascending: its affinity mask (Linux sched_getaffinity; Windows
// GetProcessAffinityMask, the CPUs of the process's processor group, at most 64).
std::vector<int32_t> allowed_cpus();

// "0,2,4-7": numbers and ascending ranges separated by commas, each CPU once, none above
// largest_cpu_number. The CPUs in the order typed; false for anything else.
bool parse_cpu_list(const char* text, std::vector<int32_t>* cpus);

// The CPUs as a list that parse_cpu_list reads, runs of consecutive numbers as ranges: "0-3,6".
std::string cpu_list_text(const std::vector<int32_t>& cpus);

// Binds the calling thread to one CPU for the rest of its life; false when the system refuses.
bool pin_current_thread(int32_t cpu);

// Binds the calling thread, and every thread it starts from then on, to the CPUs of the set (Linux:
// the calling thread's affinity, which the threads it creates inherit; Windows: the process's and
// the calling thread's masks); false when the system refuses.
bool pin_current_process(const std::vector<int32_t>& cpus);

// The directory that stands for /sys/devices/system/cpu: that one, or the value of the environment
// variable PI_AGM_CPU_SYSFS, through which the tests describe a machine of their own (Linux only).
std::string cpu_sysfs_directory();

// The physical core and package of a logical CPU where the system tells it (Linux
// cpu_sysfs_directory()/cpuN/topology; Windows GetLogicalProcessorInformation, within the
// process's processor group); -1 where it does not.
struct cpu_place {
  int32_t core, package;
};
cpu_place cpu_topology(int32_t cpu);

// The orders of a cycle over CPUs (--cycle). one_per_core: the first logical CPU of each physical
// core, in the order given (a CPU whose core is not known counts as a core of its own), so that
// no core is visited twice in a round. alternate_order: from both ends in turn (first, last,
// second, second to last ...): consecutive numbers are mostly neighbours on the die, so each move
// goes far from the core that just worked, which cools while the next one heats.
std::vector<int32_t> one_per_core(const std::vector<int32_t>& cpus);
std::vector<int32_t> alternate_order(const std::vector<int32_t>& cpus);
