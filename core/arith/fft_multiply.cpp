#include "core/arith/fft_multiply.h"

#include "core/fft/real_transform.h"

void limbs_spectrum(const int16_t* P, int32_t limbs, double* a) {
  limbs_to_doubles(P, limbs, a, limbs);  // the zero padding is left to the transform
  real_forward_upper_half_zero(2 * limbs, a);
}

void spectrum_to_limbs(int16_t* Out, int32_t limbs, double* a, rounding_margin* margin) {
  real_transform(2 * limbs, -1, a);
  doubles_to_limbs(Out, limbs + 4, a, 2 * limbs, margin);
}

void fft_multiply(const int16_t* P, const int16_t* Q, int16_t* Out, int32_t n, double* W,
                  rounding_margin* margin) {
  const int32_t doubles = 2 * n;
  // Both factors are in the work area before Out is written, so Out may be P or Q.
  limbs_spectrum(P, n, W);
  if (P == Q) {
    // One forward transform: the square of a spectrum gives the doubles of the product of two equal
    // spectra (ai ar + ar ai = 2 ar ai exactly).
    spectrum_square(W, doubles);
  } else {
    limbs_spectrum(Q, n, W + doubles);
    spectrum_multiply(W, W + doubles, doubles);
  }
  spectrum_to_limbs(Out, n, W, margin);
}

void fft_multiply_keep_first(const int16_t* P, const int16_t* Q, int16_t* Out, int32_t n, double* W,
                             rounding_margin* margin) {
  const int32_t doubles = 2 * n;
  limbs_spectrum(P, n, W);
  limbs_spectrum(Q, n, W + doubles);
  spectrum_multiply_into(W, W + doubles, doubles);
  spectrum_to_limbs(Out, n, W + doubles, margin);
}

void fft_multiply_kept_first(const int16_t* Q, int16_t* Out, int32_t n, double* W, rounding_margin* margin) {
  const int32_t doubles = 2 * n;
  limbs_spectrum(Q, n, W + doubles);
  spectrum_multiply(W, W + doubles, doubles);
  spectrum_to_limbs(Out, n, W, margin);
}
