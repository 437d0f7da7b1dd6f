// The last levels of a transform, one body for every vector width: the 16-point kernels of a staged
// block, run V::points blocks at a time in the layout of kernel_body.h, and the leaf blocks of 512 doubles.
#pragma once
#include "core/fft/kernel_body.h"
#include "core/fft/stage_body.h"

namespace {

// Moves the 16 points of V::points blocks into the kernels' layout (x[j] holds point j of every block,
// block b in point position b) and back. Lane moves only: the transposition of 2 x 2 or 4 x 4 points.
template <class V>
struct block_lanes;

template <>
struct block_lanes<complex_vector> {
  static void load(double* const* blocks, complex_vector* x) {
    for (int32_t j = 0; j < 16; ++j) x[j] = load_vector(blocks[0], j);
  }
  static void store(double* const* blocks, const complex_vector* y) {
    for (int32_t j = 0; j < 16; ++j) store_vector(blocks[0], j, y[j]);
  }
};

#if defined(__AVX2__)
template <>
struct block_lanes<two_points> {
  static void transpose(two_points& r0, two_points& r1) {
    const two_points t0 = __builtin_shufflevector(r0, r1, 0, 1, 4, 5);
    r1 = __builtin_shufflevector(r0, r1, 2, 3, 6, 7);
    r0 = t0;
  }
  static void load(double* const* blocks, two_points* x) {
    for (int32_t j = 0; j < 16; j += 2) {
      x[j] = load_points<two_points>(blocks[0], j);
      x[j + 1] = load_points<two_points>(blocks[1], j);
      transpose(x[j], x[j + 1]);
    }
  }
  static void store(double* const* blocks, const two_points* y) {
    for (int32_t j = 0; j < 16; j += 2) {
      two_points r0 = y[j], r1 = y[j + 1];
      transpose(r0, r1);
      store_points(blocks[0], j, r0);
      store_points(blocks[1], j, r1);
    }
  }
};
#endif

#if defined(__AVX512F__)
template <>
struct block_lanes<four_points> {
  static void transpose(four_points r[4]) {
    const four_points t0 = __builtin_shufflevector(r[0], r[1], 0, 1, 8, 9, 2, 3, 10, 11);
    const four_points t1 = __builtin_shufflevector(r[0], r[1], 4, 5, 12, 13, 6, 7, 14, 15);
    const four_points t2 = __builtin_shufflevector(r[2], r[3], 0, 1, 8, 9, 2, 3, 10, 11);
    const four_points t3 = __builtin_shufflevector(r[2], r[3], 4, 5, 12, 13, 6, 7, 14, 15);
    r[0] = __builtin_shufflevector(t0, t2, 0, 1, 2, 3, 8, 9, 10, 11);
    r[1] = __builtin_shufflevector(t0, t2, 4, 5, 6, 7, 12, 13, 14, 15);
    r[2] = __builtin_shufflevector(t1, t3, 0, 1, 2, 3, 8, 9, 10, 11);
    r[3] = __builtin_shufflevector(t1, t3, 4, 5, 6, 7, 12, 13, 14, 15);
  }
  static void load(double* const* blocks, four_points* x) {
    for (int32_t j = 0; j < 16; j += 4) {
      for (int32_t b = 0; b < 4; ++b) x[j + b] = load_points<four_points>(blocks[b], j);
      transpose(x + j);
    }
  }
  static void store(double* const* blocks, const four_points* y) {
    for (int32_t j = 0; j < 16; j += 4) {
      four_points r[4] = {y[j], y[j + 1], y[j + 2], y[j + 3]};
      transpose(r);
      for (int32_t b = 0; b < 4; ++b) store_points(blocks[b], j, r[b]);
    }
  }
};
#endif

// The 16-point kernels of `count` blocks of 32 doubles of one kind, V::points at a time.
template <class V, block_kind Kind>
PI_BATCH_LOOP void kernels16(double* const* blocks, int32_t count) {
  by_vectors<V>(0, count, [&](int32_t k, auto width) {
    typedef decltype(width) W;
    W x[16], y[16];
    block_lanes<W>::load(blocks + k, x);
    if (Kind == block_kind::plain)
      kernel16_plain_points(x, y);
    else
      kernel16_shifted_points(x, y);
    block_lanes<W>::store(blocks + k, y);
  });
}

// Kernel blocks gathered by kind.
struct kernel_blocks {
  double* plain[12];
  double* shifted[8];
  int32_t plains = 0, shifteds = 0;

  void add(block_kind kind, double* block) {
    if (kind == block_kind::plain)
      plain[plains++] = block;
    else
      shifted[shifteds++] = block;
  }
  // The quarters of a staged block of 128 doubles at a.
  void add_quarters(block_kind kind, double* a) {
    for (int32_t c = 0; c < 4; ++c) add(quarter_kind(kind, c), a + 32 * c);
  }
  template <class V>
  void run() const {
    kernels16<V, block_kind::plain>(plain, plains);
    kernels16<V, block_kind::shifted>(shifted, shifteds);
  }
};

// A staged block of 128 doubles of the given kind: the kernels of its quarters.
template <class V>
void quarter_kernels(block_kind kind, double* a) {
  kernel_blocks blocks;
  blocks.add_quarters(kind, a);
  blocks.run<V>();
}

// A staged block of 512 doubles of the given kind: the stages of its quarters with the factors of128,
// then the kernels of their quarters.
template <class V>
void leaf_block(block_kind kind, double* a, const stage_factor_sets& of128) {
  kernel_blocks blocks;
  for (int32_t c = 0; c < 4; ++c) {
    double* quarter = a + 128 * c;
    stage_of_kind<V>(quarter_kind(kind, c), 128, quarter, &of128);
    blocks.add_quarters(quarter_kind(kind, c), quarter);
  }
  blocks.run<V>();
}

}  // namespace
