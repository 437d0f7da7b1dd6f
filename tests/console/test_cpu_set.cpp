// The CPU lists of --cpus, read and written back, and the platform calls behind the workers: the
// CPUs the process may use, and pinning a thread to one of them.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "console/stress/cpu_set.h"

TEST(CpuSet, ListsAsTypedAndWrittenBack) {
  const struct {
    const char* text;
    bool valid;
    std::vector<int32_t> cpus;
    const char* written;  // cpu_list_text of the CPUs
  } cases[] = {
      {"0", true, {0}, "0"},
      {"0,2,4-7", true, {0, 2, 4, 5, 6, 7}, "0,2,4-7"},
      {"7,3", true, {7, 3}, "7,3"},  // the order typed: the workers' order
      {"3-3,1", true, {3, 1}, "3,1"},
      {"65535", true, {65535}, "65535"},
      {"", false, {}, ""},
      {",", false, {}, ""},
      {"0,", false, {}, ""},
      {",0", false, {}, ""},
      {"0,,1", false, {}, ""},
      {"1-0", false, {}, ""},
      {"0-", false, {}, ""},
      {"1--2", false, {}, ""},
      {"0,0", false, {}, ""},
      {"0-2,1", false, {}, ""},
      {"-1", false, {}, ""},
      {"65536", false, {}, ""},
      {"99999999999", false, {}, ""},
      {" 1", false, {}, ""},
      {"1 ", false, {}, ""},
      {"x", false, {}, ""},
  };
  for (const auto& c : cases) {
    std::vector<int32_t> cpus{-1};
    EXPECT_EQ(parse_cpu_list(c.text, &cpus), c.valid) << "'" << c.text << "'";
    if (!c.valid) continue;
    EXPECT_EQ(cpus, c.cpus) << c.text;
    EXPECT_EQ(cpu_list_text(cpus), c.written) << c.text;
  }
}

TEST(CpuSet, AThreadIsPinnedToEachAllowedCpu) {
  const std::vector<int32_t> allowed = allowed_cpus();
  ASSERT_FALSE(allowed.empty());
  for (size_t i = 1; i < allowed.size(); ++i) EXPECT_LT(allowed[i - 1], allowed[i]);
  for (int32_t cpu : allowed) {
    bool pinned = false;
    std::thread([&] { pinned = pin_current_thread(cpu); }).join();
    EXPECT_TRUE(pinned) << "CPU " << cpu;
  }
  const cpu_place place = cpu_topology(allowed[0]);
  EXPECT_GE(place.core, -1);
  EXPECT_GE(place.package, -1);
}

// The orders of --cycle: the default one CPU per physical core, from a topology of the test's own
// (PI_AGM_CPU_SYSFS); the alternate order from both ends in turn.
TEST(CpuSet, CycleOrders) {
  const struct {
    std::vector<int32_t> cpus;
    std::vector<int32_t> alternate;
  } alternates[] = {
      {{}, {}}, {{4}, {4}}, {{0, 1}, {0, 1}}, {{0, 1, 2}, {0, 2, 1}}, {{0, 1, 2, 3, 4, 5}, {0, 5, 1, 4, 2, 3}},
      {{7, 3, 9, 1}, {7, 1, 3, 9}},
  };
  for (const auto& c : alternates) EXPECT_EQ(alternate_order(c.cpus), c.alternate) << cpu_list_text(c.cpus);
#ifndef _WIN32

  // CPUs 0-5 on cores (package, core): (0,0) (0,0) (0,1) (1,1) (1,1) and CPU 5 with no topology.
  const std::string root = testing::TempDir() + "/cycle_orders_sysfs";
  const int32_t cores[][2] = {{0, 0}, {0, 0}, {0, 1}, {1, 1}, {1, 1}};
  for (int32_t cpu = 0; cpu < 5; ++cpu) {
    const std::string dir = root + "/cpu" + std::to_string(cpu) + "/topology";
    ASSERT_EQ(std::system(("mkdir -p '" + dir + "'").c_str()), 0);
    const char* files[] = {"physical_package_id", "core_id"};
    for (int i = 0; i < 2; ++i) {
      std::FILE* f = std::fopen((dir + "/" + files[i]).c_str(), "w");
      ASSERT_NE(f, nullptr);
      std::fprintf(f, "%d\n", cores[cpu][i]);
      std::fclose(f);
    }
  }
  setenv("PI_AGM_CPU_SYSFS", root.c_str(), 1);
  EXPECT_EQ(one_per_core({0, 1, 2, 3, 4, 5}), (std::vector<int32_t>{0, 2, 3, 5}));
  EXPECT_EQ(one_per_core({1, 4, 0, 3}), (std::vector<int32_t>{1, 4}));
  unsetenv("PI_AGM_CPU_SYSFS");
#endif
}
