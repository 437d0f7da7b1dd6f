#include "core/arith/fft_multiply.h"
#include "core/arith/working_product.h"
#include "core/fft/complex_transform.h"
#include "core/fft/convolution.h"

void block_product(const int16_t* A, const int16_t* B, int16_t* H, double* W, rounding_margin* margin) {
  // Four limbs and four zeros each: the cyclic convolution of length 8 is the linear one.
  limbs_to_doubles(A, 4, W, 8);
  limbs_to_doubles(B, 4, W + 8, 8);
  complex_forward(8, W);
  complex_forward(8, W + 8);
  multiply_spectra(8, W, W, W + 8);
  record_rounding(margin, integer_convolution(8, W));
  release_limbs(H, 4, W, 8);
}
