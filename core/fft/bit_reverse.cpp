// Bit-reversal permutations in place. The general ones run on the selected path (bit_reverse_body.h);
// the fixed sizes of 8 and 16 points move their points one by one.
#include "core/fft/bit_reverse.h"

#include "core/fft/stage_paths.h"

namespace {

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

void bit_reverse(int32_t n, double* a) { selected_stages().bit_reverse(n, a); }

void bit_reverse_conj(int32_t n, double* a) { selected_stages().bit_reverse_conj(n, a); }

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
