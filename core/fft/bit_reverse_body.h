// Bit-reversal permutations of complex points z_j = (a[2j], a[2j+1]), in place, one body for every vector
// width, without index tables and without allocation. N = doubles/2 points, doubles a power of two;
// rev(j) reverses the log2 N bits of j and is an involution. z denotes the points before, z' after:
//
//   bit_reverse_tiles<V, false>:  z'[j] = z[rev(j)]                   (doubles >= 4)
//   bit_reverse_tiles<V, true>:   z'[j] = conj(z[rev(j)])             (every point conjugated exactly once)
//   bit_reverse_small<P, false>:  z'[j] = z[rev(j)]                   for N = P = 8 or 16
//   bit_reverse_small<P, true>:   z'[j] = z[rev((N - j) mod N)]       for N = P = 8 or 16, no sign change
//
// The negated twins turn a forward transform left in bit-reversed order (value for index k at point
// rev(k)) into the backward one in natural order, since the backward value for index k is the forward
// value for index (N - k) mod N. The points are only moved (and, for the conjugating permutation,
// their sign bits flipped), so every width gives the same doubles.
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
#pragma once
#include <cassert>
#include <type_traits>

#include "core/fft/complex_vector.h"
#include "core/fft/rounding_body.h"

namespace {

constexpr int largest_tile_bits = 5;
constexpr int32_t largest_side = int32_t{1} << largest_tile_bits;

// rev(v) of the log2 Side bits of every v < Side, or rev((Side - v) mod Side) when Negated.
template <int32_t Side, bool Negated>
struct reversal {
  int32_t of[Side];
  constexpr reversal() : of() {
    for (int32_t v = 0; v < Side; ++v) {
      const int32_t index = Negated ? (Side - v) % Side : v;
      for (int32_t b = 1, r = Side >> 1; b < Side; b <<= 1, r >>= 1) of[v] |= (index & b) ? r : 0;
    }
  }
};

// A tile copied out of the array: row r holds the 2^t points of that row, as doubles.
typedef double tile_buffer[largest_side][2 * largest_side];

// The vector that moves the points of a tile row: V, or one point at a time in tiles narrower than V.
template <class V, int32_t side>
using row_vector = typename std::conditional<(side >= lane_info<V>::points), V, complex_vector>::type;

// Points c, c + 1, ... of a row of the tile being written, as one vector: point c + k is
// from[rev(c + k)][column].
template <class W>
inline W gather_column(const tile_buffer& from, const int32_t* reversed, int32_t c, int32_t column) {
  const auto point = [&](int32_t k) { return load_vector(from[reversed[c + k]] + column, 0); };
  if constexpr (lane_info<W>::points == 1) {
    return point(0);
  } else if constexpr (lane_info<W>::points == 2) {
    return __builtin_shufflevector(point(0), point(1), 0, 1, 2, 3);
  } else {
    typedef double pair_of_points __attribute__((vector_size(32)));
    const pair_of_points low = __builtin_shufflevector(point(0), point(1), 0, 1, 2, 3);
    const pair_of_points high = __builtin_shufflevector(point(2), point(3), 0, 1, 2, 3);
    return __builtin_shufflevector(low, high, 0, 1, 2, 3, 4, 5, 6, 7);
  }
}

// Row r of the tile at `base` := column rev(r) of `from`, its points in the order rev(c) (conjugated
// when asked): point (r, c) receives from[rev c][rev r]. Points are read as 16-byte units and written
// V::points at a time (fewer stores: the permutation is bound by them); with the side known at compile
// time (32 for every n from 1024 points on) the indices are constants.
template <class V, bool conjugate, int32_t side, class Store>
void write_transposed(double* a, int32_t base, int32_t row_stride, const tile_buffer& from, Store& store) {
  static constexpr reversal<side, false> reversed;
  typedef row_vector<V, side> W;
  Store local = store;  // in registers for the loop (the stores to a could alias the caller's copy)
  for (int32_t r = 0; r < side; ++r) {
    double* row = a + 2 * (base + r * row_stride);
    const int32_t column = 2 * reversed.of[r];
#pragma GCC unroll 32  // every load then has a constant offset: a fifth of the permutation's time
    for (int32_t c = 0; c < side; c += lane_info<W>::points) {
      const W z = gather_column<W>(from, reversed.of, c, column);
      store_points(row, c, local(conjugate ? conj(z) : z));
    }
  }
  store = local;
}

// Rows of points copied V::points at a time: whole vectors, with no call to memcpy (which inlines
// 512-byte copies as string moves, slow to start, or calls the library).
template <class V, int32_t side>
void read_tile(const double* a, int32_t base, int32_t row_stride, tile_buffer& to) {
  typedef row_vector<V, side> W;
  for (int32_t r = 0; r < side; ++r) {
    const double* row = a + 2 * (base + r * row_stride);
#pragma GCC unroll 32
    for (int32_t c = 0; c < side; c += lane_info<W>::points) store_points(to[r], c, load_points<W>(row, c));
  }
}

// Calls body(std::integral_constant<int32_t, side>()) for a side of 1 .. 32, so that the loops above see
// the side as a constant.
template <class Body>
void with_side(int32_t side, Body body) {
  switch (side) {
    case 32: return body(std::integral_constant<int32_t, 32>());
    case 16: return body(std::integral_constant<int32_t, 16>());
    case 8: return body(std::integral_constant<int32_t, 8>());
    case 4: return body(std::integral_constant<int32_t, 4>());
    case 2: return body(std::integral_constant<int32_t, 2>());
    default: return body(std::integral_constant<int32_t, 1>());
  }
}

// The shape of the tiled permutation of `doubles` doubles: t bits per side, b - 2t middle bits.
struct tile_shape {
  int t, middle_bits;
  explicit tile_shape(int32_t doubles) {
    int bits = 0;  // b = log2 N
    while ((int32_t{2} << bits) < doubles) ++bits;
    t = bits / 2 < largest_tile_bits ? bits / 2 : largest_tile_bits;
    middle_bits = bits - 2 * t;
  }
  int32_t middles() const { return int32_t{1} << middle_bits; }
};

// Store(z) gives what is stored of each vector z of points (plain_store: z itself; rounding_store: z
// rounded to integers, rounding_body.h). A part of the permutation takes the middle values
// first .. last - 1: each tile pair is exchanged by the part that holds the smaller of its two
// middle values, so the parts of one permutation touch disjoint tiles.
template <class V, bool conjugate, class Store>
void bit_reverse_tiles_part(int32_t doubles, double* a, Store& store, int32_t first, int32_t last) {
  assert(doubles >= 4);
  const tile_shape shape(doubles);
  const int t = shape.t;
  const int32_t side = int32_t{1} << t;
  const int32_t row_stride = int32_t{1} << (t + shape.middle_bits);  // points from one row A to the next

  alignas(64) tile_buffer tile, partner;
  const int32_t middles = shape.middles();
  int32_t mid_rev = 0;  // rev(mid), kept as a counter in bit-reversed order
  for (int b = 0; b < shape.middle_bits; ++b)
    if (first >> b & 1) mid_rev |= middles >> (b + 1);
  for (int32_t mid = first; mid < last; ++mid) {
    if (mid > first) {
      int32_t bit = middles >> 1;
      for (; mid_rev & bit; bit >>= 1) mid_rev ^= bit;
      mid_rev |= bit;
    }
    if (mid_rev < mid) continue;  // exchanged already, as the partner of mid_rev
    const int32_t base = mid << t, partner_base = mid_rev << t;
    with_side(side, [&](auto side_constant) {
      constexpr int32_t s = decltype(side_constant)::value;
      read_tile<V, s>(a, base, row_stride, tile);
      if (mid != mid_rev) {
        read_tile<V, s>(a, partner_base, row_stride, partner);
        write_transposed<V, conjugate, s>(a, base, row_stride, partner, store);
      }
      write_transposed<V, conjugate, s>(a, partner_base, row_stride, tile, store);
    });
  }
}

template <class V, bool conjugate, class Store = plain_store>
void bit_reverse_tiles(int32_t doubles, double* a, Store&& store = Store()) {
  bit_reverse_tiles_part<V, conjugate>(doubles, a, store, 0, tile_shape(doubles).middles());
}

// The permutations of the small transforms (8 and 16 points), through a copy of the block.
template <int32_t Points, bool Negated>
void bit_reverse_small(double* a) {
  static constexpr reversal<Points, Negated> source;
  double z[2 * Points];
  std::memcpy(z, a, sizeof z);
  for (int32_t j = 0; j < Points; ++j) {
    a[2 * j] = z[2 * source.of[j]];
    a[2 * j + 1] = z[2 * source.of[j] + 1];
  }
}

}  // namespace
