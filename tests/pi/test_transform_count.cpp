// What an AGM iteration costs in transforms, counted by the test build of the arithmetic
// (core/arith/transform_count.h): full-length transforms (2n doubles) per iteration, each shorter
// one counted by its share of that length. In the last iterations the inverse square root starts
// from the last one: the last skips every Newton step below its longest (5n doubles, 2.5 full-length
// transforms), the one before every step below its two longest (half as much), and so on. The square
// root of 1/2 (mevroc's b0 before the first iteration, sudel's ab in it) multiplies by 1/2 as halvings:
// 4.5 full-length transforms instead of 8.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/arith/transform_count.h"
#include "core/pi/pi.h"

namespace {

struct phase_counts {
  int64_t at_phase_start;
  std::vector<int64_t> doubles;  // transformed in each phase, 0 .. iterations + 1
};

void on_phase(void* context, int32_t, int32_t, int32_t) {
  auto* counts = static_cast<phase_counts*>(context);
  counts->doubles.push_back(transformed_doubles - counts->at_phase_start);
  counts->at_phase_start = transformed_doubles;
}

}  // namespace

TEST(TransformCount, FullLengthTransformsPerIteration) {
  const struct {
    const char* name;
    pi_status (*driver)(int32_t, const pi_events*, pi_result*);
    int64_t per_iteration;  // full-length transforms, until the last iterations
    double start, first;    // the same before the first iteration, and in it
  } cases[] = {{"direct", compute_pi_direct, 12, 4.5, 12}, {"squared", compute_pi_squared, 11, 0, 7.5}};
  for (int32_t digits : {1 << 10, 1 << 16}) {
    const int64_t full = 2 * int64_t{digits / 4};
    for (const auto& c : cases) {
      SCOPED_TRACE(std::string(c.name) + ", " + std::to_string(digits) + " digits");
      phase_counts counts{transformed_doubles, {}};
      pi_events events{&counts, nullptr, on_phase, nullptr};
      events.in_memory = true;
      events.without_known_answers = true;
      pi_result result;
      ASSERT_EQ(c.driver(digits, &events, &result), pi_status::ok);
      ASSERT_EQ(static_cast<int32_t>(counts.doubles.size()), result.iterations + 2);
      const int32_t last = result.iterations;
      EXPECT_EQ(counts.doubles[0], static_cast<int64_t>(c.start * full)) << "before the first iteration";
      EXPECT_EQ(counts.doubles[1], static_cast<int64_t>(c.first * full)) << "iteration 1";
      for (int32_t j = 2; j <= last; ++j) {
        const int64_t skipped = last - j < 3 ? (5 * full / 2) >> (last - j) : 0;
        if (j < last - 12 || skipped > 0) {
          EXPECT_EQ(counts.doubles[j], c.per_iteration * full - skipped) << "iteration " << j;
        }
        EXPECT_LE(counts.doubles[j], c.per_iteration * full) << "iteration " << j;
      }
    }
  }
}
