#include "core/arith/fft_multiply.h"

#include "core/arith/transform_count.h"
#include "core/arith/wrapped_product.h"
#include "core/fft/convolution.h"

#ifdef PI_COUNT_TRANSFORMS
thread_local int64_t transformed_doubles = 0;
#endif

void limbs_spectrum(const int16_t* P, int32_t limbs, double* a, work_team* team) {
  factor_spectrum(P, limbs, a, 2 * limbs, team);
}

void spectrum_to_limbs(int16_t* Out, int32_t limbs, double* a, rounding_margin* margin, work_team* team) {
  record_rounding(margin, integer_convolution(2 * limbs, a, team));
  count_transform(2 * limbs);
  release_limbs(Out, limbs + 4, a, 2 * limbs, team);
}

void fft_multiply(const int16_t* P, const int16_t* Q, int16_t* Out, int32_t limbs, double* W,
                  rounding_margin* margin, work_team* team) {
  const int32_t doubles = 2 * limbs;
  // Both factors are in the work area before Out is written, so Out may be P or Q.
  limbs_spectrum(P, limbs, W, team);
  if (P == Q) {
    // One forward transform: the square of a spectrum gives the doubles of the product of two equal
    // spectra (ai ar + ar ai = 2 ar ai exactly).
    square_spectrum(doubles, W, W, team);
  } else {
    limbs_spectrum(Q, limbs, W + doubles, team);
    multiply_spectra(doubles, W, W, W + doubles, team);
  }
  spectrum_to_limbs(Out, limbs, W, margin, team);
}
