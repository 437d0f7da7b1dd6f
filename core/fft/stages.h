// Radix-4 split-radix stages on one block of m doubles (L = m/2 points, m >= 64), in place, with
// twiddle factors generated on the fly (library cos/sin at the start of each run of 64 points,
// a three-term recurrence in between).
#pragma once
#include <cstdint>

void stage_plain(int32_t m, double* a);       // stage of a plain block
void stage_shifted(int32_t m, double* a);     // stage of a shifted block
void stage_plain_conj(int32_t m, double* a);  // stage_plain applied to the conjugated input points
