// A digest of the transforms' doubles, pinned: every transform in both directions, real and complex,
// and the zero-padded forward transform, at every size from 2^2 to 2^22 doubles, on every vector
// path. A change to the engine that moves a single double anywhere changes the digest; a change
// meant to keep the doubles (a new loop order, a fused pass, another compiler flag) must leave it as
// it is. The inputs come from a fixed generator, not from the overridable test seed.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "core/fft/complex_transform.h"
#include "core/fft/real_transform.h"
#include "core/fft/simd_path.h"

namespace {

// A 64-bit digest of the doubles' bit patterns, one multiply-xorshift step per double: not a
// cryptographic hash, but a changed double changes it except with a probability of about 2^-64.
struct digest {
  uint64_t state = 0xcbf29ce484222325ull;
  void add(const double* a, size_t count) {
    for (size_t i = 0; i < count; ++i) {
      uint64_t bits;
      std::memcpy(&bits, a + i, sizeof bits);
      state = (state ^ bits) * 0x9e3779b97f4a7c15ull;
      state ^= state >> 29;
    }
  }
};

// Values uniform in [-1, 1), from a generator that no test setting changes.
std::vector<double> pinned_input(int32_t doubles, uint64_t stream) {
  std::mt19937_64 gen(0x5eed0000ull + stream);
  std::vector<double> v(doubles);
  for (double& x : v)
    x = static_cast<double>(static_cast<int64_t>(gen() >> 11) - (int64_t{1} << 52)) * 0x1p-52;
  return v;
}

uint64_t transforms_digest() {
  digest d;
  for (int bits = 2; bits <= 22; ++bits) {
    const int32_t doubles = int32_t{1} << bits;
    for (int t = 0; t < 5; ++t) {
      std::vector<double> a = pinned_input(doubles, 8 * bits + t);
      switch (t) {
        case 0: real_transform(doubles, +1, a.data()); break;
        case 1: real_transform(doubles, -1, a.data()); break;
        case 2: complex_forward(doubles, a.data()); break;
        case 3: complex_backward(doubles, a.data()); break;
        case 4: real_forward_upper_half_zero(doubles, a.data()); break;
      }
      d.add(a.data(), a.size());
    }
  }
  return d.state;
}

}  // namespace

TEST(TransformDigest, EveryPathGivesThePinnedDoubles) {
  // The twiddle factors come from the project's own sine and cosine, so the digest is one value for
  // the Linux and the Windows build and for every path.
  constexpr uint64_t pinned = 0x7ec6ba3b6039c5beull;
  for (simd_path path : {simd_path::sse2, simd_path::avx2, simd_path::avx512}) {
    if (!simd_path_supported(path)) {
      std::printf("path %s: not supported by this processor, not checked\n", simd_path_name(path));
      continue;
    }
    select_simd_path(path);
    const uint64_t got = transforms_digest();
    EXPECT_EQ(pinned, got) << "path " << simd_path_name(path) << std::hex << " digest 0x" << got;
  }
  select_simd_path(best_simd_path());
}
