// Times complex_forward and real_transform (forward) on every vector path the processor supports against
// FFTW's in-place, single-threaded plans of the same size, measured in the same run, for n = 2^10 .. 2^24
// doubles; the ratio is ours / FFTW.
//   bench_fft [measure] [from to]   FFTW_MEASURE plans instead of FFTW_ESTIMATE; sizes 2^from .. 2^to
//                                   (default 10 .. 24)
// Every call starts from the same random input (copied in before the call, so that repeated transforms
// do not grow into infinities); the time of that copy, measured alone, is subtracted. Each figure is the
// best over 7 batches of at least 20 ms, the batches of all contenders of one size taken in turns.
#include <fftw3.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <random>
#include <vector>

#include "core/fft/complex_transform.h"
#include "core/fft/real_transform.h"
#include "core/fft/simd_path.h"

namespace {

using clock_type = std::chrono::steady_clock;

void fill(double* a, int32_t n, unsigned seed) {
  std::mt19937 gen(seed);
  std::uniform_real_distribution<double> uniform(-1.0, 1.0);
  for (int32_t i = 0; i < n; ++i) a[i] = uniform(gen);
}

// One timed contender: `run` transforms `a` (n doubles) in place; every call is preceded by the copy
// of the input into `a`.
struct contender {
  std::function<void()> run;
  int reps = 1;         // calls per batch, at least 20 ms in all
  double best = 1e300;  // best time per call of a batch, seconds, copy included
};

double batch_time(contender& c, double* a, const double* input, int32_t n) {
  const auto t0 = clock_type::now();
  for (int r = 0; r < c.reps; ++r) {
    std::memcpy(a, input, n * sizeof(double));
    c.run();
  }
  return std::chrono::duration<double>(clock_type::now() - t0).count();
}

// Calibrates every contender's batch, then runs the batches in turns (so that a change of the machine's
// load touches all of them alike) and keeps each contender's best.
void time_all(std::vector<contender>& all, double* a, const double* input, int32_t n, int rounds) {
  for (contender& c : all)
    while (batch_time(c, a, input, n) < 0.02 && c.reps < (1 << 20)) c.reps *= 2;
  for (int round = 0; round < rounds; ++round)
    for (contender& c : all) c.best = std::min(c.best, batch_time(c, a, input, n) / c.reps);
}

}  // namespace

int main(int argc, char** argv) {
  int arg = 1;
  const bool measure = argc > arg && std::strcmp(argv[arg], "measure") == 0;
  if (measure) ++arg;
  const int from = argc > arg + 1 ? std::atoi(argv[arg]) : 10;
  const int to = argc > arg + 1 ? std::atoi(argv[arg + 1]) : 24;
  const unsigned flags = measure ? FFTW_MEASURE : FFTW_ESTIMATE;
  std::vector<simd_path> paths;
  for (int i = 0; i < simd_path_count; ++i)
    if (simd_path_supported(static_cast<simd_path>(i))) paths.push_back(static_cast<simd_path>(i));
  std::printf("FFTW plans: %s, in place, one thread; times per forward transform in microseconds\n",
              measure ? "FFTW_MEASURE" : "FFTW_ESTIMATE");
  std::printf("%9s %7s | %12s %12s %6s | %12s %12s %6s\n", "n doubles", "path", "complex", "fftw c2c",
              "ratio", "real", "fftw r2c", "ratio");
  for (int bits = std::max(from, 2); bits <= std::min(to, 25); ++bits) {
    const int32_t n = int32_t{1} << bits;
    // fftw_malloc aligns to the vector size; our transforms get the same buffer.
    double* a = fftw_alloc_real(n + 2);
    double* input = fftw_alloc_real(n + 2);
    fftw_complex* c = reinterpret_cast<fftw_complex*>(a);
    fftw_plan c2c = fftw_plan_dft_1d(n / 2, c, c, FFTW_BACKWARD, flags);
    fftw_plan r2c = fftw_plan_dft_r2c_1d(n, a, c, flags);  // in place: n + 2 doubles
    fill(input, n + 2, 1);

    // 0: the copy alone; 1, 2: FFTW; then complex and real per path.
    std::vector<contender> all(3 + 2 * paths.size());
    all[0].run = [] {};
    all[1].run = [&] { fftw_execute(c2c); };
    all[2].run = [&] { fftw_execute(r2c); };
    for (size_t i = 0; i < paths.size(); ++i) {
      const simd_path path = paths[i];
      all[3 + 2 * i].run = [&, path] {
        select_simd_path(path);
        complex_forward(n, a);
      };
      all[4 + 2 * i].run = [&, path] {
        select_simd_path(path);
        real_transform(n, 1, a);
      };
    }
    time_all(all, a, input, n, 7);
    const double copy = all[0].best;
    const double fftw_c = (all[1].best - copy) * 1e6, fftw_r = (all[2].best - copy) * 1e6;
    for (size_t i = 0; i < paths.size(); ++i) {
      const double ours_c = (all[3 + 2 * i].best - copy) * 1e6, ours_r = (all[4 + 2 * i].best - copy) * 1e6;
      std::printf("2^%-2d %4s %7s | %12.1f %12.1f %6.2f | %12.1f %12.1f %6.2f\n", bits, "",
                  simd_path_name(paths[i]), ours_c, fftw_c, ours_c / fftw_c, ours_r, fftw_r, ours_r / fftw_r);
    }
    std::fflush(stdout);
    fftw_destroy_plan(c2c);
    fftw_destroy_plan(r2c);
    fftw_free(a);
    fftw_free(input);
  }
  return 0;
}
