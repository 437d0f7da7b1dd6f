// The transforms' own roots of unity against MPFR: every root of 2^20 points (which are also all the
// roots of the smaller sizes, unit_root(k, N) being unit_root(2k, 2N) step for step), and random roots
// of 2^21 to 2^52 points, each part within 0.6 ulp of the exact value; the parts known exactly
// (0, +-1, +-sqrt(1/2)) are the nearest doubles.
#include <gtest/gtest.h>
#include <mpfr.h>

#include <cmath>
#include <random>

#include "core/fft/unit_root.h"
#include "tests/support/test_seed.h"

namespace {

struct root_error {
  double worst_ulps = 0;
  int64_t worst_k = 0, worst_points = 0;
};

// |got - exact| in units of the last place of the exact value (its binade's spacing); an exact zero
// must come out as +0.
double ulps_from(double got, const mpfr_t exact, mpfr_t scratch) {
  if (mpfr_zero_p(exact)) return got == 0 && !std::signbit(got) ? 0.0 : INFINITY;
  mpfr_sub_d(scratch, exact, got, MPFR_RNDN);
  const long exponent = mpfr_get_exp(exact);  // exact = f 2^exponent, 1/2 <= |f| < 1
  return std::fabs(std::ldexp(mpfr_get_d(scratch, MPFR_RNDN), 53 - static_cast<int>(exponent)));
}

class exact_roots {
 public:
  exact_roots() { mpfr_inits2(160, angle, c, s, scratch, static_cast<mpfr_ptr>(nullptr)); }
  ~exact_roots() { mpfr_clears(angle, c, s, scratch, static_cast<mpfr_ptr>(nullptr)); }
  void check(int64_t k, int64_t points, root_error* e) {
    mpfr_const_pi(angle, MPFR_RNDN);
    mpfr_mul_2ui(angle, angle, 1, MPFR_RNDN);
    mpfr_mul_ui(angle, angle, static_cast<unsigned long>(k), MPFR_RNDN);
    mpfr_div_ui(angle, angle, static_cast<unsigned long>(points), MPFR_RNDN);
    // 2 pi k/points is exact to 160 bits; the multiples of a quarter turn are set exactly.
    if ((4 * k) % points == 0) {
      const int quarter = static_cast<int>((4 * k / points) % 4);
      mpfr_set_si(c, quarter == 0 ? 1 : quarter == 2 ? -1 : 0, MPFR_RNDN);
      mpfr_set_si(s, quarter == 1 ? 1 : quarter == 3 ? -1 : 0, MPFR_RNDN);
    } else {
      mpfr_sin_cos(s, c, angle, MPFR_RNDN);
    }
    const complex_value z = unit_root(k, points);
    for (double u : {ulps_from(z.re, c, scratch), ulps_from(z.im, s, scratch)})
      if (!(u <= e->worst_ulps)) *e = {u, k, points};
    if ((8 * k) % points == 0) {  // an eighth turn: the parts are the nearest doubles
      EXPECT_EQ(mpfr_get_d(c, MPFR_RNDN), z.re) << k << "/" << points;
      EXPECT_EQ(mpfr_get_d(s, MPFR_RNDN), z.im) << k << "/" << points;
    }
  }

 private:
  mpfr_t angle, c, s, scratch;
};

TEST(UnitRoot, WithinSixTenthsOfAnUlpOfMpfr) {
  exact_roots exact;
  root_error every, random;
  constexpr int64_t points = int64_t{1} << 20;
  for (int64_t k = 0; k < points; ++k) exact.check(k, points, &every);
  std::mt19937_64 gen(test_seed());
  for (int bits = 21; bits <= 52; ++bits)
    for (int i = 0; i < 4096; ++i) {
      const int64_t n = int64_t{1} << bits;
      exact.check(static_cast<int64_t>(gen() % static_cast<uint64_t>(n)), n, &random);
    }
  std::printf("largest errors: %.3f ulp (%lld/%lld, every root of 2^20), %.3f ulp (%lld/%lld, random)\n",
              every.worst_ulps, static_cast<long long>(every.worst_k),
              static_cast<long long>(every.worst_points), random.worst_ulps,
              static_cast<long long>(random.worst_k), static_cast<long long>(random.worst_points));
  EXPECT_LE(every.worst_ulps, 0.6);
  EXPECT_LE(random.worst_ulps, 0.6);
}

}  // namespace
