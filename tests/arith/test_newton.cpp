// The truncated working product, the inverse square root and the reciprocal, checked with exact
// schoolbook products (no oracle library, so these run under Wine too).
#include <gtest/gtest.h>

#include <cmath>

#include "arith_test_support.h"
#include "core/arith/arith.h"

namespace {

constexpr int16_t kSentinel = -12345;

Limbs filled(int32_t count, int16_t lead, int16_t rest) {
  Limbs p(count, rest);
  p[0] = lead;
  return p;
}

Limbs run_inv_sqrt(const Limbs& X, int32_t n) {
  Limbs Y(n + 4), T(n + 4);
  std::vector<double> W(4 * n);
  rounding_margin margin;
  inv_sqrt(X.data(), Y.data(), T.data(), n, W.data(), &margin);
  EXPECT_TRUE(is_normalised(Y.data(), n + 4)) << "inv_sqrt, n = " << n << ", X[0] = " << X[0];
  return Y;
}

Limbs run_reciprocal(const Limbs& X, int32_t n) {
  Limbs Y(n + 4), T(n + 4);
  std::vector<double> W(4 * n);
  rounding_margin margin;
  reciprocal(X.data(), Y.data(), T.data(), n, W.data(), &margin);
  EXPECT_TRUE(is_normalised(Y.data(), n + 4)) << "reciprocal, n = " << n << ", X[0] = " << X[0];
  return Y;
}

// The error of Y = 1/sqrt(10000 X) in units of Y's last limb (n+3), from the exact X Y^2:
// X Y^2 10000 - 1 = 2 X Y 10000 dY to first order.
double inv_sqrt_error_units(const Limbs& X, const Limbs& Y) {
  const int32_t L = static_cast<int32_t>(Y.size());
  const std::vector<int64_t> xy = schoolbook_product(X.data(), L, Y.data(), L);
  const std::vector<int64_t> y = widened(Y.data(), L);
  const std::vector<int64_t> xyy = schoolbook_product(xy.data(), 2 * L, y.data(), L);
  const double excess = scaled_difference(xyy, {1}, L);  // (X Y^2 - 0.0001) 10000^L
  return excess / (2.0 * leading_value(X.data(), 4) * leading_value(Y.data(), 4) * 10000.0);
}

// The error of Y = 1/(10000 X) in units of Y's last limb, from the exact X Y:
// X Y 10000 - 1 = X 10000 dY.
double reciprocal_error_units(const Limbs& X, const Limbs& Y) {
  const int32_t L = static_cast<int32_t>(Y.size());
  const std::vector<int64_t> xy = schoolbook_product(X.data(), L, Y.data(), L);
  return scaled_difference(xy, {1}, L) / (leading_value(X.data(), 4) * 10000.0);
}

// The Newton results are good to a few units of limb n+2: the products are truncated to m + 4
// limbs, and the product that is shifted up loses its last limb, an error of up to one unit of
// limb n+2 in it. Allow ten units of limb n+2.
constexpr double kNewtonBoundUnits = 10.0 * 10000.0;

}  // namespace

TEST(LimbDoubleSub, ExamplesAndExactArithmetic) {
  Limbs p = {7000, 6000, 0};
  limb_double_sub(p.data(), Limbs{1, 2, 3}.data(), 3);
  EXPECT_EQ(p, (Limbs{14000, 1997, 9997}));
  p = {5000, 0, 0};
  limb_double_sub(p.data(), Limbs{0, 0, 3}.data(), 3);
  EXPECT_EQ(p, (Limbs{9999, 9999, 9997}));

  // Four limbs read as integers fit in int64: compare with 2p - q computed exactly.
  std::mt19937_64 gen = seeded_generator(10);
  auto value = [](const Limbs& v) {
    int64_t s = 0;
    for (int16_t limb : v) s = s * 10000 + limb;
    return s;
  };
  for (int trial = 0; trial < 2000; ++trial) {
    // Limb 0 of p at most 16383 keeps 2p within the format; q up to 2p.
    Limbs a = random_limbs(gen, 4, 16383);
    Limbs b = random_limbs(gen, 4, 2 * a[0]);
    if (value(b) > 2 * value(a)) continue;
    const int64_t expected = 2 * value(a) - value(b);
    const Limbs q = b;
    limb_double_sub(a.data(), b.data(), 4);
    EXPECT_EQ(value(a), expected);
    EXPECT_EQ(b, q) << "q must be unchanged";
    for (int i = 1; i < 4; ++i) EXPECT_TRUE(a[i] >= 0 && a[i] <= 9999);
  }
}

TEST(WorkingProduct, MatchesTheExactProductAndItsNormalisation) {
  std::mt19937_64 gen = seeded_generator(11);
  for (int32_t m : {8, 16, 64, 512}) {
    for (int trial = 0; trial < 4; ++trial) {
      // Leading limbs small enough in some trials that the product falls below 0.0001.
      const int32_t lead = trial < 2 ? 9999 : 60;
      const Limbs P = random_limbs(gen, m + 4, lead);
      const Limbs Q = random_limbs(gen, m + 4, lead);
      std::vector<double> W(4 * m);
      rounding_margin margin;
      for (bool square : {false, true}) {
        const Limbs& R = square ? P : Q;
        Limbs T(m + 8, kSentinel);
        working_product(P.data(), R.data(), T.data(), m, W.data(), &margin);
        for (int32_t i = m + 4; i < m + 8; ++i) EXPECT_EQ(T[i], kSentinel);
        T.resize(m + 4);
        EXPECT_TRUE(is_normalised(T.data(), m + 4)) << "m = " << m;

        std::vector<int64_t> exact = schoolbook_product(P.data(), m + 4, R.data(), m + 4);
        double allowed = 8.0;
        if (exact[0] == 0) {
          exact.erase(exact.begin());  // the product shifted up by one limb
          allowed = 8.0 * 10000.0 + 10000.0;
        }
        // Below the exact product by the dropped terms of the main and block products,
        // the head blocks' missing limbs and the neglected tail x tail term: at most a
        // few units of limb m+3 (times 10000, plus the lost limb, after a shift).
        const double below = scaled_difference(exact, widened(T.data(), m + 4), m + 4);
        EXPECT_GE(below, 0.0) << "m = " << m << (square ? " square" : "");
        EXPECT_LE(below, allowed) << "m = " << m << (square ? " square" : "");
      }
    }
  }
}

TEST(WorkingProduct, CrossTermCarriesStayNormalised) {
  std::mt19937_64 gen = seeded_generator(16);
  for (int32_t m : {8, 64}) {
    std::vector<double> W(4 * m);
    rounding_margin margin;
    // P = 1.0 with a tail block of 9999s, Q all 9999: the main product ends in a run of 9999s
    // (limbs 1..m-1) and the cross terms carry into it, rippling up to limb 0.
    Limbs P(m + 4, 0), Q(m + 4, 9999);
    P[0] = 10000;
    for (int32_t i = m; i < m + 4; ++i) P[i] = 9999;
    // A head block above 1 (limb 0 up to 32767) makes a block product's limb 0 exceed 9999.
    const Limbs big = random_limbs(gen, m + 4, 32767);
    Limbs small = random_limbs(gen, m + 4, 9999);
    small[0] = static_cast<int16_t>(small[0] / 4);  // keeps big x small below 3.2768
    for (const auto& pair : {std::make_pair(P, Q), std::make_pair(big, small), std::make_pair(small, big)}) {
      Limbs T(m + 4);
      working_product(pair.first.data(), pair.second.data(), T.data(), m, W.data(), &margin);
      EXPECT_TRUE(is_normalised(T.data(), m + 4)) << "m = " << m << ", P[0] = " << pair.first[0];
      std::vector<int64_t> exact = schoolbook_product(pair.first.data(), m + 4, pair.second.data(), m + 4);
      double allowed = 8.0;
      if (exact[0] == 0) {
        exact.erase(exact.begin());
        allowed = 8.0 * 10000.0 + 10000.0;
      }
      const double below = scaled_difference(exact, widened(T.data(), m + 4), m + 4);
      EXPECT_GE(below, 0.0) << "m = " << m << ", P[0] = " << pair.first[0];
      EXPECT_LE(below, allowed) << "m = " << m << ", P[0] = " << pair.first[0];
    }
  }
}

TEST(WorkingProduct, SecondFactorMayBeTheResult) {
  std::mt19937_64 gen = seeded_generator(12);
  for (int32_t m : {8, 32, 256}) {
    const Limbs P = random_limbs(gen, m + 4, 9999);
    const Limbs Q = random_limbs(gen, m + 4, 9999);
    std::vector<double> W(4 * m);
    rounding_margin margin;
    Limbs separate(m + 4);
    working_product(P.data(), Q.data(), separate.data(), m, W.data(), &margin);
    Limbs T = Q;
    working_product(P.data(), T.data(), T.data(), m, W.data(), &margin);
    EXPECT_EQ(T, separate) << "m = " << m;
  }
}

TEST(InvSqrt, ScalesOfTheResult) {
  const int32_t n = 64;
  {
    // 1 / sqrt(10000 * 0.0002) = 1/sqrt(2); the third product is the one shifted.
    const Limbs Y = run_inv_sqrt(filled(n + 4, 2, 0), n);
    const Limbs head = {7071, 678, 1186, 5475, 2440, 844, 3621, 484};
    EXPECT_EQ(Limbs(Y.begin(), Y.begin() + 8), head);
    EXPECT_LE(std::fabs(inv_sqrt_error_units(filled(n + 4, 2, 0), Y)), kNewtonBoundUnits);
  }
  // 1 / sqrt(10000) = 0.01 is a fixed point of every step: exact.
  EXPECT_EQ(run_inv_sqrt(filled(n + 4, 10000, 0), n), filled(n + 4, 100, 0));
  {
    // 1 / sqrt(32767): the largest input; Y^2 is shifted.
    const Limbs X = filled(n + 4, 32767, 0);
    const Limbs Y = run_inv_sqrt(X, n);
    EXPECT_EQ(Limbs(Y.begin(), Y.begin() + 4), (Limbs{55, 2435, 6023, 6463}));
    EXPECT_LE(std::fabs(inv_sqrt_error_units(X, Y)), kNewtonBoundUnits);
  }
  {
    // Just below 1: Y just above 0.01.
    Limbs X(n + 4, 0);
    for (int i = 0; i < 5; ++i) X[i] = 9999;
    const Limbs Y = run_inv_sqrt(X, n);
    EXPECT_EQ(Y[0], 100);
    EXPECT_LE(std::fabs(inv_sqrt_error_units(X, Y)), kNewtonBoundUnits);
  }
  {
    // Inputs above 1, where the block products of X's head exceed 1.
    std::mt19937_64 gen = seeded_generator(17);
    for (int32_t size : {16, 64, 256}) {
      Limbs X = random_limbs(gen, size + 4, 22767);
      X[0] = static_cast<int16_t>(X[0] + 10000);
      EXPECT_LE(std::fabs(inv_sqrt_error_units(X, run_inv_sqrt(X, size))), kNewtonBoundUnits)
          << "n = " << size << ", X[0] = " << X[0];
    }
  }
  {
    // Inputs as the drivers pass them (0.5 to 0.72), random limbs.
    std::mt19937_64 gen = seeded_generator(13);
    for (int32_t size : {16, 32, 128, 512}) {
      Limbs X = random_limbs(gen, size + 4, 2200);
      X[0] = static_cast<int16_t>(X[0] + 5000);
      EXPECT_LE(std::fabs(inv_sqrt_error_units(X, run_inv_sqrt(X, size))), kNewtonBoundUnits)
          << "n = " << size;
    }
  }
  // 0.0001 is outside the range: the start estimate lands one power of 10000 lower.
  EXPECT_EQ(run_inv_sqrt(filled(n + 4, 1, 0), n), filled(n + 4, 1, 0));
}

TEST(Reciprocal, ScalesOfTheResult) {
  // 1 / (10000 * 0.5) = 0.0002, a fixed point of every step: exact.
  EXPECT_EQ(run_reciprocal(filled(20, 5000, 0), 16), filled(20, 2, 0));
  {
    const Limbs X = filled(20, 9139, 0);
    const Limbs Y = run_reciprocal(X, 16);
    EXPECT_EQ(Limbs(Y.begin(), Y.begin() + 6), (Limbs{1, 942, 1162, 527, 4100, 109}));
    EXPECT_LE(std::fabs(reciprocal_error_units(X, Y)), kNewtonBoundUnits);
  }
  {
    // 0.5 + 10^-44 (one unit in limb 10): the estimate reads five limbs and starts from
    // exactly 0.0002; the steps must find 0.0002 (1 - 2 10^-44) = 0.0002 - 4 10^-48, whose
    // limbs are [1, 9999 x10, 9996, 0, ...] (the next term, 8 10^-92, lies beyond limb 19).
    Limbs X = filled(20, 5000, 0);
    X[10] = 1;
    const Limbs Y = run_reciprocal(X, 16);
    Limbs expected = filled(12, 1, 9999);
    expected[11] = 9996;
    EXPECT_EQ(Limbs(Y.begin(), Y.begin() + 12), expected);
    EXPECT_LE(std::fabs(reciprocal_error_units(X, Y)), kNewtonBoundUnits);
  }
  {
    std::mt19937_64 gen = seeded_generator(14);
    for (int32_t size : {16, 64, 256, 1024}) {
      // 0.4 to 0.95 (the drivers use about 0.457 and 0.914).
      Limbs X = random_limbs(gen, size + 4, 5500);
      X[0] = static_cast<int16_t>(X[0] + 4000);
      EXPECT_LE(std::fabs(reciprocal_error_units(X, run_reciprocal(X, size))), kNewtonBoundUnits)
          << "n = " << size;
    }
  }
}

TEST(NewtonSteps, LeaveLimbsBeyondTheWorkingLengthAlone) {
  std::mt19937_64 gen = seeded_generator(15);
  const int32_t n = 64;
  Limbs X = random_limbs(gen, n + 4, 2200);
  X[0] = static_cast<int16_t>(X[0] + 5000);
  const Limbs Yinv = run_inv_sqrt(X, n);
  const Limbs Yrec = run_reciprocal(X, n);

  for (int32_t m : {8, 16, 32}) {
    for (bool inverse_root : {true, false}) {
      Limbs Y = inverse_root ? Yinv : Yrec;
      Limbs T(n + 4, kSentinel);
      std::vector<double> W(4 * n, -1.0);
      rounding_margin margin;
      const Limbs before = Y;
      if (inverse_root)
        inv_sqrt_step(X.data(), Y.data(), T.data(), m, W.data(), &margin);
      else
        reciprocal_step(X.data(), Y.data(), T.data(), m, W.data(), &margin);
      for (int32_t i = m + 4; i < n + 4; ++i) {
        EXPECT_EQ(Y[i], before[i]) << "Y limb " << i << ", m = " << m;
        EXPECT_EQ(T[i], kSentinel) << "T limb " << i << ", m = " << m;
      }
      for (int32_t i = 4 * m; i < 4 * n; ++i) ASSERT_EQ(W[i], -1.0) << "work area beyond 4m, m = " << m;
    }
  }
}
