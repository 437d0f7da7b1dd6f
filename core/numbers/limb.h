// Limb numbers: fixed-point non-negative numbers in radix 10000.
//
// An array p of L = `limbs` limbs (int16_t, most significant first) has the value
//     x = sum_{i=0}^{L-1} p[i] * 10000^-(i+1),
// so the radix point lies before limb 0. Limbs 1..L-1 are digits in 0..9999; limb 0 holds the
// first four decimals together with the integer part and may exceed 9999 (1.0 = [10000, 0, ...],
// 2.0 = [20000, ...]); the 16-bit limb bounds it to 32767, so 0 <= x < 3.2768.
//
// A computation of D digits works with n = D/4 limbs and allocates every number with n + 4 limbs:
// limbs n..n+3 are guard limbs. Calls with count n neither read nor write them.
//
// The operations are single passes, allocate nothing and keep no state. Carries and borrows run
// from the last limb towards limb 0; divisions from limb 0 towards the last limb and drop the final
// remainder. The passes take the computation's team of threads (core/parallel/work_team.h; null:
// one thread): long ones run in parts whose carries a short serial pass joins (carry_chains.h), with
// the limbs of one walk.
#pragma once
#include <cstdint>

struct work_team;

// p[0] := v; p[1..limbs-1] := 0.
void limb_set(int16_t* p, int16_t v, int32_t limbs, work_team* team = nullptr);

// out := a + b. out may be a or b. Limb 0 is not reduced: it ends as a[0] + b[0] + carry.
// Precondition: a[0] + b[0] + 1 <= 32767.
void limb_add(const int16_t* a, const int16_t* b, int16_t* out, int32_t limbs, work_team* team = nullptr);

// out := a - b. out may be a or b. Precondition: a >= b (the borrow out of limb 0 is discarded).
void limb_sub(const int16_t* a, const int16_t* b, int16_t* out, int32_t limbs, work_team* team = nullptr);

// dst[0..limbs-1] := src[0..limbs-1] (distinct arrays).
void limb_copy(const int16_t* src, int16_t* dst, int32_t limbs, work_team* team = nullptr);

// p := p * factor in place, 0 <= factor <= 2^27. The carry out of limb 0 (the whole part of
// p * factor) is discarded.
void limb_mul_small(int16_t* p, int32_t factor, int32_t limbs, work_team* team = nullptr);

// p := p / 2 in place, truncated after the last limb.
void limb_half(int16_t* p, int32_t limbs, work_team* team = nullptr);

// p := p / 4 in place, truncated after the last limb.
void limb_quarter(int16_t* p, int32_t limbs, work_team* team = nullptr);

// dst := src / 2, truncated after the last limb. dst may be src.
void limb_half_into(const int16_t* src, int16_t* dst, int32_t limbs, work_team* team = nullptr);

// The number of leading limbs of p[0..limbs-1] that are 0 (limbs when all are).
int32_t limb_leading_zeros(const int16_t* p, int32_t limbs);

// Whether p[0..limbs-1] is exactly 1/2 (5000, then zeros).
bool limb_is_one_half(const int16_t* p, int32_t limbs);
