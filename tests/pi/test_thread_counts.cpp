// One computation on 1, 2, 3 and 5 threads gives the same digits, the same state after every phase
// and the same largest rounding distance, on every vector path: each run is checked phase by phase
// against the known answers (made on one thread) and ends ok only if everything agreed. The sizes lie
// on both sides of the thresholds from which the transforms and the conversions are cut into units
// (2^16 doubles, 2^15 limbs: products of 2^17 digits), with transforms of both parities of log2.
// PI_THREAD_TEST_DIGITS caps the sizes (the ThreadSanitizer build runs the smaller ones).
#include <gtest/gtest.h>

#include <cstdlib>

#include "core/fft/simd_path.h"
#include "core/pi/pi.h"

namespace {

TEST(ThreadCounts, SameStateAtEveryPhaseOnEveryPath) {
  const char* cap = std::getenv("PI_THREAD_TEST_DIGITS");
  const int32_t largest = cap ? std::atoi(cap) : int32_t{1} << 19;
  const struct {
    const char* name;
    pi_status (*driver)(int32_t, const pi_events*, pi_result*);
  } programs[] = {{"direct", compute_pi_direct}, {"squared", compute_pi_squared}};
  for (int path = 0; path < simd_path_count; ++path) {
    if (!simd_path_supported(static_cast<simd_path>(path))) continue;
    select_simd_path(static_cast<simd_path>(path));
    for (int32_t digits = int32_t{1} << 16; digits <= largest; digits *= 2)
      for (const auto& program : programs)
        for (int32_t threads : {1, 2, 3, 5}) {
          SCOPED_TRACE(testing::Message()
                       << simd_path_name(static_cast<simd_path>(path)) << ", " << program.name << ", "
                       << digits << " digits, " << threads << " threads");
          pi_events events{};
          events.in_memory = true;
          events.threads = threads;
          pi_result result;
          const pi_status status = program.driver(digits, &events, &result);
          EXPECT_EQ(status, pi_status::ok) << "first differing phase " << result.differing_phase;
          EXPECT_TRUE(result.verified);
          EXPECT_EQ(result.threads, threads);
        }
  }
  select_simd_path(best_simd_path());
}

}  // namespace
