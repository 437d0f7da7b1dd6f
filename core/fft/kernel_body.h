// The fixed-size kernels: straight-line code, no loop, no table, no trigonometric call, one body for
// every vector width.
//
// A block holds L points z_j = a[2j] + i a[2j+1], j = 0..L-1. The kernels compute
//   plain block:    X_k = sum_j z_j e^{+2 pi i jk/L}
//   shifted block:  Y_k = sum_j z_j e^{+2 pi i j(k + 1/2)/L}  (the plain transform of z_j e^{+i pi j/L})
// with no scaling. The 16- and 8-point kernels leave the value for index k at point r_L(k), r_L
// reversing the log2 L bits of k:
//   L = 16: points 0..15 hold X_0 X_8 X_4 X_12 X_2 X_10 X_6 X_14 X_1 X_9 X_5 X_13 X_3 X_11 X_7 X_15,
//   L = 8:  points 0..7  hold X_0 X_4 X_2 X_6 X_1 X_5 X_3 X_7.
// The 4- and 2-point kernels leave their results in natural order. The only multipliers are the doubles
// nearest to cos(pi/4), cos(pi/8), sin(pi/8), cos(pi/16), sin(pi/16), cos(3 pi/16) and sin(3 pi/16).
//
// A vector V of P points holds the same point of P different blocks, one block per point position, so
// one pass of the body transforms P blocks at once with, lane by lane, exactly the operations (and the
// doubles) of the one-block kernel. The transforms of 8 to 32 doubles run it with P = 1 (kernel_on_block);
// the leaf code runs it on groups of blocks of one kind, moving their points into and out of that layout
// with lane moves only.
//
// The split-radix decimation in frequency, written out down to single points: a plain block of L
// points splits into its even-index outputs X_2k (the plain transform of e_j = x_j + x_{j+L/2}) and its
// odd-index outputs X_4k+1, X_4k+3 (plain transforms of L/4 points of (d_j +- i d_{j+L/4}) w^j and
// w^3j, d_j = x_j - x_{j+L/2}, w = e^{2 pi i/L}). A shifted block goes through the shifted butterfly
// and splits into plain, shifted, plain, shifted quarters. Written in bit-reversed output order, each
// of these parts lands in consecutive points.
#pragma once
#include "core/fft/butterfly_body.h"
#include "core/fft/complex_vector.h"

namespace {

// The doubles nearest to the angles of sixteenths (22 significant digits, correctly rounded by the
// compiler); cos(pi/4), cos(pi/8) and sin(pi/8) come with the complex operations.
constexpr double cos_pi_16 = 0.9807852804032304491262;   // cos(pi/16) = sin(7 pi/16)
constexpr double sin_pi_16 = 0.1950903220161282678483;   // sin(pi/16) = cos(7 pi/16)
constexpr double cos_3pi_16 = 0.8314696123025452370788;  // cos(3 pi/16) = sin(5 pi/16)
constexpr double sin_3pi_16 = 0.5555702330196022247428;  // sin(3 pi/16) = cos(5 pi/16)

// (c + i s) z: the product by a constant, as mul does it for a spread factor.
template <class V>
inline V mul_const(double c, double s, V z) {
  return mul(spread_constant<V>(c, s), z);
}

template <class V>
inline void put(V* y, const quartet<V>& q) {
  y[0] = q.q0;
  y[1] = q.q1;
  y[2] = q.q2;
  y[3] = q.q3;
}

// y[0..3] := V_0, V_2, V_1, V_3 with V_k = sum_j v_j i^{jk}: the plain 4-point transform, bit-reversed,
// which is the plain butterfly with unit factors. 16 additions.
template <class V>
inline void plain4(V* y, V v0, V v1, V v2, V v3) {
  put(y, plain_butterfly(v0, v1, v2, v3, unit_plain_factors{}));
}

// y[0..3] := Y_0, Y_2, Y_1, Y_3 with Y_k = sum_j v_j e^{2 pi i j(k + 1/2)/4} = sum_j v_j rho^j i^{jk}
// (shifted, bit-reversed): since rho^2 = i, the shifted butterfly with the factors of p = 0.
// 4 multiplications, 20 additions.
template <class V>
inline void shifted4(V* y, V v0, V v1, V v2, V v3) {
  put(y, shifted_butterfly(v0, v1, v2, v3, unit_shifted_factors{}));
}

// y[0..7] := the plain 8-point transform of x[0..7] in bit-reversed order. 4 multiplications,
// 52 additions.
template <class V>
inline void plain8(const V* x, V* y) {
  // X_1, X_5 = u +- rho v and X_3, X_7 = u' +- rho^3 v' with u = d0 + i d2, v = d1 + i d3,
  // u' = d0 - i d2, v' = d1 - i d3: the 2-point transforms of the odd part, a shifted butterfly.
  shifted4(y + 4, sub(x[0], x[4]), sub(x[1], x[5]), sub(x[2], x[6]), sub(x[3], x[7]));
  plain4(y, add(x[0], x[4]), add(x[1], x[5]), add(x[2], x[6]), add(x[3], x[7]));
}

// y[0..15] := the plain 16-point transform of x[0..15], bit-reversed. 24 multiplications, 144 additions.
template <class V>
inline void kernel16_plain_points(const V* x, V* y) {
  V d[8];
  for (int j = 0; j < 8; ++j) d[j] = sub(x[j], x[j + 8]);

  // X_4k+1 (y[8..11]): the 4-point transform of (d_j + i d_{j+4}) w^j, w = e^{i pi/8}.
  plain4(y + 8, add_i(d[0], d[4]), mul_const(cos_pi_8, sin_pi_8, add_i(d[1], d[5])),
         mul_rho(add_i(d[2], d[6])), mul_const(sin_pi_8, cos_pi_8, add_i(d[3], d[7])));

  // X_4k+3 (y[12..15]): the same of (d_j - i d_{j+4}) w^3j; w^3 = e^{3i pi/8}, w^6 = rho^3,
  // w^9 = -e^{i pi/8}.
  plain4(y + 12, sub_i(d[0], d[4]), mul_const(sin_pi_8, cos_pi_8, sub_i(d[1], d[5])),
         mul_rho3(sub_i(d[2], d[6])), mul_const(-cos_pi_8, -sin_pi_8, sub_i(d[3], d[7])));

  // X_2k (y[0..7]): the 8-point transform of x_j + x_{j+8}.
  V e[8];
  for (int j = 0; j < 8; ++j) e[j] = add(x[j], x[j + 8]);
  plain8(e, y);
}

// y[0..15] := the shifted 16-point transform of x[0..15], bit-reversed. 60 multiplications,
// 164 additions.
template <class V>
inline void kernel16_shifted_points(const V* x, V* y) {
  // Butterflies p = 0..3 of the quarters of 4 points with alpha = e^{i pi p/16}; the multipliers alpha,
  // rho alpha, alpha^3, rho^3 alpha^3 have the angles (pi/16) times (p, p + 4, 3p, 3p + 12).
  const auto constants = [](double ac, double as, double rc, double rs, double bc, double bs, double qc,
                            double qs) {
    return spread_shifted_factors<V>{spread_constant<V>(ac, as), spread_constant<V>(rc, rs),
                                     spread_constant<V>(bc, bs), spread_constant<V>(qc, qs)};
  };
  const quartet<V> b0 = shifted_butterfly(x[0], x[4], x[8], x[12], unit_shifted_factors{});
  const quartet<V> b1 = shifted_butterfly(
      x[1], x[5], x[9], x[13],
      constants(cos_pi_16, sin_pi_16, sin_3pi_16, cos_3pi_16, cos_3pi_16, sin_3pi_16, -cos_pi_16, sin_pi_16));
  const quartet<V> b2 = shifted_butterfly(
      x[2], x[6], x[10], x[14],
      constants(cos_pi_8, sin_pi_8, sin_pi_8, cos_pi_8, sin_pi_8, cos_pi_8, -cos_pi_8, -sin_pi_8));
  const quartet<V> b3 = shifted_butterfly(x[3], x[7], x[11], x[15],
                                          constants(cos_3pi_16, sin_3pi_16, sin_pi_16, cos_pi_16, -sin_pi_16,
                                                    cos_pi_16, -sin_3pi_16, -cos_3pi_16));

  plain4(y, b0.q0, b1.q0, b2.q0, b3.q0);
  shifted4(y + 4, b0.q1, b1.q1, b2.q1, b3.q1);
  plain4(y + 8, b0.q2, b1.q2, b2.q2, b3.q2);
  shifted4(y + 12, b0.q3, b1.q3, b2.q3, b3.q3);
}

// A kernel on the one block at a, each point in one 16-byte vector: every input is read before the
// first output is written.
template <int Points, class Body>
inline void kernel_on_block(double* a, Body body) {
  complex_vector x[Points], y[Points];
  for (int j = 0; j < Points; ++j) x[j] = load_vector(a, j);
  body(x, y);
  for (int j = 0; j < Points; ++j) store_vector(a, j, y[j]);
}

// The 4-point transform with e^{+-2 pi i jk/4} in natural order: with u = z0 + z2, u' = z0 - z2,
// v = z1 + z3, v' = z1 - z3 it is (u + v, u' +- i v', u - v, u' -+ i v'); the backward one exchanges
// points 1 and 3. 16 additions.
template <bool Backward>
inline void kernel4(double* a) {
  const complex_vector z0 = load_vector(a, 0), z1 = load_vector(a, 1), z2 = load_vector(a, 2),
                       z3 = load_vector(a, 3);
  const complex_vector u = add(z0, z2), u_diff = sub(z0, z2), v = add(z1, z3), v_diff = sub(z1, z3);
  store_vector(a, 0, add(u, v));
  store_vector(a, Backward ? 3 : 1, add_i(u_diff, v_diff));
  store_vector(a, 2, sub(u, v));
  store_vector(a, Backward ? 1 : 3, sub_i(u_diff, v_diff));
}

// 2 points: (z0, z1) := (z0 + z1, z0 - z1), its own inverse up to 2.
inline void kernel2(double* a) {
  const complex_vector z0 = load_vector(a, 0), z1 = load_vector(a, 1);
  store_vector(a, 0, add(z0, z1));
  store_vector(a, 1, sub(z0, z1));
}

}  // namespace
