// The complex transform driver against direct DFTs, closed forms and its own inverse.
#include <gtest/gtest.h>

#include "core/fft/complex_transform.h"
#include "tests/fft/fft_reference.h"

using namespace fft_test;

namespace {

constexpr long double eps = 0x1p-53L;

void transform(int sign, int32_t n, double* a) {
  if (sign > 0)
    complex_forward(n, a);
  else
    complex_backward(n, a);
}

}  // namespace

// Fixed results: one point is its own transform; two points give (z0 + z1, z0 - z1); an impulse at
// point 1 of four gives the powers of +i forward and of -i backward.
TEST(ComplexTransform, SmallestSizesGiveTheirClosedForms) {
  guarded_array one({3.5, -1.25});
  complex_forward(2, one.data);
  EXPECT_EQ(3.5, one.data[0]);
  EXPECT_EQ(-1.25, one.data[1]);
  complex_backward(2, one.data);
  EXPECT_EQ(3.5, one.data[0]);
  EXPECT_EQ(-1.25, one.data[1]);
  EXPECT_TRUE(one.guards_intact());

  for (int sign : {+1, -1}) {
    guarded_array two({1.5, 2.0, -0.25, 4.0});
    transform(sign, 4, two.data);
    const double want[4] = {1.25, 6.0, 1.75, -2.0};
    for (int i = 0; i < 4; ++i) EXPECT_EQ(want[i], two.data[i]) << "sign " << sign << " i=" << i;
    EXPECT_TRUE(two.guards_intact());
  }

  guarded_array fwd({0, 0, 1, 0, 0, 0, 0, 0}), bwd({0, 0, 1, 0, 0, 0, 0, 0});
  complex_forward(8, fwd.data);
  complex_backward(8, bwd.data);
  const double want_fwd[8] = {1, 0, 0, 1, -1, 0, 0, -1};
  const double want_bwd[8] = {1, 0, 0, -1, -1, 0, 0, 1};
  for (int i = 0; i < 8; ++i) {
    EXPECT_EQ(want_fwd[i], fwd.data[i]) << i;
    EXPECT_EQ(want_bwd[i], bwd.data[i]) << i;
  }
  EXPECT_TRUE(fwd.guards_intact() && bwd.guards_intact());
}

// Both directions against the long double DFT at every size through the seams of the dispatch:
// 16 and 32 (kernels and their permutations), 64 and 128 (one stage and kernels), 256 and 512 (one leaf
// block), 1024 and 2048 (the block recursion with leaves of 256 and 512, the first stage spanning two
// twiddle runs from 2048), and beyond.
TEST(ComplexTransform, MatchesDirectDftThroughTheSeams) {
  for (int sign : {+1, -1}) {
    for (int32_t n = 4; n <= 8192; n *= 2) {
      const std::vector<double> x = random_doubles(n, 11 * n + (sign > 0));
      const std::vector<cld> expected = direct_dft(to_points(x.data(), n), sign, 0);
      guarded_array a(x);
      transform(sign, n, a.data);
      ASSERT_TRUE(a.guards_intact()) << "n=" << n;
      const std::vector<cld> got = to_points(a.data, n);
      long double worst = 0;
      for (size_t k = 0; k < got.size(); ++k) worst = std::max(worst, std::abs(got[k] - expected[k]));
      const long double relative = worst / max_abs(expected);
      const int bits = log2_of(n / 2);
      std::printf("%s n=%5d  max rel error %.3Le = %.2Lf log2(N) eps\n", sign > 0 ? "forward " : "backward",
                  n, relative, relative / (bits * eps));
      // The error of a radix-4 FFT grows like log2(N) roundings of a unit.
      EXPECT_LT(relative, 2 * bits * eps) << "n=" << n << (sign > 0 ? " forward" : " backward");
    }
  }
}

// An impulse at point j0 transforms to e^{+-2 pi i j0 k / N}: a check of every output at sizes too large
// for a direct DFT, with j0 = 1 (every twiddle factor once) and j0 = N/2 - 1 (alternating signs).
TEST(ComplexTransform, ImpulsesGiveExactPhases) {
  for (int32_t n : {1 << 12, 1 << 15, 1 << 18, 1 << 20}) {
    const int32_t points = n / 2;
    for (int32_t j0 : {1, points / 2 - 1}) {
      for (int sign : {+1, -1}) {
        std::vector<double> zero(n, 0.0);
        guarded_array a(zero);
        a.data[2 * j0] = 1.0;
        transform(sign, n, a.data);
        ASSERT_TRUE(a.guards_intact());
        long double worst = 0;
        for (int32_t k = 0; k < points; ++k) {
          const uint64_t t = static_cast<uint64_t>(j0) * k % points;
          const cld want = std::polar(1.0L, sign * 2 * pi_l * t / points);
          worst = std::max(worst, std::abs(cld(a.data[2 * k], a.data[2 * k + 1]) - want));
        }
        const int bits = log2_of(points);
        EXPECT_LT(worst, 2 * bits * eps) << "n=" << n << " j0=" << j0 << " sign " << sign;
      }
    }
  }
}

// A real input has a conjugate-symmetric transform, X_{N-k} = conj(X_k), in both directions.
TEST(ComplexTransform, RealInputGivesConjugateSymmetricOutput) {
  for (int32_t n : {16, 32, 64, 128, 512, 1024, 2048, 1 << 14, 1 << 17}) {
    const int32_t points = n / 2;
    for (int sign : {+1, -1}) {
      std::vector<double> x = random_doubles(n, 13 * n + (sign > 0));
      for (int32_t j = 1; j < n; j += 2) x[j] = 0.0;
      transform(sign, n, x.data());
      const long double scale = max_abs(to_points(x.data(), n));
      long double worst = std::abs(x[1]) + std::abs(x[points + 1]);  // X_0 and X_{N/2} are real
      for (int32_t k = 1; k < points; ++k) {
        const int32_t mk = points - k;
        worst = std::max<long double>(
            worst, std::abs(x[2 * k] - x[2 * mk]) + std::abs(x[2 * k + 1] + x[2 * mk + 1]));
      }
      EXPECT_LT(worst / scale, 4 * log2_of(points) * eps) << "n=" << n << " sign " << sign;
    }
  }
}

// backward(forward(z)) = N z at every size up to 2^24 doubles, with a relative error of a few
// log2(N) roundings; every transform leaves the doubles around its array alone.
TEST(ComplexTransform, RoundTripReturnsNTimesTheInputAtEverySize) {
  for (int bits = 1; bits <= 24; ++bits) {
    const int32_t n = int32_t{1} << bits;
    const std::vector<double> x = random_doubles(n, 7 * n);
    guarded_array a(x);
    complex_forward(n, a.data);
    complex_backward(n, a.data);
    ASSERT_TRUE(a.guards_intact()) << "n=" << n;
    const double points = n / 2;
    double worst = 0, largest = 0;
    for (int32_t i = 0; i < n; ++i) {
      worst = std::max(worst, std::abs(a.data[i] - points * x[i]));
      largest = std::max(largest, std::abs(x[i]));
    }
    const long double relative = worst / (points * largest);
    if (bits % 4 == 0 || bits >= 22) std::printf("n=2^%-2d round trip max rel error %.3Le\n", bits, relative);
    EXPECT_LT(relative, 2 * std::max(1, bits) * eps) << "n=" << n;
  }
}
