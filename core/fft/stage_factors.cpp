#include "core/fft/stage_factors.h"

#include "core/fft/factor_body.h"

namespace {

complex_value value_of(complex_vector z) { return {re(z), im(z)}; }

complex_value plain_step(int32_t m) { return value_of(library_factor(plain_angle_unit(m), 1)); }
complex_value shifted_step(int32_t m) { return value_of(library_factor(shifted_angle_unit(m), 1)); }

}  // namespace

plain_stage_factors plain_factors(int32_t m) { return {nullptr, nullptr, plain_step(m)}; }

shifted_stage_factors shifted_factors(int32_t m) {
  return {nullptr, nullptr, nullptr, nullptr, shifted_step(m)};
}

stage_factor_sets fill_stage_factors(int32_t m, double* const (&arrays)[6]) {
  const int32_t points = m / 16;  // 0 .. Q/2 - 1
  const complex_value p_step = plain_step(m), s_step = shifted_step(m);
  for (double* array : arrays) {
    array[0] = 1.0;  // point 0, never read
    array[1] = 0.0;
  }
  for (int32_t p0 = 0; p0 < points - 1; p0 += factor_batch) {
    const int32_t count = points - 1 - p0 < factor_batch ? points - 1 - p0 : factor_batch;
    const int32_t at = 2 * (p0 + 1);
    plain_factor_batch<complex_vector>(m, p_step, p0, count, arrays[0] + at, arrays[1] + at);
    shifted_factor_batch<complex_vector>(m, s_step, p0, count, arrays[2] + at, arrays[3] + at, arrays[4] + at,
                                         arrays[5] + at);
  }
  return {{arrays[0], arrays[1], p_step}, {arrays[2], arrays[3], arrays[4], arrays[5], s_step}};
}
