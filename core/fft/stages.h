// Radix-4 split-radix stages on one block of m doubles at a: L = m/2 points z_p = a[2p] + i a[2p+1],
// m a power of two, m >= 64; quarters of Q = m/8 points. For 0 <= p < Q the stage reads
// x0 = z_p, x1 = z_{p+Q}, x2 = z_{p+2Q}, x3 = z_{p+3Q} and writes q0..q3 back in their places:
//
//   stage_plain, w = e^{+2 pi i p/L}:
//     q0 = (x0 + x2) + (x1 + x3)          q1 = (x0 + x2) - (x1 + x3)
//     q2 = w   ((x0 - x2) + i (x1 - x3))  q3 = w^3 ((x0 - x2) - i (x1 - x3))
//   stage_shifted, alpha = e^{+i pi p/L}, rho = e^{+i pi/4}, u = x0 + i x2, v = x1 + i x3,
//   u' = x0 - i x2, v' = x1 - i x3:
//     q0,1 = alpha u +- rho alpha v       q2,3 = alpha^3 u' +- rho^3 alpha^3 v'
//   stage_plain_conj: stage_plain on conj(x0..x3); the outputs are stored as computed.
//
// A plain block owes X_k = sum_j z_j e^{+2 pi i jk/L}, a shifted one Y_k = sum_j z_j e^{+2 pi i j(k+1/2)/L},
// both in bit-reversed order. After the stage, the quarters of a plain block are plain, shifted, plain,
// plain blocks and those of a shifted block plain, shifted, plain, shifted: finishing each quarter
// finishes the block (quarter c holds the values of the indices k = 4k' + rev2(c)).
//
// Twiddle factors: stage_factors.h. In place; nothing outside [a, a + m) is touched.
#pragma once
#include <cstdint>

#include "core/fft/stage_factors.h"

void stage_plain(int32_t m, double* a);       // stage of a plain block
void stage_shifted(int32_t m, double* a);     // stage of a shifted block
void stage_plain_conj(int32_t m, double* a);  // stage_plain applied to the conjugated input points
// stage_plain when the points of quarters 2 and 3 are zero: they are not read (they may hold anything)
// and are written as stage_plain writes them.
void stage_plain_upper_half_zero(int32_t m, double* a);
// stage_plain and stage_shifted with their factors computed by the caller (stage_factors.h).
void stage_plain(int32_t m, double* a, const plain_stage_factors& factors);
void stage_shifted(int32_t m, double* a, const shifted_stage_factors& factors);

// After the stage of a block of 128 doubles (512 doubles) of the given kind: the 16-point kernels of
// its quarters (the stages of its quarters and the kernels of theirs), as complex_transform.cpp
// describes.
void quarter_kernels(bool plain_kind, double* a);
void leaf_block(bool plain_kind, double* a, const stage_factor_sets& of128);

// The split of a block of n >= 64 doubles into halves, z_j, z_{j+N/2} := z_j + z_{j+N/2},
// z_j - z_{j+N/2} (no factors); the _conj and _upper_half_zero twins read the input as the stage_plain
// ones above do, the upper half being the second half.
void split_halves(int32_t n, double* a);
void split_halves_conj(int32_t n, double* a);
void split_halves_upper_half_zero(int32_t n, double* a);
