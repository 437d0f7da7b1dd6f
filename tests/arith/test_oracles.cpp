// Products against GMP's exact integer product and the Newton iterations against MPFR, at sizes
// far beyond the schoolbook references (native build only).
#include <gmp.h>
#include <gtest/gtest.h>
#include <mpfr.h>

#include <cmath>
#include <cstdio>
#include <string>

#include "arith_test_support.h"
#include "core/arith/arith.h"
#include "core/numbers/limb.h"

namespace {

// sum_{i<count} p[i] 10000^(count-1-i) as an integer (limb 0 may exceed 9999).
void limbs_to_mpz(mpz_t z, const int16_t* p, int32_t count) {
  std::string digits = std::to_string(p[0]);
  digits.reserve(4 * static_cast<size_t>(count) + 8);
  char buf[8];
  for (int32_t i = 1; i < count; ++i) {
    std::snprintf(buf, sizeof buf, "%04d", p[i]);
    digits += buf;
  }
  mpz_set_str(z, digits.c_str(), 10);
}

Limbs filled(int32_t count, int16_t lead, int16_t rest) {
  Limbs p(count, rest);
  p[0] = lead;
  return p;
}

// Exact truncation of P Q to n + 4 limbs minus fft_multiply's result, in units of limb n+3.
long product_shortfall(const Limbs& P, const Limbs& Q, int32_t n) {
  Limbs out(n + 4);
  std::vector<double> W(4 * static_cast<size_t>(n));
  rounding_margin margin;
  fft_multiply(P.data(), Q.data(), out.data(), n, W.data(), &margin);
  EXPECT_TRUE(is_normalised(out.data(), n + 4)) << "n = " << n;

  mpz_t p, q, r, scale;
  mpz_inits(p, q, r, scale, nullptr);
  limbs_to_mpz(p, P.data(), n);
  limbs_to_mpz(q, Q.data(), n);
  mpz_mul(p, p, q);  // P Q 10000^(2n)
  mpz_ui_pow_ui(scale, 10, 4 * static_cast<unsigned long>(n - 4));
  mpz_tdiv_q(p, p, scale);  // floor(P Q 10000^(n+4))
  limbs_to_mpz(r, out.data(), n + 4);
  mpz_sub(p, p, r);
  const long shortfall = mpz_fits_slong_p(p) ? mpz_get_si(p) : 1000000;
  mpz_clears(p, q, r, scale, nullptr);
  return shortfall;
}

// Y - f(X) in units of Y's last limb (n+3), f computed by MPFR from the exact X:
// with X = Xi 10000^-L and Y = Yi 10000^-L (L = n + 4),
//   1/sqrt(10000 X) 10000^L = 10^(6L-2) / sqrt(Xi),   1/(10000 X) 10000^L = 10^(8L-4) / Xi.
double newton_error_units(const Limbs& X, const Limbs& Y, bool inverse_root) {
  const int32_t L = static_cast<int32_t>(X.size());
  const mpfr_prec_t prec = static_cast<mpfr_prec_t>(4 * L * 3.33) + 128;
  mpz_t xi, yi, power;
  mpz_inits(xi, yi, power, nullptr);
  limbs_to_mpz(xi, X.data(), L);
  limbs_to_mpz(yi, Y.data(), L);
  mpfr_t f, diff;
  mpfr_inits2(prec, f, diff, static_cast<mpfr_ptr>(nullptr));
  mpfr_set_z(f, xi, MPFR_RNDN);
  if (inverse_root) {
    mpfr_rec_sqrt(f, f, MPFR_RNDN);
    mpz_ui_pow_ui(power, 10, 6 * static_cast<unsigned long>(L) - 2);
  } else {
    mpfr_ui_div(f, 1, f, MPFR_RNDN);
    mpz_ui_pow_ui(power, 10, 8 * static_cast<unsigned long>(L) - 4);
  }
  mpfr_mul_z(f, f, power, MPFR_RNDN);
  mpfr_z_sub(diff, yi, f, MPFR_RNDN);
  const double units = mpfr_get_d(diff, MPFR_RNDN);
  mpfr_clears(f, diff, static_cast<mpfr_ptr>(nullptr));
  mpz_clears(xi, yi, power, nullptr);
  return units;
}

// The Newton results are good to a few units of limb n+2: the products are truncated to m + 4
// limbs, and the product that is shifted up loses its last limb, an error of up to one unit of
// limb n+2 in it. Allow ten units of limb n+2.
constexpr double kNewtonBoundUnits = 10.0 * 10000.0;

}  // namespace

TEST(FftMultiplyOracle, ExactTruncationUpToAMillionLimbs) {
  std::mt19937_64 gen = seeded_generator(100);
  for (int32_t n : {8, 64, 1024, 16384, 131072, 1048576}) {
    const Limbs nines = filled(n + 4, 9999, 9999);
    const Limbs top = filled(n + 4, 32767, 9999);
    const Limbs a = random_limbs(gen, n + 4, 9999);
    const Limbs b = random_limbs(gen, n + 4, 9999);
    const Limbs runs = carry_runs(gen, n + 4, 9999);
    EXPECT_EQ(product_shortfall(a, b, n), 0) << "random x random, n = " << n;
    EXPECT_EQ(product_shortfall(nines, nines, n), 0) << "all 9999 squared, n = " << n;
    EXPECT_EQ(product_shortfall(top, nines, n), 0) << "32767, 9999... x 9999..., n = " << n;
    EXPECT_EQ(product_shortfall(runs, runs, n), 0) << "runs of 5000, 4999, 9999, 0 squared, n = " << n;
    if (n <= 131072) {
      EXPECT_EQ(product_shortfall(a, nines, n), 0) << "random x all 9999, n = " << n;
      EXPECT_EQ(product_shortfall(filled(n + 4, 5000, 5000), runs, n), 0) << "all 5000 x runs, n = " << n;
      EXPECT_EQ(product_shortfall(filled(n + 4, 4999, 4999), a, n), 0) << "all 4999 x random, n = " << n;
    }
  }
}

TEST(FftMultiplyOracle, AliasedOutputsAtLargeSize) {
  std::mt19937_64 gen = seeded_generator(101);
  const int32_t n = 65536;
  const Limbs P = random_limbs(gen, n + 4, 9999);
  const Limbs Q = random_limbs(gen, n + 4, 30000);
  std::vector<double> W(4 * n);
  rounding_margin margin;
  Limbs separate(n + 4), square(n + 4);
  fft_multiply(P.data(), Q.data(), separate.data(), n, W.data(), &margin);
  fft_multiply(P.data(), P.data(), square.data(), n, W.data(), &margin);
  Limbs x = P;
  fft_multiply(x.data(), Q.data(), x.data(), n, W.data(), &margin);
  EXPECT_EQ(x, separate);
  x = Q;
  fft_multiply(P.data(), x.data(), x.data(), n, W.data(), &margin);
  EXPECT_EQ(x, separate);
  x = P;
  fft_multiply(x.data(), x.data(), x.data(), n, W.data(), &margin);
  EXPECT_EQ(x, square);
}

// limb_mul_small on long numbers, where its carries are released in pieces side by side: the exact
// product from GMP. 0.0000 3333 ... 3333 6667 times 3 passes a carry through every limb.
TEST(MulSmallOracle, LongNumbersGiveTheExactProduct) {
  std::mt19937_64 gen = seeded_generator(102);
  for (int32_t L : {130, 1027, 4099}) {
    Limbs ripple(L, 3333);
    ripple[0] = ripple[1] = 0;
    ripple[L - 1] = 6667;
    const struct {
      Limbs p;
      int32_t m;
    } cases[] = {{ripple, 3}, {random_limbs(gen, L, 0), 7}, {random_limbs(gen, L, 0), 10000},
                 {carry_runs(gen, L, 0), 65537}, {random_limbs(gen, L, 0), 1 << 27}};
    for (const auto& c : cases) {
      Limbs p = c.p;
      if (c.m > 3) p[1] = p[2] = p[3] = 0;  // below 10^-12: the product stays below 1.0
      mpz_t expected, got;
      mpz_inits(expected, got, nullptr);
      limbs_to_mpz(expected, p.data(), L);
      mpz_mul_ui(expected, expected, static_cast<unsigned long>(c.m));
      limb_mul_small(p.data(), c.m, L);
      limbs_to_mpz(got, p.data(), L);
      EXPECT_EQ(mpz_cmp(expected, got), 0) << "L = " << L << ", m = " << c.m;
      mpz_clears(expected, got, nullptr);
    }
  }
}

TEST(NewtonOracle, InverseSquareRootAndReciprocalAgreeWithMpfr) {
  std::mt19937_64 gen = seeded_generator(102);
  double worst_root = 0.0, worst_reciprocal = 0.0;
  for (int32_t n : {16, 64, 1024, 16384, 262144}) {
    std::vector<double> W(4 * static_cast<size_t>(n));
    rounding_margin margin;
    Limbs Y(n + 4), T(n + 4);

    // Inverse square root: the drivers' 0.0002 and 0.5..0.72, and inputs whose shifted
    // product is Y^2 (X > 1), Y^3 (0.0464 < X < 1) and X Y^3 (X < 0.0464).
    std::vector<Limbs> roots = {filled(n + 4, 2, 0)};
    for (int32_t lead : {5000, 11000, 600, 2}) {
      Limbs X = random_limbs(gen, n + 4, lead == 11000 ? 21766 : lead == 5000 ? 2200 : 300);
      X[0] = static_cast<int16_t>(X[0] + lead);
      roots.push_back(X);
    }
    for (const Limbs& X : roots) {
      inv_sqrt(X.data(), Y.data(), T.data(), n, W.data(), &margin);
      EXPECT_TRUE(is_normalised(Y.data(), n + 4)) << "inv_sqrt, n = " << n << ", X[0] = " << X[0];
      const double err = std::fabs(newton_error_units(X, Y, true));
      worst_root = std::max(worst_root, err);
      EXPECT_LE(err, kNewtonBoundUnits) << "inv_sqrt, n = " << n << ", X[0] = " << X[0];
    }

    // Reciprocal: 0.4..0.95 (the drivers use about 0.457 and 0.914), and inputs whose shifted
    // product is X Y^2 (X < 0.01).
    for (int32_t lead : {4000, 2}) {
      Limbs X = random_limbs(gen, n + 4, lead == 4000 ? 5500 : 90);
      X[0] = static_cast<int16_t>(X[0] + lead);
      reciprocal(X.data(), Y.data(), T.data(), n, W.data(), &margin);
      EXPECT_TRUE(is_normalised(Y.data(), n + 4)) << "reciprocal, n = " << n << ", X[0] = " << X[0];
      const double err = std::fabs(newton_error_units(X, Y, false));
      worst_reciprocal = std::max(worst_reciprocal, err);
      EXPECT_LE(err, kNewtonBoundUnits) << "reciprocal, n = " << n << ", X[0] = " << X[0];
    }
  }
  std::printf("largest error in units of limb n+3: inv_sqrt %.0f, reciprocal %.0f\n", worst_root,
              worst_reciprocal);
}
