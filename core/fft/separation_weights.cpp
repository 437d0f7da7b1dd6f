#include "core/fft/separation_weights.h"

#include <cmath>

namespace {

constexpr double separation_pi = 3.141592653589793;  // the double nearest to pi
constexpr int32_t batch_blocks = 8;

struct separation_constants {
  double theta;   // pi/n
  double c2, s2;  // cos 2 theta, sin 2 theta
  double g;       // 2 sin 2 theta = 2 sin(2 pi/n), the step of the weight recurrence
  double s, c;    // sin theta, cos theta
};

separation_constants constants_of(int32_t n) {
  const double theta = separation_pi / static_cast<double>(n);
  const double c = std::cos(theta), s = std::sin(theta);
  const double c2 = 1.0 - 2.0 * s * s;  // cos 2 theta
  const double s2 = 2.0 * s * c;        // sin 2 theta
  return {theta, c2, s2, 2.0 * s2, s, c};
}

// The two pairs carried through a block: the k-pair (bin 2t) and the d-pair (bin 2t - 1).
struct pair_weights {
  double kr, ki;
  double dr, di;
};

// Block below position i: at the top, the middle bin n/4 (k-pair) and bin n/4 - 1 (d-pair); elsewhere
// bin i/2 (k-pair) and, by the difference formulas, bin i/2 - 1 (d-pair), the angle formed as i theta.
pair_weights block_seed(int32_t n, int32_t i, const separation_constants& k) {
  if (i == n / 2) return {0.0, 0.0, k.s * k.s, k.s * k.c};
  const double angle = static_cast<double>(i) * k.theta;
  const double u = 0.5 * std::sin(angle), v = 0.5 * std::cos(angle);
  return {0.5 - u, v, 0.5 - (u * k.c2 - v * k.s2), u * k.s2 + v * k.c2};
}

void put(double* w, int32_t first, int32_t bin, double wr, double wi) {
  w[2 * (bin - first)] = wr;
  w[2 * (bin - first) + 1] = wi;
}

}  // namespace

namespace {

int32_t blocks_below(int32_t i) {
  int32_t blocks = 1;  // the block holding bin 1 may have no step at all (n = 8)
  while (blocks < batch_blocks && i - 256 * blocks > 4) ++blocks;
  return blocks;
}

}  // namespace

int32_t separation_batch_first(int32_t i) {
  const int32_t lowest = i - 256 * blocks_below(i);  // <= 4 when the last block reaches bin 1
  return lowest <= 4 ? 1 : lowest / 2;
}

void separation_weight_batch(int32_t n, int32_t i, double* w) {
  const separation_constants k = constants_of(n);
  const int32_t blocks = blocks_below(i), first = separation_batch_first(i);
  pair_weights pairs[batch_blocks];
  for (int32_t b = 0; b < blocks; ++b) pairs[b] = block_seed(n, i - 256 * b, k);
  // Step s of block b: j = (top of block) - 4 - 4s covers bins j/2 + 1 and j/2. Every block but the
  // lowest has its 64 steps; the lowest stops at j = 4 when it reaches bin 1. Blocks with all their
  // steps go two at a time, one per lane of 16-byte vectors (lane by lane the scalar formulas), and
  // the pairs side by side, so that the chains of dependent steps overlap.
  const int32_t low = i - 256 * (blocks - 1) - 4;  // the lowest block's first j
  const int32_t low_steps = low < 256 ? low / 4 : 64;
  const int32_t full = low_steps == 64 ? blocks : blocks - 1;
  const int32_t lane_pairs = full / 2;
  typedef double two __attribute__((vector_size(16)));
  const two g = {k.g, k.g}, half = {0.5, 0.5};
  two kr[batch_blocks / 2], ki[batch_blocks / 2], dr[batch_blocks / 2], di[batch_blocks / 2];
  for (int32_t v = 0; v < lane_pairs; ++v) {
    const pair_weights& lo = pairs[2 * v];
    const pair_weights& hi = pairs[2 * v + 1];
    kr[v] = two{lo.kr, hi.kr}, ki[v] = two{lo.ki, hi.ki}, dr[v] = two{lo.dr, hi.dr},
    di[v] = two{lo.di, hi.di};
  }
  for (int32_t step = 0; step < 64; ++step)
    for (int32_t v = 0; v < lane_pairs; ++v) {
      const int32_t j = i - 512 * v - 4 - 4 * step;  // block 2v; block 2v + 1 is 256 positions below
      double* out_lo = w + 2 * (j / 2 - first);      // bin j/2, then bin j/2 + 1
      double* out_hi = out_lo - 256;
      const two d_lo = __builtin_shufflevector(dr[v], di[v], 0, 2),
                d_hi = __builtin_shufflevector(dr[v], di[v], 1, 3);
      __builtin_memcpy(out_lo + 2, &d_lo, sizeof d_lo);
      __builtin_memcpy(out_hi + 2, &d_hi, sizeof d_hi);
      kr[v] += g * di[v];
      ki[v] += g * (half - dr[v]);  // now bin j/2
      const two k_lo = __builtin_shufflevector(kr[v], ki[v], 0, 2),
                k_hi = __builtin_shufflevector(kr[v], ki[v], 1, 3);
      __builtin_memcpy(out_lo, &k_lo, sizeof k_lo);
      __builtin_memcpy(out_hi, &k_hi, sizeof k_hi);
      dr[v] += g * ki[v];
      di[v] += g * (half - kr[v]);  // now bin j/2 - 1
    }
  for (int32_t v = 0; v < lane_pairs; ++v) {
    pairs[2 * v] = {kr[v][0], ki[v][0], dr[v][0], di[v][0]};
    pairs[2 * v + 1] = {kr[v][1], ki[v][1], dr[v][1], di[v][1]};
  }
  for (int32_t b = 2 * lane_pairs; b < blocks; ++b) {
    pair_weights& p = pairs[b];
    const int32_t steps = b == blocks - 1 ? low_steps : 64;
    for (int32_t step = 0; step < steps; ++step) {
      const int32_t j = i - 256 * b - 4 - 4 * step;
      double* out = w + 2 * (j / 2 - first);
      out[2] = p.dr;
      out[3] = p.di;
      p.kr += k.g * p.di;
      p.ki += k.g * (0.5 - p.dr);
      out[0] = p.kr;
      out[1] = p.ki;
      p.dr += k.g * p.ki;
      p.di += k.g * (0.5 - p.kr);
    }
  }
  if (first == 1) put(w, first, 1, pairs[blocks - 1].dr, pairs[blocks - 1].di);
}
