// The products of unseparated spectra against the real transform's separated path, bit for bit: forward
// separation of both factors, the pointwise product in the packed layout and the inverse separation,
// each a pass of its own, must give exactly the doubles of the fused pass, on every vector path, for
// products and squares, at every size from 2 to 2^20 doubles (many batches of weights).
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "core/fft/complex_transform.h"
#include "core/fft/convolution.h"
#include "core/fft/real_transform.h"
#include "core/fft/simd_path.h"
#include "tests/fft/fft_reference.h"

using namespace fft_test;

namespace {

// The packed product, scalar: bins 0 and n/2 real, every other pair complex.
void packed_product(std::vector<double>& a, const std::vector<double>& b) {
  a[0] *= b[0];
  a[1] *= b[1];
  for (size_t i = 2; i < a.size(); i += 2) {
    const double ar = a[i], ai = a[i + 1], br = b[i], bi = b[i + 1];
    a[i] = ar * br - ai * bi;
    a[i + 1] = ai * br + ar * bi;
  }
}

}  // namespace

TEST(Convolution, FusedProductGivesTheDoublesOfTheSeparatePasses) {
  for (simd_path path : {simd_path::sse2, simd_path::avx2, simd_path::avx512}) {
    if (!simd_path_supported(path)) continue;
    select_simd_path(path);
    for (int bits = 1; bits <= 20; ++bits) {
      const int32_t n = int32_t{1} << bits;
      std::vector<double> x = random_doubles(n, 3000 + bits), y = random_doubles(n, 4000 + bits);
      std::fill(x.begin() + n / 2, x.end(), 0.0);
      for (bool square : {false, true}) {
        const std::vector<double>& second = square ? x : y;
        std::vector<double> expected = x, b = second;
        real_transform(n, +1, expected.data());
        real_transform(n, +1, b.data());
        packed_product(expected, b);
        real_transform(n, -1, expected.data());

        // The zero-padded forward transform of x (padding not read), the general one of y.
        std::vector<double> zx = x, zy = second;
        std::fill(zx.begin() + n / 2, zx.end(), -1.0);
        convolution_spectrum_upper_half_zero(n, zx.data());
        complex_forward(n, zy.data());
        if (square)
          square_spectrum(n, zx.data(), zx.data());
        else
          multiply_spectra(n, zy.data(), zx.data(), zy.data());  // out may be either factor
        std::vector<double>& got = square ? zx : zy;
        complex_backward(n, got.data());
        ASSERT_EQ(0, std::memcmp(expected.data(), got.data(), n * sizeof(double)))
            << (square ? "square" : "product") << " n=2^" << bits << " path " << simd_path_name(path);
      }
    }
  }
  select_simd_path(best_simd_path());
}
