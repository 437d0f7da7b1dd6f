// Complex DFT of N = n/2 points held as n doubles (real part first), in place, natural order in and
// out, unnormalised, no work array and no tables:
//   complex_forward:  X_k = sum_j z_j e^{+2 pi i jk/N}
//   complex_backward: X_k = sum_j z_j e^{-2 pi i jk/N}
// so backward(forward(z)) = N z. n is a power of two, 2 <= n <= 2^24 (n = 2 leaves a unchanged).
#pragma once
#include <cstdint>

void complex_forward(int32_t n, double* a);
void complex_backward(int32_t n, double* a);

// Building blocks of the driver, exposed for testing.
void quarter_kernels(int32_t n, double* a);                 // n = 128, or 64 for any other n
void leaf_block(int32_t m, int32_t kind, double* a);        // m = 512, or 256 for any other m; kind 1 plain, 0 shifted
void transform_blocks(int32_t n, double* a);                // n > 512, after stage_plain(n, a)
int32_t prepare_block(int32_t m, int32_t j, int32_t k, double* a);  // returns the kind of leaf block [j - m, j)
