// The caches of a CPU as the system describes them: on Linux a cache tree of the test's own in the
// layout of /sys/devices/system/cpu (PI_AGM_CPU_SYSFS), on Windows entries of
// GetLogicalProcessorInformation built here. Data and unified caches are kept, instruction caches
// left out, sizes read with their suffixes; a description not understood gives no cache at all.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "console/stress/cpu_caches.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

struct described_cache {
  int32_t level;
  const char* type;  // "Data", "Instruction", "Unified"
  int64_t bytes;
  std::vector<int32_t> cpus;
};

// What cpu_caches must give for CPU 1 of that description: its data and unified caches by level.
std::vector<cpu_cache> expected(const std::vector<described_cache>& described) {
  std::vector<cpu_cache> caches;
  for (int32_t level = 1; level <= 3; ++level)
    for (const described_cache& d : described)
      if (d.level == level && std::string(d.type) != "Instruction" &&
          std::find(d.cpus.begin(), d.cpus.end(), 1) != d.cpus.end())
        caches.push_back({d.level, d.bytes, d.cpus});
  return caches;
}

}  // namespace

bool operator==(const cpu_cache& x, const cpu_cache& y) {
  return x.level == y.level && x.bytes == y.bytes && x.cpus == y.cpus;
}

#ifdef _WIN32
TEST(CpuCaches, FromTheProcessorInformation) {
  const std::vector<described_cache> described = {{3, "Unified", 32 << 20, {0, 1, 2, 3}},
                                                  {1, "Instruction", 32 << 10, {1}},
                                                  {2, "Unified", 1 << 20, {0, 1}},
                                                  {1, "Data", 48 << 10, {1}},
                                                  {2, "Unified", 1 << 20, {2, 3}}};
  std::vector<SYSTEM_LOGICAL_PROCESSOR_INFORMATION> entries(described.size() + 1);
  entries[0].Relationship = RelationProcessorCore;  // not a cache
  entries[0].ProcessorMask = 2;
  for (size_t i = 0; i < described.size(); ++i) {
    SYSTEM_LOGICAL_PROCESSOR_INFORMATION& e = entries[i + 1];
    e.Relationship = RelationCache;
    for (int32_t cpu : described[i].cpus) e.ProcessorMask |= ULONG_PTR{1} << cpu;
    e.Cache.Level = static_cast<BYTE>(described[i].level);
    e.Cache.Size = static_cast<DWORD>(described[i].bytes);
    const std::string type = described[i].type;
    e.Cache.Type = type == "Data" ? CacheData : type == "Unified" ? CacheUnified : CacheInstruction;
  }
  EXPECT_EQ(caches_from_processor_information(entries.data(), entries.size(), 1), expected(described));
  EXPECT_TRUE(caches_from_processor_information(entries.data(), entries.size(), 7).empty());
}
#else
TEST(CpuCaches, FromACacheTree) {
  // Each case: the files of CPU 1's cache/index0, index1 ... (level, type, size, shared_cpu_list).
  const struct {
    const char* name;
    std::vector<std::vector<std::string>> files;
    std::vector<described_cache> caches;  // what they describe; none: not understood
  } cases[] = {
      {"a server core",
       {{"1", "Data", "48K", "1"}, {"1", "Instruction", "32K", "1"}, {"2", "Unified", "2048K", "0-1"},
        {"3", "Unified", "260M", "0-3,8-11"}},
       {{1, "Data", 48 << 10, {1}}, {1, "Instruction", 32 << 10, {1}}, {2, "Unified", 2 << 20, {0, 1}},
        {3, "Unified", int64_t{260} << 20, {0, 1, 2, 3, 8, 9, 10, 11}}}},
      {"levels listed out of order, a size in bytes",
       {{"2", "Unified", "524288", "1"}, {"1", "Data", "32K", "1"}},
       {{2, "Unified", 512 << 10, {1}}, {1, "Data", 32 << 10, {1}}}},
      {"no cache directory", {}, {}},
      {"a size not understood", {{"1", "Data", "32 KB", "1"}, {"2", "Unified", "1M", "1"}}, {}},
      {"a list not understood", {{"2", "Unified", "1M", "1-"}}, {}},
  };
  int number = 0;
  for (const auto& c : cases) {
    const std::string root = testing::TempDir() + "/cpu_caches_" + std::to_string(++number);
    for (size_t i = 0; i < c.files.size(); ++i) {
      const std::string dir = root + "/cpu1/cache/index" + std::to_string(i);
      ASSERT_EQ(std::system(("mkdir -p '" + dir + "'").c_str()), 0);
      const char* names[] = {"level", "type", "size", "shared_cpu_list"};
      for (int f = 0; f < 4; ++f) {
        std::FILE* file = std::fopen((dir + "/" + names[f]).c_str(), "w");
        ASSERT_NE(file, nullptr);
        std::fprintf(file, "%s\n", c.files[i][f].c_str());
        std::fclose(file);
      }
    }
    setenv("PI_AGM_CPU_SYSFS", root.c_str(), 1);
    EXPECT_EQ(cpu_caches(1), expected(c.caches)) << c.name;
    unsetenv("PI_AGM_CPU_SYSFS");
  }
}
#endif
