// Fixed-size kernels: the split-radix decimation in frequency written out down to single points.
//
// A plain block of L points splits into its even-index outputs X_2k (the plain transform of
// e_j = x_j + x_{j+L/2}) and its odd-index outputs X_4k+1, X_4k+3 (plain transforms of L/4 points of
// (d_j +- i d_{j+L/4}) w^j and w^3j, d_j = x_j - x_{j+L/2}, w = e^{2 pi i/L}). A shifted block goes
// through the shifted butterfly below and splits into plain, shifted, plain, shifted quarters.
// Written in bit-reversed output order, each of these parts lands in consecutive points.
// Each point is held in one 16-byte vector (complex_vector.h), both parts computed by one instruction;
// its operations give exactly the doubles of the scalar formulas of complex_ops.h.
#include "core/fft/kernels.h"

#include "core/fft/complex_vector.h"

namespace {

// The doubles nearest to the angles of sixteenths (22 significant digits, correctly rounded by the
// compiler); cos(pi/4), cos(pi/8) and sin(pi/8) come with the complex operations.
constexpr double cos_pi_16 = 0.9807852804032304491262;   // cos(pi/16) = sin(7 pi/16)
constexpr double sin_pi_16 = 0.1950903220161282678483;   // sin(pi/16) = cos(7 pi/16)
constexpr double cos_3pi_16 = 0.8314696123025452370788;  // cos(3 pi/16) = sin(5 pi/16)
constexpr double sin_3pi_16 = 0.5555702330196022247428;  // sin(3 pi/16) = cos(5 pi/16)

// Points p..p+3 := V_0, V_2, V_1, V_3 with V_k = sum_j v_j i^{jk} (plain, bit-reversed). 16 additions.
void store_plain4(double* a, int p, complex_vector v0, complex_vector v1, complex_vector v2,
                  complex_vector v3) {
  const complex_vector s02 = add(v0, v2), d02 = sub(v0, v2);
  const complex_vector s13 = add(v1, v3), d13 = sub(v1, v3);
  store_vector(a, p, add(s02, s13));
  store_vector(a, p + 1, sub(s02, s13));
  store_vector(a, p + 2, add_i(d02, d13));
  store_vector(a, p + 3, sub_i(d02, d13));
}

// Points p..p+3 := Y_0, Y_2, Y_1, Y_3 with Y_k = sum_j v_j e^{2 pi i j(k + 1/2)/4} = sum_j v_j rho^j i^{jk}
// (shifted, bit-reversed). Since rho^2 = i: Y_0, Y_2 = (v0 + i v2) +- rho (v1 + i v3) and
// Y_1, Y_3 = (v0 - i v2) +- rho^3 (v1 - i v3). 4 multiplications, 20 additions.
void store_shifted4(double* a, int p, complex_vector v0, complex_vector v1, complex_vector v2,
                    complex_vector v3) {
  const complex_vector u = add_i(v0, v2), u_minus = sub_i(v0, v2);
  const complex_vector v = mul_rho(add_i(v1, v3)), v_minus = mul_rho3(sub_i(v1, v3));
  store_vector(a, p, add(u, v));
  store_vector(a, p + 1, sub(u, v));
  store_vector(a, p + 2, add(u_minus, v_minus));
  store_vector(a, p + 3, sub(u_minus, v_minus));
}

// Points 0..7 := the plain 8-point transform of x0..x7 in bit-reversed order. 4 multiplications,
// 52 additions.
void store_plain8(double* a, complex_vector x0, complex_vector x1, complex_vector x2, complex_vector x3,
                  complex_vector x4, complex_vector x5, complex_vector x6, complex_vector x7) {
  const complex_vector d0 = sub(x0, x4), d1 = sub(x1, x5), d2 = sub(x2, x6), d3 = sub(x3, x7);
  // X_1, X_5 = y +- rho z and X_3, X_7 = y' +- rho^3 z' (the 2-point transforms of the odd part).
  const complex_vector y = add_i(d0, d2), z = mul_rho(add_i(d1, d3));
  const complex_vector y_minus = sub_i(d0, d2), z_minus = mul_rho3(sub_i(d1, d3));
  store_vector(a, 4, add(y, z));
  store_vector(a, 5, sub(y, z));
  store_vector(a, 6, add(y_minus, z_minus));
  store_vector(a, 7, sub(y_minus, z_minus));
  store_plain4(a, 0, add(x0, x4), add(x1, x5), add(x2, x6), add(x3, x7));
}

// The shifted butterfly of one p (x_t the point p + t Q of the block, Q = L/4), with
// u = x0 + i x2, v = x1 + i x3, u' = x0 - i x2, v' = x1 - i x3:
//   q0, q1 = alpha u +- (rho alpha) v,   q2, q3 = alpha^3 u' +- (rho^3 alpha^3) v'.
// q0 and q2 belong to plain quarters, q1 and q3 to shifted ones. The four multipliers are constants
// here; at p = 0 they are 1, rho, 1, rho^3, handled by shifted_butterfly_0.
struct butterfly_out {
  complex_vector q0, q1, q2, q3;
};

butterfly_out shifted_butterfly(complex_vector x0, complex_vector x1, complex_vector x2, complex_vector x3,
                                complex_vector alpha, complex_vector rho_alpha, complex_vector alpha3,
                                complex_vector rho3_alpha3) {
  const complex_vector u = mul(alpha, add_i(x0, x2)), v = mul(rho_alpha, add_i(x1, x3));
  const complex_vector u_minus = mul(alpha3, sub_i(x0, x2)), v_minus = mul(rho3_alpha3, sub_i(x1, x3));
  return {add(u, v), sub(u, v), add(u_minus, v_minus), sub(u_minus, v_minus)};
}

butterfly_out shifted_butterfly_0(complex_vector x0, complex_vector x1, complex_vector x2,
                                  complex_vector x3) {
  const complex_vector u = add_i(x0, x2), v = mul_rho(add_i(x1, x3));
  const complex_vector u_minus = sub_i(x0, x2), v_minus = mul_rho3(sub_i(x1, x3));
  return {add(u, v), sub(u, v), add(u_minus, v_minus), sub(u_minus, v_minus)};
}

}  // namespace

// 24 multiplications, 144 additions.
void kernel16_plain(double* a) {
  const complex_vector x0 = load_vector(a, 0), x1 = load_vector(a, 1), x2 = load_vector(a, 2),
                       x3 = load_vector(a, 3), x4 = load_vector(a, 4), x5 = load_vector(a, 5),
                       x6 = load_vector(a, 6), x7 = load_vector(a, 7), x8 = load_vector(a, 8),
                       x9 = load_vector(a, 9), x10 = load_vector(a, 10), x11 = load_vector(a, 11),
                       x12 = load_vector(a, 12), x13 = load_vector(a, 13), x14 = load_vector(a, 14),
                       x15 = load_vector(a, 15);

  const complex_vector d0 = sub(x0, x8), d1 = sub(x1, x9), d2 = sub(x2, x10), d3 = sub(x3, x11),
                       d4 = sub(x4, x12), d5 = sub(x5, x13), d6 = sub(x6, x14), d7 = sub(x7, x15);

  // X_4k+1 (points 8..11): the 4-point transform of (d_j + i d_{j+4}) w^j, w = e^{i pi/8}.
  const complex_vector w1 = {cos_pi_8, sin_pi_8}, w3 = {sin_pi_8, cos_pi_8};
  store_plain4(a, 8, add_i(d0, d4), mul(w1, add_i(d1, d5)), mul_rho(add_i(d2, d6)), mul(w3, add_i(d3, d7)));

  // X_4k+3 (points 12..15): the same of (d_j - i d_{j+4}) w^3j; w^3 = e^{3i pi/8}, w^6 = rho^3,
  // w^9 = -e^{i pi/8}.
  const complex_vector w9 = {-cos_pi_8, -sin_pi_8};
  store_plain4(a, 12, sub_i(d0, d4), mul(w3, sub_i(d1, d5)), mul_rho3(sub_i(d2, d6)), mul(w9, sub_i(d3, d7)));

  // X_2k (points 0..7): the 8-point transform of x_j + x_{j+8}.
  store_plain8(a, add(x0, x8), add(x1, x9), add(x2, x10), add(x3, x11), add(x4, x12), add(x5, x13),
               add(x6, x14), add(x7, x15));
}

// 60 multiplications, 164 additions.
void kernel16_shifted(double* a) {
  const complex_vector x0 = load_vector(a, 0), x1 = load_vector(a, 1), x2 = load_vector(a, 2),
                       x3 = load_vector(a, 3), x4 = load_vector(a, 4), x5 = load_vector(a, 5),
                       x6 = load_vector(a, 6), x7 = load_vector(a, 7), x8 = load_vector(a, 8),
                       x9 = load_vector(a, 9), x10 = load_vector(a, 10), x11 = load_vector(a, 11),
                       x12 = load_vector(a, 12), x13 = load_vector(a, 13), x14 = load_vector(a, 14),
                       x15 = load_vector(a, 15);

  // Butterflies p = 0..3 with alpha = e^{i pi p/16}; the multipliers alpha, rho alpha, alpha^3,
  // rho^3 alpha^3 have the angles (pi/16) times (p, p + 4, 3p, 3p + 12).
  const butterfly_out b0 = shifted_butterfly_0(x0, x4, x8, x12);
  const butterfly_out b1 = shifted_butterfly(
      x1, x5, x9, x13, complex_vector{cos_pi_16, sin_pi_16}, complex_vector{sin_3pi_16, cos_3pi_16},
      complex_vector{cos_3pi_16, sin_3pi_16}, complex_vector{-cos_pi_16, sin_pi_16});
  const butterfly_out b2 = shifted_butterfly(
      x2, x6, x10, x14, complex_vector{cos_pi_8, sin_pi_8}, complex_vector{sin_pi_8, cos_pi_8},
      complex_vector{sin_pi_8, cos_pi_8}, complex_vector{-cos_pi_8, -sin_pi_8});
  const butterfly_out b3 = shifted_butterfly(
      x3, x7, x11, x15, complex_vector{cos_3pi_16, sin_3pi_16}, complex_vector{sin_pi_16, cos_pi_16},
      complex_vector{-sin_pi_16, cos_pi_16}, complex_vector{-sin_3pi_16, -cos_3pi_16});

  store_plain4(a, 0, b0.q0, b1.q0, b2.q0, b3.q0);
  store_shifted4(a, 4, b0.q1, b1.q1, b2.q1, b3.q1);
  store_plain4(a, 8, b0.q2, b1.q2, b2.q2, b3.q2);
  store_shifted4(a, 12, b0.q3, b1.q3, b2.q3, b3.q3);
}

// 4 multiplications, 52 additions.
void kernel8_plain(double* a) {
  store_plain8(a, load_vector(a, 0), load_vector(a, 1), load_vector(a, 2), load_vector(a, 3),
               load_vector(a, 4), load_vector(a, 5), load_vector(a, 6), load_vector(a, 7));
}

namespace {

// With u = z0 + z2, u' = z0 - z2, v = z1 + z3, v' = z1 - z3 the transform with e^{+-2 pi i jk/4} is
// (u + v, u' +- i v', u - v, u' -+ i v'): the backward one exchanges points 1 and 3. 16 additions.
template <bool Backward>
void kernel4(double* a) {
  const complex_vector z0 = load_vector(a, 0), z1 = load_vector(a, 1), z2 = load_vector(a, 2),
                       z3 = load_vector(a, 3);
  const complex_vector u = add(z0, z2), u_diff = sub(z0, z2), v = add(z1, z3), v_diff = sub(z1, z3);
  store_vector(a, 0, add(u, v));
  store_vector(a, Backward ? 3 : 1, add_i(u_diff, v_diff));
  store_vector(a, 2, sub(u, v));
  store_vector(a, Backward ? 1 : 3, sub_i(u_diff, v_diff));
}

}  // namespace

void kernel4_forward(double* a) { kernel4<false>(a); }

void kernel4_backward(double* a) { kernel4<true>(a); }

void kernel2(double* a) {
  const complex_vector z0 = load_vector(a, 0), z1 = load_vector(a, 1);
  store_vector(a, 0, add(z0, z1));
  store_vector(a, 1, sub(z0, z1));
}
