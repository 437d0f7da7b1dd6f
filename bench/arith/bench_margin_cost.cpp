// The cost of the release pass: doubles_to_limbs (rounding in place with the margin recorded, carries
// in interleaved chains) against the plain serial walk without the margin, on the backward transform
// of a real product, and both against one whole fft_multiply of the same size.
//   bench_margin_cost [bits]   n = 2^bits limbs (default 20), transforms of 2^(bits+1) doubles
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

#include "core/arith/arith.h"
#include "core/fft/complex_transform.h"
#include "core/fft/convolution.h"

namespace {

// The serial walk: the same rounding and carries, one limb after the other, no distance recorded
// and no range check of the terms. It must give the same limbs.
void doubles_to_limbs_untracked(int16_t* Out, int32_t m, const double* a, int32_t N) {
  const double scale = 2.0 / N;
  const double shift = 6755399441055744.0;  // 1.5 * 2^52
  auto carry_of = [](int64_t s) -> int64_t {
    const int64_t q = s / 10000;
    return q - (s - 10000 * q < 0 ? 1 : 0);
  };
  int64_t carry = 0;
  for (int32_t idx = N - 1; idx >= m - 1; --idx)
    carry = carry_of(static_cast<int64_t>((a[idx] * scale + shift) - shift) + carry);
  for (int32_t k = m - 1; k >= 1; --k) {
    const int64_t s = static_cast<int64_t>((a[k - 1] * scale + shift) - shift) + carry;
    carry = carry_of(s);
    Out[k] = static_cast<int16_t>(s - 10000 * carry);
  }
  Out[0] = static_cast<int16_t>(carry);
}

// doubles_to_limbs destroys its input: every timed call starts from a fresh copy of the convolution.
std::vector<double> g_convolution;
double* g_a;

double seconds_of(void (*run)()) {
  std::copy(g_convolution.begin(), g_convolution.end(), g_a);
  const auto t0 = std::chrono::steady_clock::now();
  run();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

// The two passes run alternately, so that a load from other processes affects both alike; the best
// time of each is kept.
int32_t g_n;
int16_t* g_tracked;
int16_t* g_untracked;
rounding_margin g_margin;
void run_tracked() { doubles_to_limbs(g_tracked, g_n + 4, g_a, 2 * g_n, &g_margin); }
void run_untracked() { doubles_to_limbs_untracked(g_untracked, g_n + 4, g_a, 2 * g_n); }

}  // namespace

int main(int argc, char** argv) {
  const int bits = argc > 1 ? std::atoi(argv[1]) : 20;
  const int32_t n = int32_t{1} << bits;
  const int32_t L = 2 * n;
  std::mt19937_64 gen(20240611);
  std::uniform_int_distribution<int32_t> digit(0, 9999);
  std::vector<int16_t> P(n + 4), Q(n + 4), tracked(n + 4), untracked(n + 4);
  for (int32_t i = 0; i < n + 4; ++i) {
    P[i] = static_cast<int16_t>(digit(gen));
    Q[i] = static_cast<int16_t>(digit(gen));
  }
  std::vector<double> W(4 * static_cast<size_t>(n));

  // A real convolution to convert: the backward transform of the product's spectra.
  limbs_to_doubles(P.data(), n, W.data(), L);
  limbs_to_doubles(Q.data(), n, W.data() + L, L);
  complex_forward(L, W.data());
  complex_forward(L, W.data() + L);
  multiply_spectra(L, W.data(), W.data(), W.data() + L);
  complex_backward(L, W.data());

  const int reps = 60;
  g_n = n;
  g_convolution.assign(W.begin(), W.begin() + L);
  g_a = W.data();
  g_tracked = tracked.data();
  g_untracked = untracked.data();
  double with_margin = 1e300, without = 1e300;
  for (int r = 0; r < reps; ++r) {
    with_margin = std::min(with_margin, seconds_of(run_tracked));
    without = std::min(without, seconds_of(run_untracked));
  }
  std::vector<double> W2(4 * static_cast<size_t>(n));
  std::vector<int16_t> out(n + 4);
  double product = 1e300;
  for (int r = 0; r < 5; ++r) {
    const auto t0 = std::chrono::steady_clock::now();
    fft_multiply(P.data(), Q.data(), out.data(), n, W2.data(), &g_margin);
    product = std::min(product, std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
  }

  std::printf("n = %d limbs (transforms of %d doubles), best of %d\n", n, L, reps);
  std::printf("doubles_to_limbs                %9.3f ms\n", with_margin * 1e3);
  std::printf("serial walk without margin      %9.3f ms\n", without * 1e3);
  std::printf(
      "difference                      %9.3f ms (%+.1f%% of the pass, %+.2f%% of one fft_multiply of "
      "%.1f ms)\n",
      (with_margin - without) * 1e3, 100.0 * (with_margin - without) / without,
      100.0 * (with_margin - without) / product, product * 1e3);
  std::printf("limbs identical: %s, margin %.3g\n", tracked == untracked ? "yes" : "NO",
              g_margin.max_distance);
  return tracked == untracked ? 0 : 1;
}
