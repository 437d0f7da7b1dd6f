// The stage factors and separation weights, computed batch by batch as the transforms compute them,
// against the exact values: a wrong seed, a run or bin out of place, or a recurrence that drifts shows
// up here before it shows up in a transform.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "core/fft/factor_body.h"
#include "core/fft/weight_body.h"

namespace {

constexpr long double pi_l = 3.141592653589793238462643383279502884L;
// Each factor is at most 64 recurrence steps from an exactly computed one; each step adds a few units
// of 2^-53, so the factors stay well inside 2^-44 of the exact values.
constexpr double tolerance = 0x1p-44;

double distance(const double* z, long double angle) {
  return static_cast<double>(std::hypot(z[0] - std::cos(angle), z[1] - std::sin(angle)));
}

// The factors of the points 1 .. Q/2 - 1 of a stage of m doubles, as the stages and the driver compute
// them, batch by batch.
void stage_factor_arrays(int32_t m, std::vector<double> (&out)[6]) {
  for (std::vector<double>& v : out) v.assign(m / 8, 0.0);  // Q/2 points
  double* const arrays[6] = {out[0].data(), out[1].data(), out[2].data(),
                             out[3].data(), out[4].data(), out[5].data()};
  fill_stage_factors<complex_vector>(m, arrays);
  for (std::vector<double>& v : out) v.erase(v.begin(), v.begin() + 2);  // point 0 is never read
}

TEST(Twiddles, StageFactorsAreTheExactAngles) {
  for (int32_t m : {64, 128, 512, 1024, 1 << 15, 1 << 21}) {
    std::vector<double> f[6];
    stage_factor_arrays(m, f);
    // Angles in units of 2 pi p/L (plain) and pi p/L (shifted), L = m/2 points; rho adds pi/4.
    const long double plain = 2 * pi_l / (m / 2), shifted = pi_l / (m / 2);
    const long double base[6] = {plain, 3 * plain, shifted, shifted, 3 * shifted, 3 * shifted};
    const long double offset[6] = {0, 0, 0, pi_l / 4, 0, 3 * pi_l / 4};
    for (int t = 0; t < 6; ++t) {
      double worst = 0;
      for (int32_t p = 1; p < m / 16; ++p)
        worst = std::max(worst, distance(&f[t][2 * (p - 1)], base[t] * p + offset[t]));
      EXPECT_LT(worst, tolerance) << "m=" << m << " sequence " << t;
    }
  }
}

TEST(Twiddles, SeparationWeightsAreTheExactValues) {
  for (int32_t n : {8, 16, 512, 4096, 8192, 1 << 15, 1 << 22}) {
    std::vector<double> w(n / 2, 0.0);  // bin m at [2m], [2m + 1]
    std::vector<double> batch(separation_batch_doubles);
    for (int32_t i = n / 2; i >= 4; i = 2 * batch_first<complex_vector>(i)) {
      const int32_t first = batch_first<complex_vector>(i);
      weight_batch<complex_vector>(n, i, batch.data());
      std::copy(batch.begin(), batch.begin() + 2 * (i / 2 - first), w.begin() + 2 * first);
    }
    double worst = 0;
    for (int32_t m = 1; m < n / 4; ++m) {
      const long double angle = 2 * pi_l * m / n;
      const double wr = static_cast<double>(0.5L - 0.5L * std::sin(angle)),
                   wi = static_cast<double>(0.5L * std::cos(angle));
      worst = std::max(worst, std::hypot(w[2 * m] - wr, w[2 * m + 1] - wi));
    }
    EXPECT_LT(worst, tolerance) << "n=" << n;
  }
}

}  // namespace
