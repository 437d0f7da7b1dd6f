// The signed steps that the Newton iterations share: the residual of a step, which may fall on either
// side of its target, taken as a magnitude and a sign, and the correction added or subtracted at its
// limb offset. The passes take the computation's team of threads, as the limb operations do.
#pragma once
#include <cstdint>

struct work_team;

// p := |0.0001 - p| over limbs 0..limbs-1. Returns +1 if p was below 0.0001 (limb 0 was 0), -1 if not.
// Precondition: p < 0.0002 (limb 0 at most 1).
int32_t distance_from_ten_thousandth(int16_t* p, int32_t limbs, work_team* team = nullptr);

// p := |a - p| over limbs 0..limbs-1. Returns +1 if a >= p, -1 if not.
int32_t limb_distance(const int16_t* a, int16_t* p, int32_t limbs, work_team* team = nullptr);

// p += sign * q 10000^-offset: q[0..count-1] added into (sign +1) or subtracted from (sign -1)
// p[offset..offset+count-1], the carry or borrow passed on towards limb 0, which is not reduced.
// Precondition: the result is not negative and below 3.2768.
void limb_add_at(int16_t* p, int32_t offset, const int16_t* q, int32_t count, int32_t sign,
                 work_team* team = nullptr);
