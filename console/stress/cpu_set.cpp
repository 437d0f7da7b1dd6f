#include "console/stress/cpu_set.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#ifdef _WIN32
#include <windows.h>
#else
#include <pthread.h>
#include <sched.h>
#endif

namespace {

// A decimal number of 0..largest_cpu_number at *c; moves *c past it.
bool read_cpu(const char** c, int32_t* cpu) {
  const char* start = *c;
  int32_t v = 0;
  for (; **c >= '0' && **c <= '9'; ++*c) {
    v = v * 10 + (**c - '0');
    if (v > largest_cpu_number) return false;
  }
  *cpu = v;
  return *c != start;
}

#ifndef _WIN32
// A CPU set of the size the kernel accepts, which may exceed the fixed cpu_set_t.
struct linux_cpu_set {
  size_t bytes;
  cpu_set_t* set;
  explicit linux_cpu_set(int32_t cpus) : bytes(CPU_ALLOC_SIZE(cpus)), set(CPU_ALLOC(cpus)) {
    if (set) CPU_ZERO_S(bytes, set);
  }
  ~linux_cpu_set() { CPU_FREE(set); }
  linux_cpu_set(const linux_cpu_set&) = delete;
  linux_cpu_set& operator=(const linux_cpu_set&) = delete;
};
#endif

}  // namespace

std::vector<int32_t> allowed_cpus() {
  std::vector<int32_t> cpus;
#ifdef _WIN32
  DWORD_PTR process_mask = 0, system_mask = 0;
  if (GetProcessAffinityMask(GetCurrentProcess(), &process_mask, &system_mask))
    for (int32_t cpu = 0; cpu < static_cast<int32_t>(8 * sizeof process_mask); ++cpu)
      if (process_mask >> cpu & 1) cpus.push_back(cpu);
#else
  // The kernel refuses a set smaller than its own (EINVAL): grow until it fits.
  for (int32_t size = 1024; size <= largest_cpu_number + 1 && cpus.empty(); size *= 2) {
    linux_cpu_set allowed(size);
    if (!allowed.set || sched_getaffinity(0, allowed.bytes, allowed.set) != 0) continue;
    for (int32_t cpu = 0; cpu < size; ++cpu)
      if (CPU_ISSET_S(cpu, allowed.bytes, allowed.set)) cpus.push_back(cpu);
  }
#endif
  return cpus;
}

bool parse_cpu_list(const char* text, std::vector<int32_t>* cpus) {
  std::vector<int32_t> list;
  std::vector<bool> named(largest_cpu_number + 1);
  const char* c = text;
  for (;;) {
    int32_t first, last;
    if (!read_cpu(&c, &first)) return false;
    last = first;
    if (*c == '-' && (++c, !read_cpu(&c, &last) || last < first)) return false;
    for (int32_t cpu = first; cpu <= last; ++cpu) {
      if (named[cpu]) return false;
      named[cpu] = true;
      list.push_back(cpu);
    }
    if (*c != ',') break;
    ++c;
  }
  if (*c != '\0') return false;
  *cpus = list;
  return true;
}

std::string cpu_list_text(const std::vector<int32_t>& cpus) {
  std::string text;
  for (size_t i = 0; i < cpus.size();) {
    size_t end = i + 1;
    while (end < cpus.size() && cpus[end] == cpus[end - 1] + 1) ++end;
    text += (text.empty() ? "" : ",") + std::to_string(cpus[i]);
    if (end - i > 1) text += "-" + std::to_string(cpus[end - 1]);
    i = end;
  }
  return text;
}

bool pin_current_thread(int32_t cpu) {
#ifdef _WIN32
  if (cpu >= static_cast<int32_t>(8 * sizeof(DWORD_PTR))) return false;
  return SetThreadAffinityMask(GetCurrentThread(), DWORD_PTR{1} << cpu) != 0;
#else
  linux_cpu_set one(cpu + 1);
  if (!one.set) return false;
  CPU_SET_S(cpu, one.bytes, one.set);
  return pthread_setaffinity_np(pthread_self(), one.bytes, one.set) == 0;
#endif
}

bool pin_current_process(const std::vector<int32_t>& cpus) {
  if (cpus.empty()) return false;
#ifdef _WIN32
  DWORD_PTR mask = 0;
  for (int32_t cpu : cpus) {
    if (cpu >= static_cast<int32_t>(8 * sizeof(DWORD_PTR))) return false;
    mask |= DWORD_PTR{1} << cpu;
  }
  // The threads a run creates take the process's mask; the calling thread's own must lie within it.
  return SetProcessAffinityMask(GetCurrentProcess(), mask) != 0 &&
         SetThreadAffinityMask(GetCurrentThread(), mask) != 0;
#else
  linux_cpu_set set(*std::max_element(cpus.begin(), cpus.end()) + 1);
  if (!set.set) return false;
  for (int32_t cpu : cpus) CPU_SET_S(cpu, set.bytes, set.set);
  // Pid 0: the calling thread only; the threads it creates later inherit its mask.
  return sched_setaffinity(0, set.bytes, set.set) == 0;
#endif
}

std::string cpu_sysfs_directory() {
  const char* stand_in = std::getenv("PI_AGM_CPU_SYSFS");
  return stand_in && *stand_in ? stand_in : "/sys/devices/system/cpu";
}

cpu_place cpu_topology(int32_t cpu) {
  cpu_place place{-1, -1};
#ifdef _WIN32
  // The system lists every core and package with the mask of its logical CPUs; they are numbered
  // here in the order listed.
  DWORD bytes = 0;
  GetLogicalProcessorInformation(nullptr, &bytes);
  std::vector<SYSTEM_LOGICAL_PROCESSOR_INFORMATION> entries(bytes /
                                                            sizeof(SYSTEM_LOGICAL_PROCESSOR_INFORMATION));
  if (entries.empty() || !GetLogicalProcessorInformation(entries.data(), &bytes)) return place;
  int32_t cores = 0, packages = 0;
  for (const auto& entry : entries) {
    const bool mine =
        cpu < static_cast<int32_t>(8 * sizeof entry.ProcessorMask) && (entry.ProcessorMask >> cpu & 1);
    if (entry.Relationship == RelationProcessorCore) {
      if (mine) place.core = cores;
      ++cores;
    } else if (entry.Relationship == RelationProcessorPackage) {
      if (mine) place.package = packages;
      ++packages;
    }
  }
#else
  const struct {
    const char* file;
    int32_t* value;
  } fields[] = {{"core_id", &place.core}, {"physical_package_id", &place.package}};
  for (const auto& field : fields) {
    const std::string path =
        cpu_sysfs_directory() + "/cpu" + std::to_string(cpu) + "/topology/" + field.file;
    if (std::FILE* f = std::fopen(path.c_str(), "r")) {
      int value;
      if (std::fscanf(f, "%d", &value) == 1 && value >= 0) *field.value = value;
      std::fclose(f);
    }
  }
#endif
  return place;
}

std::vector<int32_t> alternate_order(const std::vector<int32_t>& cpus) {
  std::vector<int32_t> order;
  for (size_t low = 0, high = cpus.size(); low < high;) {
    order.push_back(cpus[low++]);
    if (low < high) order.push_back(cpus[--high]);
  }
  return order;
}

std::vector<int32_t> one_per_core(const std::vector<int32_t>& cpus) {
  std::vector<int32_t> firsts;
  std::vector<std::pair<int32_t, int32_t>> cores;  // (package, core) seen
  for (int32_t cpu : cpus) {
    const cpu_place place = cpu_topology(cpu);
    const std::pair<int32_t, int32_t> core{place.package, place.core};
    if (place.core >= 0 && std::find(cores.begin(), cores.end(), core) != cores.end()) continue;
    cores.push_back(core);
    firsts.push_back(cpu);
  }
  return firsts;
}
