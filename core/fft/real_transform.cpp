#include "core/fft/real_transform.h"

#include <cmath>

#include "core/fft/complex_transform.h"

// The forward transform views x as N = n/2 complex points z_j = x[2j] + i x[2j+1], takes their transform
// Z (complex_forward) and separates it into the spectrum of x: for bin m with Z' = conj(Z_{N-m}),
//   X_m = (Z_m + Z')/2 + e^{2 pi i m/n} (Z_m - Z')/(2i) = Z_m - w (Z_m - Z'),
//   w = wr + i wi,  wr = 0.5 - 0.5 sin(2 pi m/n),  wi = 0.5 cos(2 pi m/n),
// and X_{N-m} = Z_{N-m} + conj(w (Z_m - Z')). In place, with A_j = a[j] + i a[j+1], j = 2m, k = n - j:
//   y = w (A_j - conj(A_k)),  A_j := A_j - y,  A_k := A_k + conj(y).
// The backward pass undoes it with conj(w) in place of w.
// The pass pairs bin m with bin N - m, so it runs over m = 1 .. n/4 - 1; bins 0 and N/2 (a[0], a[1])
// are finished afterwards, the middle bin n/4 needs nothing.

namespace {

constexpr double pi = 3.141592653589793;  // the double nearest to pi

// Separation of bin m (positions j = 2m, j+1 and k = n - j, k+1) with weights (wr, wi); Inverse selects
// the conjugate weights of real_pre_inverse, the only difference between the two passes.
template <bool Inverse>
inline void separate_bin(double* a, int32_t j, int32_t k, double wr, double wi) {
  const double xr = a[j] - a[k];
  const double xi = a[j + 1] + a[k + 1];
  const double yr = Inverse ? wr * xr + wi * xi : wr * xr - wi * xi;
  const double yi = Inverse ? wr * xi - wi * xr : wr * xi + wi * xr;
  a[j] -= yr;
  a[j + 1] -= yi;
  a[k] += yr;
  a[k + 1] -= yi;
}

// Bins from n/4 - 1 down to 1, two per step, in blocks of 256 positions (128 bins). Two weight pairs are
// carried, the k-pair (bin j/2) and the d-pair (bin j/2 - 1), and stepped alternately by
//   w(m - 1) = w(m + 1) + g (wi(m), 0.5 - wr(m)),  g = 2 sin(4 pi/n),
// which exactly reproduces the weights. At the start of every block after the first both pairs are
// recomputed from the library sine and cosine, so no weight is more than 64 steps of each pair away from
// an exact value.
template <bool Inverse>
void separation_pass(int32_t n, double* a) {
  const double theta = pi / static_cast<double>(n);
  const double c = std::cos(theta), s = std::sin(theta);
  const double c2 = 1.0 - 2.0 * s * s;  // cos 2 theta
  const double s2 = 2.0 * s * c;        // sin 2 theta
  const double g = 2.0 * s2;

  double kr = 0.0, ki = 0.0;    // weights of the middle bin n/4
  double dr = s * s, di = s * c;  // weights of bin n/4 - 1
  for (int32_t i = n / 2;;) {
    const int32_t i0 = i - 256 < 4 ? 4 : i - 256;
    for (int32_t j = i - 4; j >= i0; j -= 4) {
      separate_bin<Inverse>(a, j + 2, n - j - 2, dr, di);  // bin j/2 + 1
      kr += g * di;
      ki += g * (0.5 - dr);
      separate_bin<Inverse>(a, j, n - j, kr, ki);  // bin j/2
      dr += g * ki;
      di += g * (0.5 - kr);
    }
    if (i0 == 4) break;
    // Exact weights of bin i0/2 (k-pair) and, by the difference formulas, of bin i0/2 - 1 (d-pair).
    const double angle = static_cast<double>(i0) * theta;
    const double u = 0.5 * std::sin(angle), v = 0.5 * std::cos(angle);
    dr = 0.5 - (u * c2 - v * s2);
    di = u * s2 + v * c2;
    kr = 0.5 - u;
    ki = v;
    i = i0;
  }
  separate_bin<Inverse>(a, 2, n - 2, dr, di);  // bin 1
}

}  // namespace

void real_post_forward(int32_t n, double* a) { separation_pass<false>(n, a); }

void real_pre_inverse(int32_t n, double* a) { separation_pass<true>(n, a); }

void real_transform(int32_t n, int32_t direction, double* a) {
  if (direction >= 0) {
    if (n > 4) {
      complex_forward(n, a);
      real_post_forward(n, a);
    } else if (n == 4) {
      complex_forward(n, a);
    }
    // Z_0 = (sum of even x) + i (sum of odd x) gives bins 0 and n/2.
    const double t = a[0] - a[1];
    a[0] += a[1];
    a[1] = t;
  } else {
    a[1] = 0.5 * (a[0] - a[1]);
    a[0] -= a[1];
    if (n > 4) {
      real_pre_inverse(n, a);
      complex_backward(n, a);
    } else if (n == 4) {
      complex_backward(n, a);
    }
  }
}
