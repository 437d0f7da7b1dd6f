// The weights of the separation passes (separation_body.h), computed as a pass runs.
//
// Bin m, 1 <= m < n/4, of a real transform of n doubles is separated with w = wr + i wi,
// wr = 0.5 - 0.5 sin(2 pi m/n), wi = 0.5 cos(2 pi m/n). The weights come in blocks of 128 bins, from the
// top (bin n/4 - 1) down: the block below position i (bins i/2 - 1 down to max(i/2 - 128, 2), and bin 1
// in the last block) starts from the library sine and cosine at bin i/2 (the top block from the exact
// values at the middle bin n/4) and two pairs of weights, for bins 2t and 2t - 1, are stepped
// alternately by w(m - 1) = w(m + 1) + g (wi(m), 0.5 - wr(m)), g = 2 sin(2 pi/n), which exactly
// reproduces the weights; so no weight is more than 64 steps of each pair away from an exact value.
//
// The weights are produced as the pass runs, a batch of up to sixteen blocks at a time (their recurrences
// stepped side by side, so that their chains of dependent steps overlap) into a local buffer; no table
// outlives a call.
#pragma once
#include <cstdint>

// The (at most sixteen) blocks below position i (n/2 >= i >= 4, i = n/2 - 4096 t) cover the bins
// first .. i/2 - 1, first = separation_batch_first(i); the next batch starts at position 2 first, the
// last one has first = 1. (The passes on 64-byte vectors take batches of eight blocks; the weights are
// the same, block by block.)
int32_t separation_batch_first(int32_t i);
// Writes the weights of those bins, bin m at w[2 (m - first)] (at most separation_batch_doubles).
constexpr int32_t separation_batch_doubles = 4096;
void separation_weight_batch(int32_t n, int32_t i, double* w);
