#include "core/fft/real_transform.h"

#include <algorithm>

#include "core/fft/complex_transform.h"

namespace {

// Z_0 = (sum of even x) + i (sum of odd x) gives bins 0 and n/2.
void finish_bins_0_and_half(double* a) {
  const double t = a[0] - a[1];
  a[0] += a[1];
  a[1] = t;
}

}  // namespace

void real_forward_upper_half_zero(int32_t n, double* a) {
  if (n <= 8) {  // small sizes: fill the padding and take the general transform
    std::fill(a + n / 2, a + n, 0.0);
    real_transform(n, +1, a);
    return;
  }
  complex_forward_upper_half_zero(n, a);
  real_post_forward(n, a);
  finish_bins_0_and_half(a);
}

void real_transform(int32_t n, int32_t direction, double* a) {
  if (direction >= 0) {
    if (n > 4) {
      complex_forward(n, a);
      real_post_forward(n, a);
    } else if (n == 4) {
      complex_forward(n, a);
    }
    finish_bins_0_and_half(a);
  } else {
    a[1] = 0.5 * (a[0] - a[1]);
    a[0] -= a[1];
    if (n > 4) {
      real_pre_inverse(n, a);
      complex_backward(n, a);
    } else if (n == 4) {
      complex_backward(n, a);
    }
  }
}
