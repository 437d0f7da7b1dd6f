// The arithmetic of the 16- and 8-point kernels (kernels.h), one body for every vector width.
//
// A vector V of P points holds the same point of P different blocks, one block per point position, so
// one pass of the body transforms P blocks at once with, lane by lane, exactly the operations (and the
// doubles) of the one-block kernel. kernels.cpp runs it with P = 1; the per-path leaf code runs it on
// groups of blocks of one kind, moving their points into and out of that layout with lane moves only.
//
// The split-radix decimation in frequency, written out down to single points: a plain block of L
// points splits into its even-index outputs X_2k (the plain transform of e_j = x_j + x_{j+L/2}) and its
// odd-index outputs X_4k+1, X_4k+3 (plain transforms of L/4 points of (d_j +- i d_{j+L/4}) w^j and
// w^3j, d_j = x_j - x_{j+L/2}, w = e^{2 pi i/L}). A shifted block goes through the shifted butterfly
// below and splits into plain, shifted, plain, shifted quarters. Written in bit-reversed output order,
// each of these parts lands in consecutive points.
#pragma once
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
  return add_negated_re(lane_info<V>::splat(c) * z, lane_info<V>::splat(s) * lane_info<V>::swap_pairs(z));
}

// y[0..3] := V_0, V_2, V_1, V_3 with V_k = sum_j v_j i^{jk} (plain, bit-reversed). 16 additions.
template <class V>
inline void plain4(V* y, V v0, V v1, V v2, V v3) {
  const V s02 = add(v0, v2), d02 = sub(v0, v2);
  const V s13 = add(v1, v3), d13 = sub(v1, v3);
  y[0] = add(s02, s13);
  y[1] = sub(s02, s13);
  y[2] = add_i(d02, d13);
  y[3] = sub_i(d02, d13);
}

// y[0..3] := Y_0, Y_2, Y_1, Y_3 with Y_k = sum_j v_j e^{2 pi i j(k + 1/2)/4} = sum_j v_j rho^j i^{jk}
// (shifted, bit-reversed). Since rho^2 = i: Y_0, Y_2 = (v0 + i v2) +- rho (v1 + i v3) and
// Y_1, Y_3 = (v0 - i v2) +- rho^3 (v1 - i v3). 4 multiplications, 20 additions.
template <class V>
inline void shifted4(V* y, V v0, V v1, V v2, V v3) {
  const V u = add_i(v0, v2), u_minus = sub_i(v0, v2);
  const V v = mul_rho(add_i(v1, v3)), v_minus = mul_rho3(sub_i(v1, v3));
  y[0] = add(u, v);
  y[1] = sub(u, v);
  y[2] = add(u_minus, v_minus);
  y[3] = sub(u_minus, v_minus);
}

// y[0..7] := the plain 8-point transform of x[0..7] in bit-reversed order. 4 multiplications,
// 52 additions.
template <class V>
inline void plain8(const V* x, V* y) {
  const V d0 = sub(x[0], x[4]), d1 = sub(x[1], x[5]), d2 = sub(x[2], x[6]), d3 = sub(x[3], x[7]);
  // X_1, X_5 = u +- rho v and X_3, X_7 = u' +- rho^3 v' (the 2-point transforms of the odd part).
  const V u = add_i(d0, d2), v = mul_rho(add_i(d1, d3));
  const V u_minus = sub_i(d0, d2), v_minus = mul_rho3(sub_i(d1, d3));
  y[4] = add(u, v);
  y[5] = sub(u, v);
  y[6] = add(u_minus, v_minus);
  y[7] = sub(u_minus, v_minus);
  plain4(y, add(x[0], x[4]), add(x[1], x[5]), add(x[2], x[6]), add(x[3], x[7]));
}

// The shifted butterfly of one p (x_t the point p + t Q of the block, Q = L/4), with
// u = x0 + i x2, v = x1 + i x3, u' = x0 - i x2, v' = x1 - i x3:
//   q0, q1 = alpha u +- (rho alpha) v,   q2, q3 = alpha^3 u' +- (rho^3 alpha^3) v'.
// q0 and q2 belong to plain quarters, q1 and q3 to shifted ones. The four multipliers (given as the
// angles' cos, sin) are constants here; at p = 0 they are 1, rho, 1, rho^3, handled by
// shifted_butterfly_0.
template <class V>
struct butterfly_out {
  V q0, q1, q2, q3;
};

struct shifted_constants {
  double alpha[2], rho_alpha[2], alpha3[2], rho3_alpha3[2];
};

template <class V>
inline butterfly_out<V> shifted_butterfly(V x0, V x1, V x2, V x3, const shifted_constants& c) {
  const V u = mul_const(c.alpha[0], c.alpha[1], add_i(x0, x2));
  const V v = mul_const(c.rho_alpha[0], c.rho_alpha[1], add_i(x1, x3));
  const V u_minus = mul_const(c.alpha3[0], c.alpha3[1], sub_i(x0, x2));
  const V v_minus = mul_const(c.rho3_alpha3[0], c.rho3_alpha3[1], sub_i(x1, x3));
  return {add(u, v), sub(u, v), add(u_minus, v_minus), sub(u_minus, v_minus)};
}

template <class V>
inline butterfly_out<V> shifted_butterfly_0(V x0, V x1, V x2, V x3) {
  const V u = add_i(x0, x2), v = mul_rho(add_i(x1, x3));
  const V u_minus = sub_i(x0, x2), v_minus = mul_rho3(sub_i(x1, x3));
  return {add(u, v), sub(u, v), add(u_minus, v_minus), sub(u_minus, v_minus)};
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
  // Butterflies p = 0..3 with alpha = e^{i pi p/16}; the multipliers alpha, rho alpha, alpha^3,
  // rho^3 alpha^3 have the angles (pi/16) times (p, p + 4, 3p, 3p + 12).
  const butterfly_out<V> b0 = shifted_butterfly_0(x[0], x[4], x[8], x[12]);
  const butterfly_out<V> b1 = shifted_butterfly(
      x[1], x[5], x[9], x[13],
      {{cos_pi_16, sin_pi_16}, {sin_3pi_16, cos_3pi_16}, {cos_3pi_16, sin_3pi_16}, {-cos_pi_16, sin_pi_16}});
  const butterfly_out<V> b2 = shifted_butterfly(
      x[2], x[6], x[10], x[14],
      {{cos_pi_8, sin_pi_8}, {sin_pi_8, cos_pi_8}, {sin_pi_8, cos_pi_8}, {-cos_pi_8, -sin_pi_8}});
  const butterfly_out<V> b3 = shifted_butterfly(x[3], x[7], x[11], x[15],
                                                {{cos_3pi_16, sin_3pi_16},
                                                 {sin_pi_16, cos_pi_16},
                                                 {-sin_pi_16, cos_pi_16},
                                                 {-sin_3pi_16, -cos_3pi_16}});

  plain4(y, b0.q0, b1.q0, b2.q0, b3.q0);
  shifted4(y + 4, b0.q1, b1.q1, b2.q1, b3.q1);
  plain4(y + 8, b0.q2, b1.q2, b2.q2, b3.q2);
  shifted4(y + 12, b0.q3, b1.q3, b2.q3, b3.q3);
}

}  // namespace
