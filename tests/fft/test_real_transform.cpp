// The real transform and its packed spectrum against direct sums, closed forms and convolutions.
#include <gtest/gtest.h>

#include "core/fft/real_transform.h"
#include "tests/fft/fft_reference.h"

using namespace fft_test;

namespace {

constexpr long double eps = 0x1p-53L;

// R(k) + i I(k) = sum_j x[j] e^{+2 pi i jk/n} for 0 <= k <= n/2, in long double.
std::vector<cld> direct_real_dft(const std::vector<double>& x) {
  const size_t n = x.size();
  std::vector<cld> root(n);
  for (size_t t = 0; t < n; ++t) root[t] = std::polar(1.0L, 2 * pi_l * t / n);
  std::vector<cld> spectrum(n / 2 + 1);
  for (size_t k = 0; k <= n / 2; ++k) {
    cld sum = 0;
    for (size_t j = 0, t = 0; j < n; ++j, t = (t + k) % n) sum += static_cast<long double>(x[j]) * root[t];
    spectrum[k] = sum;
  }
  return spectrum;
}

// The packed layout: a[0] = R(0), a[1] = R(n/2), (a[2k], a[2k+1]) = (R(k), I(k)).
std::vector<long double> pack(const std::vector<cld>& spectrum) {
  const size_t n = 2 * (spectrum.size() - 1);
  std::vector<long double> packed(n);
  packed[0] = spectrum[0].real();
  packed[1] = spectrum[n / 2].real();
  for (size_t k = 1; k < n / 2; ++k)
    packed[2 * k] = spectrum[k].real(), packed[2 * k + 1] = spectrum[k].imag();
  return packed;
}

long double max_abs(const std::vector<long double>& v) {
  long double m = 0;
  for (long double x : v) m = std::max(m, std::abs(x));
  return m;
}

}  // namespace

// The layouts of the smallest sizes, exact on small integers: n = 2 gives (x0 + x1, x0 - x1); n = 4 gives
// (x0 + x1 + x2 + x3, x0 - x1 + x2 - x3, x0 - x2, x1 - x3); for n = 8 an impulse at 0 gives
// (1, 1, 1, 0, 1, 0, 1, 0), whose backward transform is 4 = n/2 at position 0.
TEST(RealTransform, SmallestSizesGiveThePackedLayout) {
  guarded_array two({3.0, -5.0});
  real_transform(2, 1, two.data);
  EXPECT_EQ(-2.0, two.data[0]);
  EXPECT_EQ(8.0, two.data[1]);
  real_transform(2, -1, two.data);  // ((A + B)/2, (A - B)/2)
  EXPECT_EQ(3.0, two.data[0]);
  EXPECT_EQ(-5.0, two.data[1]);
  EXPECT_TRUE(two.guards_intact());

  guarded_array four({2.0, 7.0, -3.0, 11.0});
  real_transform(4, 1, four.data);
  const double want4[4] = {17.0, -19.0, 5.0, -4.0};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(want4[i], four.data[i]) << i;
  real_transform(4, -1, four.data);
  const double back4[4] = {4.0, 14.0, -6.0, 22.0};  // (n/2) x
  for (int i = 0; i < 4; ++i) EXPECT_EQ(back4[i], four.data[i]) << i;
  EXPECT_TRUE(four.guards_intact());

  guarded_array eight({1, 0, 0, 0, 0, 0, 0, 0});
  real_transform(8, 1, eight.data);
  const double want8[8] = {1, 1, 1, 0, 1, 0, 1, 0};
  for (int i = 0; i < 8; ++i) EXPECT_EQ(want8[i], eight.data[i]) << i;
  real_transform(8, -1, eight.data);
  const double back8[8] = {4, 0, 0, 0, 0, 0, 0, 0};
  for (int i = 0; i < 8; ++i) EXPECT_EQ(back8[i], eight.data[i]) << i;
  EXPECT_TRUE(eight.guards_intact());
}

// An impulse at position 1 gives a[0] = 1, a[1] = -1, a[2k] = cos(2 pi k/n), a[2k+1] = +sin(2 pi k/n): every
// weight of the separation pass shows, re-seeded blocks included (from n = 1024 on).
TEST(RealTransform, ImpulseAtOneGivesTheUnitCircle) {
  for (int bits = 3; bits <= 22; ++bits) {
    const int32_t n = int32_t{1} << bits;
    std::vector<double> zero(n, 0.0);
    guarded_array a(zero);
    a.data[1] = 1.0;
    real_transform(n, 1, a.data);
    ASSERT_TRUE(a.guards_intact());
    long double worst = std::abs(a.data[0] - 1.0L) + std::abs(a.data[1] + 1.0L);
    for (int32_t k = 1; k < n / 2; ++k) {
      const long double angle = 2 * pi_l * k / n;
      worst = std::max(
          worst, std::abs(a.data[2 * k] - std::cos(angle)) + std::abs(a.data[2 * k + 1] - std::sin(angle)));
    }
    EXPECT_LT(worst, 2 * bits * eps) << "n=" << n;
  }
}

// Forward against the direct sums R(k), I(k), and backward against
//   b[j] = a[0]/2 + (-1)^j a[1]/2 + sum_{k=1}^{n/2-1} (a[2k] cos(2 pi jk/n) + a[2k+1] sin(2 pi jk/n)),
// for every size from 8 to 4096 (the separation pass, re-seeded from 1024 on).
TEST(RealTransform, MatchesDirectSumsInBothDirections) {
  for (int32_t n = 8; n <= 4096; n *= 2) {
    const std::vector<double> x = random_doubles(n, 19 * n);
    const std::vector<long double> expected = pack(direct_real_dft(x));
    guarded_array a(x);
    real_transform(n, 1, a.data);
    ASSERT_TRUE(a.guards_intact());
    long double worst = 0;
    for (int32_t i = 0; i < n; ++i) worst = std::max(worst, std::abs(a.data[i] - expected[i]));
    const int bits = log2_of(n);
    EXPECT_LT(worst / max_abs(expected), 2 * bits * eps) << "forward n=" << n;

    // Backward on an arbitrary packed spectrum y: the direct sum above.
    const std::vector<double> y = random_doubles(n, 23 * n);
    std::vector<long double> want(n);
    std::vector<long double> cosine(n), sine(n);
    for (int32_t t = 0; t < n; ++t)
      cosine[t] = std::cos(2 * pi_l * t / n), sine[t] = std::sin(2 * pi_l * t / n);
    for (int32_t j = 0; j < n; ++j) {
      long double sum = y[0] / 2 + (j % 2 ? -y[1] : y[1]) / 2;
      for (int32_t k = 1, t = j; k < n / 2; ++k, t = (t + j) % n)
        sum += y[2 * k] * cosine[t] + y[2 * k + 1] * sine[t];
      want[j] = sum;
    }
    guarded_array b(y);
    real_transform(n, -1, b.data);
    ASSERT_TRUE(b.guards_intact());
    worst = 0;
    for (int32_t j = 0; j < n; ++j) worst = std::max(worst, std::abs(b.data[j] - want[j]));
    EXPECT_LT(worst / max_abs(want), 2 * bits * eps) << "backward n=" << n;
  }
}

// a := a (.) b in the packed layout: real products at positions 0 and 1, complex products elsewhere.
static void multiply_packed_spectra(std::vector<double>& a, const std::vector<double>& b) {
  a[0] *= b[0];
  a[1] *= b[1];
  for (size_t i = 2; i < a.size(); i += 2) {
    const double ar = a[i], ai = a[i + 1];
    a[i] = ar * b[i] - ai * b[i + 1];
    a[i + 1] = ai * b[i] + ar * b[i + 1];
  }
}

// The convolution rule: with A, B the packed spectra of x and y and P their pointwise product
// (real products at positions 0 and 1, complex products elsewhere), (2/n) backward(P) is the cyclic
// convolution of x and y.
TEST(RealTransform, PointwiseProductGivesCyclicConvolution) {
  for (int32_t n : {8, 16, 64, 256, 1024, 2048}) {
    const std::vector<double> x = random_doubles(n, 29 * n), y = random_doubles(n, 31 * n);
    std::vector<double> a = x, b = y;
    real_transform(n, 1, a.data());
    real_transform(n, 1, b.data());
    multiply_packed_spectra(a, b);
    real_transform(n, -1, a.data());
    long double worst = 0, largest = 0;
    for (int32_t k = 0; k < n; ++k) {
      long double c = 0;
      for (int32_t j = 0; j < n; ++j) c += static_cast<long double>(x[j]) * y[(k - j + n) % n];
      worst = std::max(worst, std::abs(a[k] * 2.0L / n - c));
      largest = std::max(largest, std::abs(c));
    }
    // Relative to the size of the products: sqrt(n) random terms of size 1/3 against n-term sums.
    EXPECT_LT(worst / n, 4 * log2_of(n) * eps) << "n=" << n << " largest " << static_cast<double>(largest);
  }
}

// The product of two runs of radix-10000 limbs: zero-padded to twice their length, the rounded
// (2/n) backward transform of the product of spectra is the exact linear convolution.
TEST(RealTransform, ZeroPaddedProductGivesExactLinearConvolution) {
  for (int32_t half : {4, 64, 1024, 8192}) {
    const int32_t n = 2 * half;
    const std::vector<double> rx = random_doubles(half, 37 * n), ry = random_doubles(half, 41 * n);
    std::vector<int64_t> px(half), py(half);
    for (int32_t i = 0; i < half; ++i) {
      px[i] = static_cast<int64_t>((rx[i] + 1) * 5000);  // 0 .. 9999
      py[i] = i % 7 == 0 ? 9999 : static_cast<int64_t>((ry[i] + 1) * 5000);
    }
    std::vector<double> a(n, 0.0), b(n, 0.0);
    for (int32_t i = 0; i < half; ++i) a[i] = static_cast<double>(px[i]), b[i] = static_cast<double>(py[i]);
    real_transform(n, 1, a.data());
    real_transform(n, 1, b.data());
    multiply_packed_spectra(a, b);
    real_transform(n, -1, a.data());
    double worst_distance = 0;
    int64_t mismatches = 0;
    for (int32_t k = 0; k < n; ++k) {
      int64_t c = 0;
      for (int32_t i = std::max(0, k - half + 1); i <= std::min(k, half - 1); ++i) c += px[i] * py[k - i];
      const double value = a[k] * (2.0 / n);
      worst_distance = std::max(worst_distance, std::abs(value - static_cast<double>(c)));
      mismatches += std::llround(value) != c;
    }
    std::printf("n=%5d linear convolution: max distance to the exact integer %.3e\n", n, worst_distance);
    EXPECT_EQ(0, mismatches) << "n=" << n;
    EXPECT_LT(worst_distance, 0.05) << "n=" << n;
  }
}

// backward(forward(x)) = (n/2) x for every size from 2 to 2^24.
TEST(RealTransform, RoundTripReturnsHalfNTimesTheInputAtEverySize) {
  for (int bits = 1; bits <= 24; ++bits) {
    const int32_t n = int32_t{1} << bits;
    const std::vector<double> x = random_doubles(n, 43 * n);
    guarded_array a(x);
    real_transform(n, 1, a.data);
    real_transform(n, -1, a.data);
    ASSERT_TRUE(a.guards_intact()) << "n=" << n;
    const double half = n / 2;
    double worst = 0, largest = 0;
    for (int32_t i = 0; i < n; ++i) {
      worst = std::max(worst, std::abs(a.data[i] - half * x[i]));
      largest = std::max(largest, std::abs(x[i]));
    }
    const long double relative = worst / (half * largest);
    if (bits % 4 == 0 || bits >= 22)
      std::printf("n=2^%-2d real round trip max rel error %.3Le\n", bits, relative);
    EXPECT_LT(relative, 2 * bits * eps) << "n=" << n;
  }
}
