#include "core/fft/unit_root.h"

namespace {

// pi/4 = quarter_pi_1 + quarter_pi_2 + quarter_pi_3 to about 2^-108: the first two with 25 significant
// bits each (together the double nearest to pi/4), the third the double nearest to the rest. A
// multiple q of 2^-28 below 1 has at most 28 significant bits, so q quarter_pi_1 and q quarter_pi_2
// are exact.
constexpr double quarter_pi_1 = 0x1.921fb5p-1;
constexpr double quarter_pi_2 = 0x1.110b46p-27;
constexpr double quarter_pi_3 = 0x1.1a62633145c07p-55;
static_assert(quarter_pi_1 + quarter_pi_2 == 0x1.921fb54442d18p-1, "the double nearest to pi/4");

// a = hi + lo exactly, each half with at most 26 significant bits (Dekker's split), so that the
// products of halves below are exact. No fused multiply-add is involved anywhere (-ffp-contract=off).
struct split_double {
  double hi, lo;
};
inline split_double split(double a) {
  const double c = 134217729.0 * a;  // 2^27 + 1
  const double hi = c - (c - a);
  return {hi, a - hi};
}

// a b = p + e exactly (Dekker's product), for |a b| far from overflow and underflow.
struct exact_product {
  double p, e;
};
inline exact_product multiply_exactly(double a, double b) {
  const split_double x = split(a), y = split(b);
  const double p = a * b;
  const double e = ((x.hi * y.hi - p) + x.hi * y.lo + x.lo * y.hi) + x.lo * y.lo;
  return {p, e};
}

// -1/6 = minus_sixth_hi + minus_sixth_lo to about 2^-110, the leading coefficient of the sine's series.
constexpr double minus_sixth_hi = -0x1.5555555555555p-3;
constexpr double minus_sixth_lo = -0x1.5555555555555p-57;
static_assert(minus_sixth_hi == -1.0 / 6, "the double nearest to -1/6");

// The Taylor coefficients of sin x = x - x^3/6 + x^5 S(x^2) and cos x = 1 - x^2/2 + x^4 C(x^2), each
// the double nearest to +-1/m! (the factorials are exact doubles, the quotients correctly rounded).
// For |x| <= pi/4 the first omitted terms, x^19/19! and x^20/20!, are below 10^-19.
constexpr double factorial(int m) { return m <= 1 ? 1.0 : m * factorial(m - 1); }
constexpr double sine_series[] = {1 / factorial(5),  -1 / factorial(7),  1 / factorial(9), -1 / factorial(11),
                                  1 / factorial(13), -1 / factorial(15), 1 / factorial(17)};
constexpr double cosine_series[] = {1 / factorial(4),   -1 / factorial(6), 1 / factorial(8),
                                    -1 / factorial(10), 1 / factorial(12), -1 / factorial(14),
                                    1 / factorial(16),  -1 / factorial(18)};

template <int Terms>
inline double series(const double (&c)[Terms], double z) {
  double r = c[Terms - 1];
  for (int j = Terms - 2; j >= 0; --j) r = c[j] + z * r;
  return r;
}

// cos x and sin x for x = xh + xl, 0 <= x <= pi/4 (|xl| <= ulp(xh)), z = xh^2 = zh + zl exactly.
// Each is a leading sum formed exactly (hi + err) plus corrections of at most 0.016 of the result:
//   sin x = (xh + ph) + (eh - xh^3/6 - ph + xh z^2 S(z) + xl (1 - z/2)),   ph + eh ~ -xh^3/6,
//   cos x = w + ((1 - w) - zh/2) + (-zl/2 + z^2 C(z) - xh xl),            w = 1 - zh/2,
// with (xh - (xh + ph)) + ph and (1 - w) - zh/2 the exact errors of the leading sums. The
// corrections carry a relative error of a few units of 2^-53, below 0.06 ulp of the result; the
// one final rounding adds 0.5 ulp.
complex_value first_octant(double xh, double xl) {
  const exact_product z = multiply_exactly(xh, xh);
  // -xh^3/6 = ph + eh to about 2^-100 of itself: xh zh = c + ce exactly, then (c + ce')(-1/6).
  const exact_product cube = multiply_exactly(xh, z.p);
  const double cube_lo = cube.e + xh * z.e;
  const exact_product p = multiply_exactly(cube.p, minus_sixth_hi);
  const double p_lo = p.e + (cube_lo * minus_sixth_hi + cube.p * minus_sixth_lo);
  const double sine_hi = xh + p.p;
  const double sine_lo =
      ((xh - sine_hi) + p.p) + (p_lo + (cube.p * z.p * series(sine_series, z.p) + xl * (1.0 - 0.5 * z.p)));
  const double half_z = 0.5 * z.p;
  const double w = 1.0 - half_z;
  const double cosine_lo =
      ((1.0 - w) - half_z) + ((z.p * z.p * series(cosine_series, z.p) - 0.5 * z.e) - xh * xl);
  return {w + cosine_lo, sine_hi + sine_lo};
}

}  // namespace

complex_value unit_root(int64_t k, int64_t points) {
  // The turn k/points in eighths: octant o = floor(8k/points), and the angle x into the octant,
  // measured from its nearer edge on the side that keeps x in [0, pi/4]:
  //   x = pi/4 * m/points,  m = 8k mod points, or points - that in the odd octants.
  // points = 2^bits, so the divisions are shifts and masks.
  const int bits = __builtin_ctzll(static_cast<unsigned long long>(points));
  const int64_t eighths = (k & (points - 1)) << 3;
  const int64_t octant = eighths >> bits;
  int64_t m = eighths & (points - 1);
  if (octant & 1) m = points - m;
  // x = q pi/4 with q = m/points exact: xh + xl to about 2^-100 x. The two leading products are exact
  // (points <= 2^28), and so is the error of their sum (Fast2Sum: |q quarter_pi_1| >= |q quarter_pi_2|).
  const double q = static_cast<double>(m) / static_cast<double>(points);
  const double x1 = q * quarter_pi_1, x2 = q * quarter_pi_2;
  const double xh = x1 + x2;
  const complex_value r = first_octant(xh, ((x1 - xh) + x2) + q * quarter_pi_3);
  // 0.0 - v rather than -v, so that a zero part is +0 in every octant.
  const double c = r.re, s = r.im;
  switch (octant) {                     // angle o pi/4 +- x
    case 0: return {c, s};              // x
    case 1: return {s, c};              // pi/2 - x
    case 2: return {0.0 - s, c};        // pi/2 + x
    case 3: return {0.0 - c, s};        // pi - x
    case 4: return {0.0 - c, 0.0 - s};  // pi + x
    case 5: return {0.0 - s, 0.0 - c};  // 3 pi/2 - x
    case 6: return {s, 0.0 - c};        // 3 pi/2 + x
    default: return {c, 0.0 - s};       // 2 pi - x
  }
}
