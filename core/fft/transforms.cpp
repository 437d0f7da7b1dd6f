// The public transforms: each call goes to the engine of the selected vector path, once per transform.
#include "core/fft/complex_transform.h"
#include "core/fft/convolution.h"
#include "core/fft/real_transform.h"
#include "core/fft/simd_path.h"

void complex_forward(int32_t doubles, double* a, work_team* team) {
  selected_engine().complex_forward(doubles, a, team);
}

void complex_backward(int32_t doubles, double* a) { selected_engine().complex_backward(doubles, a); }

void real_transform(int32_t doubles, int32_t direction, double* a) {
  const transform_engine& engine = selected_engine();
  (direction >= 0 ? engine.real_forward : engine.real_inverse)(doubles, a);
}

void real_forward_upper_half_zero(int32_t doubles, double* a) {
  selected_engine().real_forward_upper_half_zero(doubles, a);
}

void convolution_spectrum_upper_half_zero(int32_t doubles, double* a, work_team* team) {
  selected_engine().complex_forward_upper_half_zero(doubles, a, team);
}

void multiply_spectra(int32_t doubles, double* out, const double* x, const double* y, work_team* team) {
  selected_engine().multiply_spectra(doubles, out, x, y, team);
}

void square_spectrum(int32_t doubles, double* out, const double* x, work_team* team) {
  selected_engine().square_spectrum(doubles, out, x, team);
}

double integer_convolution(int32_t doubles, double* a, work_team* team) {
  return selected_engine().integer_convolution(doubles, a, team);
}

double round_to_integers(int32_t doubles, double* a, double scale) {
  return selected_engine().round_to_integers(doubles, a, scale);
}
