// Products against GMP's exact integer product and the Newton iterations against MPFR, at sizes
// far beyond the schoolbook references (native build only).
#include <gmp.h>
#include <gtest/gtest.h>
#include <mpfr.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "arith_test_support.h"
#include "core/arith/arith.h"
#include "core/fft/simd_path.h"
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

enum class newton_kind { inverse_root, square_root, reciprocal };

// Y - f(X) in units of Y's last limb (n+3), f computed by MPFR from the exact X: with X = Xi 10000^-L
// and Y = Yi 10000^-L (L = n + 4),
//   1/sqrt(10000 X) 10000^L = 10^(6L-2) / sqrt(Xi),   sqrt(X) 10000^L = 10^(2L) sqrt(Xi),
//   1/(10000 X) 10000^L = 10^(8L-4) / Xi.
double newton_error_units(const Limbs& X, const Limbs& Y, newton_kind kind) {
  const int32_t L = static_cast<int32_t>(X.size());
  const mpfr_prec_t prec = static_cast<mpfr_prec_t>(4 * L * 3.33) + 128;
  mpz_t xi, yi, power;
  mpz_inits(xi, yi, power, nullptr);
  limbs_to_mpz(xi, X.data(), L);
  limbs_to_mpz(yi, Y.data(), L);
  mpfr_t f, diff;
  mpfr_inits2(prec, f, diff, static_cast<mpfr_ptr>(nullptr));
  mpfr_set_z(f, xi, MPFR_RNDN);
  unsigned long exponent = 0;
  switch (kind) {
    case newton_kind::inverse_root:
      mpfr_rec_sqrt(f, f, MPFR_RNDN);
      exponent = 6 * static_cast<unsigned long>(L) - 2;
      break;
    case newton_kind::square_root:
      mpfr_sqrt(f, f, MPFR_RNDN);
      exponent = 2 * static_cast<unsigned long>(L);
      break;
    case newton_kind::reciprocal:
      mpfr_ui_div(f, 1, f, MPFR_RNDN);
      exponent = 8 * static_cast<unsigned long>(L) - 4;
      break;
  }
  mpz_ui_pow_ui(power, 10, exponent);
  mpfr_mul_z(f, f, power, MPFR_RNDN);
  mpfr_z_sub(diff, yi, f, MPFR_RNDN);
  const double units = mpfr_get_d(diff, MPFR_RNDN);
  mpfr_clears(f, diff, static_cast<mpfr_ptr>(nullptr));
  mpz_clears(xi, yi, power, nullptr);
  return units;
}

// The inverse square root and the reciprocal are good to a few units of limb n+2, the square root to
// a few units of limb n+3 (core/arith/inv_sqrt.h, reciprocal.h, square_root.h). Allow ten units.
constexpr double kNewtonBoundUnits = 10.0 * 10000.0;
constexpr double kSquareRootBoundUnits = 10.0;

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

// The wrapped products of the Newton steps at large sizes, against GMP's exact product truncated to
// the output limbs: Y^2 and Y D' (h + 4 limbs in 2h doubles), X U (m + 4 limbs in 2m doubles).
TEST(WrappedProductOracle, ExactTruncationAtLargeSizes) {
  std::mt19937_64 gen = seeded_generator(103);
  for (int32_t h : {1024, 65536, 524288}) {
    const Limbs nines = filled(2 * h + 4, 9999, 9999), runs = carry_runs(gen, 2 * h + 4, 9999);
    const Limbs a = random_limbs(gen, 2 * h + 4, 9999), halves = filled(2 * h + 4, 4999, 4999);
    const struct {
      const Limbs &P, &Q;
      int32_t p, doubles, out;
    } cases[] = {{nines, nines, h + 4, 2 * h, 2 * h + 4}, {runs, runs, h + 4, 2 * h, h + 4},
                 {a, halves, 2 * h + 4, 4 * h, 2 * h + 4}, {runs, nines, 2 * h + 4, 4 * h, 2 * h + 4}};
    for (const auto& c : cases) {
      std::vector<double> W(2 * static_cast<size_t>(c.doubles));
      rounding_margin margin;
      Limbs out(c.out);
      wrapped_multiply(c.P.data(), c.p, c.Q.data(), c.p, out.data(), c.out, c.doubles, W.data(), &margin);
      mpz_t p, q, r;
      mpz_inits(p, q, r, nullptr);
      limbs_to_mpz(p, c.P.data(), c.p);
      limbs_to_mpz(q, c.Q.data(), c.p);
      mpz_mul(p, p, q);  // P Q 10000^(2p - 2): limbs 0..2p-1 of the product
      mpz_ui_pow_ui(q, 10, 4 * static_cast<unsigned long>(2 * c.p - c.out));
      mpz_tdiv_q(p, p, q);
      limbs_to_mpz(r, out.data(), c.out);
      EXPECT_EQ(mpz_cmp(p, r), 0) << "h = " << h << ", p = " << c.p << ", doubles = " << c.doubles;
      mpz_clears(p, q, r, nullptr);
    }
  }
}

// inv_sqrt, square_root and reciprocal at every power of two up to 2^20 limbs on every vector path:
// the same limbs on each, and within their bounds of MPFR's values.
TEST(NewtonOracle, EveryPowerOfTwoOnEveryPathAgreesWithMpfr) {
  std::mt19937_64 gen = seeded_generator(102);
  double worst[3] = {};
  for (int32_t n = 8; n <= (1 << 20); n *= 2) {
    std::vector<double> W(5 * static_cast<size_t>(n));
    Limbs Y(n + 4), T(n + 4);
    // Inputs in each routine's range: the drivers' (0.5..1 for the roots, 0.4..0.95 for the
    // reciprocal, and 1/2 exactly, whose products are halvings) at every size, and the ends of the
    // ranges up to 2^14 limbs.
    auto input = [&](int32_t lead, int32_t spread) {
      Limbs X = random_limbs(gen, n + 4, spread);
      X[0] = static_cast<int16_t>(X[0] + lead);
      return X;
    };
    const Limbs half = filled(n + 4, 5000, 0);
    const struct {
      newton_kind kind;
      std::vector<Limbs> inputs;
    } cases[] = {
        {newton_kind::inverse_root, n <= 16384 ? std::vector<Limbs>{filled(n + 4, 2, 0), input(5000, 5000), half,
                                                                input(11000, 21766), input(2, 300)}
                                               : std::vector<Limbs>{input(5000, 5000), half}},
        {newton_kind::square_root, n < 16 ? std::vector<Limbs>{}
                                   : n <= 16384 ? std::vector<Limbs>{input(5000, 5000), half, input(1000, 31767)}
                                                : std::vector<Limbs>{input(5000, 5000), half}},
        {newton_kind::reciprocal, n <= 16384 ? std::vector<Limbs>{input(4000, 5500), input(2, 90)}
                                             : std::vector<Limbs>{input(4000, 5500)}},
    };
    for (const auto& c : cases) {
      for (const Limbs& X : c.inputs) {
        Limbs first;
        for (simd_path path : {simd_path::sse2, simd_path::avx2, simd_path::avx512}) {
          if (!simd_path_supported(path)) continue;
          select_simd_path(path);
          rounding_margin margin;
          Limbs out = X;
          if (c.kind == newton_kind::inverse_root) inv_sqrt(X.data(), out.data(), T.data(), n, W.data(), &margin);
          if (c.kind == newton_kind::square_root) square_root(out.data(), Y.data(), T.data(), n, W.data(), &margin);
          if (c.kind == newton_kind::reciprocal) reciprocal(X.data(), out.data(), T.data(), n, W.data(), &margin);
          if (first.empty())
            first = out;
          else
            EXPECT_EQ(out, first) << simd_path_name(path) << ", n = " << n << ", X[0] = " << X[0];
        }
        select_simd_path(best_simd_path());
        EXPECT_TRUE(is_normalised(first.data(), n + 4)) << "n = " << n << ", X[0] = " << X[0];
        const double err = std::fabs(newton_error_units(X, first, c.kind));
        const int k = static_cast<int>(c.kind);
        worst[k] = std::max(worst[k], err);
        EXPECT_LE(err, c.kind == newton_kind::square_root ? kSquareRootBoundUnits : kNewtonBoundUnits)
            << "kind " << k << ", n = " << n << ", X[0] = " << X[0];
      }
    }
  }
  std::printf("largest error in units of limb n+3: inv_sqrt %.1f, square_root %.1f, reciprocal %.1f\n", worst[0],
              worst[1], worst[2]);
}
