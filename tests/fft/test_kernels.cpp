// The fixed-size kernels against a direct DFT in long double, in their documented output order, each on
// one block in 16-byte vectors (the wider engines run the same body on several blocks at once; the
// transform tests compare every path's doubles).
#include <cfloat>

#include "core/fft/kernel_body.h"
#include "tests/fft/fft_reference.h"

namespace {

using namespace fft_test;

void kernel16_plain(double* a) { kernel_on_block<16>(a, kernel16_plain_points<complex_vector>); }
void kernel16_shifted(double* a) { kernel_on_block<16>(a, kernel16_shifted_points<complex_vector>); }
void kernel8_plain(double* a) { kernel_on_block<8>(a, plain8<complex_vector>); }
void kernel4_forward(double* a) { kernel4<false>(a); }
void kernel4_backward(double* a) { kernel4<true>(a); }

struct kernel_case {
  const char* name;
  void (*run)(double*);
  int points;         // L
  int sign;           // exponent e^{sign 2 pi i ...}
  int shift;          // 0 plain, 1 shifted: k + shift/2 in the exponent
  bool bit_reversed;  // value for index k at point r_L(k)
};

const kernel_case kernels[] = {
    {"kernel16_plain", kernel16_plain, 16, +1, 0, true},
    {"kernel16_shifted", kernel16_shifted, 16, +1, 1, true},
    {"kernel8_plain", kernel8_plain, 8, +1, 0, true},
    {"kernel4_forward", kernel4_forward, 4, +1, 0, false},
    {"kernel4_backward", kernel4_backward, 4, -1, 0, false},
    {"kernel2", kernel2, 2, +1, 0, false},
};

// The direct transform of `in`, placed in the kernel's output order.
std::vector<cld> expected_output(const kernel_case& kc, const std::vector<double>& in) {
  const std::vector<cld> values = direct_dft(to_points(in.data(), in.size()), kc.sign, kc.shift);
  std::vector<cld> out(values.size());
  for (int k = 0; k < kc.points; ++k)
    out[kc.bit_reversed ? reverse_bits(k, log2_of(kc.points)) : k] = values[k];
  return out;
}

// The kernel applied to `in` between guard elements; fails if one is touched.
std::vector<double> run_guarded(const kernel_case& kc, const std::vector<double>& in) {
  guarded_array block(in);
  kc.run(block.data);
  EXPECT_TRUE(block.guards_intact()) << kc.name << " wrote outside its block";
  return std::vector<double>(block.data, block.data + in.size());
}

// ||out - expected||_2 / ||expected||_2.
double relative_error(const std::vector<double>& out, const std::vector<cld>& expected) {
  long double err = 0, norm = 0;
  for (size_t k = 0; k < expected.size(); ++k) {
    err += std::norm(cld(out[2 * k], out[2 * k + 1]) - expected[k]);
    norm += std::norm(expected[k]);
  }
  return static_cast<double>(std::sqrt(err / norm));
}

// Measured in the 2-norm, a radix-2 level that only adds contributes a relative error of at most
// u = eps/2; one that also multiplies by a rounded constant at most about (sqrt 5 + sqrt 2 + 1) u,
// below 2.5 eps. At most half of the log2 L levels of each kernel multiply, so the total stays
// below 2 eps log2 L.
double error_bound(int points) { return 2.0 * DBL_EPSILON * log2_of(points); }

std::vector<double> impulse(int points, int j) {
  std::vector<double> v(2 * points, 0.0);
  v[2 * j] = 1.0;
  return v;
}

TEST(Kernels, MatchTheDirectTransformOnRandomBlocks) {
  uint64_t stream = 0;
  for (const kernel_case& kc : kernels) {
    double worst = 0;
    for (int trial = 0; trial < 500; ++trial) {
      const std::vector<double> in = random_doubles(2 * kc.points, ++stream);
      const double err = relative_error(run_guarded(kc, in), expected_output(kc, in));
      worst = std::max(worst, err);
    }
    std::printf("  %-17s worst relative error %.2e eps (bound %.0f eps)\n", kc.name, worst / DBL_EPSILON,
                error_bound(kc.points) / DBL_EPSILON);
    EXPECT_LE(worst, error_bound(kc.points)) << kc.name;
  }
}

TEST(Kernels, ImpulsesGiveTheColumnsOfTheTransform) {
  for (const kernel_case& kc : kernels)
    for (int j = 0; j < kc.points; ++j) {
      const std::vector<double> in = impulse(kc.points, j);
      EXPECT_LE(relative_error(run_guarded(kc, in), expected_output(kc, in)), error_bound(kc.points))
          << kc.name << ", impulse at point " << j;
    }

  const double r = static_cast<double>(std::sqrt(0.5L));
  const double tol = 2 * DBL_EPSILON;

  // kernel8_plain on z_1 = 1: point r_8(k) holds e^{2 pi i k/8}; point 0 is 1, point 1 is -1, point 4 is rho.
  const std::vector<double> p8 = run_guarded(kernels[2], impulse(8, 1));
  EXPECT_EQ(p8[0], 1.0);
  EXPECT_EQ(p8[1], 0.0);
  EXPECT_EQ(p8[2], -1.0);
  EXPECT_EQ(p8[3], 0.0);
  EXPECT_NEAR(p8[8], r, tol);
  EXPECT_NEAR(p8[9], r, tol);

  // kernel4 on z_1 = 1: 1, i, -1, -i forward and 1, -i, -1, i backward, exactly.
  const std::vector<double> forward = run_guarded(kernels[3], impulse(4, 1));
  const std::vector<double> backward = run_guarded(kernels[4], impulse(4, 1));
  EXPECT_EQ(forward, (std::vector<double>{1, 0, 0, 1, -1, 0, 0, -1}));
  EXPECT_EQ(backward, (std::vector<double>{1, 0, 0, -1, -1, 0, 0, 1}));
}

TEST(Kernels, ZeroBlockStaysZero) {
  for (const kernel_case& kc : kernels) {
    const std::vector<double> out = run_guarded(kc, std::vector<double>(2 * kc.points, 0.0));
    for (size_t i = 0; i < out.size(); ++i) EXPECT_EQ(out[i], 0.0) << kc.name << ", double " << i;
  }
}

// All differences x_j - x_{j+L/2} vanish exactly, so every point but 0 is an exact zero, and point 0
// is L v exactly (sums of equal doubles up to a power of two).
TEST(Kernels, ConstantBlockGoesToPointZero) {
  uint64_t stream = 1000;
  for (const kernel_case& kc : kernels) {
    if (kc.shift != 0) continue;
    for (int trial = 0; trial < 10; ++trial) {
      const std::vector<double> v = random_doubles(2, ++stream);
      const double re = v[0], im = v[1];
      std::vector<double> in(2 * kc.points);
      for (int j = 0; j < kc.points; ++j) {
        in[2 * j] = re;
        in[2 * j + 1] = im;
      }
      const std::vector<double> out = run_guarded(kc, in);
      EXPECT_EQ(out[0], kc.points * re) << kc.name;
      EXPECT_EQ(out[1], kc.points * im) << kc.name;
      for (size_t i = 2; i < out.size(); ++i) EXPECT_EQ(out[i], 0.0) << kc.name << ", double " << i;
    }
  }
}

}  // namespace
