#include "console/stress/cpu_caches.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "console/stress/cpu_set.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

bool by_level(const cpu_cache& x, const cpu_cache& y) { return x.level < y.level; }

#ifndef _WIN32
// The first line of a file, without its line end; "" when it cannot be read.
std::string first_line(const std::string& path) {
  char line[256] = "";
  if (std::FILE* f = std::fopen(path.c_str(), "r")) {
    if (!std::fgets(line, sizeof line, f)) line[0] = '\0';
    std::fclose(f);
  }
  line[std::strcspn(line, "\r\n")] = '\0';
  return line;
}

// "2048K", "260M", "1G" or a plain number of bytes; 0 for anything else.
int64_t cache_bytes(const std::string& text) {
  char* end = nullptr;
  const long long v = std::strtoll(text.c_str(), &end, 10);
  if (end == text.c_str() || v <= 0) return 0;
  const int shift = *end == 'K' ? 10 : *end == 'M' ? 20 : *end == 'G' ? 30 : 0;
  if (shift != 0) ++end;
  return *end == '\0' ? int64_t{v} << shift : 0;
}
#endif

}  // namespace

#ifdef _WIN32
std::vector<cpu_cache> caches_from_processor_information(const _SYSTEM_LOGICAL_PROCESSOR_INFORMATION* entries,
                                                         size_t count, int32_t cpu) {
  std::vector<cpu_cache> caches;
  if (cpu >= static_cast<int32_t>(8 * sizeof(ULONG_PTR))) return caches;
  for (size_t i = 0; i < count; ++i) {
    const SYSTEM_LOGICAL_PROCESSOR_INFORMATION& entry = entries[i];
    if (entry.Relationship != RelationCache || !(entry.ProcessorMask >> cpu & 1)) continue;
    const CACHE_DESCRIPTOR& cache = entry.Cache;
    if (cache.Type != CacheUnified && cache.Type != CacheData) continue;
    cpu_cache c{cache.Level, static_cast<int64_t>(cache.Size), {}};
    for (int32_t other = 0; other < static_cast<int32_t>(8 * sizeof(ULONG_PTR)); ++other)
      if (entry.ProcessorMask >> other & 1) c.cpus.push_back(other);
    caches.push_back(c);
  }
  std::stable_sort(caches.begin(), caches.end(), by_level);
  return caches;
}

std::vector<cpu_cache> cpu_caches(int32_t cpu) {
  DWORD bytes = 0;
  GetLogicalProcessorInformation(nullptr, &bytes);
  std::vector<SYSTEM_LOGICAL_PROCESSOR_INFORMATION> entries(bytes /
                                                            sizeof(SYSTEM_LOGICAL_PROCESSOR_INFORMATION));
  if (entries.empty() || !GetLogicalProcessorInformation(entries.data(), &bytes)) return {};
  return caches_from_processor_information(entries.data(), entries.size(), cpu);
}
#else
std::vector<cpu_cache> cpu_caches(int32_t cpu) {
  std::vector<cpu_cache> caches;
  const std::string directory = cpu_sysfs_directory() + "/cpu" + std::to_string(cpu) + "/cache/index";
  // The indexes are numbered from 0 without gaps.
  for (int index = 0;; ++index) {
    const std::string path = directory + std::to_string(index) + "/";
    const std::string level = first_line(path + "level"), type = first_line(path + "type");
    if (level.empty()) break;
    cpu_cache c{std::atoi(level.c_str()), cache_bytes(first_line(path + "size")), {}};
    if (type != "Data" && type != "Unified") continue;
    if (c.level < 1 || c.bytes == 0 || !parse_cpu_list(first_line(path + "shared_cpu_list").c_str(), &c.cpus))
      return {};  // a cache described in a way not understood: none rather than a wrong one
    caches.push_back(c);
  }
  std::stable_sort(caches.begin(), caches.end(), by_level);
  return caches;
}
#endif
