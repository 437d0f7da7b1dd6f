// The checks a run's result passes before pi.txt is replaced: the rounding margin (NaN and
// infinity fail) and the range of the result's limbs.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "core/pi/result_check.h"

namespace {

TEST(ResultChecks, RoundingMarginWithinLimitOnly) {
  const double limit = 0.3;
  const struct {
    double margin;
    bool trusted;
  } cases[] = {
      {0.0, true},
      {0.19, true},
      {limit, true},
      {0.5, false},  // a term off by half a unit: its rounding is a guess
      {std::numeric_limits<double>::quiet_NaN(), false},
      {std::numeric_limits<double>::infinity(), false},
  };
  for (const auto& c : cases) EXPECT_EQ(rounding_margin_trusted(c.margin, limit), c.trusted) << c.margin;
}

TEST(ResultChecks, EveryLimbInRangeAndLimbZeroThree) {
  const int32_t limbs = 64;
  const struct {
    int32_t index;  // the limb changed, -1 for none
    int16_t value;
    int32_t expected;
  } cases[] = {
      {-1, 0, -1}, {1, 0, -1}, {63, 9999, -1},  // extremes of a digit limb
      {0, 4, 0},   {0, -3, 0}, {1, -1, 1},     {17, 10000, 17}, {63, -32768, 63}, {40, 32767, 40},
  };
  for (const auto& c : cases) {
    std::vector<int16_t> result(limbs, 1415);
    result[0] = 3;
    if (c.index >= 0) result[c.index] = c.value;
    EXPECT_EQ(first_limb_out_of_range(result.data(), limbs), c.expected)
        << "limb " << c.index << " = " << c.value;
  }
}

}  // namespace
