// Times complex_forward and real_transform (forward) against FFTW's in-place, single-threaded plans of
// the same size, measured in the same run, for n = 2^10 .. 2^24 doubles.
//   bench_fft [measure]   FFTW plans with FFTW_MEASURE instead of FFTW_ESTIMATE
// Every call starts from the same random input (copied in before the call, so that repeated transforms
// do not grow into infinities); the time of that copy, measured alone, is subtracted. Each figure is the
// best over several batches, each batch long enough (>= 20 ms) for the clock.
#include <fftw3.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <random>

#include "core/fft/complex_transform.h"
#include "core/fft/real_transform.h"

namespace {

using clock_type = std::chrono::steady_clock;

void fill(double* a, int32_t n, unsigned seed) {
  std::mt19937 gen(seed);
  std::uniform_real_distribution<double> uniform(-1.0, 1.0);
  for (int32_t i = 0; i < n; ++i) a[i] = uniform(gen);
}

// Best time per call in seconds of `input -> a; run()`, `run` transforming `a` (n doubles) in place.
template <typename Run>
double best_batch_time(double* a, const double* input, int32_t n, Run run) {
  int reps = 1;
  for (;;) {  // batch length: at least 20 ms
    const auto t0 = clock_type::now();
    for (int r = 0; r < reps; ++r) std::memcpy(a, input, n * sizeof(double)), run();
    if (std::chrono::duration<double>(clock_type::now() - t0).count() >= 0.02 || reps >= (1 << 20)) break;
    reps *= 2;
  }
  double best = 1e300;
  for (int trial = 0; trial < 7; ++trial) {
    const auto t0 = clock_type::now();
    for (int r = 0; r < reps; ++r) std::memcpy(a, input, n * sizeof(double)), run();
    best = std::min(best, std::chrono::duration<double>(clock_type::now() - t0).count() / reps);
  }
  return best;
}

// Time of `run` alone in microseconds: the batch time less that of the copy.
template <typename Run>
double transform_time_us(double* a, const double* input, int32_t n, Run run) {
  const double copy = best_batch_time(a, input, n, [] {});
  return (best_batch_time(a, input, n, run) - copy) * 1e6;
}

}  // namespace

int main(int argc, char** argv) {
  const bool measure = argc > 1 && std::strcmp(argv[1], "measure") == 0;
  const unsigned flags = measure ? FFTW_MEASURE : FFTW_ESTIMATE;
  std::printf("FFTW plans: %s, in place, one thread; times per forward transform in microseconds\n",
              measure ? "FFTW_MEASURE" : "FFTW_ESTIMATE");
  std::printf("%9s | %12s %12s %6s | %12s %12s %6s\n", "n doubles", "complex", "fftw c2c", "ratio", "real",
              "fftw r2c", "ratio");
  for (int bits = 10; bits <= 24; ++bits) {
    const int32_t n = int32_t{1} << bits;
    // fftw_malloc aligns to the vector size; our transforms get the same buffer.
    double* a = fftw_alloc_real(n + 2);
    double* input = fftw_alloc_real(n + 2);
    fftw_complex* c = reinterpret_cast<fftw_complex*>(a);
    fftw_plan c2c = fftw_plan_dft_1d(n / 2, c, c, FFTW_BACKWARD, flags);
    fftw_plan r2c = fftw_plan_dft_r2c_1d(n, a, c, flags);  // in place: n + 2 doubles
    fill(input, n + 2, 1);

    const double ours_c = transform_time_us(a, input, n, [&] { complex_forward(n, a); });
    const double fftw_c = transform_time_us(a, input, n, [&] { fftw_execute(c2c); });
    const double ours_r = transform_time_us(a, input, n, [&] { real_transform(n, 1, a); });
    const double fftw_r = transform_time_us(a, input, n, [&] { fftw_execute(r2c); });
    std::printf("2^%-2d %4s | %12.1f %12.1f %6.2f | %12.1f %12.1f %6.2f\n", bits, "", ours_c, fftw_c,
                ours_c / fftw_c, ours_r, fftw_r, ours_r / fftw_r);
    std::fflush(stdout);
    fftw_destroy_plan(c2c);
    fftw_destroy_plan(r2c);
    fftw_free(a);
    fftw_free(input);
  }
  return 0;
}
