// The complex and real transforms against FFTW at every size up to 2^20 doubles (native build only).
// FFTW's FFTW_BACKWARD uses e^{+2 pi i jk/N}, our forward direction; FFTW_FORWARD is our backward one.
// r2c computes sum_j x[j] e^{-2 pi i jk/n}, whose conjugate is our packed spectrum.
#include <fftw3.h>
#include <gtest/gtest.h>

#include "core/fft/complex_transform.h"
#include "core/fft/real_transform.h"
#include "tests/fft/fft_reference.h"

using namespace fft_test;

namespace {

constexpr double eps = 0x1p-53;

// Largest error of the transforms, in units of log2(N) 2^-53 relative to the largest output.
// Measured at most 0.54 over four seeds (the default, 1, 777, 123456789); the bound leaves a factor of
// almost four.
constexpr double error_bound_units = 2.0;

}  // namespace

TEST(FftOracle, ComplexTransformsMatchFftwUpTo2To20) {
  double worst_units = 0;
  for (int bits = 2; bits <= 20; ++bits) {
    const int32_t n = int32_t{1} << bits, points = n / 2;
    const std::vector<double> x = random_doubles(n, 101 * n);
    fftw_complex* buffer = fftw_alloc_complex(points);
    for (int sign : {+1, -1}) {
      fftw_plan plan =
          fftw_plan_dft_1d(points, buffer, buffer, sign > 0 ? FFTW_BACKWARD : FFTW_FORWARD, FFTW_ESTIMATE);
      std::memcpy(buffer, x.data(), n * sizeof(double));
      fftw_execute(plan);
      fftw_destroy_plan(plan);

      guarded_array a(x);
      if (sign > 0)
        complex_forward(n, a.data);
      else
        complex_backward(n, a.data);
      ASSERT_TRUE(a.guards_intact());

      const double* want = reinterpret_cast<const double*>(buffer);
      double worst = 0, largest = 0;
      for (int32_t i = 0; i < n; ++i) {
        worst = std::max(worst, std::abs(a.data[i] - want[i]));
        largest = std::max(largest, std::abs(want[i]));
      }
      const double relative = worst / largest;
      const double units = relative / (std::max(1, bits - 1) * eps);
      worst_units = std::max(worst_units, units);
      std::printf("%s n=2^%-2d max |ours - fftw| / max |fftw| = %.3e (%.2f log2(N) eps)\n",
                  sign > 0 ? "forward " : "backward", bits, relative, units);
      EXPECT_LT(units, error_bound_units) << "n=" << n << (sign > 0 ? " forward" : " backward");
    }
    fftw_free(buffer);
  }
  std::printf("complex: largest error %.2f log2(N) eps, bound %.1f\n", worst_units, error_bound_units);
}

TEST(FftOracle, RealTransformMatchesFftwR2cUpTo2To20) {
  double worst_units = 0;
  for (int bits = 3; bits <= 20; ++bits) {
    const int32_t n = int32_t{1} << bits;
    const std::vector<double> x = random_doubles(n, 103 * n);
    double* in = fftw_alloc_real(n);
    fftw_complex* out = fftw_alloc_complex(n / 2 + 1);
    fftw_plan plan = fftw_plan_dft_r2c_1d(n, in, out, FFTW_ESTIMATE);
    std::memcpy(in, x.data(), n * sizeof(double));
    fftw_execute(plan);
    fftw_destroy_plan(plan);

    std::vector<double> want(n);
    want[0] = out[0][0];
    want[1] = out[n / 2][0];
    for (int32_t k = 1; k < n / 2; ++k) want[2 * k] = out[k][0], want[2 * k + 1] = -out[k][1];
    fftw_free(in);
    fftw_free(out);

    guarded_array a(x);
    real_transform(n, 1, a.data);
    ASSERT_TRUE(a.guards_intact());
    double worst = 0, largest = 0;
    for (int32_t i = 0; i < n; ++i) {
      worst = std::max(worst, std::abs(a.data[i] - want[i]));
      largest = std::max(largest, std::abs(want[i]));
    }
    const double relative = worst / largest;
    const double units = relative / (bits * eps);
    worst_units = std::max(worst_units, units);
    std::printf("real n=2^%-2d max |ours - fftw| / max |fftw| = %.3e (%.2f log2(n) eps)\n", bits, relative,
                units);
    EXPECT_LT(units, error_bound_units) << "n=" << n;
  }
  std::printf("real: largest error %.2f log2(n) eps, bound %.1f\n", worst_units, error_bound_units);
}
