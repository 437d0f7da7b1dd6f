// The check that refuses runs larger than the machine's physical memory, with the figures injected
// (no small machine needed), and the platform query that feeds it.
#include <gtest/gtest.h>

#include <string>

#include "console/console_main.h"
#include "console/physical_memory.h"

TEST(PhysicalMemory, RefusesOnlyRunsThatCannotFit) {
  const int64_t gib = int64_t{1} << 30;
  const int64_t largest_run = pi_memory_bytes(largest_length);  // needs more than 31 bits
  const struct {
    int64_t needed, physical;
    bool fits;
  } cases[] = {
      {largest_run, 2 * gib, false},     // the largest run on a 2 GiB machine
      {largest_run, 4 * gib, true},      // ... and on a 4 GiB one
      {largest_run, largest_run, true},  // exactly enough
      {largest_run, largest_run - 1, false},
      {pi_memory_bytes(1 << 25), 256 << 20, false},
      {pi_memory_bytes(smallest_length), 1 << 20, true},
      {largest_run, 0, true},  // figure unknown: no refusal
      {largest_run, -1, true},
  };
  for (const auto& c : cases)
    EXPECT_EQ(fits_in_physical_memory(c.needed, c.physical), c.fits)
        << "needed " << c.needed << ", physical " << c.physical;

  // The refusal names the length and the figures in full; for several workers, their sum too.
  const struct {
    int32_t workers;
    int64_t total;
  } refusals[] = {{1, largest_run}, {8, 8 * largest_run}};
  for (const auto& r : refusals) {
    const std::string line = physical_memory_refusal(largest_length, r.workers, largest_run, 2 * gib);
    EXPECT_NE(line.find(std::to_string(largest_length)), std::string::npos) << line;
    EXPECT_NE(line.find(std::to_string(r.total)), std::string::npos) << line;
    EXPECT_NE(line.find(std::to_string(largest_run)), std::string::npos) << line;
    EXPECT_NE(line.find(std::to_string(2 * gib)), std::string::npos) << line;
    EXPECT_EQ(line.find('\n'), std::string::npos) << line;
  }
}

TEST(PhysicalMemory, ThePlatformReportsTheMachine) {
  // Any machine that runs the tests has more than 64 MiB and less than 2^50 bytes.
  const int64_t bytes = physical_memory_bytes();
  EXPECT_GT(bytes, int64_t{64} << 20);
  EXPECT_LT(bytes, int64_t{1} << 50);
  EXPECT_TRUE(check_physical_memory(smallest_length, 2, pi_memory_bytes(smallest_length)));
}
