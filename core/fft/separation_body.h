// The separation passes between a complex transform of n/2 points and the spectrum of n real doubles
// (real_transform.h), one body for every vector width V (V::points bins at a time); n = `doubles`.
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
#include "core/fft/complex_vector.h"
#include "core/fft/weight_body.h"

namespace {

// Separation of bin m (positions j = 2m, j+1 and k = n - j, k+1) with weights (wr, wi); Inverse selects
// the conjugate weights of the inverse pass, the only difference between the two passes:
//   xr = a[j] - a[k],  xi = a[j+1] + a[k+1],
//   forward: yr = wr xr - wi xi, yi = wr xi + wi xr;   inverse: yr = wr xr + wi xi, yi = wr xi - wi xr;
//   a[j] -= yr, a[j+1] -= yi, a[k] += yr, a[k+1] -= yi.
// Each pair of positions is one 16-byte vector; lane by lane these are exactly the scalar formulas
// (x - y is x + (-y), and the rest are exact sign flips), so the doubles do not depend on it.
// separate computes these on the bins held in at_j and their mirrors in at_k, lane by lane, with wr
// and wi repeated over each bin's two lanes.
template <class V, bool Inverse>
inline void separate(V& at_j, V& at_k, V wr, V wi) {
  const V x = add_negated_re(at_j, at_k);
  const V wx = wr * x, wix = wi * mul_i(x);
  const V y = Inverse ? wx - wix : wx + wix;
  at_j = at_j - y;
  at_k = at_k + conj(y);
}

// The bins first .. first + count - 1 (points m, with the mirrors N - m, N = n/2 points) with the weights
// of w[0 .. 2 count), V::points bins at a time (their mirrors are consecutive too, in the opposite order).
template <class V, bool Inverse>
PI_BATCH_LOOP void separate_bins(int32_t doubles, double* a, int32_t first, int32_t count, const double* w) {
  by_vectors<V>(0, count, [&](int32_t k, auto width) {
    typedef decltype(width) W;
    typedef lane_info<W> info;
    const int32_t bin = first + k, mirror = doubles / 2 - bin - info::points + 1;
    W at_j = load_points<W>(a, bin), at_k = info::reverse_points(load_points<W>(a, mirror));
    const W weights = load_points<W>(w, k);
    separate<W, Inverse>(at_j, at_k, info::dup_re(weights), info::dup_im(weights));
    store_points(a, bin, at_j);
    store_points(a, mirror, info::reverse_points(at_k));
  });
}

// Calls body(first, count, w) for the batches of bins n/4 - 1 down to 1 (n >= 8), w holding the weights
// of the bins first .. first + count - 1 (weight_body.h); the middle bin n/4 needs nothing, bins 0
// and N/2 are the caller's.
//
// Every batch but the last covers batch_blocks<V> whole blocks, so batch b starts at position
// i = n/2 - 256 batch_blocks<V> b: a part of a pass (the batches first_batch .. last_batch - 1 of
// weight_batches) starts there directly, and its batches are those of the whole pass.
template <class V>
int32_t weight_batches(int32_t doubles) {
  const int32_t top = doubles / 2;  // batch 0 starts there; batch b >= 1 while top - 256 batch_blocks b > 4
  return top < 4 ? 0 : 1 + (top - 5) / (256 * batch_blocks<V>);
}
template <class V, class Body>
void for_each_weight_batch(int32_t doubles, int32_t first_batch, int32_t last_batch, Body&& body) {
  double w[separation_batch_doubles];
  int32_t i = doubles / 2 - 256 * batch_blocks<V> * first_batch;
  for (int32_t b = first_batch; b < last_batch; ++b, i = 2 * batch_first<V>(i)) {
    const int32_t first = batch_first<V>(i);
    weight_batch<V>(doubles, i, w);
    body(first, i / 2 - first, static_cast<const double*>(w));
  }
}
template <class V, class Body>
void for_each_weight_batch(int32_t doubles, Body&& body) {
  for_each_weight_batch<V>(doubles, 0, weight_batches<V>(doubles), body);
}

template <class V, bool Inverse>
void separation_pass(int32_t doubles, double* a) {
  for_each_weight_batch<V>(doubles, [&](int32_t first, int32_t count, const double* w) {
    separate_bins<V, Inverse>(doubles, a, first, count, w);
  });
}

// The product of two real spectra held unseparated, in one pass. x and y are the complex spectra Z of
// two real sequences of n doubles viewed as n/2 points (complex_forward of them); out receives the
// unseparated spectrum of their cyclic convolution, which complex_backward turns into (n/2) times
// the convolution. Bin by bin these are exactly the doubles of the forward separation of x and of y,
// their pointwise product
//   bins 0 and N/2 (real, a[0] and a[1]): X0 Y0, X1 Y1;
//   complex bin k: (xr yr - xi yi, xi yr + xr yi), for a square (xr xr - xi xi, (xr xi) 2),
// and the inverse separation of the product, as separate passes would compute them; but the work area
// is read and written once. out may be x or y (each pair of bins is read before it is written).
template <class W>
inline W complex_product(W x, W y) {
  return add_negated_re(lane_info<W>::dup_re(y) * x, lane_info<W>::dup_im(y) * lane_info<W>::swap_pairs(x));
}

// The bins first .. first + count - 1 and their mirrors of product_of_spectra, with the weights w.
template <class V, bool Square>
PI_BATCH_LOOP void product_bins(int32_t doubles, double* out, const double* x, const double* y, int32_t first,
                                int32_t count, const double* w) {
  by_vectors<V>(0, count, [&](int32_t k, auto width) {
    typedef decltype(width) W;
    typedef lane_info<W> info;
    const int32_t bin = first + k, mirror = doubles / 2 - bin - info::points + 1;
    const W weights = load_points<W>(w, k);
    const W wr = info::dup_re(weights), wi = info::dup_im(weights);
    W xj = load_points<W>(x, bin), xk = info::reverse_points(load_points<W>(x, mirror));
    separate<W, false>(xj, xk, wr, wi);
    W pj, pk;
    if (Square) {
      pj = complex_product(xj, xj);
      pk = complex_product(xk, xk);
    } else {
      W yj = load_points<W>(y, bin), yk = info::reverse_points(load_points<W>(y, mirror));
      separate<W, false>(yj, yk, wr, wi);
      pj = complex_product(xj, yj);
      pk = complex_product(xk, yk);
    }
    separate<W, true>(pj, pk, wr, wi);
    store_points(out, bin, pj);
    store_points(out, mirror, info::reverse_points(pk));
  });
}

// Bins 0, N/2 and n/4 of product_of_spectra, which its weight batches leave out.
template <bool Square>
void product_of_lone_bins(int32_t doubles, double* out, const double* x, const double* y) {
  // Bins 0 and N/2 from Z_0 = (sum of even x) + i (sum of odd x), multiplied, and joined again.
  const double x0 = x[0] + x[1], x1 = x[0] - x[1];
  const double y0 = Square ? x0 : y[0] + y[1], y1 = Square ? x1 : y[0] - y[1];
  const double p0 = x0 * y0, p1 = x1 * y1;
  out[1] = 0.5 * (p0 - p1);
  out[0] = p0 - out[1];
  if (doubles < 4) return;
  // The middle bin n/4 is the same in both forms.
  const int32_t middle = doubles / 4;
  store_vector(out, middle, complex_product(load_vector(x, middle), load_vector(Square ? x : y, middle)));
}

// The bins of the weight batches first_batch .. last_batch - 1 of product_of_spectra; the parts of one
// product write disjoint bins.
template <class V, bool Square>
void product_of_spectra_part(int32_t doubles, double* out, const double* x, const double* y,
                             int32_t first_batch, int32_t last_batch) {
  for_each_weight_batch<V>(doubles, first_batch, last_batch,
                           [&](int32_t first, int32_t count, const double* w) {
                             product_bins<V, Square>(doubles, out, x, y, first, count, w);
                           });
}

template <class V, bool Square>
void product_of_spectra(int32_t doubles, double* out, const double* x, const double* y) {
  product_of_lone_bins<Square>(doubles, out, x, y);
  if (doubles >= 4) product_of_spectra_part<V, Square>(doubles, out, x, y, 0, weight_batches<V>(doubles));
}

}  // namespace
