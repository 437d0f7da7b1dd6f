#include "core/arith/fft_multiply.h"
#include "core/arith/working_product.h"
#include "core/fft/real_transform.h"

void block_product(const int16_t* A, const int16_t* B, int16_t* H, int32_t m, double* W,
                   rounding_margin* margin) {
  // Four limbs and four zeros each: the cyclic convolution of length 8 is the linear one.
  limbs_to_doubles(A, 4, W, 8);
  limbs_to_doubles(B, 4, W + 2 * m, 8);
  real_transform(8, +1, W);
  real_transform(8, +1, W + 2 * m);
  spectrum_multiply(W, W + 2 * m, 8);
  real_transform(8, -1, W);
  doubles_to_limbs(H, 4, W, 8, margin);
}
