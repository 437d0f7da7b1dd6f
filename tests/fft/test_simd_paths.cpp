// Every vector path gives exactly the doubles of the 16-byte path: each transform in both directions,
// real and complex, at every size from 2^2 to 2^22 doubles, and the forward transform of zero-padded
// input. Paths the processor lacks are skipped and named.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <limits>
#include <vector>

#include "core/fft/complex_transform.h"
#include "core/fft/real_transform.h"
#include "core/fft/simd_path.h"
#include "tests/fft/fft_reference.h"

using namespace fft_test;

namespace {

enum class transform { complex_forward_, complex_backward_, real_forward, real_backward };

void run(transform t, int32_t n, double* a) {
  switch (t) {
    case transform::complex_forward_: complex_forward(n, a); break;
    case transform::complex_backward_: complex_backward(n, a); break;
    case transform::real_forward: real_transform(n, +1, a); break;
    case transform::real_backward: real_transform(n, -1, a); break;
  }
}

const char* const transform_names[] = {"complex_forward", "complex_backward", "real_transform +1",
                                       "real_transform -1"};

// The output of t on x with the given path.
std::vector<double> output_of(simd_path path, transform t, const std::vector<double>& x) {
  select_simd_path(path);
  std::vector<double> a = x;
  run(t, static_cast<int32_t>(a.size()), a.data());
  return a;
}

}  // namespace

TEST(SimdPaths, TransformsGiveTheSameDoublesOnEveryPath) {
  std::vector<simd_path> wide;
  for (simd_path p : {simd_path::avx2, simd_path::avx512}) {
    if (simd_path_supported(p))
      wide.push_back(p);
    else
      std::printf("path %s: not supported by this processor, not compared\n", simd_path_name(p));
  }
  for (int bits = 2; bits <= 22; ++bits) {
    const int32_t n = int32_t{1} << bits;
    const std::vector<double> x = random_doubles(n, 1000 + bits);
    for (int t = 0; t < 4; ++t) {
      const std::vector<double> expected = output_of(simd_path::sse2, transform(t), x);
      for (simd_path p : wide) {
        const std::vector<double> got = output_of(p, transform(t), x);
        ASSERT_EQ(0, std::memcmp(expected.data(), got.data(), n * sizeof(double)))
            << transform_names[t] << " n=2^" << bits << " path " << simd_path_name(p);
      }
    }
  }
  select_simd_path(best_simd_path());
}

// The forward transform of a zero-padded factor never reads the padding: with NaN there, every path
// gives exactly the doubles of real_transform on the zero-padded array.
TEST(SimdPaths, ZeroPaddedForwardReadsNoPaddingOnEveryPath) {
  for (int bits = 2; bits <= 20; ++bits) {
    const int32_t n = int32_t{1} << bits;
    std::vector<double> x = random_doubles(n, 2000 + bits);
    std::fill(x.begin() + n / 2, x.end(), 0.0);
    const std::vector<double> expected = output_of(simd_path::sse2, transform::real_forward, x);
    for (simd_path p : {simd_path::sse2, simd_path::avx2, simd_path::avx512}) {
      if (!simd_path_supported(p)) continue;
      select_simd_path(p);
      std::vector<double> a = x;
      std::fill(a.begin() + n / 2, a.end(), std::numeric_limits<double>::quiet_NaN());
      real_forward_upper_half_zero(n, a.data());
      ASSERT_EQ(0, std::memcmp(expected.data(), a.data(), n * sizeof(double)))
          << "n=2^" << bits << " path " << simd_path_name(p);
    }
  }
  select_simd_path(best_simd_path());
}

TEST(SimdPaths, NamesAndSupport) {
  for (int i = 0; i < simd_path_count; ++i) {
    const simd_path p = static_cast<simd_path>(i);
    simd_path parsed = simd_path::sse2;
    EXPECT_TRUE(simd_path_from_name(simd_path_name(p), &parsed));
    EXPECT_EQ(p, parsed);
  }
  simd_path unused;
  for (const char* bad : {"", "SSE2", "avx", "avx-512", "avx5120"})
    EXPECT_FALSE(simd_path_from_name(bad, &unused)) << bad;
  EXPECT_TRUE(simd_path_supported(simd_path::sse2));
  EXPECT_TRUE(simd_path_supported(best_simd_path()));
}
