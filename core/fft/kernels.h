// Fixed-size transform kernels: straight-line code, in place, no loop, no table, no trigonometric call.
//
// A block holds L points z_j = a[2j] + i a[2j+1], j = 0..L-1. The kernels compute
//   plain block:    X_k = sum_j z_j e^{+2 pi i jk/L}
//   shifted block:  Y_k = sum_j z_j e^{+2 pi i j(k + 1/2)/L}  (the plain transform of z_j e^{+i pi j/L})
// with no scaling. The 16- and 8-point kernels leave the value for index k at point r_L(k), r_L
// reversing the log2 L bits of k:
//   L = 16: points 0..15 hold X_0 X_8 X_4 X_12 X_2 X_10 X_6 X_14 X_1 X_9 X_5 X_13 X_3 X_11 X_7 X_15,
//   L = 8:  points 0..7  hold X_0 X_4 X_2 X_6 X_1 X_5 X_3 X_7.
// The 4- and 2-point kernels leave their results in natural order.
//
// Every input is read once and every output written once; all inputs are read before the first
// output is written. The only multipliers are the doubles nearest to cos(pi/4), cos(pi/8),
// sin(pi/8), cos(pi/16), sin(pi/16), cos(3 pi/16) and sin(3 pi/16).
#pragma once

void kernel16_plain(double* a);    // 16 points (32 doubles): point r_16(k) := X_k
void kernel16_shifted(double* a);  // 16 points (32 doubles): point r_16(k) := Y_k
void kernel8_plain(double* a);     // 8 points (16 doubles):  point r_8(k)  := X_k
void kernel4_forward(double* a);   // 4 points: point k := sum_j z_j e^{+2 pi i jk/4}
void kernel4_backward(double* a);  // 4 points: point k := sum_j z_j e^{-2 pi i jk/4}
void kernel2(double* a);           // 2 points: (z0, z1) := (z0 + z1, z0 - z1), its own inverse up to 2
