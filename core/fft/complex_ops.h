// Complex values and the few operations the radix-4 butterflies are written in.
// A point of an array is z_j = a[2j] + i a[2j+1]; `complex_value` is that pair held in registers.
// Every operation is written out so that the same doubles come from every build (no contraction).
#pragma once
#include <cstdint>

struct complex_value {
  double re;
  double im;
};

// Doubles nearest to the constants the stages use.
constexpr double half_pi = 1.5707963267948966;      // pi/2
constexpr double cos_pi_4 = 0.70710678118654752440; // r = cos(pi/4) = sin(pi/4)
constexpr double cos_pi_8 = 0.92387953251128675613; // C8
constexpr double sin_pi_8 = 0.38268343236508977173; // S8

inline complex_value load_point(const double* a, int32_t p) { return {a[2 * p], a[2 * p + 1]}; }

// The point read as its complex conjugate (first stage of the backward transform).
inline complex_value load_point_conj(const double* a, int32_t p) { return {a[2 * p], -a[2 * p + 1]}; }

inline void store_point(double* a, int32_t p, complex_value z) {
  a[2 * p] = z.re;
  a[2 * p + 1] = z.im;
}

inline complex_value add(complex_value x, complex_value y) { return {x.re + y.re, x.im + y.im}; }
inline complex_value sub(complex_value x, complex_value y) { return {x.re - y.re, x.im - y.im}; }

// x + i y and x - i y.
inline complex_value add_i(complex_value x, complex_value y) { return {x.re - y.im, x.im + y.re}; }
inline complex_value sub_i(complex_value x, complex_value y) { return {x.re + y.im, x.im - y.re}; }

// w z
inline complex_value mul(complex_value w, complex_value z) {
  return {w.re * z.re - w.im * z.im, w.re * z.im + w.im * z.re};
}

// rho z and rho^3 z with rho = e^{i pi/4} = r (1 + i): only multiplications by r.
inline complex_value mul_rho(complex_value z) { return {cos_pi_4 * (z.re - z.im), cos_pi_4 * (z.re + z.im)}; }
inline complex_value mul_rho3(complex_value z) { return {-cos_pi_4 * (z.re + z.im), cos_pi_4 * (z.re - z.im)}; }

// (x, y) -> (y, x) = i conj(z): the factor at angle pi/2 - beta from the one at beta.
inline complex_value swap_parts(complex_value z) { return {z.im, z.re}; }
// (x, y) -> (-y, -x) = -i conj(z): the factor at angle 3 pi/2 - beta from the one at beta.
inline complex_value swap_parts_neg(complex_value z) { return {-z.im, -z.re}; }

// Triple angle: (cos b, sin b) -> (cos 3b, sin 3b), with t = 4 sin b cos b:
// cos 3b = cos b - t sin b = cos b (1 - 4 sin^2 b), sin 3b = t cos b - sin b = sin b (4 cos^2 b - 1).
inline complex_value triple_angle(complex_value f) {
  const double t = 4.0 * f.im * f.re;
  return {f.re - t * f.im, t * f.re - f.im};
}

// Three-term recurrence f_{p+1} = f_{p-1} + i sigma f_p, sigma = 2 sin b for factors e^{i b p}:
// exactly e^{ib(p+1)} = e^{ib(p-1)} + 2i sin b e^{ibp}.
inline complex_value next_factor(complex_value f_before, double sigma, complex_value f) {
  return {f_before.re - sigma * f.im, f_before.im + sigma * f.re};
}
