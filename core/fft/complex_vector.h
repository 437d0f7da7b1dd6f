// The operations of complex_ops.h on `complex_vector`, a point held in one 16-byte vector (lane 0 the
// real part, lane 1 the imaginary part), so that both parts are computed by one instruction. The stages
// use it in their hot loops.
// Lane-wise arithmetic is the IEEE arithmetic of each lane, and every operation below yields exactly the
// doubles of the scalar formula in its comment, which is that of complex_ops.h: x - y is computed as
// x + (-y), the same double, and the only other changes are exact sign flips. No fused multiply-add.
// (Vector extension of GCC, the compiler of both builds.)
#pragma once
#include <cstdint>
#include <cstring>

#include "core/fft/complex_ops.h"

typedef double complex_vector __attribute__((vector_size(16)));
typedef int64_t complex_vector_bits __attribute__((vector_size(16)));

inline double re(complex_vector z) { return z[0]; }
inline double im(complex_vector z) { return z[1]; }
inline complex_vector both(double x) { return complex_vector{x, x}; }

// (-x, y) and (x, -y) = conj(z): sign flips, exact.
inline complex_vector negate_re(complex_vector z) {
  return (complex_vector)((complex_vector_bits)z ^ complex_vector_bits{INT64_MIN, 0});
}
inline complex_vector conj(complex_vector z) {
  return (complex_vector)((complex_vector_bits)z ^ complex_vector_bits{0, INT64_MIN});
}

// Point p of the array, which may have any alignment of a double (the copies are single vector moves).
inline complex_vector load_vector(const double* a, int32_t p) {
  complex_vector z;
  std::memcpy(&z, a + 2 * p, sizeof z);
  return z;
}
inline void store_vector(double* a, int32_t p, complex_vector z) { std::memcpy(a + 2 * p, &z, sizeof z); }

inline complex_vector add(complex_vector x, complex_vector y) { return x + y; }
inline complex_vector sub(complex_vector x, complex_vector y) { return x - y; }

// (x, y) -> (y, x) and (x, y) -> (-y, -x).
inline complex_vector swap_parts(complex_vector z) { return __builtin_shuffle(z, complex_vector_bits{1, 0}); }
inline complex_vector swap_parts_neg(complex_vector z) { return -swap_parts(z); }

// i z = (-y, x)
inline complex_vector mul_i(complex_vector z) { return negate_re(swap_parts(z)); }

// x + i y = (x.re - y.im, x.im + y.re) and x - i y = (x.re + y.im, x.im - y.re).
inline complex_vector add_i(complex_vector x, complex_vector y) { return x + mul_i(y); }
inline complex_vector sub_i(complex_vector x, complex_vector y) { return x - mul_i(y); }

// w z = (w.re z.re - w.im z.im, w.re z.im + w.im z.re)
inline complex_vector mul(complex_vector w, complex_vector z) { return both(re(w)) * z + both(im(w)) * mul_i(z); }

// rho z = (r (x - y), r (x + y)) and rho^3 z = (-r (x + y), r (x - y)).
inline complex_vector mul_rho(complex_vector z) { return both(cos_pi_4) * (both(re(z)) + negate_re(both(im(z)))); }
inline complex_vector mul_rho3(complex_vector z) {
  return complex_vector{-cos_pi_4, cos_pi_4} * (both(re(z)) + conj(both(im(z))));
}

// Triple angle, t = 4 y x: (x - t y, t x - y).
inline complex_vector triple_angle(complex_vector f) {
  const double t = 4.0 * im(f) * re(f);
  return conj(f) + both(t) * mul_i(f);
}

// f_{p+1} = f_{p-1} + i sigma f_p = (re f_{p-1} - sigma im f_p, im f_{p-1} + sigma re f_p).
inline complex_vector next_factor(complex_vector f_before, double sigma, complex_vector f) {
  return f_before + both(sigma) * mul_i(f);
}

// A twiddle factor w held spread as (both(re w), both(im w)): products w z = re(w) z + im(w) (i z) need
// no shuffle of w, the recurrence steps both copies lane by lane (each lane computing the scalar formula),
// and the mirrored factors (y, x) and (-y, -x) only exchange, or negate, the two vectors.
struct spread_factor {
  complex_vector re, im;
};
inline spread_factor spread(complex_vector w) { return {both(re(w)), both(im(w))}; }
inline complex_vector mul(const spread_factor& w, complex_vector z) { return w.re * z + w.im * mul_i(z); }
inline spread_factor next_factor(const spread_factor& f_before, complex_vector sigma, const spread_factor& f) {
  return {f_before.re - sigma * f.im, f_before.im + sigma * f.re};
}
inline spread_factor swap_parts(const spread_factor& f) { return {f.im, f.re}; }
inline spread_factor swap_parts_neg(const spread_factor& f) { return {-f.im, -f.re}; }
