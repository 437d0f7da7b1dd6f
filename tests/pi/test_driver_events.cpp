// The drivers' events and their end: started first, the phases in order, and a stop asked at an
// iteration boundary ends the run with pi_status::cancelled and the earlier pi.txt untouched. Runs
// in memory leave pi.txt alone, and two of them on two threads keep their own results.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "core/fft/simd_path.h"
#include "core/pi/pi.h"
#include "tests/support/temp_dir.h"

namespace {

struct log {
  std::vector<int32_t> seen;  // -1 for started, then the phase numbers
  int32_t stop_after;         // phase after which a stop is asked, -1 for never
};

void on_started(void* context, int32_t, int64_t) { static_cast<log*>(context)->seen.push_back(-1); }
void on_phase(void* context, int32_t phase, int32_t, int32_t) {
  static_cast<log*>(context)->seen.push_back(phase);
}
bool on_stop(void* context) {
  const log* l = static_cast<log*>(context);
  return l->stop_after >= 0 && l->seen.back() == l->stop_after;
}

std::string read_file(const char* name) {
  std::ifstream in(name, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(DriverEvents, PhasesInOrderAndStopAtBoundary) {
  const int32_t digits = 1024, iterations = 9;
  const struct {
    const char* name;
    pi_status (*driver)(int32_t, const pi_events*, pi_result*);
    int32_t stop_after;
  } cases[] = {
      {"direct", compute_pi_direct, -1},
      {"squared", compute_pi_squared, -1},
      {"direct, stop at start", compute_pi_direct, 0},
      {"squared, stop after 3", compute_pi_squared, 3},
      {"direct, stop after last iteration", compute_pi_direct, iterations},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ScopedTempDir dir("events");
    std::ofstream("pi.txt", std::ios::binary) << "earlier\n";
    log l{{}, c.stop_after};
    const pi_events events{&l, on_started, on_phase, on_stop};
    pi_result result;
    const pi_status status = c.driver(digits, &events, &result);

    const int32_t last = c.stop_after < 0 ? iterations + 1 : c.stop_after;
    std::vector<int32_t> expected{-1};
    for (int32_t p = 0; p <= last; ++p) expected.push_back(p);
    EXPECT_EQ(l.seen, expected);
    EXPECT_EQ(result.iterations, iterations);
    EXPECT_EQ(result.memory_bytes, pi_memory_bytes(digits));
    if (c.stop_after < 0) {
      EXPECT_EQ(status, pi_status::ok);
      EXPECT_TRUE(result.verified);
      EXPECT_EQ(read_file("pi.txt").compare(0, 5, "PI=3."), 0);
    } else {
      EXPECT_EQ(status, pi_status::cancelled);
      EXPECT_EQ(read_file("pi.txt"), "earlier\n");
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator("."), std::filesystem::directory_iterator()),
              1)
        << "a temporary file was left";
  }
}

TEST(DriverEvents, InMemoryRunsOnTwoThreadsKeepTheirOwnResults) {
  ScopedTempDir dir("in_memory");
  std::ofstream("pi.txt", std::ios::binary) << "earlier\n";
  select_simd_path(selected_simd_path());  // before the threads: the lazy choice would be a shared write
  const pi_events in_memory{nullptr, nullptr, nullptr, nullptr, true};
  for (auto driver : {compute_pi_direct, compute_pi_squared}) {
    // Alone first, then two sizes side by side: each run's margin and digests must be its own.
    pi_result alone[2], together[2];
    const int32_t digits[2] = {1 << 16, 1 << 14};
    for (int i = 0; i < 2; ++i) ASSERT_EQ(driver(digits[i], &in_memory, &alone[i]), pi_status::ok);
    pi_status status[2];
    std::thread second([&] { status[1] = driver(digits[1], &in_memory, &together[1]); });
    status[0] = driver(digits[0], &in_memory, &together[0]);
    second.join();
    for (int i = 0; i < 2; ++i) {
      SCOPED_TRACE(digits[i]);
      EXPECT_EQ(status[i], pi_status::ok);
      EXPECT_TRUE(together[i].verified);
      EXPECT_EQ(together[i].max_rounding_distance, alone[i].max_rounding_distance);
      for (int32_t phase = 0; phase <= alone[i].iterations + 1; ++phase)
        EXPECT_EQ(together[i].phase_digests[phase], alone[i].phase_digests[phase]) << "phase " << phase;
    }
    EXPECT_NE(alone[0].max_rounding_distance, alone[1].max_rounding_distance);
  }
  EXPECT_EQ(read_file("pi.txt"), "earlier\n");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator("."), std::filesystem::directory_iterator()), 1)
      << "a file was created";
}

}  // namespace
