#include "core/fft/complex_transform.h"

#include <algorithm>

#include "core/fft/bit_reverse.h"
#include "core/fft/kernels.h"
#include "core/fft/stage_factors.h"
#include "core/fft/stages.h"

// Decimation in frequency, split radix, in radix-4 stages over blocks. A block is plain (it owes
// X_k = sum_j x_j e^{+2 pi i jk/L}) or shifted (it owes the same with k + 1/2); every stage and kernel
// leaves its results in bit-reversed order within its block, and one permutation at the end brings the
// whole array into natural order. A stage splits a block into quarters of kinds
//   plain block:   plain, shifted, plain, plain
//   shifted block: plain, shifted, plain, shifted
// so the last quarter has the kind of its parent. Kind flags: 1 plain, 0 shifted.
//
// Every block is 2^odd doubles, so that the stages end in 16-point kernels: an array of 2^even doubles
// is first split into halves, z_j, z_{j+N/2} := z_j + z_{j+N/2}, z_j - z_{j+N/2}. The first half then
// owes the even outputs (a plain block of N/2 points) and the second the odd ones, X_{2k+1} =
// sum_j (z_j - z_{j+N/2}) e^{2 pi i j(k + 1/2)/(N/2)} (a shifted block), each in bit-reversed order
// within its half, which is bit-reversed order over the whole array.
//
// The backward transform is the conjugate of the forward transform of the conjugated input: its first
// pass reads the points conjugated and its final permutation stores them conjugated. For 16 and 8 points
// it reads the forward kernel's bins at negated indices instead, and it has its own 4-point kernel.

namespace {

constexpr int32_t plain_kind = 1;

// The factors of the stages of 128, 512, 2048 and 8192 doubles, which run once per leaf block, once per
// four or sixteen, computed once per transform call into arrays of its own (63.75 KiB); the
// stages of other sizes, and of 2048 or 8192 doubles in arrays too small to pay for it, compute theirs.
struct leaf_factors {
  double arrays128[6][2 * 128 / 16], arrays512[6][2 * 512 / 16], arrays2048[6][2 * 2048 / 16],
      arrays8192[6][2 * 8192 / 16];
  stage_factor_sets of128, of512, of2048, of8192;
  bool has2048 = false, has8192 = false;

  template <int Points>
  static stage_factor_sets fill(int32_t m, double (&arrays)[6][Points]) {
    double* const pointers[6] = {arrays[0], arrays[1], arrays[2], arrays[3], arrays[4], arrays[5]};
    return fill_stage_factors(m, pointers);
  }

  // Only the sizes staged below the top of an array of n doubles (the top stage computes its own), and
  // 2048 and 8192 only where they run at least four and eight times.
  explicit leaf_factors(int32_t n) {
    if (n > 128) of128 = fill(128, arrays128);
    if (n > 512) of512 = fill(512, arrays512);
    has2048 = n >= 8192;
    if (has2048) of2048 = fill(2048, arrays2048);
    has8192 = n >= 65536;
    if (has8192) of8192 = fill(8192, arrays8192);
  }

  const stage_factor_sets* of_size(int32_t m) const {
    if (m == 128) return &of128;
    if (m == 512) return &of512;
    if (m == 2048 && has2048) return &of2048;
    if (m == 8192 && has8192) return &of8192;
    return nullptr;
  }
};

void stage_of_kind(int32_t kind, int32_t m, double* a, const leaf_factors& leaf) {
  if (const stage_factor_sets* sets = leaf.of_size(m)) {
    if (kind == plain_kind)
      stage_plain(m, a, sets->plain);
    else
      stage_shifted(m, a, sets->shifted);
  } else if (kind == plain_kind) {
    stage_plain(m, a);
  } else {
    stage_shifted(m, a);
  }
}

void kernel16_of_kind(int32_t kind, double* a) {
  if (kind == plain_kind)
    kernel16_plain(a);
  else
    kernel16_shifted(a);
}

// Before leaf block number k counted from the end of the block, [j - 512, j): applies the stages owed
// by the blocks ending at j, largest first, and returns the kind of the leaf block. The leaf block is
// quarter 3 - (k mod 4) of its parent: k mod 4 = 1 or 3 plain, 2 shifted, 0 a last quarter with its
// parent's kind. When it is a last quarter, the blocks ending at j have not been staged yet: climb to the
// largest of them (the first that is not a last quarter), take its kind, and stage it and its chain of last
// quarters down to the leaf block. Sizes and offsets stay inside int32_t for every size up to 2^30.
int32_t prepare_leaf(int32_t j, int32_t k, double* a, const leaf_factors& leaf) {
  constexpr int32_t m = 512;
  if (k & 3) {
    const int32_t kind = k & 1;
    stage_of_kind(kind, m, a + j - m, leaf);
    return kind;
  }
  int32_t size = m;
  while ((k & 3) == 0) {
    size *= 4;
    k >>= 2;
  }
  const int32_t kind = k & 1;
  for (; size > 128; size >>= 2) stage_of_kind(kind, size, a + j - size, leaf);
  return kind;
}

// A staged block of m > 512 doubles: depth first, from its end towards its start, each block's stage
// running just before its last leaf block is finished, so all leaf work happens on 4 KiB blocks that
// were just touched.
void finish_by_leaves(int32_t m, int32_t kind, double* a, const leaf_factors& leaf) {
  int32_t size = m;
  while (size > 512) {  // the chain of last quarters, all of the block's kind
    size >>= 2;
    stage_of_kind(kind, size, a + m - size, leaf);
  }
  leaf_block(kind == plain_kind, a + m - 512, leaf.of128);
  int32_t k = 0;
  for (int32_t j = m - 512; j > 0; j -= 512) {
    ++k;
    const int32_t leaf_kind = prepare_leaf(j, k, a, leaf);
    leaf_block(leaf_kind == plain_kind, a + j - 512, leaf.of128);
  }
}

// A block of m = 2^odd >= 128 doubles after its own stage.
void finish_staged_block(int32_t m, int32_t kind, double* a, const leaf_factors& leaf) {
  if (m > 512) {
    finish_by_leaves(m, kind, a, leaf);
  } else if (m == 512) {
    leaf_block(kind == plain_kind, a, leaf.of128);
  } else {
    quarter_kernels(kind == plain_kind, a);
  }
}

// A block of m = 2^odd >= 32 doubles from its input.
void transform_block(int32_t m, int32_t kind, double* a, const leaf_factors& leaf) {
  if (m == 32) {
    kernel16_of_kind(kind, a);
    return;
  }
  stage_of_kind(kind, m, a, leaf);
  finish_staged_block(m, kind, a, leaf);
}

// How the first pass reads the array: as it is, conjugated, or with its upper half taken as +0.0 and
// not read.
enum class first_pass { as_is, conjugated, upper_half_zero };

bool even_log(int32_t n) { return (__builtin_ctz(static_cast<uint32_t>(n)) & 1) == 0; }

// Every size above 32 doubles: the first pass (split or stage) reading as `read` says, then the blocks.
// The result is left in bit-reversed order.
void transform_staged(first_pass read, int32_t n, double* a) {
  const leaf_factors leaf(n);
  if (even_log(n)) {
    switch (read) {
      case first_pass::as_is:
        split_halves(n, a);
        break;
      case first_pass::conjugated:
        split_halves_conj(n, a);
        break;
      case first_pass::upper_half_zero:
        split_halves_upper_half_zero(n, a);
        break;
    }
    transform_block(n / 2, plain_kind, a, leaf);
    transform_block(n / 2, 1 - plain_kind, a + n / 2, leaf);
    return;
  }
  switch (read) {
    case first_pass::as_is:
      stage_plain(n, a);
      break;
    case first_pass::conjugated:
      stage_plain_conj(n, a);
      break;
    case first_pass::upper_half_zero:
      stage_plain_upper_half_zero(n, a);
      break;
  }
  finish_staged_block(n, plain_kind, a, leaf);
}

}  // namespace

void complex_forward(int32_t n, double* a) {
  if (n > 8) {
    if (n > 32) {
      transform_staged(first_pass::as_is, n, a);
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
  transform_staged(first_pass::upper_half_zero, n, a);
  bit_reverse(n, a);
}

void complex_backward(int32_t n, double* a) {
  if (n > 8) {
    if (n > 32) {
      transform_staged(first_pass::conjugated, n, a);
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
