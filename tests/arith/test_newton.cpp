// The wrapped products of the Newton steps, the inverse square root, the square root and the
// reciprocal, checked with exact schoolbook products (no oracle library, so these run under Wine too).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "arith_test_support.h"
#include "core/arith/arith.h"
#include "core/arith/newton_correction.h"

namespace {

constexpr int16_t kSentinel = -12345;

Limbs filled(int32_t count, int16_t lead, int16_t rest) {
  Limbs p(count, rest);
  p[0] = lead;
  return p;
}

Limbs run_inv_sqrt(const Limbs& X, int32_t n) {
  Limbs Y(n + 4), T(n + 4);
  std::vector<double> W(5 * n);
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

// The error of S = sqrt(X) in units of S's last limb (n+3), from the exact S^2:
// S^2 - X = 2 S dS to first order.
double square_root_error_units(const Limbs& X, const Limbs& S) {
  const int32_t L = static_cast<int32_t>(S.size());
  const double excess = scaled_difference(schoolbook_product(S.data(), L, S.data(), L), widened(X.data(), L), L);
  return excess / (2.0 * leading_value(S.data(), 4));
}

// The Newton results are good to a few units of limb n+2 (core/arith/inv_sqrt.h, reciprocal.h).
// Allow ten units of limb n+2.
constexpr double kNewtonBoundUnits = 10.0 * 10000.0;

}  // namespace

TEST(InvSqrt, ScalesOfTheResult) {
  const int32_t n = 64;
  {
    // 1 / sqrt(10000 * 0.0002) = 1/sqrt(2).
    const Limbs Y = run_inv_sqrt(filled(n + 4, 2, 0), n);
    const Limbs head = {7071, 678, 1186, 5475, 2440, 844, 3621, 484};
    EXPECT_EQ(Limbs(Y.begin(), Y.begin() + 8), head);
    EXPECT_LE(std::fabs(inv_sqrt_error_units(filled(n + 4, 2, 0), Y)), kNewtonBoundUnits);
  }
  // 1 / sqrt(10000) = 0.01 is a fixed point of every step: exact.
  EXPECT_EQ(run_inv_sqrt(filled(n + 4, 10000, 0), n), filled(n + 4, 100, 0));
  {
    // 1 / sqrt(32767): the largest input.
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
    // Inputs above 1.
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
      std::vector<double> W(5 * n, -1.0);
      rounding_margin margin;
      const Limbs before = Y;
      if (inverse_root)
        EXPECT_TRUE(inv_sqrt_step(X.data(), Y.data(), T.data(), m, W.data(), &margin, m / 2));
      else
        reciprocal_step(X.data(), Y.data(), T.data(), m, W.data(), &margin);
      for (int32_t i = m + 4; i < n + 4; ++i) {
        EXPECT_EQ(Y[i], before[i]) << "Y limb " << i << ", m = " << m;
        EXPECT_EQ(T[i], kSentinel) << "T limb " << i << ", m = " << m;
      }
      const int32_t used = inverse_root ? 5 * m : 4 * m;
      for (int32_t i = used; i < 5 * n; ++i) ASSERT_EQ(W[i], -1.0) << "work area beyond " << used << ", m = " << m;
    }
  }
}

// Every wrapped product the Newton steps and the square root form, with factors whose balanced digits
// carry far (all 9999, all 4999, runs of 5000/4999/9999/0) or are random, against the exact product
// truncated to its output limbs; Out overlapping its first factor as the steps use it.
TEST(WrappedProduct, ExactTruncationOfEveryShape) {
  std::mt19937_64 gen = seeded_generator(18);
  struct shape {
    const char* name;
    int32_t p, q, doubles, out;
  };
  for (int32_t h : {4, 8, 16, 64, 256}) {
    const int32_t m = 2 * h;
    const shape shapes[] = {
        {"Y^2 (h + 4 limbs, m doubles, m + 4 out)", h + 4, h + 4, m, m + 4},
        {"Y D' (h + 4 limbs, m doubles, h + 4 out)", h + 4, h + 4, m, h + 4},
        {"X U (m + 4 limbs, 2m doubles, m + 4 out)", m + 4, m + 4, 2 * m, m + 4},
        {"X Y (m + 4 by h + 4 limbs, 2m doubles)", m + 4, h + 4, 2 * m, m + 4},
        {"plain (h limbs, m doubles, m + 1 out)", h, h, m, m + 1},
    };
    const Limbs factors[] = {filled(m + 4, 9999, 9999), filled(m + 4, 4999, 4999), carry_runs(gen, m + 4, 9999),
                             random_limbs(gen, m + 4, 9999), random_limbs(gen, m + 4, 32767)};
    const int32_t count = sizeof factors / sizeof factors[0];
    for (const shape& s : shapes) {
      for (int32_t i = 0; i < count; ++i) {
        // The last factor's limb 0 reaches 3.2767: only with the all-4999 one (0.4999...).
        const Limbs& P = factors[i];
        const Limbs& Q = i == count - 1 ? factors[1] : factors[(i + 1) % (count - 1)];
        for (bool square : {false, true}) {
          if (square && (s.p != s.q || i == count - 1)) continue;
          const Limbs& R = square ? P : Q;
          std::vector<double> W(2 * s.doubles);
          rounding_margin margin;
          Limbs out = P;
          out.resize(std::max(s.out, s.p) + 4, kSentinel);
          wrapped_multiply(out.data(), s.p, square ? out.data() : R.data(), s.q, out.data(), s.out, s.doubles, W.data(),
                           &margin);
          for (size_t k = std::max(static_cast<size_t>(s.out), P.size()); k < out.size(); ++k)
            EXPECT_EQ(out[k], kSentinel) << s.name << ": limb " << k << " written";
          const std::vector<int64_t> exact = schoolbook_product(P.data(), s.p, R.data(), s.q);
          std::vector<int64_t> truncated(exact.begin(), exact.begin() + std::min<size_t>(s.out, exact.size()));
          truncated.resize(s.out, 0);
          EXPECT_EQ(std::vector<int64_t>(out.begin(), out.begin() + s.out), truncated)
              << s.name << ", h = " << h << ", factors " << i << (square ? " squared" : "");
          EXPECT_LT(margin.max_distance, 0.01) << s.name;
        }
      }
    }
  }
}

// The signed steps of the corrections, on four-limb numbers whose values fit an int64.
TEST(NewtonCorrection, SignedDistancesAndCorrectionsAtAnOffset) {
  auto value = [](const Limbs& v) {
    int64_t s = 0;
    for (int16_t limb : v) s = s * 10000 + limb;
    return s;
  };
  const int64_t ten_thousandth = 1000000000000;  // 0.0001 as four limbs: [1, 0, 0, 0]
  for (const Limbs& v : {Limbs{0, 9999, 9999, 9999}, Limbs{1, 0, 0, 0}, Limbs{1, 0, 0, 7}, Limbs{0, 0, 0, 1}}) {
    Limbs d = v;
    const int32_t sign = distance_from_ten_thousandth(d.data(), 4);
    EXPECT_EQ(sign * value(d), ten_thousandth - value(v)) << value(v);
  }
  const Limbs a = {5000, 1, 9999, 0};
  for (const Limbs& v : {Limbs{5000, 1, 9998, 9999}, Limbs{5000, 2, 0, 0}, a}) {
    Limbs d = v;
    const int32_t sign = limb_distance(a.data(), d.data(), 4);
    EXPECT_EQ(sign * value(d), value(a) - value(v)) << value(v);
    EXPECT_TRUE(value(d) != 0 || sign == 1);
  }
  // q at offset 1 and 2, carries and borrows running through 9999s and 0s into limb 0.
  const struct {
    Limbs p, q;
    int32_t offset, sign;
  } cases[] = {{{1, 9999, 9999, 9999}, {0, 1}, 2, 1},   {{2, 0, 0, 0}, {0, 1}, 2, -1},
               {{0, 9999, 5000, 0}, {12345, 9999}, 2, 1}, {{3, 0, 0, 0}, {29999, 1}, 2, -1},
               {{100, 0, 0, 0}, {0, 0, 1}, 1, -1},    {{7, 1, 2, 3}, {1, 2, 3, 4}, 0, 1}};
  for (const auto& c : cases) {
    Limbs p = c.p;
    int64_t q = 0;
    for (int16_t limb : c.q) q = q * 10000 + limb;
    for (int32_t k = c.offset + static_cast<int32_t>(c.q.size()); k < 4; ++k) q *= 10000;
    limb_add_at(p.data(), c.offset, c.q.data(), static_cast<int32_t>(c.q.size()), c.sign);
    EXPECT_EQ(value(p), value(c.p) + c.sign * q);
    EXPECT_TRUE(is_normalised(p.data(), 4));
  }
}

// sqrt(X) from square_root, checked by its exact square: (S^2 - X) / (2 S) in units of limb n+3.
TEST(SquareRoot, ExactSquaresAndRandomInputs) {
  std::mt19937_64 gen = seeded_generator(19);
  for (int32_t n : {16, 64, 512}) {
    Limbs random_lead = random_limbs(gen, n + 4, 9999);
    random_lead[0] = static_cast<int16_t>(1000 + random_lead[0] % 31000);  // 0.1 .. 3.2
    Limbs drivers = random_limbs(gen, n + 4, 5000);
    drivers[0] = static_cast<int16_t>(drivers[0] + 5000);  // 0.5 .. 1, as the drivers pass it
    Limbs half_then_more = filled(n + 4, 5000, 0);  // 1/2 to the limbs the inverse root reads, then not
    half_then_more[n / 2 + 4] = 1;
    const Limbs inputs[] = {filled(n + 4, 2500, 0), filled(n + 4, 10000, 0), filled(n + 4, 5000, 0), half_then_more,
                            random_lead, drivers, filled(n + 4, 32767, 9999)};
    for (const Limbs& X : inputs) {
      Limbs S = X, Y(n + 4), T(n + 4);
      std::vector<double> W(4 * n);
      rounding_margin margin;
      square_root(S.data(), Y.data(), T.data(), n, W.data(), &margin);
      ASSERT_TRUE(is_normalised(S.data(), n + 4)) << "n = " << n << ", X[0] = " << X[0];
      EXPECT_LE(std::fabs(square_root_error_units(X, S)), 10.0) << "n = " << n << ", X[0] = " << X[0];
      if (X[0] == 2500 || X[0] == 10000) {
        EXPECT_EQ(S, filled(n + 4, X[0] == 2500 ? 5000 : 10000, 0)) << X[0];
      }
    }
  }
}

// The inverse square root started from that of a nearby number skips the Newton steps below the
// limbs they share and keeps its precision; a start that claims more than it holds falls back to
// the estimate. The square root the same through the value it keeps between calls.
TEST(InvSqrt, StartsFromANearbyRootOrFallsBack) {
  std::mt19937_64 gen = seeded_generator(20);
  const int32_t n = 256;
  Limbs X = random_limbs(gen, n + 4, 5000);
  X[0] = static_cast<int16_t>(X[0] + 5000);
  const Limbs root = run_inv_sqrt(X, n);
  const struct {
    int32_t changed_limb;   // X is moved by one unit there
    int32_t claimed_limbs;  // what the caller says the old root still holds
  } cases[] = {{200, 199}, {100, 99}, {40, 39}, {3, 200}, {100, 256}};
  for (const auto& c : cases) {
    Limbs near = X;
    near[c.changed_limb] = static_cast<int16_t>(near[c.changed_limb] == 0 ? 1 : near[c.changed_limb] - 1);
    Limbs Y = root, T(n + 4);
    std::vector<double> W(5 * n);
    rounding_margin margin;
    inv_sqrt(near.data(), Y.data(), T.data(), n, W.data(), &margin, c.claimed_limbs);
    EXPECT_TRUE(is_normalised(Y.data(), n + 4));
    EXPECT_LE(std::fabs(inv_sqrt_error_units(near, Y)), kNewtonBoundUnits)
        << "changed limb " << c.changed_limb << ", claimed " << c.claimed_limbs;

    Limbs S = near, scratch(n + 4), kept(n + 4);
    Limbs previous = X;
    square_root(previous.data(), scratch.data(), kept.data(), n, W.data(), &margin);  // keeps X's root
    square_root(S.data(), scratch.data(), kept.data(), n, W.data(), &margin, c.claimed_limbs);
    Limbs fresh = near, fresh_kept(n + 4);
    square_root(fresh.data(), scratch.data(), fresh_kept.data(), n, W.data(), &margin);
    EXPECT_LE(std::fabs(square_root_error_units(near, S)), 10.0) << "square root from a kept root";
    EXPECT_EQ(Limbs(S.begin(), S.begin() + n), Limbs(fresh.begin(), fresh.begin() + n))
        << "changed limb " << c.changed_limb;
  }
}
