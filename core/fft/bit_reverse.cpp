// Bit-reversal permutations by swapping points in place, found without a table.
//
// The general permutation works on tiles, so that every cache line it touches is used whole while it is
// in the cache. A point index of b = log2 N bits is read as  A M B : the top t bits A, the bottom t bits
// B and the b - 2t middle bits M (t = 4 from N = 256 points on, so B runs over 16 consecutive points,
// 256 bytes). Then rev(A M B) = rev(B) rev(M) rev(A): the tile of a middle value M (2^t rows A of 2^t
// consecutive points B) is exchanged with the tile of rev(M), transposed. A pair of tiles is 8 KiB, well
// inside the first-level cache, and its rows are read in runs of four cache lines. A tile with
// M = rev(M) is exchanged with itself: each pair once, and the points with rev(x) = x stay (the
// conjugating permutation conjugates them in place). Every pair is swapped once, every point read and
// written at most once.
#include "core/fft/bit_reverse.h"

#include <cassert>

namespace {

// Exchanges the points at positions x and y (in doubles); with `conjugate` both are stored conjugated.
template <bool conjugate>
void swap_positions(double* a, int32_t x, int32_t y) {
  const double re = a[x], im = a[x + 1];
  a[x] = a[y];
  a[x + 1] = conjugate ? -a[y + 1] : a[y + 1];
  a[y] = re;
  a[y + 1] = conjugate ? -im : im;
}

// The reversal of the low `bits` bits of k.
inline int32_t reverse_low_bits(int32_t k, int bits) {
  int32_t r = 0;
  for (int i = 0; i < bits; ++i, k >>= 1) r = (r << 1) | (k & 1);
  return r;
}

template <bool conjugate>
void reverse_any_size(int32_t n, double* a) {
  assert(n >= 4);
  int bits = 0;  // b = log2 N
  while ((int32_t{2} << bits) < n) ++bits;
  const int t = bits >= 8 ? 4 : bits / 2;
  const int middle_bits = bits - 2 * t;
  const int32_t side = int32_t{1} << t;
  const int row_shift = t + middle_bits;  // A is worth 2^(t + middle bits) points
  int32_t reversed[16];                   // rev of the t-bit values, for the tile loops
  for (int32_t v = 0; v < side; ++v) reversed[v] = reverse_low_bits(v, t);

  for (int32_t mid = 0; mid < (int32_t{1} << middle_bits); ++mid) {
    const int32_t mid_rev = reverse_low_bits(mid, middle_bits);
    if (mid_rev < mid) continue;  // this pair of tiles was exchanged with mid_rev
    const int32_t x_mid = mid << t, y_mid = mid_rev << t;
    for (int32_t row = 0; row < side; ++row) {
      const int32_t x_row = (row << row_shift) | x_mid, y_column = reversed[row];
      for (int32_t col = 0; col < side; ++col) {
        const int32_t x = x_row | col;
        const int32_t y = (reversed[col] << row_shift) | y_mid | y_column;
        if (x < y || mid != mid_rev)
          swap_positions<conjugate>(a, 2 * x, 2 * y);
        else if (x == y && conjugate)
          a[2 * x + 1] = -a[2 * x + 1];
      }
    }
  }
}

// Point-indexed moves for the fixed sizes.
void swap_points(double* a, int p, int q) { swap_positions<false>(a, 2 * p, 2 * q); }

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
