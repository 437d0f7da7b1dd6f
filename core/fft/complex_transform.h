// Complex DFT of N = doubles/2 points z_j = a[2j] + i a[2j+1], in place, natural order in and out,
// unnormalised, no work array:
//   complex_forward:  X_k = sum_j z_j e^{+2 pi i jk/N}
//   complex_backward: X_k = sum_j z_j e^{-2 pi i jk/N}
// so backward(forward(z)) = N z. doubles is a power of two, 2 <= doubles <= 2^27 (the largest a
// 2^28-digit run transforms; doubles = 2 leaves a unchanged); the relative error is a small multiple of
// log2(N) 2^-53. Nothing outside [a, a + doubles) is touched. No table outlives a call: the twiddle
// factors are computed as the stages run, those of the small stages once per call (stage_factors.h).
//
// Above 32 doubles the transform is one radix-4 stage over the whole array (or, for 2^even doubles, a
// split into two halves), the block recursion, and a bit-reversal permutation (engine_body.h); each call
// goes to the engine of the selected vector path (simd_path.h), which gives the same doubles on every
// path.
#pragma once
#include <cstdint>

struct work_team;

// team: the threads of the computation that share the transform's passes (core/parallel/work_team.h);
// null, or a team of one thread, runs it on the caller's thread. The doubles are the same either way.
void complex_forward(int32_t doubles, double* a, work_team* team = nullptr);
void complex_backward(int32_t doubles, double* a);
