// Bit-reversal permutations by swapping points in place, found without a table.
//
// The general permutation reads a point index of b = log2 N bits as  t H C L s : the top bit t, the
// bottom bit s, one centre bit C when b is odd or two when b is even, and two halves H and L of equal
// length. Then rev(t H C L s) = s rev(L) rev(C) rev(H) t. Positions count doubles, so s is worth 2
// doubles, t is worth nh = n/2, the centre bits m and 2m, with m the largest power of two such that
// m^2 <= n (the first L bit is worth 4 doubles, the last one m/2).
//
// The outer loop runs over the values of L, each with the counter j0 = rev(L) placed in H; the inner
// loop over the smaller values L' < L, with k = rev(L') in H kept by a counter advanced in
// bit-reversed order. Each inner step owns the indices x = (rev(L), L') and rev(x) = (rev(L'), L) for
// all values of t, C and s, which pair up into one group of 8 swaps (one centre bit) or 16 swaps (two).
// The tail of an outer step owns the indices with H = rev(L), which rev maps among themselves: only
// t, C and s move, giving 2 (or 6) swaps and 4 points with rev(x) = x. Every pair is swapped once.
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

void conjugate_position(double* a, int32_t x) { a[x + 1] = -a[x + 1]; }

// k := the next value of a counter kept in bit-reversed order, bit nh/2 being its lowest digit: the
// carry runs from nh/2 downwards. Ends at 0 after the last value.
int32_t reversed_increment(int32_t k, int32_t nh) {
  int32_t i = nh / 2;
  k ^= i;
  while (i > k) {
    i /= 2;
    k ^= i;
  }
  return k;
}

// The 8 pairs of one inner step with one centre bit (worth m on both sides): (t, s) runs through
// (0, 0), (1, 0), (1, 1), (0, 1) on the j side and (0, 0), (0, 1), (1, 1), (1, 0) on the k side,
// each with the centre bit 0 and 1.
template <bool conjugate>
void inner_group_1(double* a, int32_t j, int32_t k, int32_t m, int32_t nh) {
  swap_positions<conjugate>(a, j, k);
  swap_positions<conjugate>(a, j + m, k + m);
  swap_positions<conjugate>(a, j + nh + m, k + 2 + m);
  swap_positions<conjugate>(a, j + nh, k + 2);
  swap_positions<conjugate>(a, j + nh + 2, k + nh + 2);
  swap_positions<conjugate>(a, j + nh + 2 + m, k + nh + 2 + m);
  swap_positions<conjugate>(a, j + 2 + m, k + nh + m);
  swap_positions<conjugate>(a, j + 2, k + nh);
}

// The 16 pairs of one inner step with two centre bits: the centre values m, 2m are exchanged
// between the sides, 3m = m + 2m stays.
template <bool conjugate>
void inner_group_2(double* a, int32_t j, int32_t k, int32_t m, int32_t nh) {
  swap_positions<conjugate>(a, j, k);
  swap_positions<conjugate>(a, j + m, k + 2 * m);
  swap_positions<conjugate>(a, j + 2 * m, k + m);
  swap_positions<conjugate>(a, j + 3 * m, k + 3 * m);
  j += nh;
  k += 2;
  swap_positions<conjugate>(a, j + 3 * m, k + 3 * m);
  swap_positions<conjugate>(a, j + 2 * m, k + m);
  swap_positions<conjugate>(a, j + m, k + 2 * m);
  swap_positions<conjugate>(a, j, k);
  j += 2;
  k += nh;
  swap_positions<conjugate>(a, j, k);
  swap_positions<conjugate>(a, j + m, k + 2 * m);
  swap_positions<conjugate>(a, j + 2 * m, k + m);
  swap_positions<conjugate>(a, j + 3 * m, k + 3 * m);
  j -= nh;
  k -= 2;
  swap_positions<conjugate>(a, j + 3 * m, k + 3 * m);
  swap_positions<conjugate>(a, j + 2 * m, k + m);
  swap_positions<conjugate>(a, j + m, k + 2 * m);
  swap_positions<conjugate>(a, j, k);
}

// The tail of an outer step; x = j0 + k0 is its index with H = rev(L) and t = C = s = 0. The points
// with t = s and a centre equal to its own reversal (0 or m with one centre bit, 0 or 3m with two)
// stay in place; the conjugating permutation conjugates them here, each once.
template <bool conjugate>
void tail_group_1(double* a, int32_t x, int32_t m, int32_t nh) {
  swap_positions<conjugate>(a, x + 2, x + nh);
  swap_positions<conjugate>(a, x + 2 + m, x + nh + m);
  if (conjugate) {
    conjugate_position(a, x);
    conjugate_position(a, x + nh + 2);
    conjugate_position(a, x + m);
    conjugate_position(a, x + m + nh + 2);
  }
}

template <bool conjugate>
void tail_group_2(double* a, int32_t x, int32_t m, int32_t nh) {
  swap_positions<conjugate>(a, x + 2, x + nh);
  swap_positions<conjugate>(a, x + 2 + m, x + nh + 2 * m);
  swap_positions<conjugate>(a, x + 2 + 2 * m, x + nh + m);
  swap_positions<conjugate>(a, x + 2 * m, x + m);
  swap_positions<conjugate>(a, x + nh + 2 + 2 * m, x + nh + 2 + m);
  swap_positions<conjugate>(a, x + 2 + 3 * m, x + nh + 3 * m);
  if (conjugate) {
    conjugate_position(a, x);
    conjugate_position(a, x + nh + 2);
    conjugate_position(a, x + 3 * m);
    conjugate_position(a, x + 3 * m + nh + 2);
  }
}

template <bool conjugate, int centre_bits>
void reverse_points(double* a, int32_t m, int32_t nh) {
  int32_t j0 = 0;
  for (int32_t k0 = 0; k0 < m; k0 += 4) {
    int32_t k = k0;
    for (int32_t j = j0; j < j0 + k0; j += 4) {
      if (centre_bits == 1)
        inner_group_1<conjugate>(a, j, k, m, nh);
      else
        inner_group_2<conjugate>(a, j, k, m, nh);
      k = reversed_increment(k, nh);
    }
    if (centre_bits == 1)
      tail_group_1<conjugate>(a, j0 + k0, m, nh);
    else
      tail_group_2<conjugate>(a, j0 + k0, m, nh);
    j0 = reversed_increment(j0, nh);
  }
}

template <bool conjugate>
void reverse_any_size(int32_t n, double* a) {
  assert(n >= 16);  // below, the tail group would reach past the array
  // m: the largest power of two with m^2 <= n. l = 4n/m^2 ends as 4 (one centre bit) or 8 (two).
  int32_t m = 4, l = n / 4;
  while (l > 8) {
    l /= 4;
    m *= 2;
  }
  if (l == 4)
    reverse_points<conjugate, 1>(a, m, n / 2);
  else
    reverse_points<conjugate, 2>(a, m, n / 2);
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
