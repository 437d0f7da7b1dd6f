// The transform engine of one vector width V: the complex transform driver, the real transform with its
// separation passes, the bit reversal and the factor arrays, compiled whole for V by the engine file of
// each path (engine_sse2.cpp, engine_avx2.cpp, engine_avx512.cpp). Nothing in here asks which path is in
// use: the width is the template parameter, chosen once when the engine is selected (simd_path.h).
//
// Complex transform: decimation in frequency, split radix, in radix-4 stages over blocks. A block is
// plain (it owes X_k = sum_j x_j e^{+2 pi i jk/L}) or shifted (it owes the same with k + 1/2); every
// stage and kernel leaves its results in bit-reversed order within its block, and one permutation at
// the end brings the whole array into natural order. A stage splits a block into quarters of the kinds
// of quarter_kind (stage_body.h), so the last quarter has the kind of its parent.
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
#pragma once
#include <algorithm>
#include <memory>
#include <new>

#include "core/fft/bit_reverse_body.h"
#include "core/fft/factor_body.h"
#include "core/fft/kernel_body.h"
#include "core/fft/leaf_body.h"
#include "core/fft/separation_body.h"
#include "core/fft/stage_body.h"
#include "core/fft/transform_engine.h"
#include "core/parallel/work_team.h"

// Transforms of fewer doubles run on one thread. Measured with bench/arith/bench_thread_passes (a
// square, two threads): threaded passes lose below 2^15 doubles, break even at 2^16 and pay 1.1 to 1.3
// times from 2^17 doubles, 1.6 from 2^19.
#ifndef PI_THREADED_TRANSFORM_DOUBLES
#define PI_THREADED_TRANSFORM_DOUBLES (1 << 16)
#endif

namespace {

template <class V>
struct engine {
  // The factors of the stages of 128 to 32768 doubles, which run once per leaf block, or once per four,
  // sixteen, ... of them, computed once per transform call into arrays of its own; the stages of other
  // sizes, and of 2048 to 32768 doubles in arrays too small to pay for it, compute theirs as they go.
  // Either way a factor has the same value. The arrays up to 8192 doubles (63.75 KiB) sit on the stack
  // of the call, well inside the 128 KiB of stack that a process starts with: growing the stack further
  // can fail under an address-space limit, and that failure is a crash, not a reported lack of memory.
  // The 192 KiB for 32768 doubles come from the heap, for arrays of 2^18 doubles and more (so at most a
  // tenth of the array's own size); if they cannot be had, those stages compute their factors as they go.
  struct leaf_factors {
    double arrays128[6][2 * 128 / 16], arrays512[6][2 * 512 / 16], arrays2048[6][2 * 2048 / 16],
        arrays8192[6][2 * 8192 / 16];
    std::unique_ptr<double[]> storage32768;
    stage_factor_sets of128, of512, of2048, of8192, of32768;
    bool has2048 = false, has8192 = false, has32768 = false;

    template <int Doubles>
    static stage_factor_sets fill(int32_t block, double (&arrays)[6][Doubles]) {
      double* const pointers[6] = {arrays[0], arrays[1], arrays[2], arrays[3], arrays[4], arrays[5]};
      return fill_stage_factors<V>(block, pointers);
    }

    // Only the sizes staged below the top of an array of `doubles` doubles (the top stage computes its
    // own), and 2048 to 32768 only where they run at least four, eight and eight times.
    explicit leaf_factors(int32_t doubles) {
      if (doubles > 128) of128 = fill(128, arrays128);
      if (doubles > 512) of512 = fill(512, arrays512);
      has2048 = doubles >= 8192;
      if (has2048) of2048 = fill(2048, arrays2048);
      has8192 = doubles >= 65536;
      if (has8192) of8192 = fill(8192, arrays8192);
      if (doubles >= 262144) {
        constexpr int32_t each = 2 * 32768 / 16;
        storage32768.reset(new (std::nothrow) double[6 * each]);
        has32768 = storage32768 != nullptr;
        if (has32768) {
          double* const s = storage32768.get();
          double* const pointers[6] = {s, s + each, s + 2 * each, s + 3 * each, s + 4 * each, s + 5 * each};
          of32768 = fill_stage_factors<V>(32768, pointers);
        }
      }
    }

    // The arrays of the factors of a stage of `block` doubles, or null: the stage computes its own.
    const stage_factor_sets* of_size(int32_t block) const {
      if (block == 128) return &of128;
      if (block == 512) return &of512;
      if (block == 2048 && has2048) return &of2048;
      if (block == 8192 && has8192) return &of8192;
      if (block == 32768 && has32768) return &of32768;
      return nullptr;
    }
  };

  static void stage(block_kind kind, int32_t block, double* a, const leaf_factors& leaf) {
    stage_of_kind<V>(kind, block, a, leaf.of_size(block));
  }

  // Before leaf block number k counted from the end of the block, [j - 512, j): applies the stages owed
  // by the blocks ending at j, largest first, and returns the kind of the leaf block, which is quarter
  // 3 - (k mod 4) of its parent. When it is a last quarter (k mod 4 = 0), the blocks ending at j have not
  // been staged yet: climb to the largest of them (the first that is not a last quarter), take its
  // kind, and stage it and its chain of last quarters down to the leaf block. Sizes and offsets stay
  // inside int32_t for every size up to 2^30 doubles.
  static block_kind prepare_leaf(int32_t j, int32_t k, double* a, const leaf_factors& leaf) {
    constexpr int32_t leaf_doubles = 512;
    if (k & 3) {
      // A quarter 0..2: its parent was staged with the block before it; the kind does not depend on
      // the parent's.
      const block_kind kind = quarter_kind(block_kind::plain, 3 - (k & 3));
      stage(kind, leaf_doubles, a + j - leaf_doubles, leaf);
      return kind;
    }
    int32_t block = leaf_doubles;
    while ((k & 3) == 0) {
      block *= 4;
      k >>= 2;
    }
    const block_kind kind = quarter_kind(block_kind::plain, 3 - (k & 3));
    for (; block > 128; block >>= 2) stage(kind, block, a + j - block, leaf);
    return kind;
  }

  // A staged block of more than 512 doubles: depth first, from its end towards its start, each block's
  // stage running just before its last leaf block is finished, so all leaf work happens on 4 KiB
  // blocks that were just touched.
  static void finish_by_leaves(int32_t doubles, block_kind kind, double* a, const leaf_factors& leaf) {
    int32_t block = doubles;
    while (block > 512) {  // the chain of last quarters, all of the block's kind
      block >>= 2;
      stage(kind, block, a + doubles - block, leaf);
    }
    leaf_block<V>(kind, a + doubles - 512, leaf.of128);
    int32_t k = 0;
    for (int32_t j = doubles - 512; j > 0; j -= 512) {
      ++k;
      leaf_block<V>(prepare_leaf(j, k, a, leaf), a + j - 512, leaf.of128);
    }
  }

  // A block of 2^odd >= 128 doubles after its own stage.
  static void finish_staged_block(int32_t doubles, block_kind kind, double* a, const leaf_factors& leaf) {
    if (doubles > 512)
      finish_by_leaves(doubles, kind, a, leaf);
    else if (doubles == 512)
      leaf_block<V>(kind, a, leaf.of128);
    else
      quarter_kernels<V>(kind, a);
  }

  // A block of 2^odd >= 32 doubles from its input.
  static void transform_block(int32_t doubles, block_kind kind, double* a, const leaf_factors& leaf) {
    if (doubles == 32) {
      kernel_on_block<16>(a, kind == block_kind::plain ? kernel16_plain_points<complex_vector>
                                                       : kernel16_shifted_points<complex_vector>);
      return;
    }
    stage(kind, doubles, a, leaf);
    finish_staged_block(doubles, kind, a, leaf);
  }

  // Every size above 32 doubles: the first pass (split or stage) reading as Input says, then the
  // blocks; the result is left in bit-reversed order.
  template <input_kind Input>
  static void transform_staged(int32_t doubles, double* a, work_team* team) {
    const leaf_factors leaf(doubles);
    if (team_threads(team) > 1 && doubles >= threaded_transform_doubles)
      return transform_by_units<Input>(doubles, a, leaf, team);
    if ((__builtin_ctz(static_cast<uint32_t>(doubles)) & 1) == 0) {  // 2^even doubles
      const int32_t half = doubles / 2;
      if (half == 32) {
        split_halves<V, Input>(doubles, a);
        transform_block(half, block_kind::plain, a, leaf);
        transform_block(half, block_kind::shifted, a + half, leaf);
        return;
      }
      split_and_stage_halves<V, Input>(doubles, a);  // the split and the halves' own stages
      finish_staged_block(half, block_kind::plain, a, leaf);
      finish_staged_block(half, block_kind::shifted, a + half, leaf);
      return;
    }
    plain_stage<V, Input>(doubles, a, plain_factors(doubles));
    finish_staged_block(doubles, block_kind::plain, a, leaf);
  }

  // Threads: the same stages and leaf blocks, in passes of units (work_team.h). The first pass and the
  // stages of the levels above the unit blocks are cut into parts of their factor batches; then each
  // unit block, one of at least unit_blocks blocks of its level, is finished depth first by one thread.
  // Every stage and leaf block does what it does in the serial order, so the doubles are the same.
  // Sizes up to threaded_transform_doubles, and one thread, take the serial order, which keeps each
  // block in the caches of one core from its stage to its leaves.
  static constexpr int32_t threaded_transform_doubles = PI_THREADED_TRANSFORM_DOUBLES;
  static constexpr int32_t unit_blocks = 16;  // blocks of the last level: enough to keep 5 threads busy
  static constexpr int32_t stage_parts = 64;  // units of a pass of stages, at most

  static bool is_even_power(int32_t doubles) {
    return (__builtin_ctz(static_cast<uint32_t>(doubles)) & 1) == 0;
  }

  // The kind of block b of a level `depth` quarterings below the top blocks (two halves of an array of
  // 2^even doubles, plain and shifted; else the whole array, plain).
  static block_kind kind_at(int32_t b, int32_t depth, bool halves) {
    block_kind kind = halves && (b >> (2 * depth)) == 1 ? block_kind::shifted : block_kind::plain;
    for (int32_t d = depth - 1; d >= 0; --d) kind = quarter_kind(kind, (b >> (2 * d)) & 3);
    return kind;
  }

  template <input_kind Input>
  static void transform_by_units(int32_t doubles, double* a, const leaf_factors& leaf, work_team* team) {
    const bool halves = is_even_power(doubles);
    {
      const int32_t batches = halves ? split_batches(doubles) : stage_batches(doubles);
      const int32_t parts = std::min(batches, stage_parts);
      for_each_unit(team, parts, [&](int32_t u) {
        const int32_t first = static_cast<int32_t>(unit_first(batches, parts, u));
        const int32_t last = static_cast<int32_t>(unit_first(batches, parts, u + 1));
        if (halves)
          split_and_stage_halves_part<V, Input>(doubles, a, first, last);
        else
          plain_stage_part<V, Input>(doubles, a, plain_factors(doubles), first, last);
      });
    }
    int32_t block = halves ? doubles / 2 : doubles, blocks = halves ? 2 : 1, depth = 0;
    // Stage the quarters of every block, down to blocks of 128 doubles at the smallest (which end in
    // their quarter kernels).
    for (; blocks < unit_blocks && block / 4 >= 128; block /= 4, blocks *= 4, ++depth) {
      const int32_t quarter = block / 4, batches = stage_batches(quarter);
      const int32_t parts = std::max(1, std::min(batches, stage_parts / (4 * blocks)));
      const stage_factor_sets* arrays = leaf.of_size(quarter);
      for_each_unit(team, 4 * blocks * parts, [&](int32_t u) {
        const int32_t q = u / parts, part = u % parts;
        stage_part_of_kind<V>(kind_at(q, depth + 1, halves), quarter, a + int64_t{q} * quarter, arrays,
                              static_cast<int32_t>(unit_first(batches, parts, part)),
                              static_cast<int32_t>(unit_first(batches, parts, part + 1)));
      });
    }
    for_each_unit(team, blocks, [&](int32_t b) {
      finish_staged_block(block, kind_at(b, depth, halves), a + int64_t{b} * block, leaf);
    });
  }

  // The bit reversal, the last pass of a transform, in parts of its middle values; each part keeps its
  // own Store, handed back in part order.
  static constexpr int32_t reversal_parts = 64;
  template <bool conjugate, class Store>
  static void bit_reverse(int32_t doubles, double* a, work_team* team, Store* stores, int32_t* parts_used) {
    const int32_t middles = tile_shape(doubles).middles();
    const int32_t parts = team_threads(team) > 1 && doubles >= threaded_transform_doubles
                              ? std::min(middles, reversal_parts)
                              : 1;
    *parts_used = parts;
    for_each_unit(team, parts, [&](int32_t u) {
      bit_reverse_tiles_part<V, conjugate>(doubles, a, stores[u],
                                           static_cast<int32_t>(unit_first(middles, parts, u)),
                                           static_cast<int32_t>(unit_first(middles, parts, u + 1)));
    });
  }
  template <bool conjugate>
  static void bit_reverse_plain(int32_t doubles, double* a, work_team* team) {
    plain_store stores[reversal_parts];
    int32_t parts;
    bit_reverse<conjugate>(doubles, a, team, stores, &parts);
  }

  // Up to 32 doubles: the kernels, then for 8 and 16 points their permutation (negated indices for the
  // backward direction); the 4-point kernels have a direction of their own, the 2-point one is both.
  template <bool Backward>
  static void small_transform(int32_t doubles, double* a) {
    if (doubles == 32) {
      kernel_on_block<16>(a, kernel16_plain_points<complex_vector>);
      bit_reverse_small<16, Backward>(a);
    } else if (doubles == 16) {
      kernel_on_block<8>(a, plain8<complex_vector>);
      bit_reverse_small<8, Backward>(a);
    } else if (doubles == 8) {
      kernel4<Backward>(a);
    } else if (doubles == 4) {
      kernel2(a);
    }
  }

  static void complex_forward(int32_t doubles, double* a, work_team* team) {
    if (doubles <= 32) return small_transform<false>(doubles, a);
    transform_staged<input_kind::as_is>(doubles, a, team);
    bit_reverse_plain<false>(doubles, a, team);
  }

  static void complex_backward(int32_t doubles, double* a) {
    if (doubles <= 32) return small_transform<true>(doubles, a);
    transform_staged<input_kind::conjugated>(doubles, a, nullptr);
    bit_reverse_tiles<V, true>(doubles, a);
  }

  // Z_0 = (sum of even x) + i (sum of odd x) gives bins 0 and n/2 of the real transform.
  static void finish_bins_0_and_half(double* a) {
    const double t = a[0] - a[1];
    a[0] += a[1];
    a[1] = t;
  }

  static void real_forward(int32_t doubles, double* a) {
    if (doubles >= 4) complex_forward(doubles, a, nullptr);
    if (doubles > 4) separation_pass<V, false>(doubles, a);
    finish_bins_0_and_half(a);
  }

  static void real_inverse(int32_t doubles, double* a) {
    a[1] = 0.5 * (a[0] - a[1]);
    a[0] -= a[1];
    if (doubles > 4) separation_pass<V, true>(doubles, a);
    if (doubles >= 4) complex_backward(doubles, a);
  }

  // complex_forward of points whose upper half is zero: that half is not read, and the doubles are
  // those of complex_forward on the zero-padded array.
  static void complex_forward_upper_half_zero(int32_t doubles, double* a, work_team* team) {
    if (doubles <= 32) {  // small sizes: fill the padding and take the general transform
      std::fill(a + doubles / 2, a + doubles, 0.0);
      return complex_forward(doubles, a, nullptr);
    }
    transform_staged<input_kind::upper_half_zero>(doubles, a, team);
    bit_reverse_plain<false>(doubles, a, team);
  }

  static void real_forward_upper_half_zero(int32_t doubles, double* a) {
    complex_forward_upper_half_zero(doubles, a, nullptr);
    if (doubles > 4) separation_pass<V, false>(doubles, a);
    finish_bins_0_and_half(a);
  }

  // a := (2/doubles) complex_backward(a), rounded to integers; returns the largest distance. The
  // rounding is the last step of the final permutation, which stores every point once anyway. On
  // threads the largest distance is the maximum over the permutation's parts, whatever their order.
  static double integer_convolution(int32_t doubles, double* a, work_team* team) {
    const double scale = 2.0 / doubles;  // exact: doubles is a power of two
    if (doubles <= 32) {
      complex_backward(doubles, a);
      return round_to_integers<V>(doubles, a, scale);
    }
    transform_staged<input_kind::conjugated>(doubles, a, team);
    rounding_store<V> stores[reversal_parts];
    int32_t parts;
    for (rounding_store<V>& store : stores) store.scale = scale;
    bit_reverse<true>(doubles, a, team, stores, &parts);
    double largest = 0.0;
    for (int32_t u = 0; u < parts; ++u) largest = std::max(largest, stores[u].largest());
    return largest;
  }

  // The parts of a product's batches of bins, for threads, above threaded_transform_doubles.
  template <bool Square>
  static void product_of_spectra_by_units(int32_t doubles, double* out, const double* x, const double* y,
                                          work_team* team) {
    if (team_threads(team) == 1 || doubles < threaded_transform_doubles)
      return product_of_spectra<V, Square>(doubles, out, x, y);
    product_of_lone_bins<Square>(doubles, out, x, y);
    const int32_t batches = weight_batches<V>(doubles), parts = std::min(batches, stage_parts);
    for_each_unit(team, parts, [&](int32_t u) {
      product_of_spectra_part<V, Square>(doubles, out, x, y,
                                         static_cast<int32_t>(unit_first(batches, parts, u)),
                                         static_cast<int32_t>(unit_first(batches, parts, u + 1)));
    });
  }
  static void multiply_spectra(int32_t doubles, double* out, const double* x, const double* y,
                               work_team* team) {
    product_of_spectra_by_units<false>(doubles, out, x, y, team);
  }
  static void square_spectrum(int32_t doubles, double* out, const double* x, work_team* team) {
    product_of_spectra_by_units<true>(doubles, out, x, x, team);
  }

  static constexpr transform_engine entries() {
    return {complex_forward,
            complex_backward,
            complex_forward_upper_half_zero,
            real_forward,
            real_inverse,
            real_forward_upper_half_zero,
            multiply_spectra,
            square_spectrum,
            integer_convolution,
            round_to_integers<V>};
  }
};

}  // namespace
