// The loops compiled once per vector width (stage_body.h, leaf_body.h, separation_body.h,
// bit_reverse_body.h, factor_body.h): stages, split passes, the 16-point kernels of staged blocks, the
// separation passes, the general bit reversals and the driver's factor arrays; stages.cpp,
// bit_reverse.cpp and stage_factors.cpp call those of the selected path.
#pragma once
#include <cstdint>

#include "core/fft/stage_factors.h"

struct stage_functions {
  void (*plain)(int32_t m, double* a, const plain_stage_factors& factors);
  void (*plain_conj)(int32_t m, double* a, const plain_stage_factors& factors);
  void (*plain_upper_half_zero)(int32_t m, double* a, const plain_stage_factors& factors);
  void (*shifted)(int32_t m, double* a, const shifted_stage_factors& factors);
  void (*split)(int32_t n, double* a);  // the split passes of stages.h
  void (*split_conj)(int32_t n, double* a);
  void (*split_upper_half_zero)(int32_t n, double* a);
  void (*quarter_kernels)(bool plain_kind, double* a);  // after the stage of a block of 128 doubles
  // After the stage of a block of 512 doubles, with the factors of the stages of 128 doubles.
  void (*leaf_block)(bool plain_kind, double* a, const stage_factor_sets& of128);
  void (*real_post_forward)(int32_t n, double* a);  // the separation passes of real_transform.h
  void (*real_pre_inverse)(int32_t n, double* a);
  void (*bit_reverse)(int32_t n, double* a);  // the general permutations of bit_reverse.h
  void (*bit_reverse_conj)(int32_t n, double* a);
  // The factor runs of fill_stage_factors (stage_factors.h), from the library steps.
  void (*fill_factors)(int32_t m, complex_value plain_step, complex_value shifted_step,
                       double* const* arrays);
};

extern const stage_functions stages_sse2;
extern const stage_functions stages_avx2;
extern const stage_functions stages_avx512;

// The functions of the path selected for the process (simd_path.h).
const stage_functions& selected_stages();
