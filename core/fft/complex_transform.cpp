#include "core/fft/complex_transform.h"

#include <algorithm>

#include "core/fft/bit_reverse.h"
#include "core/fft/kernels.h"
#include "core/fft/stages.h"

// Decimation in frequency, split radix, in radix-4 stages over blocks. A block is plain (it owes
// X_k = sum_j x_j e^{+2 pi i jk/L}) or shifted (it owes the same with k + 1/2); every stage and kernel
// leaves its results in bit-reversed order within its block, and one permutation at the end brings the
// whole array into natural order. A stage splits a block into quarters of kinds
//   plain block:   plain, shifted, plain, plain
//   shifted block: plain, shifted, plain, shifted
// so the last quarter has the kind of its parent. Kind flags: 1 plain, 0 shifted.
//
// The backward transform is the conjugate of the forward transform of the conjugated input: its first
// stage reads the points conjugated and its final permutation stores them conjugated. For 16 and 8 points
// it reads the forward kernel's bins at negated indices instead, and it has its own 4-point kernel.

namespace {

constexpr int32_t plain_kind = 1;

void stage_of_kind(int32_t kind, int32_t m, double* a) {
  if (kind == plain_kind)
    stage_plain(m, a);
  else
    stage_shifted(m, a);
}

}  // namespace

void quarter_kernels(int32_t n, double* a) {
  if (n == 128) {
    kernel16_plain(a);
    kernel16_shifted(a + 32);
    kernel16_plain(a + 64);
    kernel16_plain(a + 96);
  } else {
    kernel8_plain(a);
    kernel8_shifted(a + 16);
    kernel8_plain(a + 32);
    kernel8_plain(a + 48);
  }
}

namespace {

// The quarters of a staged leaf block are plain, shifted, plain, (kind); each gets its stage and the
// kernels of its sub-quarters. In the last quarter the sub-quarter whose kind follows the flag is
// finished right after the stage.
void leaf_block_quarters(int32_t m, int32_t kind, double* a) {
  if (m == 512) {
    stage_plain(128, a);
    kernel16_plain(a);
    kernel16_shifted(a + 32);
    kernel16_plain(a + 64);
    kernel16_plain(a + 96);
    stage_shifted(128, a + 128);
    kernel16_plain(a + 128);
    kernel16_shifted(a + 160);
    kernel16_plain(a + 192);
    kernel16_shifted(a + 224);
    stage_plain(128, a + 256);
    kernel16_plain(a + 256);
    kernel16_shifted(a + 288);
    kernel16_plain(a + 320);
    kernel16_plain(a + 352);
    if (kind == plain_kind) {
      stage_plain(128, a + 384);
      kernel16_plain(a + 480);
    } else {
      stage_shifted(128, a + 384);
      kernel16_shifted(a + 480);
    }
    kernel16_plain(a + 384);
    kernel16_shifted(a + 416);
    kernel16_plain(a + 448);
  } else {
    stage_plain(64, a);
    kernel8_plain(a);
    kernel8_shifted(a + 16);
    kernel8_plain(a + 32);
    kernel8_plain(a + 48);
    stage_shifted(64, a + 64);
    kernel8_plain(a + 64);
    kernel8_shifted(a + 80);
    kernel8_plain(a + 96);
    kernel8_shifted(a + 112);
    stage_plain(64, a + 128);
    kernel8_plain(a + 128);
    kernel8_shifted(a + 144);
    kernel8_plain(a + 160);
    kernel8_plain(a + 176);
    if (kind == plain_kind) {
      stage_plain(64, a + 192);
      kernel8_plain(a + 240);
    } else {
      stage_shifted(64, a + 192);
      kernel8_shifted(a + 240);
    }
    kernel8_plain(a + 192);
    kernel8_shifted(a + 208);
    kernel8_plain(a + 224);
  }
}

}  // namespace

void leaf_block(int32_t m, int32_t kind, double* a) { leaf_block_quarters(m, kind, a); }

namespace {

// Before leaf block number k counted from the end of the array, [j - m, j): applies the stages owed
// by the blocks ending at j, largest first, and returns the kind of the leaf block. The leaf block is
// quarter 3 - (k mod 4) of its parent: k mod 4 = 1 or 3 plain, 2 shifted, 0 a last quarter with its
// parent's kind. When it is a last quarter, the blocks ending at j have not been staged yet: climb to the
// largest of them (the first that is not a last quarter), take its kind, and stage it and its chain of last
// quarters down to the leaf block. Sizes and offsets stay below n, inside int32_t for every n up to 2^30.
int32_t prepare_block(int32_t m, int32_t j, int32_t k, double* a) {
  if (k & 3) {
    const int32_t kind = k & 1;
    stage_of_kind(kind, m, a + j - m);
    return kind;
  }
  int32_t size = m;
  while ((k & 3) == 0) {
    size *= 4;
    k >>= 2;
  }
  const int32_t kind = k & 1;
  for (; size > 128; size >>= 2) stage_of_kind(kind, size, a + j - size);
  return kind;
}

}  // namespace

// Depth first, from the end of the array towards its start: each block's stage runs just before its
// last leaf block is finished, so all leaf work happens on 2 or 4 KiB blocks that were just touched.
void transform_blocks(int32_t n, double* a) {
  int32_t m = n;
  while (m > 512) {  // the chain of last quarters of the (plain) array
    m >>= 2;
    stage_plain(m, a + n - m);
  }
  // m = 512 when log2 n is odd, 256 when it is even.
  leaf_block_quarters(m, plain_kind, a + n - m);
  int32_t k = 0;
  for (int32_t j = n - m; j > 0; j -= m) {
    ++k;
    const int32_t kind = prepare_block(m, j, k, a);
    leaf_block_quarters(m, kind, a + j - m);
  }
}

namespace {

// The whole array (n > 32 doubles) after its first stage: both directions finish it the same way.
void finish_staged_array(int32_t n, double* a) {
  if (n > 512)
    transform_blocks(n, a);
  else if (n > 128)
    leaf_block(n, plain_kind, a);
  else
    quarter_kernels(n, a);
}

}  // namespace

void complex_forward(int32_t n, double* a) {
  if (n > 8) {
    if (n > 32) {
      stage_plain(n, a);
      finish_staged_array(n, a);
      bit_reverse(n, a);
    } else if (n == 32) {
      kernel16_plain(a);
      bit_reverse_16(a);
    } else {
      kernel8_plain(a);
      bit_reverse_8(a);
    }
  } else if (n == 8) {
    kernel4_forward(a);
  } else if (n == 4) {
    kernel2(a);
  }
}

void complex_forward_upper_half_zero(int32_t n, double* a) {
  if (n <= 32) {
    std::fill(a + n / 2, a + n, 0.0);
    complex_forward(n, a);
    return;
  }
  stage_plain_upper_half_zero(n, a);
  finish_staged_array(n, a);
  bit_reverse(n, a);
}

void complex_backward(int32_t n, double* a) {
  if (n > 8) {
    if (n > 32) {
      stage_plain_conj(n, a);
      finish_staged_array(n, a);
      bit_reverse_conj(n, a);
    } else if (n == 32) {
      kernel16_plain(a);
      bit_reverse_16_neg(a);
    } else {
      kernel8_plain(a);
      bit_reverse_8_neg(a);
    }
  } else if (n == 8) {
    kernel4_backward(a);
  } else if (n == 4) {
    kernel2(a);
  }
}
