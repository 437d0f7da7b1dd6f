// The two radix-4 butterflies of the split-radix transform, one body each for every vector width and
// every kind of factor. They take four points x0..x3 (in a stage x_t = z_{p + tQ}, quarters of Q
// points; in a kernel four points of a block) and give
//   plain:    q0 = (x0 + x2) + (x1 + x3)        q1 = (x0 + x2) - (x1 + x3)
//             q2 = w (x0 - x2 + i (x1 - x3))     q3 = w3 (x0 - x2 - i (x1 - x3))
//   shifted:  u = x0 + i x2, v = x1 + i x3, u' = x0 - i x2, v' = x1 - i x3,
//             q0, q1 = A u +- A' v               q2, q3 = B u' +- B' v'
// The factors are a parameter: factors spread for the multiplication (the stages' twiddle factors,
// the kernels' constants), or the points where they are 1, rho = e^{i pi/4} and rho^3, whose products
// are moves and one multiplication by cos(pi/4). Every operation is that of complex_vector.h, so the
// doubles are those of the scalar formulas on every width.
#pragma once
#include "core/fft/complex_vector.h"

namespace {

template <class V>
struct quartet {
  V q0, q1, q2, q3;
};

// Plain factors w, w3: w = w3 = 1 (p = 0), w = rho and w3 = rho^3 (p = Q/2), or any pair, spread.
struct unit_plain_factors {
  template <class V>
  V w(V z) const {
    return z;
  }
  template <class V>
  V w3(V z) const {
    return z;
  }
};
struct rho_plain_factors {
  template <class V>
  V w(V z) const {
    return mul_rho(z);
  }
  template <class V>
  V w3(V z) const {
    return mul_rho3(z);
  }
};
template <class V>
struct spread_plain_factors {
  spread_vector<V> f, g;
  V w(V z) const { return mul(f, z); }
  V w3(V z) const { return mul(g, z); }
};

template <class V, class Factors>
inline quartet<V> plain_butterfly(V x0, V x1, V x2, V x3, const Factors& factors) {
  const V s02 = add(x0, x2), s13 = add(x1, x3);
  const V d02 = sub(x0, x2), d13 = sub(x1, x3);
  return {add(s02, s13), sub(s02, s13), factors.w(add_i(d02, d13)), factors.w3(sub_i(d02, d13))};
}

// Shifted factors A, A', B, B': at p = 0 they are 1, rho, 1, rho^3; elsewhere alpha, rho alpha, alpha^3,
// rho^3 alpha^3 (alpha = e^{i psi_p}), spread.
struct unit_shifted_factors {
  template <class V>
  V a(V z) const {
    return z;
  }
  template <class V>
  V a_rho(V z) const {
    return mul_rho(z);
  }
  template <class V>
  V b(V z) const {
    return z;
  }
  template <class V>
  V b_rho3(V z) const {
    return mul_rho3(z);
  }
};
template <class V>
struct spread_shifted_factors {
  spread_vector<V> alpha, rho_alpha, alpha3, rho3_alpha3;
  V a(V z) const { return mul(alpha, z); }
  V a_rho(V z) const { return mul(rho_alpha, z); }
  V b(V z) const { return mul(alpha3, z); }
  V b_rho3(V z) const { return mul(rho3_alpha3, z); }
};

template <class V, class Factors>
inline quartet<V> shifted_butterfly(V x0, V x1, V x2, V x3, const Factors& factors) {
  const V u = factors.a(add_i(x0, x2)), v = factors.a_rho(add_i(x1, x3));
  const V u_c = factors.b(sub_i(x0, x2)), v_c = factors.b_rho3(sub_i(x1, x3));
  return {add(u, v), sub(u, v), add(u_c, v_c), sub(u_c, v_c)};
}

// A constant factor c + i s, spread for mul: the same operations as a twiddle factor.
template <class V>
inline spread_vector<V> spread_constant(double c, double s) {
  return {lane_info<V>::splat(c), lane_info<V>::splat(s)};
}

}  // namespace
