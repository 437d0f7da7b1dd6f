// The whole operations of one vector path, as one table of entry points (engine_body.h builds it; one
// table per path, chosen once by simd_path.h). The contracts are those of complex_transform.h,
// real_transform.h and convolution.h; every size counts doubles.
#pragma once
#include <cstdint>

struct work_team;

// The entries that a product calls take the computation's team of threads (null: the caller's thread).
struct transform_engine {
  void (*complex_forward)(int32_t doubles, double* a, work_team* team);
  void (*complex_backward)(int32_t doubles, double* a);
  void (*complex_forward_upper_half_zero)(int32_t doubles, double* a, work_team* team);
  void (*real_forward)(int32_t doubles, double* a);  // real_transform(doubles, +1, a)
  void (*real_inverse)(int32_t doubles, double* a);  // real_transform(doubles, -1, a)
  void (*real_forward_upper_half_zero)(int32_t doubles, double* a);
  void (*multiply_spectra)(int32_t doubles, double* out, const double* x, const double* y, work_team* team);
  void (*square_spectrum)(int32_t doubles, double* out, const double* x, work_team* team);
  double (*integer_convolution)(int32_t doubles, double* a, work_team* team);
  double (*round_to_integers)(int32_t doubles, double* a, double scale);
};

extern const transform_engine sse2_engine;    // 16-byte vectors, one point each: every x86-64
extern const transform_engine avx2_engine;    // 32-byte vectors, two points (AVX2 processors)
extern const transform_engine avx512_engine;  // 64-byte vectors, four points (AVX-512 processors)
