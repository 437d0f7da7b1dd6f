// The conversions of one vector path between limb numbers and the transform's doubles, as one table
// (conversion_body.h builds it, compiled per path); the products call them through limbs_to_doubles
// and release_limbs (fft_multiply.h), which take the table of the selected path (simd_path.h).
#pragma once
#include <cstdint>

struct work_team;

struct limb_conversions {
  void (*limbs_to_doubles)(const int16_t* P, int32_t limbs, double* a, int32_t doubles, work_team* team);
  void (*release_limbs)(int16_t* Out, int32_t out_limbs, const double* a, int32_t doubles, work_team* team);
};

extern const limb_conversions sse2_conversions;
extern const limb_conversions avx2_conversions;
extern const limb_conversions avx512_conversions;
