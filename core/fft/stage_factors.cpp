#include "core/fft/stage_factors.h"

#include "core/fft/factor_body.h"
#include "core/fft/stage_paths.h"

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
  const complex_value p_step = plain_step(m), s_step = shifted_step(m);
  for (double* array : arrays) {
    array[0] = 1.0;  // point 0, never read
    array[1] = 0.0;
  }
  selected_stages().fill_factors(m, p_step, s_step, arrays);
  return {{arrays[0], arrays[1], p_step}, {arrays[2], arrays[3], arrays[4], arrays[5], s_step}};
}
