// FFT products checked against the schoolbook radix-10000 product, the conversion back to limbs
// against exact carries, and the rounding margin that the conversion records.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>

#include "arith_test_support.h"
#include "core/arith/arith.h"
#include "core/fft/complex_transform.h"
#include "core/fft/convolution.h"

namespace {

constexpr int16_t kSentinel = -12345;
constexpr double kSentinelDouble = -1.25e300;

// fft_multiply on copies of P and Q with a separate output, checking that it writes exactly
// n + 4 limbs and uses exactly 4n doubles of the work area. The margin goes to *margin when given.
Limbs guarded_product(const Limbs& P, const Limbs& Q, int32_t n, rounding_margin* margin = nullptr) {
  Limbs out(n + 8, kSentinel);
  std::vector<double> W(4 * n + 8, kSentinelDouble);
  rounding_margin unused;
  fft_multiply(P.data(), Q.data(), out.data(), n, W.data(), margin ? margin : &unused);
  for (int32_t i = n + 4; i < n + 8; ++i)
    EXPECT_EQ(out[i], kSentinel) << "limb " << i << " beyond the result was written";
  for (int32_t i = 4 * n; i < 4 * n + 8; ++i)
    EXPECT_EQ(W[i], kSentinelDouble) << "work area overrun at " << i;
  out.resize(n + 4);
  EXPECT_TRUE(is_normalised(out.data(), n + 4));
  return out;
}

// P, Q of n + 4 limbs; the guard limbs are random and must not matter.
void expect_truncated_product(const Limbs& P, const Limbs& Q, int32_t n, const char* what) {
  const Limbs out = guarded_product(P, Q, n);
  const std::vector<int64_t> exact = schoolbook_product(P.data(), n, Q.data(), n);
  EXPECT_EQ(units_below(out.data(), exact.data(), n + 4), 0) << what << ", n = " << n;
}

Limbs filled(int32_t count, int16_t lead, int16_t rest) {
  Limbs p(count, rest);
  p[0] = lead;
  return p;
}

}  // namespace

TEST(FftMultiply, SmallExamplesGiveTheirExactLimbs) {
  const int32_t n = 8;
  EXPECT_EQ(guarded_product(filled(12, 10000, 0), filled(12, 10000, 0), n), filled(12, 10000, 0))
      << "1.0 x 1.0";
  EXPECT_EQ(guarded_product(filled(12, 5000, 0), filled(12, 5000, 0), n), filled(12, 2500, 0)) << "0.5 x 0.5";

  const Limbs P = {1, 2, 3, 4, 5, 6, 7, 8, 0, 0, 0, 0};
  const Limbs Q = {8, 7, 6, 5, 4, 3, 2, 1, 0, 0, 0, 0};
  const Limbs PQ = {0, 8, 23, 44, 70, 100, 133, 168, 204, 168, 133, 100};
  EXPECT_EQ(guarded_product(P, Q, n), PQ);

  // (1 - 10^-32)^2 = 1 - 2 10^-32 + 10^-64, truncated: [9999 x7, 9998, 0, 0, 0, 0].
  const Limbs nines = filled(12, 9999, 9999);
  const Limbs expected = {9999, 9999, 9999, 9999, 9999, 9999, 9999, 9998, 0, 0, 0, 0};
  EXPECT_EQ(guarded_product(nines, nines, n), expected);
}

TEST(FftMultiply, AgreesWithSchoolbookOnRandomAndExtremeFactors) {
  std::mt19937_64 gen = seeded_generator(1);
  for (int32_t n : {8, 16, 32, 128, 1024, 4096}) {
    const Limbs nines = filled(n + 4, 9999, 9999);
    // Largest limb 0 the format allows, times a factor below 1, so the product stays below
    // 3.2768.
    const Limbs top = filled(n + 4, 32767, 9999);
    const Limbs a = random_limbs(gen, n + 4, 9999);
    const Limbs b = random_limbs(gen, n + 4, 9999);
    const Limbs c = random_limbs(gen, n + 4, 32767);
    expect_truncated_product(a, b, n, "random x random");
    expect_truncated_product(c, a, n, "random with limb 0 up to 32767 x random");
    expect_truncated_product(nines, nines, n, "all 9999 squared");
    expect_truncated_product(top, nines, n, "32767, 9999... x all 9999");
    expect_truncated_product(a, nines, n, "random x all 9999");
    const Limbs runs = carry_runs(gen, n + 4, 4999);
    const Limbs fives = filled(n + 4, 5000, 5000);
    expect_truncated_product(runs, carry_runs(gen, n + 4, 9999), n, "runs of 5000, 4999, 9999, 0");
    expect_truncated_product(runs, runs, n, "runs squared");
    expect_truncated_product(fives, fives, n, "all 5000 squared");
  }
}

TEST(FftMultiply, GuardLimbsOfTheFactorsAreIgnored) {
  std::mt19937_64 gen = seeded_generator(2);
  const int32_t n = 64;
  Limbs P = random_limbs(gen, n + 4, 9999);
  Limbs Q = random_limbs(gen, n + 4, 9999);
  const Limbs reference = guarded_product(P, Q, n);
  for (int32_t i = n; i < n + 4; ++i) {
    P[i] = static_cast<int16_t>(9999 - P[i]);
    Q[i] = kSentinel;
  }
  EXPECT_EQ(guarded_product(P, Q, n), reference);
}

TEST(FftMultiply, OutputMayAliasEitherFactorOrBoth) {
  std::mt19937_64 gen = seeded_generator(3);
  for (int32_t n : {8, 64, 1024}) {
    const Limbs P = random_limbs(gen, n + 4, 20000);
    const Limbs Q = random_limbs(gen, n + 4, 9999);
    std::vector<double> W(4 * n);
    rounding_margin margin;
    const Limbs separate = guarded_product(P, Q, n);
    const Limbs square = guarded_product(P, P, n);

    Limbs outP = P;
    fft_multiply(outP.data(), Q.data(), outP.data(), n, W.data(), &margin);
    EXPECT_EQ(outP, separate) << "Out = P, n = " << n;

    Limbs outQ = Q;
    fft_multiply(P.data(), outQ.data(), outQ.data(), n, W.data(), &margin);
    EXPECT_EQ(outQ, separate) << "Out = Q, n = " << n;

    Limbs both = P;
    fft_multiply(both.data(), both.data(), both.data(), n, W.data(), &margin);
    EXPECT_EQ(both, square) << "Out = P = Q, n = " << n;
  }
}

namespace {

int64_t floor_quotient(int64_t t) { return t / 10000 - (t % 10000 < 0 ? 1 : 0); }

// The limbs of sum_k c[k] 10000^-(k+2) truncated to m limbs: exact integer carries.
Limbs carried(const std::vector<int64_t>& c, int32_t m, int32_t N) {
  int64_t carry = 0;
  for (int32_t idx = N - 1; idx >= m - 1; --idx) carry = floor_quotient(c[idx] + carry);
  Limbs out(m);
  for (int32_t k = m - 1; k >= 1; --k) {
    const int64_t t = c[k - 1] + carry;
    carry = floor_quotient(t);
    out[k] = static_cast<int16_t>(t - 10000 * carry);
  }
  out[0] = static_cast<int16_t>(carry);
  return out;
}



// The terms a (N/2 times the convolution, as a backward transform leaves them) rounded and released as
// a product does.
void round_and_release(int16_t* out, int32_t out_limbs, double* a, int32_t N, rounding_margin* margin) {
  record_rounding(margin, round_to_integers(N, a, 2.0 / N));
  release_limbs(out, out_limbs, a, N);
}

}  // namespace

TEST(ReleaseLimbs, ReleasesExactConvolutionsAndRoundsNearIntegersUp) {
  std::mt19937_64 gen = seeded_generator(4);
  // (m, N): block products, full products, main products of the Newton steps, and e = 1, 2.
  const int32_t shapes[][2] = {{4, 8}, {12, 16}, {68, 128}, {1028, 2048}, {31, 32}, {30, 32}};
  // Random terms; a carry rippling through every limb (9999 + 1); a borrow doing the same (0 - 1).
  enum { random_terms, ripple_up, ripple_down };
  for (const auto& shape : shapes)
    for (int terms : {random_terms, ripple_up, ripple_down}) {
      const int32_t m = shape[0], N = shape[1];
      std::vector<int64_t> c(N, 0);
      // Terms of either sign up to 2^36: large enough that carries span several limbs both ways,
      // small enough that c - 0.49 is still held to better than 10^-5.
      std::uniform_int_distribution<int64_t> term(-(int64_t{1} << 36), int64_t{1} << 36);
      for (int32_t k = 0; k < N - 1; ++k)
        c[k] = terms == random_terms ? term(gen) : terms == ripple_up ? 9999 : 0;
      if (terms != random_terms) c[N - 2] = terms == ripple_up ? 59999 : -1;
      // Keep the final carry within limb 0's range.
      c[0] = std::clamp<int64_t>(c[0], 1000000, 3000000);
      c[1] = std::clamp<int64_t>(c[1], -10000000, 10000000);
      const Limbs expected = carried(c, m, N);

      for (double offset : {0.0, -0.49, -0.25, 0.49}) {
        std::vector<double> a(N);
        for (int32_t k = 0; k < N; ++k) a[k] = (static_cast<double>(c[k]) + offset) * (N / 2);
        Limbs out(m + 2, kSentinel);
        rounding_margin margin;
        round_and_release(out.data(), m, a.data(), N, &margin);
        EXPECT_EQ(Limbs(out.begin(), out.begin() + m), expected)
            << "m = " << m << ", N = " << N << ", offset " << offset;
        EXPECT_EQ(out[m], kSentinel);
      }
    }
}

TEST(LimbsToDoubles, SameValueInBalancedDigits) {
  std::mt19937_64 gen = seeded_generator(5);
  const int32_t cnt = 1027, N = 2048;  // carries cross the pieces released side by side
  const struct {
    const char* what;
    int16_t limb, last;  // limbs 1..cnt-2 and limb cnt-1; limb 0 is 3
  } cases[] = {{"random", -1, -1},
               {"4999 + a carry", 4999, 5000},
               {"9999", 9999, 9999},
               {"beyond 0..9999", 32767, -32768}};
  for (const auto& c : cases) {
    Limbs P(cnt, c.limb);
    if (c.limb < 0) P = random_limbs(gen, cnt, 9999);
    P[0] = 3;
    if (c.limb >= 0) P[cnt - 1] = c.last;
    std::vector<double> a(N, -1.0);
    limbs_to_doubles(P.data(), cnt, a.data(), N);
    // Digits in -5000..4999 (limb 0 aside), zeros beyond cnt, and P - a == 0 with exact carries.
    int64_t borrow = 0;
    for (int32_t i = cnt - 1; i >= 1; --i) {
      ASSERT_TRUE(a[i] >= -5000 && a[i] <= 4999 && a[i] == std::floor(a[i])) << c.what << " " << i;
      const int64_t t = P[i] - static_cast<int64_t>(a[i]) + borrow;
      ASSERT_EQ(t % 10000, 0) << c.what << ", limb " << i;
      borrow = t / 10000;
    }
    EXPECT_EQ(P[0] - static_cast<int64_t>(a[0]) + borrow, 0) << c.what;
    EXPECT_EQ(std::count(a.begin() + cnt, a.end(), 0.0), N - cnt) << c.what;
  }
}

TEST(RoundingMargin, EachRecordKeepsTheLargestDistanceOfItsOwnProducts) {
  rounding_margin margin, other;
  EXPECT_EQ(margin.max_distance, 0.0);

  // An exact product of small numbers: terms near 200, transform error near 10^-13.
  const int32_t n = 8;
  const Limbs P = {1, 2, 3, 4, 5, 6, 7, 8, 0, 0, 0, 0};
  const Limbs Q = {8, 7, 6, 5, 4, 3, 2, 1, 0, 0, 0, 0};
  guarded_product(P, Q, n, &margin);
  EXPECT_LT(margin.max_distance, 1e-9);
  guarded_product(P, Q, n, &other);

  // A convolution whose terms all lie 0.3 below an integer records 0.3.
  const int32_t N = 16;
  std::vector<double> a(N);
  for (int32_t k = 0; k < N; ++k) a[k] = (k < N - 1 ? 100.0 * k + 0.7 : 0.0) * (N / 2);
  Limbs out(12);
  round_and_release(out.data(), 12, a.data(), N, &margin);
  EXPECT_NEAR(margin.max_distance, 0.3, 1e-12);

  // A later product with a smaller distance does not lower the maximum, and a record lent to
  // other products (another computation's) is not touched.
  guarded_product(P, Q, n, &margin);
  EXPECT_NEAR(margin.max_distance, 0.3, 1e-12);
  EXPECT_LT(other.max_distance, 1e-9);
}

TEST(RoundingMargin, BrokenTermsFailEveryLimit) {
  // The backward transform of a real product of 8 limbs, then one term replaced.
  const int32_t n = 8, N = 2 * n;
  const Limbs P = {1234, 5678, 9999, 0, 5000, 4999, 42, 7, 0, 0, 0, 0};
  std::vector<double> a(2 * N);
  limbs_to_doubles(P.data(), n, a.data(), N);
  limbs_to_doubles(P.data(), n, a.data() + N, N);
  complex_forward(N, a.data());
  complex_forward(N, a.data() + N);
  multiply_spectra(N, a.data(), a.data(), a.data() + N);
  complex_backward(N, a.data());

  const double inf = std::numeric_limits<double>::infinity();
  const double half_off = (std::round(a[3] / n) + 0.5) * n;  // term 3 exactly halfway
  const struct {
    const char* what;
    int32_t index;
    double value;
  } cases[] = {{"NaN", 5, std::numeric_limits<double>::quiet_NaN()},
               {"+infinity", 0, inf},
               {"-infinity", 14, -inf},
               {"beyond any product", 9, 0x1p60},
               {"off by 0.5", 3, half_off}};
  for (const auto& c : cases) {
    std::vector<double> broken(a.begin(), a.begin() + N);
    broken[c.index] = c.value;
    rounding_margin margin;
    Limbs out(n + 4);
    round_and_release(out.data(), n + 4, broken.data(), N, &margin);
    const double d = margin.max_distance;
    EXPECT_FALSE(d <= 0.4999) << c.what << ": distance " << d;
    EXPECT_FALSE(d < 0.5) << c.what << ": distance " << d;
    if (std::isfinite(c.value) && c.value < 0x1p50) {
      EXPECT_EQ(d, 0.5) << c.what;
    }
  }
}
