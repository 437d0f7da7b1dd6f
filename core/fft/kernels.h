// Fixed-size transform kernels: straight-line code, in place, no tables.
// Points are z_j = a[2j] + i*a[2j+1]. A plain block of L points becomes X_k = sum_j z_j e^{+2 pi i jk/L},
// a shifted block Y_k = sum_j z_j e^{+2 pi i j(k+1/2)/L}; the 16- and 8-point kernels leave the
// value for index k at point r_L(k) (bit reversal of k), the 4- and 2-point kernels in natural order.
#pragma once

void kernel16_plain(double* a);    // 16 points (32 doubles)
void kernel16_shifted(double* a);  // 16 points (32 doubles)
void kernel8_plain(double* a);     // 8 points (16 doubles)
void kernel8_shifted(double* a);   // 8 points (16 doubles)
void kernel4_forward(double* a);   // 4 points: sum_j z_j e^{+2 pi i jk/4}, natural order
void kernel4_backward(double* a);  // 4 points: sum_j z_j e^{-2 pi i jk/4}, natural order
void kernel2(double* a);           // 2 points: (z0 + z1, z0 - z1)
