#include "core/fft/stages.h"

#include "core/fft/real_transform.h"
#include "core/fft/simd_path.h"
#include "core/fft/stage_paths.h"

// The loops themselves are in stage_body.h, compiled once per vector width; this file passes each call
// to the path selected for the process (core/fft/simd_path.h).

const stage_functions& selected_stages() {
  switch (selected_simd_path()) {
    case simd_path::avx512: return stages_avx512;
    case simd_path::avx2: return stages_avx2;
    case simd_path::sse2: break;
  }
  return stages_sse2;
}

void stage_plain(int32_t m, double* a) { selected_stages().plain(m, a, plain_factors(m)); }

void stage_plain(int32_t m, double* a, const plain_stage_factors& factors) {
  selected_stages().plain(m, a, factors);
}

void stage_shifted(int32_t m, double* a, const shifted_stage_factors& factors) {
  selected_stages().shifted(m, a, factors);
}

void stage_plain_conj(int32_t m, double* a) { selected_stages().plain_conj(m, a, plain_factors(m)); }

void stage_plain_upper_half_zero(int32_t m, double* a) {
  selected_stages().plain_upper_half_zero(m, a, plain_factors(m));
}

void stage_shifted(int32_t m, double* a) { selected_stages().shifted(m, a, shifted_factors(m)); }

void split_halves(int32_t n, double* a) { selected_stages().split(n, a); }

void split_halves_conj(int32_t n, double* a) { selected_stages().split_conj(n, a); }

void split_halves_upper_half_zero(int32_t n, double* a) { selected_stages().split_upper_half_zero(n, a); }

void quarter_kernels(bool plain_kind, double* a) { selected_stages().quarter_kernels(plain_kind, a); }

void leaf_block(bool plain_kind, double* a, const stage_factor_sets& of128) {
  selected_stages().leaf_block(plain_kind, a, of128);
}

void real_post_forward(int32_t n, double* a) { selected_stages().real_post_forward(n, a); }

void real_pre_inverse(int32_t n, double* a) { selected_stages().real_pre_inverse(n, a); }
