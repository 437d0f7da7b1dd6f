// Bit-reversal permutations in place, found without a table of indices.
//
// The general permutation works on tiles, so that every cache line it touches is used whole. A point
// index of b = log2 N bits is read as  A M B : the top t bits A, the bottom t bits B and the b - 2t
// middle bits M (t = 5 from N = 1024 points on, so B runs over 32 consecutive points, 512 bytes). Then
// rev(A M B) = rev(B) rev(M) rev(A): the tile of a middle value M (2^t rows A of 2^t consecutive
// points B) is exchanged with the tile of rev(M), transposed, each point of one going to
// (rev B, rev A) of the other; a tile with M = rev(M) is transposed onto itself.
//
// The rows of a tile lie a power of two apart, so in the caches they compete for the same few sets;
// exchanging two tiles point by point would fetch each line again and again. So both tiles are first
// copied, row by row, into two small local buffers (2 x 16 KiB, in the first-level cache), and then
// written back row by row from the other buffer, transposed: every line of the array is read once and
// written once, in runs of eight lines. Out of the caches the rows are what memory has to find; rows
// of 512 bytes rather than 256 made a transform's permutation a third faster at 2^21 points.
#include "core/fft/bit_reverse.h"

#include <cassert>
#include <cstring>

namespace {

constexpr int largest_tile_bits = 5;
constexpr int32_t largest_side = int32_t{1} << largest_tile_bits;

// A tile copied out of the array: row r holds the 2^t points of that row, as doubles.
typedef double tile_buffer[largest_side][2 * largest_side];

typedef double point_pair __attribute__((vector_size(16)));  // one complex point

// Row r of the tile at `base` := column rev(r) of `from`, its points in the order rev(c) (conjugated
// when asked): point (r, c) receives from[rev c][rev r]. Points move as 16-byte units; with the side
// known at compile time (32 for every n from 1024 points on) the indices are constants.
template <bool conjugate, int32_t side>
void write_transposed(double* a, int32_t base, int32_t row_stride, const tile_buffer& from) {
  static constexpr struct reversal {
    int32_t of[side];
    constexpr reversal() : of() {
      for (int32_t v = 0; v < side; ++v)
        for (int32_t b = 1, r = side >> 1; b < side; b <<= 1, r >>= 1) of[v] |= (v & b) ? r : 0;
    }
  } reversed;
  const point_pair sign = {1.0, conjugate ? -1.0 : 1.0};  // exact: a sign flip at most
  for (int32_t r = 0; r < side; ++r) {
    double* row = a + 2 * (base + r * row_stride);
    const int32_t column = 2 * reversed.of[r];
#pragma GCC unroll 32  // every load then has a constant offset: a fifth of the permutation's time
    for (int32_t c = 0; c < side; ++c) {
      point_pair z;
      std::memcpy(&z, from[reversed.of[c]] + column, sizeof z);
      if (conjugate) z *= sign;
      std::memcpy(row + 2 * c, &z, sizeof z);
    }
  }
}

template <bool conjugate>
void write_transposed(double* a, int32_t base, int32_t row_stride, int32_t side, const tile_buffer& from) {
  switch (side) {
    case 32: return write_transposed<conjugate, 32>(a, base, row_stride, from);
    case 16: return write_transposed<conjugate, 16>(a, base, row_stride, from);
    case 8: return write_transposed<conjugate, 8>(a, base, row_stride, from);
    case 4: return write_transposed<conjugate, 4>(a, base, row_stride, from);
    case 2: return write_transposed<conjugate, 2>(a, base, row_stride, from);
    default: return write_transposed<conjugate, 1>(a, base, row_stride, from);
  }
}

template <int32_t side>
void read_tile(const double* a, int32_t base, int32_t row_stride, tile_buffer& to) {
  for (int32_t r = 0; r < side; ++r) std::memcpy(to[r], a + 2 * (base + r * row_stride), 2 * side * sizeof(double));
}

// Rows of a size known at compile time are copied inline rather than by a call per row.
void read_tile(const double* a, int32_t base, int32_t row_stride, int32_t side, tile_buffer& to) {
  if (side == largest_side) return read_tile<largest_side>(a, base, row_stride, to);
  for (int32_t r = 0; r < side; ++r) std::memcpy(to[r], a + 2 * (base + r * row_stride), 2 * side * sizeof(double));
}

template <bool conjugate>
void reverse_any_size(int32_t n, double* a) {
  assert(n >= 4);
  int bits = 0;  // b = log2 N
  while ((int32_t{2} << bits) < n) ++bits;
  const int t = bits / 2 < largest_tile_bits ? bits / 2 : largest_tile_bits;
  const int middle_bits = bits - 2 * t;
  const int32_t side = int32_t{1} << t;
  const int32_t row_stride = int32_t{1} << (t + middle_bits);  // points from one row A to the next

  alignas(64) tile_buffer tile, partner;
  const int32_t middles = int32_t{1} << middle_bits;
  int32_t mid_rev = 0;  // rev(mid), kept as a counter in bit-reversed order
  for (int32_t mid = 0; mid < middles; ++mid) {
    if (mid > 0) {
      int32_t bit = middles >> 1;
      for (; mid_rev & bit; bit >>= 1) mid_rev ^= bit;
      mid_rev |= bit;
    }
    if (mid_rev < mid) continue;  // exchanged already, as the partner of mid_rev
    const int32_t base = mid << t, partner_base = mid_rev << t;
    read_tile(a, base, row_stride, side, tile);
    if (mid != mid_rev) {
      read_tile(a, partner_base, row_stride, side, partner);
      write_transposed<conjugate>(a, base, row_stride, side, partner);
    }
    write_transposed<conjugate>(a, partner_base, row_stride, side, tile);
  }
}

// Point-indexed moves for the fixed sizes.
void swap_points(double* a, int p, int q) {
  const double re = a[2 * p], im = a[2 * p + 1];
  a[2 * p] = a[2 * q];
  a[2 * p + 1] = a[2 * q + 1];
  a[2 * q] = re;
  a[2 * q + 1] = im;
}

void move_point(double* a, int to, int from) {
  a[2 * to] = a[2 * from];
  a[2 * to + 1] = a[2 * from + 1];
}

}  // namespace

void bit_reverse(int32_t n, double* a) { reverse_any_size<false>(n, a); }

void bit_reverse_conj(int32_t n, double* a) { reverse_any_size<true>(n, a); }

// Sources 0, 8, 4, 12, 2, 10, 6, 14, 1, 9, 5, 13, 3, 11, 7, 15.
void bit_reverse_16(double* a) {
  swap_points(a, 1, 8);
  swap_points(a, 2, 4);
  swap_points(a, 3, 12);
  swap_points(a, 5, 10);
  swap_points(a, 7, 14);
  swap_points(a, 11, 13);
}

// Sources 0, 15, 7, 11, 3, 13, 5, 9, 1, 14, 6, 10, 2, 12, 4, 8: the cycles (1 <- 15 <- 8 <- 1) and
// (2 <- 7 <- 9 <- 14 <- 4 <- 3 <- 11 <- 10 <- 6 <- 5 <- 13 <- 12 <- 2); point 0 stays.
void bit_reverse_16_neg(double* a) {
  double re = a[2], im = a[3];
  move_point(a, 1, 15);
  move_point(a, 15, 8);
  a[16] = re;
  a[17] = im;

  re = a[4];
  im = a[5];
  move_point(a, 2, 7);
  move_point(a, 7, 9);
  move_point(a, 9, 14);
  move_point(a, 14, 4);
  move_point(a, 4, 3);
  move_point(a, 3, 11);
  move_point(a, 11, 10);
  move_point(a, 10, 6);
  move_point(a, 6, 5);
  move_point(a, 5, 13);
  move_point(a, 13, 12);
  a[24] = re;
  a[25] = im;
}

// Sources 0, 4, 2, 6, 1, 5, 3, 7.
void bit_reverse_8(double* a) {
  swap_points(a, 1, 4);
  swap_points(a, 3, 6);
}

// Sources 0, 7, 3, 5, 1, 6, 2, 4: the cycles (1 <- 7 <- 4 <- 1) and (2 <- 3 <- 5 <- 6 <- 2).
void bit_reverse_8_neg(double* a) {
  double re = a[2], im = a[3];
  move_point(a, 1, 7);
  move_point(a, 7, 4);
  a[8] = re;
  a[9] = im;

  re = a[4];
  im = a[5];
  move_point(a, 2, 3);
  move_point(a, 3, 5);
  move_point(a, 5, 6);
  a[12] = re;
  a[13] = im;
}
