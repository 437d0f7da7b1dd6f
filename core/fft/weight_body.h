// The weights of the separation passes (separation_body.h), computed as a pass runs, one body for every
// vector width L, the blocks of a batch riding in its double lanes, one block per lane. n = `doubles`, the
// size of the real transform.
//
// Bin m, 1 <= m < n/4, is separated with w = wr + i wi, wr = 0.5 - 0.5 sin(2 pi m/n),
// wi = 0.5 cos(2 pi m/n). The weights come in blocks of 128 bins, from the top (bin n/4 - 1) down: the
// block below position i (bins i/2 - 1 down to max(i/2 - 128, 2), and bin 1 in the last block) starts
// from the sine and cosine at bin i/2 (unit_root) (the top block from the exact values at the middle bin
// n/4) and two pairs of weights, for bins 2t and 2t - 1, are stepped alternately by
// w(m - 1) = w(m + 1) + g (wi(m), 0.5 - wr(m)), g = 2 sin(2 pi/n), which exactly reproduces the weights;
// so no weight is more than 64 steps of each pair away from an exact value.
//
// The weights are produced as the pass runs, a batch of blocks at a time (their recurrences stepped
// side by side, so that their chains of dependent steps overlap) into a local buffer of
// separation_batch_doubles; no table outlives a call. The batch below position i (n/2 >= i >= 4) covers
// the bins batch_first(i) .. i/2 - 1, bin m at w[2 (m - first)]; the next batch starts at position
// 2 first, the last one has first = 1. The weights are the same, block by block, whatever the batch.
#pragma once
#include "core/fft/complex_vector.h"
#include "core/fft/unit_root.h"

namespace {

constexpr int32_t separation_batch_doubles = 4096;
// Blocks of 128 bins per batch, for the vector L: enough recurrences side by side to hide the latency of
// their steps. 16 (the most the buffer holds) in 16- and 32-byte vectors; 8 in 64-byte vectors, which
// already step 8 blocks at once, and measured slower with 16.
template <class L>
constexpr int32_t batch_blocks = sizeof(L) >= 64 ? 8 : separation_batch_doubles / 256;

struct separation_constants {
  double c2, s2;  // cos 2 theta, sin 2 theta
  double g;       // 2 sin 2 theta = 2 sin(2 pi/n), the step of the weight recurrence
  double s, c;    // sin theta, cos theta
};

inline separation_constants constants_of(int32_t doubles) {
  const complex_value e = unit_root(1, 2 * int64_t{doubles});  // e^{i theta}
  const double c = e.re, s = e.im;
  const double c2 = 1.0 - 2.0 * s * s;  // cos 2 theta
  const double s2 = 2.0 * s * c;        // sin 2 theta
  return {c2, s2, 2.0 * s2, s, c};
}

// The two pairs carried through a block: the k-pair (bin 2t) and the d-pair (bin 2t - 1).
struct pair_weights {
  double kr, ki;
  double dr, di;
};

// Block below position i: at the top, the middle bin n/4 (k-pair) and bin n/4 - 1 (d-pair); elsewhere
// bin i/2 (k-pair) and, by the difference formulas, bin i/2 - 1 (d-pair), from e^{i i theta}.
inline pair_weights block_seed(int32_t doubles, int32_t i, const separation_constants& k) {
  if (i == doubles / 2) return {0.0, 0.0, k.s * k.s, k.s * k.c};
  const complex_value e = unit_root(i, 2 * int64_t{doubles});  // angle i theta = pi i/n
  const double u = 0.5 * e.im, v = 0.5 * e.re;
  return {0.5 - u, v, 0.5 - (u * k.c2 - v * k.s2), u * k.s2 + v * k.c2};
}

inline void put(double* w, int32_t first, int32_t bin, double wr, double wi) {
  w[2 * (bin - first)] = wr;
  w[2 * (bin - first) + 1] = wi;
}

template <class L>
inline int32_t blocks_below(int32_t i) {
  int32_t blocks = 1;  // the block holding bin 1 may have no step at all (n = 8)
  while (blocks < batch_blocks<L> && i - 256 * blocks > 4) ++blocks;
  return blocks;
}

template <class L>
inline int32_t batch_first(int32_t i) {
  const int32_t lowest = i - 256 * blocks_below<L>(i);  // <= 4 when the last block reaches bin 1
  return lowest <= 4 ? 1 : lowest / 2;
}

template <class L>
void weight_batch(int32_t doubles, int32_t i, double* w) {
  const separation_constants k = constants_of(doubles);
  const int32_t blocks = blocks_below<L>(i), first = batch_first<L>(i);
  pair_weights pairs[batch_blocks<L>];
  for (int32_t b = 0; b < blocks; ++b) pairs[b] = block_seed(doubles, i - 256 * b, k);
  // Step s of block b: j = (top of block) - 4 - 4s covers bins j/2 + 1 and j/2, whose weights go to
  // w + j - 2 first. Every block but the lowest has its 64 steps; the lowest stops at j = 4 when it
  // reaches bin 1. Blocks with all their steps go D at a time, one per double lane of L (lane by lane
  // the scalar formulas), and the groups side by side, so that the chains of dependent steps overlap.
  constexpr int32_t D = sizeof(L) / sizeof(double);
  const int32_t low = i - 256 * (blocks - 1) - 4;  // the lowest block's first j
  const int32_t low_steps = low < 256 ? low / 4 : 64;
  const int32_t full = low_steps == 64 ? blocks : blocks - 1;
  const int32_t groups = full / D;
  L kr[batch_blocks<L> / D], ki[batch_blocks<L> / D], dr[batch_blocks<L> / D], di[batch_blocks<L> / D];
  for (int32_t v = 0; v < groups; ++v)
    for (int32_t d = 0; d < D; ++d) {
      const pair_weights& p = pairs[D * v + d];
      kr[v][d] = p.kr, ki[v][d] = p.ki, dr[v][d] = p.dr, di[v][d] = p.di;
    }
  L g, half;
  for (int32_t d = 0; d < D; ++d) g[d] = k.g, half[d] = 0.5;
  for (int32_t step = 0; step < 64; ++step)
    for (int32_t v = 0; v < groups; ++v) {
      double* const top = w + (i - 4 - 4 * step - 2 * first) - 256 * D * v;  // block D v; lane d 256 d below
      for (int32_t d = 0; d < D; ++d) {
        const complex_vector z = {dr[v][d], di[v][d]};
        store_vector(top - 256 * d + 2, 0, z);  // bin j/2 + 1
      }
      kr[v] += g * di[v];
      ki[v] += g * (half - dr[v]);  // now bin j/2
      for (int32_t d = 0; d < D; ++d) {
        const complex_vector z = {kr[v][d], ki[v][d]};
        store_vector(top - 256 * d, 0, z);
      }
      dr[v] += g * ki[v];
      di[v] += g * (half - kr[v]);  // now bin j/2 - 1
    }
  for (int32_t v = 0; v < groups; ++v)
    for (int32_t d = 0; d < D; ++d) pairs[D * v + d] = {kr[v][d], ki[v][d], dr[v][d], di[v][d]};
  for (int32_t b = D * groups; b < blocks; ++b) {
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

}  // namespace
