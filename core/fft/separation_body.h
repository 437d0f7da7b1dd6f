// The separation passes between a complex transform of n/2 points and the spectrum of n real doubles
// (real_transform.h), one body for every vector width: included by the files that compile the stages
// for one instruction set each, with V their vector (16 bytes: one bin at a time; 32 bytes and more:
// two bins at a time).
//
// The forward transform views x as N = n/2 complex points z_j = x[2j] + i x[2j+1], takes their transform
// Z (complex_forward) and separates it into the spectrum of x: for bin m with Z' = conj(Z_{N-m}),
//   X_m = (Z_m + Z')/2 + e^{2 pi i m/n} (Z_m - Z')/(2i) = Z_m - w (Z_m - Z'),
//   w = wr + i wi,  wr = 0.5 - 0.5 sin(2 pi m/n),  wi = 0.5 cos(2 pi m/n),
// and X_{N-m} = Z_{N-m} + conj(w (Z_m - Z')). In place, with A_j = a[j] + i a[j+1], j = 2m, k = n - j:
//   y = w (A_j - conj(A_k)),  A_j := A_j - y,  A_k := A_k + conj(y).
// The backward pass undoes it with conj(w) in place of w.
// The pass pairs bin m with bin N - m, so it runs over m = 1 .. n/4 - 1; bins 0 and N/2 (a[0], a[1])
// are finished afterwards, the middle bin n/4 needs nothing.
#pragma once
#include <cmath>

#include "core/fft/complex_vector.h"

namespace {

constexpr double separation_pi = 3.141592653589793;  // the double nearest to pi

// Separation of bin m (positions j = 2m, j+1 and k = n - j, k+1) with weights (wr, wi); Inverse selects
// the conjugate weights of real_pre_inverse, the only difference between the two passes:
//   xr = a[j] - a[k],  xi = a[j+1] + a[k+1],
//   forward: yr = wr xr - wi xi, yi = wr xi + wi xr;   inverse: yr = wr xr + wi xi, yi = wr xi - wi xr;
//   a[j] -= yr, a[j+1] -= yi, a[k] += yr, a[k+1] -= yi.
// Each pair of positions is one 16-byte vector; lane by lane these are exactly the scalar formulas
// (x - y is x + (-y), and the rest are exact sign flips), so the doubles do not depend on it.
// separate computes these on the bins held in at_j and their mirrors in at_k, lane by lane, with wr
// and wi repeated over each bin's two lanes; separate_bin does one bin in place.
template <class V, bool Inverse>
inline void separate(V& at_j, V& at_k, V wr, V wi) {
  const V x = at_j + negate_re(at_k);
  const V wx = wr * x, wix = wi * mul_i(x);
  const V y = Inverse ? wx - wix : wx + wix;
  at_j = at_j - y;
  at_k = at_k + conj(y);
}

template <bool Inverse>
inline void separate_bin(double* a, int32_t j, int32_t k, double wr, double wi) {
  complex_vector at_j = load_points<complex_vector>(a, j / 2), at_k = load_points<complex_vector>(a, k / 2);
  separate<complex_vector, Inverse>(at_j, at_k, both(wr), both(wi));
  store_points(a, j / 2, at_j);
  store_points(a, k / 2, at_k);
}

// Bins from n/4 - 1 down to 1, two per step, in blocks of 256 positions (128 bins). Two weight pairs are
// carried, the k-pair (bin j/2) and the d-pair (bin j/2 - 1), and stepped alternately by
//   w(m - 1) = w(m + 1) + g (wi(m), 0.5 - wr(m)),  g = 2 sin(2 pi/n),
// which exactly reproduces the weights. At the start of every block after the first both pairs are
// recomputed from the library sine and cosine, so no weight is more than 64 steps of each pair away from
// an exact value.
struct separation_weights {
  double kr, ki;  // k-pair
  double dr, di;  // d-pair
};

struct separation_constants {
  double theta;   // pi/n
  double c2, s2;  // cos 2 theta, sin 2 theta
  double g;       // 2 sin 2 theta = 2 sin(2 pi/n), the step of the weight recurrence
};

// One step at j: bins j/2 + 1 and j/2 (positions j + 2, j + 3 and j, j + 1 with their mirrors). The
// k-pair update reads only the d-pair, so it may come before bin j/2 + 1 is separated; with 32-byte
// vectors both bins then go through separate_bin's formulas together, lane by lane the same doubles:
// positions j .. j + 3 hold bins j/2 and j/2 + 1, positions n - j - 2 .. n - j + 1 their mirrors in
// the opposite order.
template <class V, bool Inverse>
inline void separation_step(int32_t n, double* a, int32_t j, double g, separation_weights& w) {
  if constexpr (lane_info<V>::points == 1) {
    separate_bin<Inverse>(a, j + 2, n - j - 2, w.dr, w.di);  // bin j/2 + 1
    w.kr += g * w.di;
    w.ki += g * (0.5 - w.dr);  // now bin j/2
    separate_bin<Inverse>(a, j, n - j, w.kr, w.ki);
  } else {
    w.kr += g * w.di;
    w.ki += g * (0.5 - w.dr);  // now bin j/2
    V at_j = load_points<V>(a, j / 2);
    const V mirrors = load_points<V>(a, (n - j - 2) / 2);
    V at_k = __builtin_shufflevector(mirrors, mirrors, 2, 3, 0, 1);
    separate<V, Inverse>(at_j, at_k, V{w.kr, w.kr, w.dr, w.dr}, V{w.ki, w.ki, w.di, w.di});
    store_points(a, j / 2, at_j);
    store_points(a, (n - j - 2) / 2, V(__builtin_shufflevector(at_k, at_k, 2, 3, 0, 1)));
  }
  w.dr += g * w.ki;
  w.di += g * (0.5 - w.kr);  // now bin j/2 - 1
}

// Exact weights at a block boundary i0: bin i0/2 (k-pair) and, by the difference formulas, bin
// i0/2 - 1 (d-pair); the angle is formed as i0 times theta.
inline separation_weights seeded_weights(int32_t i0, const separation_constants& k) {
  const double angle = static_cast<double>(i0) * k.theta;
  const double u = 0.5 * std::sin(angle), v = 0.5 * std::cos(angle);
  return {0.5 - u, v, 0.5 - (u * k.c2 - v * k.s2), u * k.s2 + v * k.c2};
}

template <class V, bool Inverse>
void separation_pass(int32_t n, double* a) {
  const double theta = separation_pi / static_cast<double>(n);
  const double c = std::cos(theta), s = std::sin(theta);
  const double c2 = 1.0 - 2.0 * s * s;  // cos 2 theta
  const double s2 = 2.0 * s * c;        // sin 2 theta
  const separation_constants k = {theta, c2, s2, 2.0 * s2};

  // The middle bin n/4 (k-pair) and bin n/4 - 1 (d-pair).
  separation_weights w = {0.0, 0.0, s * s, s * c};
  int32_t i = n / 2;
  // Full blocks four at a time, [i - 256, i) with the weights carried and the three below it with
  // their own seeds: every block starts from its own weights and touches its own bins, so
  // interleaving their steps breaks the chains of dependent recurrence updates and changes no double.
  constexpr int32_t interleaved = 4;
  for (; i - 256 * interleaved >= 256; i -= 256 * interleaved) {
    separation_weights ws[interleaved] = {w};
    for (int32_t b = 1; b < interleaved; ++b) ws[b] = seeded_weights(i - 256 * b, k);
    for (int32_t j = i - 4; j >= i - 256; j -= 4)
      for (int32_t b = 0; b < interleaved; ++b) separation_step<V, Inverse>(n, a, j - 256 * b, k.g, ws[b]);
    w = seeded_weights(i - 256 * interleaved, k);
  }
  for (;;) {
    const int32_t i0 = i - 256 < 4 ? 4 : i - 256;
    for (int32_t j = i - 4; j >= i0; j -= 4) separation_step<V, Inverse>(n, a, j, k.g, w);
    if (i0 == 4) break;
    w = seeded_weights(i0, k);
    i = i0;
  }
  separate_bin<Inverse>(a, 2, n - 2, w.dr, w.di);  // bin 1
}

}  // namespace
